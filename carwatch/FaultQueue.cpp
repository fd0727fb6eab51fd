#include "carwatch/FaultQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace carwatch {

namespace {

// Past this the journal is written afresh even while messages are pending.
constexpr long long kRewriteAbove = 4LL << 20;

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string messageLine(const FaultQueue::Entry& e)
{
    return "M " + std::to_string(e.seq) + " " + e.topic + " " + e.payload + "\n";
}

} // namespace

FaultQueue::~FaultQueue()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string FaultQueue::open(const std::string& path)
{
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_APPEND, 0600);
    if (fd_ < 0)
        return "cannot open the fault queue " + path + ": " + std::strerror(errno);
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        return "the fault queue " + path + " is in use by another carwatch: give each watcher a state folder of its own";

    std::map<long long, Entry> kept;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        char kind = 0;
        long long seq = 0;
        if (!(fields >> kind >> seq))
            continue;   // a line cut short by a crash
        next_ = std::max(next_, seq + 1);
        if (kind == 'D') {
            kept.erase(seq);
        } else if (kind == 'M') {
            Entry e{seq, {}, {}};
            fields >> e.topic;
            fields.get();
            std::getline(fields, e.payload);
            if (!e.topic.empty() && e.payload.size() > 1 && e.payload.back() == '}')
                kept[seq] = std::move(e);
        }
    }
    for (auto& [seq, e] : kept)
        pending_.push_back(std::move(e));
    while (pending_.size() > limit_)
        pending_.pop_front();
    rewrite();
    return {};
}

std::optional<FaultQueue::Entry> FaultQueue::push(const std::string& topic, const std::string& payload)
{
    pending_.push_back({next_++, topic, payload});
    std::optional<Entry> dropped;
    std::string text = messageLine(pending_.back());
    if (pending_.size() > limit_) {
        dropped = std::move(pending_.front());
        pending_.pop_front();
        text += "D " + std::to_string(dropped->seq) + "\n";
    }
    append(text, true);
    return dropped;
}

void FaultQueue::done(long long seq)
{
    const auto it = std::find_if(pending_.begin(), pending_.end(), [seq](const Entry& e) { return e.seq == seq; });
    if (it == pending_.end())
        return;
    pending_.erase(it);
    if (pending_.empty() || written_ > kRewriteAbove)
        rewrite();
    else
        append("D " + std::to_string(seq) + "\n", false);
}

void FaultQueue::append(const std::string& line, bool sync)
{
    if (fd_ < 0)
        return;
    if (writeAll(fd_, line))
        written_ += static_cast<long long>(line.size());
    if (sync)
        ::fdatasync(fd_);
}

// The pending entries alone, in a new file put in place of the journal; the lock moves with it.
void FaultQueue::rewrite()
{
    if (fd_ < 0)
        return;
    std::string text;
    for (const Entry& e : pending_)
        text += messageLine(e);
    const std::string temporary = path_ + ".new";
    const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_APPEND, 0600);
    if (fd < 0)
        return;   // the journal goes on growing; the next rewrite tries again
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (!writeAll(fd, text) || ::fdatasync(fd) != 0 || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return;
    }
    ::close(fd_);
    fd_ = fd;
    written_ = static_cast<long long>(text.size());
}

} // namespace carwatch
