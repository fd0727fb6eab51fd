#include "sim/kestrel/AdapterRegistry.h"

#include <limits>

namespace kestrel_sim {

int32_t AdapterRegistry::open(Scenario scenario)
{
    if (adapters_.size() >= kMaxOpen)
        return 0;
    while (adapters_.count(nextHandle_) != 0)
        ++nextHandle_;
    const int32_t handle = nextHandle_;
    nextHandle_ = handle == std::numeric_limits<int32_t>::max() ? 1 : handle + 1;
    adapters_.emplace(handle, PointModel(std::move(scenario)));
    return handle;
}

PointModel* AdapterRegistry::find(int32_t handle)
{
    auto found = adapters_.find(handle);
    return found == adapters_.end() ? nullptr : &found->second;
}

} // namespace kestrel_sim
