#include "serial/capture/CaptureWalk.h"

namespace serial::capture {

namespace {
constexpr std::size_t kPiece = 1 << 16;
} // namespace

bool CaptureWalk::open(const std::string& given)
{
    reader_ = std::make_unique<CaptureReader>(capturePaths(given));
    error_.clear();
    piece_.clear();
    if (!readPiece())
        return false;
    // A capture starts with its header records; a file without them is something else.
    if (reader_->headers().empty())
        error_ = reader_->paths().timing + ": not a capture: no header records in it";
    return error_.empty();
}

bool CaptureWalk::readPiece()
{
    if (!reader_->readMore(piece_, kPiece))
        error_ = reader_->error();
    return error_.empty();
}

bool CaptureWalk::walk(const std::function<void(const Record&)>& take)
{
    if (!reader_)
        return false;
    bool any = false;
    for (;;) {
        if (piece_.empty() && error_.empty())
            readPiece();
        if (piece_.empty())
            break;
        for (const Record& r : piece_)
            take(r);
        piece_.clear();
        any = true;
    }
    piece_.shrink_to_fit();
    return any;
}

} // namespace serial::capture
