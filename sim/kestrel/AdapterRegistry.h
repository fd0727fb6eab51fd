#pragma once
// The adapters open in this process, by handle. Handles count up from 1 and are never reused
// while the library stays loaded, so a closed handle stays invalid.
#include <cstdint>
#include <map>

#include "sim/kestrel/PointModel.h"

namespace kestrel_sim {

class AdapterRegistry {
public:
    static constexpr std::size_t kMaxOpen = 16;

    // The new adapter's handle, or 0 when kMaxOpen are already open.
    int32_t open(Scenario scenario);
    // Nullptr for a handle that is not open.
    PointModel* find(int32_t handle);
    bool close(int32_t handle) { return adapters_.erase(handle) == 1; }

private:
    std::map<int32_t, PointModel> adapters_;
    int32_t nextHandle_ = 1;
};

} // namespace kestrel_sim
