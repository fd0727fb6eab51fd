#pragma once
// The command line that points a program of the kit at a simulator's line, printed at start so
// that the operator can copy it: "carscope --port 1=/tmp/hoistwise-com1".
#include <string>

namespace sim {

std::string connectCommand(const std::string& program, int port, const std::string& path);

} // namespace sim
