#include "sim/common/ConnectHint.h"

namespace sim {

std::string connectCommand(const std::string& program, int port, const std::string& path)
{
    const std::string argument = std::to_string(port) + "=" + path;
    // Quoted for the shell only when the path needs it; ' itself becomes '\''.
    if (argument.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-=+:,@%") ==
        std::string::npos)
        return program + " --port " + argument;
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return program + " --port " + quoted + "'";
}

} // namespace sim
