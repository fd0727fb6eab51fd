#pragma once
// The --help and --version texts. --help is also the source of the man pages (help2man), so
// it keeps help2man's layout: a usage line, one line of description, then sections headed by
// a line that ends in a colon.
#include "launch/ProgramEntry.h"

#include <string>

namespace launch {

std::string helpText(const Program& program);
std::string versionText(const Program& program);

} // namespace launch
