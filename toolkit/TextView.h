#pragma once
// How a text box shows its text: the box keeps the exact text and selection and asks its view
// to show them, to read back the operator's edits, and to say how it treats Enter.
#include <Qt>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

class QWidget;

namespace toolkit {

class TextView {
public:
    virtual ~TextView() = default;
    virtual QWidget* widget() const = 0;
    // Brings the widget up to `text` with the selection given; `shown` is what it showed.
    virtual void show(const std::string& shown, const std::string& text, long selStart, long selLength) = 0;
    // Puts the display off to the next screen frame; false where the view always shows at once.
    virtual bool showLater() { return false; }
    // Whether a display is put off (input must not reach a widget that is behind).
    virtual bool behind() const { return false; }
    // What the widget holds now, as box text, and its selection there (start, length).
    virtual std::string edited() const = 0;
    virtual std::pair<long, long> selection(const std::string& text) const = 0;
    // What Enter types here: a line break, or nothing where Enter is the window's.
    virtual std::string_view lineBreak() const = 0;
    virtual void setReadOnly(bool readOnly) = 0;
    virtual void setAlignment(Qt::Alignment) {}
    virtual void setMasked(bool) {} // typed characters show as the password character
};

// What the widget's own changes run: its text edited, its cursor or selection moved, a display
// put off falling due.
struct TextViewEvents {
    std::function<void()> edited, moved, due;
};

std::unique_ptr<TextView> makeSingleLineView(const TextViewEvents& events);
std::unique_ptr<TextView> makeMultiLineView(int scrollBars, const TextViewEvents& events);

} // namespace toolkit
