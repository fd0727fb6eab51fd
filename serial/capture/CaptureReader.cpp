#include "serial/capture/CaptureReader.h"

#include "serial/OutsideText.h"
#include "serial/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace serial::capture {

namespace {
// Timing is read in small chunks, so that a seek parses little past its mark; data in a large
// window, so that a long record streams in few reads and few allocations.
constexpr std::size_t kReadChunk = 1 << 16;
constexpr std::size_t kDataWindow = 1 << 20;
// Far longer than any timing record (a header's value is a line of settings or a path); a
// longer line is not a capture, and is not kept whole.
constexpr std::size_t kLongestLine = 1 << 16;

std::optional<long long> parseCount(std::string_view text)
{
    if (text.empty() || text.size() > 15)
        return std::nullopt;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}
} // namespace

CaptureReader::CaptureReader(CapturePaths paths) : paths_(std::move(paths)) {}

CaptureReader::~CaptureReader()
{
    if (timingFd_ >= 0)
        ::close(timingFd_);
    if (dataFd_ >= 0)
        ::close(dataFd_);
}

bool CaptureReader::fail(std::string text)
{
    error_ = std::move(text);
    return false;
}

bool CaptureReader::openFile(const std::string& path, int& fd)
{
    const serial::RegularFile file = serial::openRegularFile(path);
    fd = file.fd;
    return fd >= 0 || fail(serial::printable(path) + ": " + file.problem);
}

bool CaptureReader::dataHolds(long long count)
{
    if (dataNext_ + count <= dataSize_)
        return true;
    struct stat info {};
    if (::fstat(dataFd_, &info) == 0)
        dataSize_ = info.st_size;
    return dataNext_ + count <= dataSize_;
}

bool CaptureReader::findDataStart()
{
    char head[4096];
    const ssize_t n = ::pread(dataFd_, head, sizeof head, 0);
    if (n < 0)
        return fail(serial::printable(paths_.data) + ": " + std::strerror(errno));
    const void* end = std::memchr(head, '\n', static_cast<std::size_t>(n));
    if (end == nullptr) {
        if (n == static_cast<ssize_t>(sizeof head))
            return fail(serial::printable(paths_.data) + ": the first line is not a capture's header line");
        return true;   // not written yet
    }
    dataStart_ = static_cast<const char*>(end) - head + 1;
    dataNext_ = dataStart_;
    return true;
}

bool CaptureReader::readMore(std::vector<Record>& out, std::size_t enough)
{
    if (!error_.empty())
        return false;
    if (timingFd_ < 0 && (!openFile(paths_.timing, timingFd_) || !openFile(paths_.data, dataFd_)))
        return false;
    if (dataStart_ < 0 && !findDataStart())
        return false;
    if (dataStart_ < 0)
        return true;
    std::string chunk(kReadChunk, '\0');
    for (;;) {
        const ssize_t n = ::pread(timingFd_, chunk.data(), chunk.size(), timingAt_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(serial::printable(paths_.timing) + ": " + std::strerror(errno));
        if (n == 0)
            return true;
        timingAt_ += n;
        std::string_view text(chunk.data(), static_cast<std::size_t>(n));
        std::size_t from = 0;
        for (std::size_t nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', from)) {
            std::string_view line = text.substr(from, nl - from);
            from = nl + 1;
            bool ok;
            if (!partial_.empty()) {
                partial_ += line;
                ok = parseLine(partial_, out);
                partial_.clear();
            } else {
                ok = parseLine(line, out);
            }
            if (!ok)
                return false;
        }
        if (partial_.size() + (text.size() - from) > kLongestLine)
            return fail(serial::printable(paths_.timing) + " line " + std::to_string(lineNumber_ + 1) +
                        ": longer than " + std::to_string(kLongestLine) + " bytes, which no timing record is");
        partial_ += text.substr(from);
        if (out.size() >= enough)
            return true;
    }
}

void CaptureReader::resume(const Mark& mark)
{
    timingAt_ = mark.timingAt;
    partial_ = mark.partial;
    lineNumber_ = mark.lineNumber;
    time_ = mark.time;
    // A mark from before the data file's first line was found reads from its end.
    dataNext_ = std::max(mark.dataNext, dataStart_);
}

bool CaptureReader::parseLine(std::string_view line, std::vector<Record>& out)
{
    ++lineNumber_;
    const auto bad = [&](const std::string& what) {
        return fail(serial::printable(paths_.timing) + " line " + std::to_string(lineNumber_) + ": " + what +
                    "; a capture's timing line reads \"H|O|I|S <seconds.microseconds> ...\"");
    };
    if (line.size() < 4 || line[1] != ' ')
        return bad("not a timing record");
    Record r;
    r.kind = line[0];
    const std::size_t delayEnd = line.find(' ', 2);
    const auto delay = parseDelay(line.substr(2, delayEnd == std::string_view::npos ? line.npos : delayEnd - 2));
    if (!delay)
        return bad("the delay \"" + serial::printable(line.substr(2, delayEnd - 2)) + "\" is not seconds with six decimals");
    const std::string_view rest = delayEnd == std::string_view::npos ? std::string_view{} : line.substr(delayEnd + 1);
    time_ += *delay;
    r.time = time_;
    switch (r.kind) {
    case kReceived:
    case kSent: {
        const auto count = parseCount(rest);
        if (!count)
            return bad("the byte count \"" + serial::printable(rest) + "\" is not a number");
        if (!dataHolds(*count))
            return fail(serial::printable(paths_.timing) + " line " + std::to_string(lineNumber_) + ": the record claims " +
                        std::to_string(*count) + " bytes, but " + serial::printable(paths_.data) + " holds only " +
                        std::to_string(std::max(0LL, dataSize_ - dataNext_)) + " more");
        r.offset = dataNext_;
        r.length = *count;
        dataNext_ += *count;
        break;
    }
    case kHeader:
    case kEvent: {
        const std::size_t space = rest.find(' ');
        r.name = std::string(rest.substr(0, space));
        if (space != std::string_view::npos)
            r.value = std::string(rest.substr(space + 1));
        if (r.kind == kHeader) {
            headers_[r.name] = r.value;
            if (r.name == "START_TIME")
                if (const auto start = parseStartTime(r.value))
                    start_ = *start;
        }
        break;
    }
    default:
        return bad("the kind '" + serial::printable(line.substr(0, 1)) + "' is none of H, O, I, S");
    }
    out.push_back(std::move(r));
    return true;
}

std::string CaptureReader::bytes(const Record& record, long long from)
{
    const long long want = std::min(record.length - from, kPieceBytes);
    if (want <= 0 || from < 0 || dataFd_ < 0)
        return {};
    const long long at = record.offset + from;
    const long long windowEnd = windowAt_ + static_cast<long long>(window_.size());
    if (at < windowAt_ || at + want > windowEnd) {
        window_.resize(kDataWindow);
        std::size_t got = 0;
        while (got < window_.size()) {
            const ssize_t n = ::pread(dataFd_, window_.data() + got, window_.size() - got, at + static_cast<long long>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        window_.resize(got);
        windowAt_ = at;
    }
    const long long skip = at - windowAt_;
    const long long available = static_cast<long long>(window_.size()) - skip;
    return window_.substr(static_cast<std::size_t>(skip), static_cast<std::size_t>(std::max(0LL, std::min(available, want))));
}

void CaptureReader::eachPiece(const Record& record, const std::function<void(std::string_view)>& take)
{
    for (long long from = 0; from < record.length;) {
        const std::string piece = bytes(record, from);
        if (piece.empty())
            return;
        take(piece);
        from += static_cast<long long>(piece.size());
    }
}

} // namespace serial::capture
