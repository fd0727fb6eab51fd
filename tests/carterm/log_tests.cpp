// The session log: choosing the file, appending or replacing, what is written, write failures.
#include "tests/carterm/CarWindowHarness.h"
#include "tests/carterm/log_test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace toolkit;

namespace {
struct SessionLog : WindowTest<CarWindowHarness> {
    ScratchFolder scratch;

    void openLog(const std::string& path)
    {
        h.platform.chooseFile(path);
        f.MOpenLog.click();
    }
};
} // namespace

TEST_F(SessionLog, CancellingTheDialogChangesNothing)
{
    h.platform.chooseFile(std::nullopt);
    f.MOpenLog.click();
    ASSERT_EQ(h.platform.fileRequests.size(), 1u);
    EXPECT_EQ(h.platform.fileRequests[0].title, "Open Communications Log File");
    EXPECT_EQ(h.platform.fileRequests[0].filter, "Log Files (*.LOG)|*.log|All Files (*.*)|*.*");
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_TRUE(f.MOpenLog.enabled());
    EXPECT_FALSE(f.MCloseLog.enabled());
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(SessionLog, ANewFileIsCreatedAndReceivedLinesGoInWithCrLf)
{
    const std::string path = scratch.path("car.log");
    openLog(path);
    EXPECT_TRUE(h.platform.boxes.empty()); // no question for a new file
    EXPECT_NE(f.logFileNumber, 0);
    EXPECT_EQ(f.caption(), "MSComm Terminal - car.log");
    EXPECT_FALSE(f.MOpenLog.enabled());
    EXPECT_TRUE(f.MCloseLog.enabled());

    h.line->feed("OK\r\n");
    EXPECT_EQ(readFile(path), "OK\r\n"); // on disk before the handler returned

    f.MCloseLog.click();
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_EQ(f.caption(), "MSComm Terminal");
    EXPECT_TRUE(f.MOpenLog.enabled());
    EXPECT_FALSE(f.MCloseLog.enabled());
    h.line->feed("after\r");
    EXPECT_EQ(readFile(path), "OK\r\n");
}

TEST_F(SessionLog, AnExistingFileIsAppendedOnNoEmptiedOnYesAndCancelAsksAgain)
{
    const std::string path = scratch.write("old.log", "before\r\n");

    h.platform.answer(MsgResult::No);
    openLog(path);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].text, "Replace existing file - " + path + "?");
    EXPECT_EQ(h.platform.boxes[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(h.platform.boxes[0].icon, MsgIcon::Question);
    h.line->feed("x\r");
    f.MCloseLog.click();
    EXPECT_EQ(readFile(path), "before\r\nx\r\n");

    h.platform.answer(MsgResult::Yes);
    openLog(path);
    h.line->feed("y");
    f.MCloseLog.click();
    EXPECT_EQ(readFile(path), "y");

    // Cancel goes back to the dialog; cancelling that leaves the file and the menu alone.
    h.platform.answer(MsgResult::Cancel);
    h.platform.chooseFile(path);
    h.platform.chooseFile(std::nullopt);
    f.MOpenLog.click();
    EXPECT_EQ(h.platform.fileRequests.size(), 4u);
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_TRUE(f.MOpenLog.enabled());
    EXPECT_EQ(readFile(path), "y");
}

TEST_F(SessionLog, TheLogHoldsExactlyThePanesBytesForEveryByteValue)
{
    const std::string path = scratch.path("all.log");
    openLog(path);
    std::string every;
    for (int b = 0; b < 256; ++b)
        every.push_back(static_cast<char>(b));
    // Backspace (8) takes 7 with it, LF goes, CR gains an LF.
    std::string normalised;
    for (int b = 0; b < 256; ++b) {
        if (b == 7 || b == 8 || b == 10)
            continue;
        normalised.push_back(static_cast<char>(b));
        if (b == 13)
            normalised.push_back('\n');
    }
    // However the line splits it (never with the backspace first in a piece: that one erases
    // what an earlier piece showed), every pass adds exactly the normalised block.
    const size_t pieceSizes[] = {256, 7, 100, 3, 5, 13};
    for (size_t piece : pieceSizes)
        for (size_t at = 0; at < every.size(); at += piece)
            h.line->feed(every.substr(at, piece));
    std::string expected;
    for (size_t i = 0; i < std::size(pieceSizes); ++i)
        expected += normalised;
    const std::string log = readFile(path);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(log, f.Term.text());
    EXPECT_LT(f.Term.text().size(), 16384u); // nothing trimmed: the pane is the whole session
}

TEST_F(SessionLog, ALeadingBackspaceErasesOnScreenButWritesNothing)
{
    const std::string path = scratch.path("bs.log");
    h.line->feed("AB");
    openLog(path);
    h.line->feed("\bC\r");
    EXPECT_EQ(f.Term.text(), "AC\r\n");
    EXPECT_EQ(readFile(path), "C\r\n");
}

TEST_F(SessionLog, AWriteFailureAsksRetryOrCancelAndCancelClosesTheLogButReceptionGoesOn)
{
    h.platform.answer(MsgResult::No); // /dev/full exists: append, never replace a device
    openLog("/dev/full");
    ASSERT_NE(f.logFileNumber, 0);
    EXPECT_EQ(f.caption(), "MSComm Terminal - full");

    h.platform.answer(MsgResult::Retry);
    h.platform.answer(MsgResult::Cancel);
    h.line->feed("lost?\r");
    ASSERT_EQ(h.platform.boxes.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(h.platform.boxes[i].buttons, MsgButtons::RetryCancel);
        EXPECT_EQ(h.platform.boxes[i].icon, MsgIcon::Critical);
        EXPECT_NE(h.platform.boxes[i].text.find("No space left on device"), std::string::npos);
    }
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_EQ(f.caption(), "MSComm Terminal");
    EXPECT_TRUE(f.MOpenLog.enabled());
    EXPECT_FALSE(f.MCloseLog.enabled());

    h.line->feed("more\r");
    EXPECT_EQ(f.Term.text(), "lost?\r\nmore\r\n");
    EXPECT_EQ(h.platform.boxes.size(), 3u);
    struct stat st {};
    EXPECT_EQ(::stat("/dev/full", &st), 0);
}

TEST_F(SessionLog, ALogDeletedWhileOpenIsAWriteErrorAtTheNextWrite)
{
    const std::string path = scratch.path("gone.log");
    openLog(path);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    h.platform.answer(MsgResult::Cancel);
    h.line->feed("unseen\r");
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(h.platform.boxes[0].text, "Cannot write to " + path + ": the file was deleted while the log was open");
    EXPECT_EQ(f.logFileNumber, 0);
}

TEST_F(SessionLog, ReplacingADeviceNeverDeletesIt)
{
    // A node of our own with /dev/null's numbers, so that a fault could harm nothing else.
    const std::string node = scratch.path("null");
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    h.platform.answer(MsgResult::Yes);
    openLog(node);
    EXPECT_NE(f.logFileNumber, 0);
    struct stat st {};
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(SessionLog, PipesFoldersAndUnreachablePathsAreRefusedWithTheirReason)
{
    const std::string fifo = scratch.path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    h.platform.answer(MsgResult::No);
    openLog(fifo); // must not hang waiting for a reader
    EXPECT_EQ(f.logFileNumber, 0);
    ASSERT_FALSE(h.platform.boxes.empty());
    EXPECT_EQ(h.platform.boxes.back().icon, MsgIcon::Exclamation);

    openLog(scratch.dir.string());
    EXPECT_NE(h.platform.boxes.back().text.find("is a folder"), std::string::npos);
    EXPECT_EQ(f.logFileNumber, 0);

    const std::string file = scratch.write("plain", "x");
    openLog(file + "/below.log");
    EXPECT_NE(h.platform.boxes.back().text.find("Not a directory"), std::string::npos);
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_TRUE(f.MOpenLog.enabled());
    EXPECT_EQ(f.caption(), "Hoistwise Car");
}

TEST_F(SessionLog, ClosingTheWindowClosesTheLog)
{
    const std::string path = scratch.path("end.log");
    openLog(path);
    h.line->feed("last\r");
    EXPECT_TRUE(f.unload());
    EXPECT_EQ(f.logFileNumber, 0);
    EXPECT_EQ(readFile(path), "last\r\n");
}
