#pragma once
// Files the technician names (the ports file, a capture, a certificate) are opened so that
// open() itself never waits: a FIFO would block until some writer came, a device could block for
// good. Nothing but a regular file is opened at all, and the open is checked again by fstat.
#include <string>
#include <sys/types.h>

namespace serial {

// "a folder", "a FIFO", "a character device", ...
const char* fileKind(mode_t mode);

struct RegularFile {
    int fd = -1;            // open for reading (reads block again); -1 when not opened
    int error = 0;          // errno of a failed open; 0 when it was refused for its kind
    std::string problem;    // "is a FIFO, not a file", or the system's words; empty when opened
};

// The caller closes `fd`.
RegularFile openRegularFile(const std::string& path);

} // namespace serial
