#pragma once
// Shared pieces of the driver tests: a clean environment per test, scratch folders, the paths of
// the libraries under test, and capture of standard error.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

namespace driver_test {

inline const std::string kSimLibrary = KESTREL_SIM_PATH;
inline const std::string kPartialLibrary = KESTREL_PARTIAL_PATH;

inline constexpr int32_t kPassPattern = static_cast<int32_t>(0xFF00FF03u);
inline constexpr int32_t kLowPattern = static_cast<int32_t>(0xFF00FF02u);
// Written into by-reference arguments beforehand, to see whether a call wrote them.
inline constexpr int32_t kUntouched = -7777;

inline int32_t packed(uint32_t bits) { return static_cast<int32_t>(bits); }

// Clears the library's variables for the test and puts back what was there before.
class DriverEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"KESTREL_LIBRARY", "KESTREL_SCENARIO"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A scratch folder removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Everything written to standard error (file descriptor 2) while the object lives.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        file_ = std::tmpfile();
        ::dup2(::fileno(file_), 2);
    }
    ~StderrCapture() { restore(); }

    std::string text()
    {
        restore();
        std::rewind(file_);
        std::string result;
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file_))
            result.append(buffer, n);
        return result;
    }

private:
    void restore()
    {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

} // namespace driver_test
