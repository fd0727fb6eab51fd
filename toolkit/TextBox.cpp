#include "toolkit/TextBox.h"

#include "toolkit/ControlHost.h"
#include "toolkit/Dispatch.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TextOps.h"
#include "toolkit/TextView.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>

#include <algorithm>
#include <tuple>
#include <utility>

namespace toolkit {

TextBox::TextBox(Container& parent, std::string name, Kind kind, int scrollBars)
    : TextBox(parent, std::move(name), [&] {
          // Bound before the box is built; nothing runs them until it is.
          const TextViewEvents events{[this] { takeUserEdit(); }, [this] { takeUserCursor(); },
                                      [this] { flushDisplay(); }};
          return kind == Kind::MultiLine ? makeMultiLineView(scrollBars, events) : makeSingleLineView(events);
      }())
{
}

TextBox::TextBox(Container& parent, std::string name, std::unique_ptr<TextView> view)
    : Control(parent, std::move(name), view->widget()), view_(std::move(view))
{
}

TextBox::~TextBox() = default;

void TextBox::setText(std::string_view t)
{
    if (t == text_)
        return;
    text_ = std::string(t);
    selStart_ = 0;
    selLength_ = 0;
    textChangedBy(false);
}

bool TextBox::setSelStart(long pos)
{
    if (pos < 0)
        return false;
    selStart_ = std::min<long>(pos, static_cast<long>(text_.size()));
    selLength_ = 0;
    scheduleDisplay();
    return true;
}

void TextBox::setSelLength(long len)
{
    selLength_ = std::clamp<long>(len, 0, static_cast<long>(text_.size()) - selStart_);
    scheduleDisplay();
}

std::string TextBox::selText() const
{
    return text_.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_));
}

void TextBox::setSelText(std::string_view replacement)
{
    replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), replacement);
}

void TextBox::replace(size_t start, size_t length, std::string_view with)
{
    start = std::min(start, text_.size());
    length = std::min(length, text_.size() - start);
    const bool changes = length != with.size() || text_.compare(start, length, with) != 0;
    if (start == text_.size())
        text_.append(with);
    else
        text_.replace(start, length, with);
    selStart_ = static_cast<long>(start + with.size());
    selLength_ = 0;
    if (changes)
        textChangedBy(false);
    else
        scheduleDisplay();
}

void TextBox::textChangedBy(bool user)
{
    scheduleDisplay();
    if (user)
        dispatch(onChange);
    else if (onChange)
        onChange();
}

void TextBox::setAlignment(Align a)
{
    view_->setAlignment(a == Align::Center ? Qt::AlignHCenter : a == Align::Right ? Qt::AlignRight : Qt::AlignLeft);
}

void TextBox::setPasswordChar(char c)
{
    view_->setMasked(c != 0);
    if (c)
        widget()->setStyleSheet(QStringLiteral("lineedit-password-character: %1").arg(static_cast<int>(c)));
}

void TextBox::setLocked(bool locked)
{
    locked_ = locked;
    view_->setReadOnly(locked);
}

void TextBox::scheduleDisplay()
{
    if (!highRate_ || !view_->showLater())
        flushDisplay();
}

void TextBox::flushDisplay()
{
    updatingWidget_ = true;
    view_->show(shown_, text_, selStart_, selLength_);
    shown_ = text_;
    ++displayUpdates_;
    updatingWidget_ = false;
}

void TextBox::takeUserEdit()
{
    if (updatingWidget_)
        return;
    const std::string now = view_->edited();
    if (locked_ || !widget()->isEnabled()) {
        // The box keeps its text against the operator: the widget goes back to it.
        shown_ = now;
        QMetaObject::invokeMethod(widget(), [this] { flushDisplay(); }, Qt::QueuedConnection);
        return;
    }
    if (shown_ != text_) {
        // A high-rate box whose widget was still behind: the edit applies to the newer text.
        auto [edited, end] = carryEdit(shown_, now, text_);
        shown_ = now;
        if (edited == text_) {
            scheduleDisplay();
            return;
        }
        text_ = std::move(edited);
        selStart_ = static_cast<long>(end);
        selLength_ = 0;
        textChangedBy(true);
        return;
    }
    shown_ = now;
    if (now == text_)
        return;
    text_ = now;
    takeUserCursor();
    textChangedBy(true);
}

void TextBox::takeUserCursor()
{
    if (!updatingWidget_)
        std::tie(selStart_, selLength_) = view_->selection(text_);
}

void TextBox::defaultEdit(int ascii)
{
    if (locked_)
        return;
    switch (ascii) {
    case kKeyBack:
        if (selLength_ > 0) {
            replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), {});
        } else if (selStart_ > 0) {
            const size_t at = static_cast<size_t>(selStart_);
            const bool pair = at >= 2 && text_[at - 1] == '\n' && text_[at - 2] == '\r';
            replace(at - (pair ? 2 : 1), pair ? 2 : 1, {});
        }
        return;
    case kKeyReturn:
        if (!view_->lineBreak().empty())
            setSelText(view_->lineBreak());
        return;
    case kKeyEscape:
        return;
    default:
        setSelText(std::string(1, static_cast<char>(ascii)));
    }
}

void TextBox::userKey(int keyCode, int ascii, int shift)
{
    if (onKeyDown)
        onKeyDown(keyCode, shift);
    if (ascii) {
        if (onKeyPress)
            onKeyPress(ascii);
        if (ascii)
            defaultEdit(ascii);
    }
    if (onKeyUp)
        onKeyUp(keyCode, shift);
}

void TextBox::type(std::string_view characters)
{
    for (char ch : characters) {
        const int ascii = static_cast<unsigned char>(ch);
        int code = ascii;
        if (ascii >= 'a' && ascii <= 'z')
            code = ascii - 'a' + 'A';
        userKey(code, ascii, 0);
    }
}

bool TextBox::filterEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        flushDisplay();
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyCodeOf(*key);
        const int shift = shiftOf(*key);
        if (code == kKeyTab)
            return false;
        // Escape is the window's; so is Enter where it types no line break.
        const bool dialogKey = code == kKeyEscape || (code == kKeyReturn && view_->lineBreak().empty());
        if (dialogKey && controlHost().dialogKey(code, widget()))
            return true;
        dispatch([&] {
            if (onKeyDown)
                onKeyDown(code, shift);
        });
        int ascii = asciiOf(*key);
        if (!ascii)
            return false; // movement keys, Delete and shortcuts are the widget's own
        dispatch([&] {
            if (onKeyPress)
                onKeyPress(ascii);
            if (ascii)
                defaultEdit(ascii);
        });
        return true;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyCodeOf(*key);
        const int shift = shiftOf(*key);
        dispatch([&] {
            if (onKeyUp)
                onKeyUp(code, shift);
        });
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
    case QEvent::InputMethod:
    case QEvent::Wheel:
        if (view_->behind())
            flushDisplay();
        return false;
    default:
        return false;
    }
}

} // namespace toolkit
