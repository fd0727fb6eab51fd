#include "iobench/FieldRefusal.h"

namespace iobench {

std::string fieldTitle(std::string_view fieldName)
{
    static const struct {
        const char* name;
        const char* title;
    } kTitles[] = {
        {"boardid_textbox", "Board ID or Base IO"}, {"busnumber_textbox", "Bus Number"},
        {"configmask_textbox", "Config Mask"},      {"writemask_textbox", "Write I/O Mask"},
        {"muston_textbox", "Must-On Mask"},         {"mustoff_textbox", "Must-Off Mask"},
    };
    for (const auto& t : kTitles)
        if (fieldName == t.name)
            return t.title;
    return std::string(fieldName);
}

std::string refusalMessage(std::string_view fieldName, std::string_view text, ReadingKind kind)
{
    const std::string shown = text.empty() ? std::string("nothing") : "\"" + std::string(text) + "\"";
    return "The " + fieldTitle(fieldName) + " field (" + std::string(fieldName) + ") holds " + shown
           + ", which it cannot take as a number.\nAccepted: " + acceptedForm(kind)
           + ".\nThe operation was not carried out; nothing was sent to the adapter.";
}

} // namespace iobench
