// linkTo is handed a path the operator typed: it may replace an old link, never anything else.
#include "sim/common/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct PseudoTerminalLink : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("sim-common-test-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

} // namespace

TEST_F(PseudoTerminalLink, ReplacesAnOldLinkAndRemovesItsOwnOnDestruction)
{
    const fs::path link = dir / "com1";
    fs::create_symlink("/nonexistent/old-line", link);
    {
        sim::PseudoTerminal pty;
        pty.linkTo(link.string());
        EXPECT_EQ(fs::read_symlink(link).string(), pty.slavePath());
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(PseudoTerminalLink, RefusesToReplaceAFileOrAFolder)
{
    const fs::path file = dir / "notes.txt";
    std::ofstream(file) << "keep";
    const fs::path folder = dir / "folder";
    fs::create_directory(folder);

    sim::PseudoTerminal pty;
    for (const fs::path& path : {file, folder}) {
        try {
            pty.linkTo(path.string());
            ADD_FAILURE() << path << " was replaced";
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(path.string()), std::string::npos) << message;
            EXPECT_NE(message.find("other than a symbolic link"), std::string::npos) << message;
        }
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
    std::ifstream in(file);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(folder)));
}
