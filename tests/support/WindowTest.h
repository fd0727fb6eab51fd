#pragma once
// The fixture of the tests that share one window: the harness `h` and its window `f`, with what
// the window sent at load already taken.
#include <gtest/gtest.h>

template <class Harness>
struct WindowTest : ::testing::Test {
    Harness h;
    typename Harness::FormType& f = *h.form;
    void SetUp() override { h.sent(); }
};
