#pragma once
// The session log as the car window keeps it: a plain file opened for appending, identified by
// its file number (never 0, so that 0 can mean "no log"). Every write goes straight to the
// operating system with no buffering of our own, so a piece is safe once the write returns.
#include <cstddef>
#include <string>
#include <string_view>

namespace carterm::logfile {

// Whether `path` names something, for the open and transmit commands. A missing file is not an
// error; anything else the system reports (no permission on a folder, a name too long) is,
// with a text naming the path.
struct LookUp {
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;
    std::string error;
};
LookUp lookUp(const std::string& path);

// Empties an existing log before it is opened: a regular file (or a link to one) is deleted.
// Devices are left alone (they hold nothing to empty). Returns an error text, empty on success.
std::string removeForReplace(const std::string& path);

// Opens `path` for appending, creating a missing file. Only regular files and character devices
// are taken: a pipe or socket could stall the window on every write. Returns the file number,
// or 0 with `error` set.
int openForAppend(const std::string& path, std::string& error);

// Writes `data` in full, carrying on after partial writes. On failure returns the system's text
// and leaves in `written` how many bytes did reach the file, so a retry carries on from there.
std::string write(int fileNumber, std::string_view data, std::size_t& written);

void close(int fileNumber);

// The file's name without its folder ("/tmp/a/car.log" -> "car.log").
std::string baseName(const std::string& path);

} // namespace carterm::logfile
