#include "sim/modemsim/OutputQueue.h"

#include <cerrno>
#include <unistd.h>

namespace modemsim {

bool OutputQueue::flush(int fd)
{
    std::size_t done = 0;
    bool ok = true;
    while (done < pending_.size()) {
        ssize_t n = ::write(fd, pending_.data() + done, pending_.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            ok = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            break;
        }
    }
    pending_.erase(0, done);
    return ok;
}

} // namespace modemsim
