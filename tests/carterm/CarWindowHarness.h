#pragma once
// carscope's car window on the deterministic platform with an in-memory serial device.
#include "tests/support/FakeSerialBackend.h"
#include "carscope/ScopeForm1.h"
#include "toolkit/TestPlatform.h"

#include <memory>

struct CarWindowHarness {
    toolkit::TestPlatform platform;
    carterm::FakeSerialBackend* line = nullptr;
    std::unique_ptr<carterm::ScopeForm1> form;

    explicit CarWindowHarness(bool portWorks = true)
    {
        auto backend = std::make_unique<carterm::FakeSerialBackend>();
        line = backend.get();
        if (!portWorks)
            line->failOpen({8002, "COM1 (/dev/ttyS0): No such file or directory"});
        form = std::make_unique<carterm::ScopeForm1>(std::move(backend));
        form->load();
        form->show();
    }
    // What went out since the last look.
    std::string sent() { return line->takeSent(); }
};
