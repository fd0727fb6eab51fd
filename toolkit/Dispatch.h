#pragma once
#include <functional>

namespace toolkit {

// Runs a handler from the event loop. An exception escaping it never ends the program: it is
// shown in a warning box and the event loop goes on.
void dispatch(const std::function<void()>& handler);

} // namespace toolkit
