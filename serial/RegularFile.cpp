#include "serial/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace serial {

const char* fileKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return S_ISREG(mode) ? "a file" : "something other than a file";
}

RegularFile openRegularFile(const std::string& path)
{
    const auto refused = [](mode_t mode) { return RegularFile{-1, 0, std::string("is ") + fileKind(mode) + ", not a file"}; };
    // Looked at first, so that a device is never opened (opening some has effects of its own).
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return refused(info.st_mode);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {-1, errno, std::strerror(errno)};
    // The name may have been swapped for something else between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refused(info.st_mode);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {fd, 0, {}};
}

} // namespace serial
