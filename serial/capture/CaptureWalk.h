#pragma once
// A capture opened and walked record by record: how --replay, the replay itself, its fault index
// and cartrace all read one. The walk goes in pieces, so a day-long capture never holds all its
// records at once, and walking again follows a capture still being written. Plain C++, no Qt.
#include "serial/capture/CaptureReader.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace serial::capture {

class CaptureWalk {
public:
    // Opens the capture named by either of its files or their stem. False when a file cannot be
    // read or what it names is not a capture ("<file>: not a capture: <why>"); error() says so.
    bool open(const std::string& given);
    // Hands every record added since the last walk to `take`; true when there was any. A file
    // that fails on the way ends the walk with error().
    bool walk(const std::function<void(const Record&)>& take);
    const std::string& error() const { return error_; }

    // For the headers and the bytes of a record; only once opened.
    bool opened() const { return reader_ != nullptr; }
    CaptureReader& reader() { return *reader_; }
    const CaptureReader& reader() const { return *reader_; }

private:
    bool readPiece();

    std::unique_ptr<CaptureReader> reader_;
    std::vector<Record> piece_;   // open() reads the first piece; the first walk hands it on
    std::string error_;
};

} // namespace serial::capture
