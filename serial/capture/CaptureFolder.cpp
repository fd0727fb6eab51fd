#include "serial/capture/CaptureFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace serial::capture {

namespace fs = std::filesystem;

std::string defaultCaptureFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/hoistwise/captures";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/hoistwise/captures";
}

std::optional<NewCapture> createCapture(const std::string& folder, const std::string& program,
                                        const std::string& port, std::chrono::system_clock::time_point start,
                                        std::string& error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder + ": " + ec.message();
        return std::nullopt;
    }
    const std::string base = folder + "/" + program + "-" + port + "-" + fileStamp(start);
    for (int n = 1; n < 1000; ++n) {
        const CapturePaths paths = capturePaths(n == 1 ? base : base + "-" + std::to_string(n));
        const int timing = ::open(paths.timing.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (timing < 0 && errno == EEXIST)
            continue;
        if (timing < 0) {
            error = paths.timing + ": " + std::strerror(errno);
            return std::nullopt;
        }
        const int data = ::open(paths.data.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (data < 0) {
            const int why = errno;
            error = paths.data + ": " + std::strerror(why);
            ::close(timing);
            ::unlink(paths.timing.c_str());
            if (why == EEXIST)
                continue;
            return std::nullopt;
        }
        ::flock(timing, LOCK_EX | LOCK_NB);
        return NewCapture{timing, data, paths};
    }
    error = base + ": too many sessions started in one second";
    return std::nullopt;
}

namespace {
struct Session {
    std::string stem;
    long long bytes = 0;
    int files = 0;
    struct timespec written{};
};

// Only names that createCapture() gives are the kit's: anything else in the folder (another
// program's files, the technician's notes, a session renamed by hand) is never counted or removed.
bool kitStem(const std::string& name)
{
    static const std::regex pattern("[a-z][a-z0-9]*-COM[0-9]+-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?");
    return std::regex_match(name, pattern);
}

bool inUse(const std::string& timingPath)
{
    const int fd = ::open(timingPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}
} // namespace

long long pruneCaptures(const std::string& folder, long long limit, const std::string& keep)
{
    std::vector<Session> sessions;
    long long total = 0;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string path = entry.path().string();
        const bool timing = path.ends_with(kTimingSuffix);
        if (!timing && !path.ends_with(kDataSuffix))
            continue;
        const std::string stem = capturePaths(path).stem;
        struct stat st{};
        if (!kitStem(fs::path(stem).filename().string()) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        auto it = std::find_if(sessions.begin(), sessions.end(), [&](const Session& s) { return s.stem == stem; });
        if (it == sessions.end())
            it = sessions.insert(sessions.end(), Session{stem, 0, 0, {}});
        it->bytes += st.st_size;
        ++it->files;
        if (timing)
            it->written = st.st_mtim;
    }
    // A session is its two files together; half of one is left as it is.
    std::erase_if(sessions, [](const Session& s) { return s.files != 2; });
    for (const Session& s : sessions)
        total += s.bytes;
    std::sort(sessions.begin(), sessions.end(), [](const Session& a, const Session& b) {
        return a.written.tv_sec != b.written.tv_sec ? a.written.tv_sec < b.written.tv_sec
                                                    : a.written.tv_nsec < b.written.tv_nsec;
    });
    for (const Session& s : sessions) {
        if (total <= limit)
            break;
        const CapturePaths paths = capturePaths(s.stem);
        if (s.stem == keep || inUse(paths.timing))
            continue;
        ::unlink(paths.timing.c_str());
        ::unlink(paths.data.c_str());
        total -= s.bytes;
    }
    return total;
}

} // namespace serial::capture
