#pragma once
// The fixture of the bench window tests: the harness `h`, its window `f` and its driver.
#include "tests/iobench/BenchHarness.h"
#include "tests/support/WindowTest.h"

struct BenchTest : WindowTest<BenchHarness> {
    iobench::FakeAdapterDriver& driver = h.driver;
};
