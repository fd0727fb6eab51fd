#pragma once
// Writes a capture's two files off the receive path: the records are appended to memory under a
// short lock, and a thread of its own writes them out at least every half second. A write that
// fails (a full disk), or files whose folder was deleted, replaced or made read-only,
// stop the capture for good: what is left is dropped, a last record says why where it can still
// be written, onFailed runs once (on the writing thread) and every later record is ignored.
// Plain C++, no Qt.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace serial::capture {

class CaptureWriter {
public:
    // Takes over two open descriptors; `timingName` and `dataName` name them in messages.
    CaptureWriter(int timingFd, std::string timingName, int dataFd, std::string dataName);
    // Writes what is still waiting, then closes both files.
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // One timing line and the bytes it counts (none for a named record).
    void add(std::string_view timingLine, std::string_view bytes = {});
    // Returns once everything added so far is written (or the capture has failed): the end of a
    // session is on disk even when the program ends right after.
    void flush();

    bool failed() const { return failed_; }
    // Stops the capture as a failed write does (once; later calls do nothing).
    void fail(const std::string& text);
    // Bytes written to both files so far.
    long long written() const { return written_; }
    // Called once, on the writing thread, with "<file>: <system error>" when a write fails.
    std::function<void(const std::string& text)> onFailed;
    // Called on the writing thread after each batch has been written.
    std::function<void(long long written)> onWritten;

    // The longest a record waits in memory, and how much may wait before the thread is woken.
    static constexpr int kFlushMs = 500;
    static constexpr std::size_t kWakeBytes = 1 << 20;
    // More than this waiting means the disk cannot keep up: the capture stops.
    static constexpr std::size_t kMaxWaiting = 64u << 20;

private:
    void run();
    bool writeAll(int fd, const std::string& name, const std::string& bytes);
    // Whether the files are still where they were named (not unlinked, the folder not swapped)
    // and the folder can still be written.
    bool stillNamed();

    int timingFd_;
    int dataFd_;
    std::string timingName_;
    std::string dataName_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable flushed_;
    unsigned long long flushAsked_ = 0;   // flush() calls so far
    unsigned long long flushDone_ = 0;    // of those, the ones whose records are written
    std::string timing_;
    std::string data_;
    bool closing_ = false;
    bool wakeSent_ = false;   // the thread was woken for the batch now waiting
    std::string stopRecord_;  // the STOPPED record, until the thread writes it
    std::atomic<bool> failed_{false};
    std::atomic<long long> written_{0};
    std::thread thread_;
};

} // namespace serial::capture
