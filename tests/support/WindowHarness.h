#pragma once
// A window, or a whole program, on the deterministic platform with an in-memory serial device:
// the fake line, the window built on it, loaded and shown. The test plays the far end of the
// line; everything happens at once, on the calling thread.
#include "tests/support/FakeSerialBackend.h"
#include "toolkit/TestPlatform.h"

#include <memory>
#include <string>

// How the window comes up: with a port that opens or one whose device is missing, shown or
// only loaded (the benchmarks and fuzz targets leave it hidden).
struct WindowStart {
    WindowStart(bool portWorks = true, bool shown = true) : portWorks(portWorks), shown(shown) {}
    bool portWorks;
    bool shown;
};

template <class Form>
struct WindowHarness {
    using FormType = Form;

    toolkit::TestPlatform platform;
    carterm::FakeSerialBackend* line = nullptr;
    std::unique_ptr<Form> form;

    // `before` are what the window takes ahead of its line (the bench's driver). A program
    // (it has a Main) starts itself instead of being loaded and shown.
    template <class... Before>
    explicit WindowHarness(WindowStart start = {}, Before&... before)
    {
        auto backend = std::make_unique<carterm::FakeSerialBackend>();
        line = backend.get();
        if (!start.portWorks)
            line->failOpen({8002, "No such file or directory"});
        form = std::make_unique<Form>(before..., std::move(backend));
        if constexpr (requires(Form& f) { f.Main(); }) {
            form->Main();
        } else {
            form->load();
            if (start.shown)
                form->show();
        }
    }
    // What went out since the last look.
    std::string sent() { return line->takeSent(); }
};
