#include "toolkit/Dispatch.h"

#include "toolkit/Platform.h"

#include <exception>
#include <string>

namespace toolkit {

void dispatch(const std::function<void()>& handler)
{
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception& e) {
        showWarning(std::string("Unexpected error: ") + e.what());
    } catch (...) {
        showWarning("Unexpected error.");
    }
}

} // namespace toolkit
