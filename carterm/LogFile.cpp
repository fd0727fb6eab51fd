#include "carterm/LogFile.h"

#include "serial/OutsideText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carterm::logfile {

namespace {
std::string systemText(const std::string& path, int error)
{
    return serial::printable(path) + ": " + std::strerror(error);
}
} // namespace

LookUp lookUp(const std::string& path)
{
    LookUp result;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        result.exists = true;
        result.isDirectory = S_ISDIR(st.st_mode);
        result.isRegular = S_ISREG(st.st_mode);
        return result;
    }
    // A missing file (or a link to one) is an answer, not an error.
    if (errno != ENOENT)
        result.error = systemText(path, errno);
    return result;
}

std::string removeForReplace(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return {};
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return systemText(path, errno);
    return {};
}

int openForAppend(const std::string& path, std::string& error)
{
    // Non-blocking only while opening, so that a pipe without a reader cannot hang the window.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        error = systemText(path, errno);
        return 0;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = systemText(path, errno);
        ::close(fd);
        return 0;
    }
    if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) {
        error = serial::printable(path) + " is not a file: choose a file for the log";
        ::close(fd);
        return 0;
    }
    ::fcntl(fd, F_SETFL, O_APPEND);
    // The number 0 means "no log": keep the log off the standard descriptors.
    if (fd < 3) {
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        const int error2 = errno;
        ::close(fd);
        if (moved < 0) {
            error = systemText(path, error2);
            return 0;
        }
        return moved;
    }
    return fd;
}

namespace {
// The log's path as the system knows it now (it follows a rename), for the error texts.
std::string nameOf(int fileNumber)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileNumber);
    char target[4096];
    const ssize_t len = ::readlink(link, target, sizeof target - 1);
    std::string name = len > 0 ? std::string(target, static_cast<size_t>(len)) : "the session log";
    constexpr std::string_view deleted = " (deleted)";
    if (name.ends_with(deleted))
        name.resize(name.size() - deleted.size());
    return serial::printable(name);
}
} // namespace

std::string write(int fileNumber, std::string_view data, std::size_t& written)
{
    written = 0;
    // A log deleted while open takes every byte and keeps none where anyone can read it.
    struct stat st {};
    if (::fstat(fileNumber, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 0)
        return "Cannot write to " + nameOf(fileNumber) + ": the file was deleted while the log was open";
    while (written < data.size()) {
        const ssize_t n = ::write(fileNumber, data.data() + written, data.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int error = n < 0 ? errno : EIO;
        return "Cannot write to " + nameOf(fileNumber) + ": " + std::strerror(error);
    }
    return {};
}

void close(int fileNumber)
{
    if (fileNumber > 0)
        ::close(fileNumber);
}

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace carterm::logfile
