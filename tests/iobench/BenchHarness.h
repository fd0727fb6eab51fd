#pragma once
// The bench window on the deterministic platform, with a scripted driver and an in-memory modem
// line. `comm3Works` false makes the port fail to open at load.
#include "iobench/driver/FakeAdapterDriver.h"
#include "tests/support/FakeSerialBackend.h"
#include "iobench/Packed_Form.h"
#include "toolkit/TestPlatform.h"

#include <memory>
#include <string>

struct BenchHarness {
    toolkit::TestPlatform platform;
    iobench::FakeAdapterDriver driver;
    carterm::FakeSerialBackend* line = nullptr;
    std::unique_ptr<iobench::Packed_Form> form;

    explicit BenchHarness(bool comm3Works = true)
    {
        auto backend = std::make_unique<carterm::FakeSerialBackend>();
        line = backend.get();
        if (!comm3Works)
            line->failOpen({8002, "No such file or directory"});
        form = std::make_unique<iobench::Packed_Form>(driver, std::move(backend));
        form->load();
        form->show();
    }

    // What went to the modem since the last look.
    std::string sent() { return line->takeSent(); }

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
