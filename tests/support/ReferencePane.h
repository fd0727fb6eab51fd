#pragma once
// A plain reference of the terminal append routine's rules, written step by step as the rules
// read, for the tests and fuzz targets that feed received text through the real one.
#include "carterm/TerminalAppend.h"

#include <algorithm>
#include <string>

struct ReferencePane {
    std::string text;
    long termSize = 0;

    // Returns the data as appended.
    std::string append(std::string data)
    {
        termSize = static_cast<long>(text.size());
        while (termSize >= carterm::kPaneLimit) {
            text.erase(0, carterm::kPaneTrim);
            termSize = static_cast<long>(text.size());
        }
        long selStart = termSize, selLength = 0;
        for (size_t i; (i = data.find('\b')) != std::string::npos;) {
            if (i == 0) {
                if (termSize >= 1)
                    selStart = termSize - 1; // before the start of an empty pane: step skipped
                selLength = std::min(1L, termSize - selStart);
                data.erase(0, 1);
            } else {
                data.erase(i - 1, 2);
            }
        }
        std::string normalised;
        for (char c : data) {
            if (c == '\n')
                continue;
            normalised += c;
            if (c == '\r')
                normalised += '\n';
        }
        text.replace(static_cast<size_t>(selStart), static_cast<size_t>(selLength), normalised);
        return normalised;
    }
};
