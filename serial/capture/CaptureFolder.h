#pragma once
// The folder the captures go to: one pair of files a session, named by program, port and the
// UTC time the session started, and a cap on the folder's size that removes whole sessions,
// oldest first. A session still being written is locked and never removed. Plain C++, no Qt.
#include "serial/capture/CaptureFormat.h"

#include <chrono>
#include <optional>
#include <string>

namespace serial::capture {

// $XDG_STATE_HOME/hoistwise/captures, or ~/.local/state/hoistwise/captures.
std::string defaultCaptureFolder();

// A new session's two files, created (never replacing one) and locked for as long as
// `timingFd` stays open.
struct NewCapture {
    int timingFd = -1;
    int dataFd = -1;
    CapturePaths paths;
};
// "carscope-COM1-20261209T090148Z" in `folder` (made when missing), with "-2", "-3", ... when
// that name is taken. Nothing, with `error` saying why, when the folder cannot take them.
std::optional<NewCapture> createCapture(const std::string& folder, const std::string& program,
                                        const std::string& port, std::chrono::system_clock::time_point start,
                                        std::string& error);

// Removes sessions, the least recently written first, until the captures in `folder` take at
// most `limit` bytes; `keep` (a stem) and sessions other programs are writing stay. Only whole
// pairs named as createCapture() names them count: nothing else in the folder is touched.
// Returns the bytes the captures still take.
long long pruneCaptures(const std::string& folder, long long limit, const std::string& keep);

} // namespace serial::capture
