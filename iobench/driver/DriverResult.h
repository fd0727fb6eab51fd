#pragma once
// What a driver call gives back: either the library's own result (0 means success), or, when the
// library or the entry point could not be found, an error saying why the call was not made.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "iobench/driver/EntryPoints.h"

namespace iobench {

struct DriverError {
    enum class Kind {
        LibraryNotFound,   // no place in the search order held a loadable library
        EntryPointMissing, // the library loaded but does not export the entry point
    };

    Kind kind = Kind::LibraryNotFound;
    EntryPoint entryPoint = EntryPoint::Close; // the call that was not made
    std::string library;                       // file name searched for, or path of the library loaded
    std::vector<std::string> placesLooked;     // one line per place, with why it did not serve
    std::string message;                       // complete text for a warning box
};

class DriverResult {
public:
    // Stored as the result of a call that was never made, so code that keeps only the number
    // (the bench's last_error) never mistakes it for success.
    static constexpr int32_t kNotPerformed = -1;

    // The library's result; implicit so that fakes can script plain numbers.
    DriverResult(int32_t code) : code_(code) {}
    DriverResult(DriverError error) : code_(kNotPerformed), error_(std::move(error)) {}

    bool performed() const { return !error_.has_value(); }
    bool succeeded() const { return performed() && code_ == 0; }
    // The library's result, or kNotPerformed when the call was not made.
    int32_t code() const { return code_; }
    // Set only when the call was not made.
    const std::optional<DriverError>& error() const { return error_; }

private:
    int32_t code_;
    std::optional<DriverError> error_;
};

} // namespace iobench
