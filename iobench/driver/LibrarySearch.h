#pragma once
// Where the driver library is looked for, in order: the full path in an environment variable,
// the program's own folder, then the system's library path.
#include <optional>
#include <string>
#include <vector>

namespace iobench {

struct LibraryPlace {
    std::string description; // how the place is named to the operator
    std::string loadName;    // what is handed to the loader; empty when the place cannot be tried
    std::string skipReason;  // why an untried place was skipped (variable not set, folder unknown)
};

struct LibrarySearch {
    std::string fileName = "libKestrel.so";
    std::string pathVariable = "KESTREL_LIBRARY";
    // Unset: the folder of /proc/self/exe. Tests point it elsewhere.
    std::optional<std::string> programFolder;
    bool systemPath = true;

    // The places in search order, with the environment as it stands now.
    std::vector<LibraryPlace> places() const;
};

// The folder holding the running program, or an empty string with `why` set.
std::string programFolderOfThisProcess(std::string& why);

} // namespace iobench
