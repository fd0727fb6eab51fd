#include "launch/CaptureOptions.h"

#include "serial/OutsideText.h"
#include "serial/capture/CaptureFolder.h"

#include <QCommandLineParser>

#include <cstdlib>

namespace launch {

namespace {
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
} // namespace

CaptureOptions::CaptureOptions(QCommandLineParser& parser, bool used) : parser_(parser), used_(used)
{
    if (used_)
        parser_.addOptions({off_, dir_, limit_});
}

std::string CaptureOptions::apply(const std::string& program, const std::string& version,
                                  serial::capture::CaptureSettings& settings) const
{
    if (!used_)
        return {};
    const std::string off = environment("HOISTWISE_NO_CAPTURE");
    settings.enabled = !parser_.isSet(off_) && (off.empty() || off == "0");
    settings.program = program;
    settings.version = version;
    settings.folder = parser_.isSet(dir_) ? parser_.value(dir_).toStdString() : environment("HOISTWISE_CAPTURE_DIR");
    if (settings.folder.empty())
        settings.folder = serial::capture::defaultCaptureFolder();
    const bool limitGiven = parser_.isSet(limit_);
    const std::string limit = limitGiven ? parser_.value(limit_).toStdString() : environment("HOISTWISE_CAPTURE_LIMIT");
    if (!limit.empty()) {
        const auto bytes = serial::capture::parseCaptureLimit(limit);
        const std::string given = std::string(limitGiven ? "--capture-limit" : "HOISTWISE_CAPTURE_LIMIT") + " \"" +
                                  serial::printable(limit) + "\"";
        if (!bytes)
            return given + " is not a size: give bytes, or a number with K, M or G, for example 500M.";
        if (*bytes < serial::capture::kSmallestCaptureLimit)
            return given + " is too small for a session to start in; the smallest limit is " +
                   serial::capture::captureLimitText(serial::capture::kSmallestCaptureLimit) + ".";
        settings.limitBytes = *bytes;
    }
    return {};
}

} // namespace launch
