// A capture's two files read back together: the input is the timing file, a NUL, then the data
// file. Whatever they hold, the reader hands out no more bytes than the data file has, never
// a record reaching past it, and every record's time follows the one before.
#include "fuzz/FuzzCheck.h"
#include "serial/capture/CaptureWalk.h"

#include <fstream>
#include <unistd.h>

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string stem = "/tmp/fuzz_capture_reader." + std::to_string(::getpid());
    const std::string_view input = asText(data, size);
    const std::size_t cut = std::min(input.find('\0'), input.size());
    const std::string_view bytes = input.substr(std::min(cut + 1, input.size()));
    const serial::capture::CapturePaths paths = serial::capture::capturePaths(stem);
    std::ofstream(paths.timing, std::ios::binary | std::ios::trunc) << input.substr(0, cut);
    std::ofstream(paths.data, std::ios::binary | std::ios::trunc) << bytes;

    serial::capture::CaptureWalk walk;
    if (!walk.open(stem))
        check(!walk.error().empty(), "a capture refused says why");
    long long handed = 0;
    long long last = 0;
    walk.walk([&](const serial::capture::Record& r) {
        check(r.offset + r.length <= static_cast<long long>(bytes.size()), "no record reaches past the data file");
        check(r.time >= last, "records come in time order");
        last = r.time;
        walk.reader().eachPiece(r, [&](std::string_view piece) { handed += static_cast<long long>(piece.size()); });
    });
    check(handed <= static_cast<long long>(bytes.size()), "no more bytes than the data file holds");
    return 0;
}
