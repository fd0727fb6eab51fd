#pragma once
// The bench window on the deterministic platform, with a scripted driver and an in-memory modem
// line.
#include "iobench/Packed_Form.h"
#include "iobench/driver/FakeAdapterDriver.h"
#include "tests/support/WindowHarness.h"

// The scripted driver, made before the window that uses it and gone after it.
struct BenchDriver {
    iobench::FakeAdapterDriver driver;
};

struct BenchHarness : BenchDriver, WindowHarness<iobench::Packed_Form> {
    explicit BenchHarness(WindowStart start = {}) : WindowHarness(start, driver) {}

    // Opens a KX9 by the default base address and configures the points, as a technician does
    // first; forgets the calls and what was sent.
    void openAndConfigure()
    {
        form->open_kx9_button.click();
        form->configpoints_button.click();
        driver.clearCalls();
        sent();
    }
};

inline constexpr int32_t kPassPattern = static_cast<int32_t>(0xFF00FF03u);
inline constexpr int32_t kLowPattern = static_cast<int32_t>(0xFF00FF02u);
