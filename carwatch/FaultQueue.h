#pragma once
// The fault messages not yet taken by the broker, kept in a file of the state folder so that
// neither a broker away for hours nor a restart of carwatch loses one. The file is a journal:
// "M <seq> <topic> <payload>" for a message, "D <seq>" once the broker took it (or it was
// dropped); it is written afresh when it holds nothing pending. Locked while open, so two
// watchers never share one. Plain C++.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace carwatch {

class FaultQueue {
public:
    struct Entry {
        long long seq = 0;
        std::string topic;
        std::string payload;
    };

    explicit FaultQueue(std::size_t limit = 10000) : limit_(limit) {}
    ~FaultQueue();
    FaultQueue(const FaultQueue&) = delete;
    FaultQueue& operator=(const FaultQueue&) = delete;

    // Opens `path` (made when missing) and takes up what a previous run left pending. What went
    // wrong, or empty.
    std::string open(const std::string& path);
    // Keeps a message (on disk before this returns). When the queue is full the oldest entry
    // goes, and is returned so the caller can say so.
    std::optional<Entry> push(const std::string& topic, const std::string& payload);
    // The broker took it.
    void done(long long seq);
    // Oldest first.
    const std::deque<Entry>& pending() const { return pending_; }

private:
    void append(const std::string& line, bool sync);
    void rewrite();

    std::size_t limit_;
    std::string path_;
    int fd_ = -1;
    long long next_ = 1;
    long long written_ = 0;   // bytes in the journal
    std::deque<Entry> pending_;
};

} // namespace carwatch
