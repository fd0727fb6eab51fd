#include "carwatch/Log.h"

#include <algorithm>
#include <cstdio>

namespace carwatch::log {

namespace {

void line(int priority, std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::fprintf(stderr, "<%d>%s\n", priority, text.c_str());
}

} // namespace

void error(const std::string& text) { line(3, text); }
void warning(const std::string& text) { line(4, text); }
void notice(const std::string& text) { line(5, text); }
void info(const std::string& text) { line(6, text); }

} // namespace carwatch::log
