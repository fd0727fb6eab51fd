#include "serial/capture/CaptureWriter.h"

#include "serial/OutsideText.h"
#include "serial/capture/CaptureFormat.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace serial::capture {

CaptureWriter::CaptureWriter(int timingFd, std::string timingName, int dataFd, std::string dataName)
    : timingFd_(timingFd), dataFd_(dataFd), timingName_(std::move(timingName)), dataName_(std::move(dataName)),
      thread_([this] { run(); })
{
}

CaptureWriter::~CaptureWriter()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    thread_.join();
    ::close(timingFd_);
    ::close(dataFd_);
}

void CaptureWriter::add(std::string_view timingLine, std::string_view bytes)
{
    if (failed_)
        return;
    bool wake = false;
    bool tooMuch = false;
    {
        std::lock_guard lock(mutex_);
        data_ += bytes;
        timing_ += timingLine;
        // One wake-up per batch: the thread takes everything waiting when it runs.
        wake = !wakeSent_ && data_.size() >= kWakeBytes;
        wakeSent_ = wakeSent_ || wake;
        tooMuch = data_.size() > kMaxWaiting;
    }
    if (tooMuch) {
        fail(dataName_ + ": the disk does not keep up with the line");
        return;
    }
    if (wake)
        wake_.notify_one();
}

void CaptureWriter::flush()
{
    std::unique_lock lock(mutex_);
    const unsigned long long asked = ++flushAsked_;
    wake_.notify_one();
    flushed_.wait(lock, [&] { return flushDone_ >= asked; });
}

void CaptureWriter::run()
{
    std::string timing;
    std::string data;
    for (;;) {
        bool closing;
        unsigned long long asked;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kFlushMs), [this] {
                return closing_ || data_.size() >= kWakeBytes || flushAsked_ > flushDone_ || !stopRecord_.empty();
            });
            timing.swap(timing_);
            data.swap(data_);
            wakeSent_ = false;
            closing = closing_;
            asked = flushAsked_;
        }
        // The bytes go first: a reader following the files never meets a record whose bytes
        // are not there yet.
        if (!failed_ && (data.empty() || writeAll(dataFd_, dataName_, data))
            && (timing.empty() || writeAll(timingFd_, timingName_, timing)) && (!data.empty() || !timing.empty())) {
            written_ += static_cast<long long>(data.size() + timing.size());
            if (stillNamed() && onWritten)
                onWritten(written_);
        }
        timing.clear();
        data.clear();
        {
            std::lock_guard lock(mutex_);
            timing.swap(stopRecord_);
        }
        // Tried once: the disk may be the very reason the capture stopped.
        if (!timing.empty() && ::write(timingFd_, timing.data(), timing.size()) < 0)
            errno = 0;
        timing.clear();
        {
            std::lock_guard lock(mutex_);
            flushDone_ = asked;
        }
        flushed_.notify_all();
        if (closing)
            return;
    }
}

bool CaptureWriter::writeAll(int fd, const std::string& name, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(name + ": " + std::strerror(n < 0 ? errno : ENOSPC));
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CaptureWriter::stillNamed()
{
    const std::size_t slash = timingName_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : timingName_.substr(0, slash);
    struct stat open {}, named {};
    if (::fstat(timingFd_, &open) != 0 || open.st_nlink == 0 || ::stat(timingName_.c_str(), &named) != 0
        || named.st_dev != open.st_dev || named.st_ino != open.st_ino) {
        fail(printable(folder) + ": the capture folder was deleted or replaced during the session");
        return false;
    }
    // The next session could not start there either: say so now, not at the next open.
    if (::access(folder.c_str(), W_OK) != 0) {
        fail(printable(folder) + ": the capture folder was made read-only during the session");
        return false;
    }
    return true;
}

void CaptureWriter::fail(const std::string& text)
{
    if (failed_.exchange(true))
        return;
    {
        std::lock_guard lock(mutex_);
        timing_.clear();
        data_.clear();
        stopRecord_ = namedLine(kEvent, 0, kStopped, printable(text, text.size()));
    }
    wake_.notify_one();
    if (onFailed)
        onFailed(text);
}

} // namespace serial::capture
