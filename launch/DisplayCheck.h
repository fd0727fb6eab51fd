#pragma once
// Qt aborts the program when its platform plugin finds no display. This tells beforehand.
#include <string>

namespace launch {

// Empty when a display, or a platform that needs none (QT_QPA_PLATFORM=offscreen), is there;
// otherwise the one line that says what is missing and how to get it.
std::string missingDisplay(const std::string& program, const std::string& platformArgument = {});

} // namespace launch
