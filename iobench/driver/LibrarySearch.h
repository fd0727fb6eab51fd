#pragma once
// Where the driver library is looked for. A set environment variable names the one file to load,
// and nothing else is tried: with real hardware at the bench, a mistyped path must not quietly
// bring up some other library. Without it, in order: the program's own folder, the system's
// library path, and last the kit's private folder, where the kit installs its simulated
// library, so that a vendor library installed on the system always wins over the simulator.
#include <optional>
#include <string>
#include <vector>

namespace iobench {

// The folder the kit installs its own libraries in (never on the system's library path).
std::string kitPrivateLibraryFolder();

struct LibraryPlace {
    std::string description; // how the place is named to the operator
    std::string loadName;    // what is handed to the loader; empty when the place cannot be tried
    std::string skipReason;  // why an untried place was skipped (variable not set, folder unknown)
    bool named = false;      // the file the operator named: the only place tried
};

struct LibrarySearch {
    std::string fileName = "libKestrel.so";
    std::string pathVariable = "KESTREL_LIBRARY";
    // Unset: the folder of /proc/self/exe. Tests point it elsewhere.
    std::optional<std::string> programFolder;
    bool systemPath = true;
    // The kit's private library folder; empty for none.
    std::string privateFolder = kitPrivateLibraryFolder();

    // The places in search order, with the environment as it stands now.
    std::vector<LibraryPlace> places() const;
};

// The folder holding the running program, or an empty string with `why` set.
std::string programFolderOfThisProcess(std::string& why);

} // namespace iobench
