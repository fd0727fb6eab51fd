#pragma once
// The capture's command-line options and environment for the programs that open ports:
// --no-capture, --capture-dir DIR, --capture-limit SIZE, and HOISTWISE_NO_CAPTURE,
// HOISTWISE_CAPTURE_DIR, HOISTWISE_CAPTURE_LIMIT (the command line wins).
#include "serial/capture/CaptureSettings.h"

#include <QCommandLineOption>

#include <string>

class QCommandLineParser;

namespace launch {

class CaptureOptions {
public:
    // Adds the options to `parser` when `used`.
    CaptureOptions(QCommandLineParser& parser, bool used);
    // After parsing: fills `settings` (left off when the options are not used). Empty, or what
    // was wrong.
    std::string apply(const std::string& program, const std::string& version,
                      serial::capture::CaptureSettings& settings) const;

private:
    QCommandLineParser& parser_;
    bool used_;
    QCommandLineOption off_{"no-capture"};
    QCommandLineOption dir_{"capture-dir", {}, "DIR"};
    QCommandLineOption limit_{"capture-limit", {}, "SIZE"};
};

} // namespace launch
