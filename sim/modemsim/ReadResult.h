#pragma once
// What a non-blocking read of the bench's line or of the caller's socket found.
#include <cerrno>
#include <string>
#include <unistd.h>

namespace modemsim {

enum class ReadResult { Data, Nothing, Gone };

// Appends what is waiting on `fd` to `into`. Gone: a read error or the end of the stream (the
// device went away, the caller hung up).
inline ReadResult readWaiting(int fd, std::string& into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            return ReadResult::Data;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return ReadResult::Nothing;
        return ReadResult::Gone;
    }
}

} // namespace modemsim
