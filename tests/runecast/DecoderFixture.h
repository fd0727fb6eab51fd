#pragma once
// A loaded decoder window on the test platform, with the operator's moves as helpers.
#include "runecast/runecast.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TestPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

struct DecoderTest : ::testing::Test {
    toolkit::TestPlatform platform;
    runecast::runecast w;

    // The bank's indicators top row first: '1' lit, '.' dark.
    static std::string lit(const runecast::Indicators& indicators)
    {
        std::string out;
        for (const auto& box : indicators)
            out += box->visible() ? '1' : '.';
        return out;
    }

    // Selects the whole text, so the next typed key replaces it.
    static void selectAll(toolkit::TextBox& box)
    {
        box.setSelStart(0);
        box.setSelLength(static_cast<long>(box.text().size()));
    }

    // A key that types nothing (Shift) pressed and released: only the key-release handling runs.
    static void releaseKey(toolkit::TextBox& box) { box.userKey(toolkit::kKeyShift, 0); }

    // What the fault lookup shows: description, then which notes are up.
    std::string shown() const
    {
        return w.Text31.text() + (w.Text32.visible() ? " [32]" : "") + (w.Text33.visible() ? " [33]" : "");
    }
};
