#pragma once
// A text box whose text is a byte string (CR LF are two characters). The box owns the exact
// text; its view only shows it. Assigning a different text runs onChange at once, nested in
// the assignment; assigning the same text runs nothing. The operator's edits run the same
// handler. Keys reach onKeyDown, onKeyPress (which may consume the key by setting it to 0, or
// change it) and onKeyUp before the box applies its own edit.
#include "toolkit/Control.h"
#include "toolkit/Label.h"

#include <memory>

namespace toolkit {

class TextView;

class TextBox : public Control {
public:
    enum class Kind { SingleLine, MultiLine };
    enum ScrollBars { NoScrollBars = 0, Horizontal = 1, Vertical = 2, BothScrollBars = 3 };

    TextBox(Container& parent, std::string name, Kind kind = Kind::SingleLine, int scrollBars = NoScrollBars);
    ~TextBox() override;

    const std::string& text() const { return text_; }
    void setText(std::string_view t);

    // The insertion point (0-based, in characters) and selection.
    long selStart() const { return selStart_; }
    // A negative insertion point is an error: nothing changes and false is returned. A point
    // past the end moves to the end. Setting it clears the selection.
    bool setSelStart(long pos);
    long selLength() const { return selLength_; }
    void setSelLength(long len); // cut short at the end of the text
    std::string selText() const;
    // Replaces the selection (or inserts at the insertion point) and leaves the insertion
    // point after the new text.
    void setSelText(std::string_view replacement);

    void setAlignment(Align a);
    void setPasswordChar(char c);
    // A locked box keeps its text against the operator's keys (its key handlers still run);
    // the program can still set it.
    void setLocked(bool locked);
    bool locked() const { return locked_; }
    // For boxes written at a high rate: the widget follows the text at most once per screen
    // frame, and is brought fully up to date before any input reaches it.
    void setHighRate(bool highRate) { highRate_ = highRate; }
    void flushDisplay();
    // How many times the widget has been brought up to date (for measurements).
    long displayUpdates() const { return displayUpdates_; }

    // The operator's keys, as the real widget delivers them: KeyDown, KeyPress (which may
    // consume or change the character), the box's own edit, KeyUp. For tests and for replaying.
    void userKey(int keyCode, int ascii, int shift = 0);
    void type(std::string_view characters);

    std::function<void()> onChange;
    std::function<void(int& ascii)> onKeyPress;
    std::function<void(int keyCode, int shift)> onKeyDown;
    std::function<void(int keyCode, int shift)> onKeyUp;

protected:
    bool filterEvent(QEvent* event) override;

private:
    TextBox(Container& parent, std::string name, std::unique_ptr<TextView> view);
    void replace(size_t start, size_t length, std::string_view with);
    void defaultEdit(int ascii);
    void textChangedBy(bool user);
    void scheduleDisplay();
    void takeUserEdit();
    void takeUserCursor();

    std::unique_ptr<TextView> view_;
    std::string text_;
    long selStart_ = 0;
    long selLength_ = 0;
    bool highRate_ = false;
    bool locked_ = false;
    bool updatingWidget_ = false;
    // What the widget shows, as box text, so that updates can be incremental.
    std::string shown_;
    long displayUpdates_ = 0;
};

} // namespace toolkit
