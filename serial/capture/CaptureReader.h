#pragma once
// Reads a capture back, also while it is still being written: each readMore() returns the
// records added since the last call. A record's bytes stay in the data file until asked for,
// and are handed out in pieces, so a day-long capture, or one huge record, costs memory only for
// what its reader keeps. Only regular files are opened, and a record claiming more bytes than the
// data file holds is refused before anything is allocated for it. Plain C++, no Qt.
#include "serial/capture/CaptureFormat.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace serial::capture {

struct Record {
    char kind = 0;          // kHeader, kReceived, kSent or kEvent
    long long time = 0;     // microseconds from the start of the capture
    long long offset = 0;   // received and sent: where the bytes start in the data file
    long long length = 0;   // received and sent: how many bytes
    std::string name;       // header and event: the record's name
    std::string value;      // header and event: the rest of its line
};

class CaptureReader {
public:
    explicit CaptureReader(CapturePaths paths);
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // Appends the records completed since the last call to `out`; a line still being written
    // waits for the next call. Stops early once `out` holds `enough` records, so a long
    // capture can be taken in pieces (call again until nothing comes). False when a file
    // cannot be read or is not a capture; error() then says which file, which line and what
    // was expected.
    bool readMore(std::vector<Record>& out, std::size_t enough = SIZE_MAX);
    const std::string& error() const { return error_; }

    // Where the reader stands between two readMore() calls; resume() reads on from there again
    // (a replay's seek goes back to a piece it read before without reading the capture again).
    struct Mark {
        long long timingAt = 0;
        std::string partial;
        long long lineNumber = 0;
        long long time = 0;
        long long dataNext = 0;
    };
    Mark mark() const { return {timingAt_, partial_, lineNumber_, time_, dataNext_}; }
    void resume(const Mark& mark);

    const CapturePaths& paths() const { return paths_; }
    // The header records seen so far, by name (PROGRAM, PORT, DEVICE, SETTINGS, START_TIME, ...).
    const std::map<std::string, std::string>& headers() const { return headers_; }
    // START_TIME as microseconds since the epoch; 0 while unknown.
    long long startEpochMicros() const { return start_; }
    // Time of the last record read.
    long long endTime() const { return time_; }

    // The most bytes() hands out at once.
    static constexpr long long kPieceBytes = 1 << 16;
    // Up to kPieceBytes of a received or sent record's bytes, from `from` on (cut short when
    // the data file is).
    std::string bytes(const Record& record, long long from = 0);
    // All of a record's bytes, piece by piece.
    void eachPiece(const Record& record, const std::function<void(std::string_view)>& take);

private:
    bool fail(std::string text);
    bool parseLine(std::string_view line, std::vector<Record>& out);
    bool findDataStart();
    bool openFile(const std::string& path, int& fd);
    // Whether the data file holds `count` more bytes after the records read so far.
    bool dataHolds(long long count);

    CapturePaths paths_;
    int timingFd_ = -1;
    long long timingAt_ = 0;    // how much of the timing file has been read
    int dataFd_ = -1;
    std::string partial_;
    long long lineNumber_ = 0;
    long long time_ = 0;
    long long dataStart_ = -1;  // after the data file's header line
    long long dataNext_ = 0;    // where the next record's bytes start
    long long dataSize_ = 0;    // the data file's size when last looked at
    long long start_ = 0;
    std::map<std::string, std::string> headers_;
    std::string error_;
    // A window of the data file, so reading records in order costs few system calls.
    std::string window_;
    long long windowAt_ = 0;
};

} // namespace serial::capture
