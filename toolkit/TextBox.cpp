#include "toolkit/TextBox.h"

#include "toolkit/Button.h"
#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/Window.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace toolkit {

namespace {
constexpr int kFrameMs = 16;

bool isPairedCr(std::string_view t, size_t i) { return t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n'; }

std::string fromDisplay(const QString& shown)
{
    std::string out;
    out.reserve(static_cast<size_t>(shown.size()) + 64);
    for (QChar c : shown) {
        if (c == QLatin1Char('\n'))
            out += "\r\n";
        else
            out.push_back(byteOf(c));
    }
    return out;
}

// How many characters `now` lost from the front of `before` when it only lost its front and
// gained a tail (the terminal's way); npos when it changed otherwise.
size_t droppedFront(const std::string& before, const std::string& now)
{
    if (now.size() >= before.size() && now.compare(0, before.size(), before) == 0)
        return 0;
    for (size_t d = 1; d < before.size() && d <= 65536; ++d) {
        const size_t keep = before.size() - d;
        if (keep <= now.size() && now.compare(0, keep, before, d, keep) == 0)
            return d;
    }
    return std::string::npos;
}

// The widget's edit of what it showed (`shown` became `edited`), applied to the box's newer
// text. Returns the text and where the edit ends in it.
std::pair<std::string, size_t> carryEdit(const std::string& shown, const std::string& edited, std::string text)
{
    size_t prefix = 0;
    while (prefix < shown.size() && prefix < edited.size() && shown[prefix] == edited[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < shown.size() - prefix && suffix < edited.size() - prefix &&
           shown[shown.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
        ++suffix;
    const size_t dropped = droppedFront(shown, text);
    const size_t shift = dropped == std::string::npos ? 0 : dropped;
    const size_t removedEnd = shown.size() - suffix;
    const size_t start = std::min(prefix > shift ? prefix - shift : 0, text.size());
    const size_t end = std::clamp(removedEnd > shift ? removedEnd - shift : 0, start, text.size());
    const std::string inserted = edited.substr(prefix, edited.size() - suffix - prefix);
    text.replace(start, end - start, inserted);
    return {std::move(text), start + inserted.size()};
}
} // namespace

QString displayText(std::string_view text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        if (isPairedCr(text, i))
            continue;
        out.append(text[i] == '\r' ? QChar(u'\n') : charOf(text[i]));
    }
    return out;
}

long displayPosition(std::string_view text, long pos)
{
    long shown = 0;
    for (size_t i = 0; i < text.size() && static_cast<long>(i) < pos; ++i)
        if (!isPairedCr(text, i))
            ++shown;
    return shown;
}

long textPosition(std::string_view text, long displayPos)
{
    long shown = 0;
    size_t i = 0;
    for (; i < text.size() && shown < displayPos; ++i)
        if (!isPairedCr(text, i))
            ++shown;
    return static_cast<long>(i);
}

TextBox::TextBox(Container& parent, std::string name, Kind kind, int scrollBars)
    : Control(parent, std::move(name), kind == Kind::SingleLine ? static_cast<QWidget*>(new QLineEdit)
                                                                : static_cast<QWidget*>(new QPlainTextEdit)),
      kind_(kind)
{
    if (kind == Kind::SingleLine) {
        line_ = static_cast<QLineEdit*>(widget());
        // Every change the widget makes itself (keys the box leaves to it, paste, drag and drop,
        // input methods, assistive technology) comes back here; the box's own updates are silent.
        QObject::connect(line_, &QLineEdit::textChanged, line_, [this] { takeUserEdit(); });
        QObject::connect(line_, &QLineEdit::cursorPositionChanged, line_, [this] { takeUserCursor(); });
        QObject::connect(line_, &QLineEdit::selectionChanged, line_, [this] { takeUserCursor(); });
    } else {
        area_ = static_cast<QPlainTextEdit*>(widget());
        area_->setUndoRedoEnabled(false); // the box keeps no history; memory stays flat
        area_->setTabChangesFocus(true);
        area_->setLineWrapMode((scrollBars & Horizontal) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        area_->setVerticalScrollBarPolicy((scrollBars & Vertical) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        area_->setHorizontalScrollBarPolicy((scrollBars & Horizontal) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        QObject::connect(area_, &QPlainTextEdit::textChanged, area_, [this] { takeUserEdit(); });
        QObject::connect(area_, &QPlainTextEdit::cursorPositionChanged, area_, [this] { takeUserCursor(); });
        QObject::connect(area_, &QPlainTextEdit::selectionChanged, area_, [this] { takeUserCursor(); });
        frameTimer_ = new QTimer(area_);
        frameTimer_->setSingleShot(true);
        QObject::connect(frameTimer_, &QTimer::timeout, area_, [this] { flushDisplay(); });
    }
}

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
    const Qt::Alignment h = a == Align::Center ? Qt::AlignHCenter : a == Align::Right ? Qt::AlignRight : Qt::AlignLeft;
    if (line_)
        line_->setAlignment(h | Qt::AlignVCenter);
}

void TextBox::setPasswordChar(char c)
{
    if (line_)
        line_->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
    if (c)
        widget()->setStyleSheet(QStringLiteral("lineedit-password-character: %1").arg(static_cast<int>(c)));
}

void TextBox::setLocked(bool locked)
{
    locked_ = locked;
    if (line_)
        line_->setReadOnly(locked);
    else
        area_->setReadOnly(locked);
}

void TextBox::scheduleDisplay()
{
    if (line_) {
        flushDisplay();
        return;
    }
    if (!highRate_) {
        flushDisplay();
        return;
    }
    if (!frameTimer_->isActive())
        frameTimer_->start(kFrameMs);
}

void TextBox::flushDisplay()
{
    updatingWidget_ = true;
    if (line_) {
        const QSignalBlocker block(line_);
        if (fromQt(line_->text()) != text_)
            line_->setText(toQt(text_));
        if (selLength_ > 0)
            line_->setSelection(static_cast<int>(selStart_), static_cast<int>(selLength_));
        else
            line_->setCursorPosition(static_cast<int>(selStart_));
    } else {
        if (frameTimer_->isActive())
            frameTimer_->stop();
        showMultiLine();
    }
    ++displayUpdates_;
    updatingWidget_ = false;
}

void TextBox::showMultiLine()
{
    if (text_ != shown_) {
        // Text that only lost its front and gained a tail (the terminal's way) is applied as
        // two small edits; anything else is shown afresh.
        size_t dropped = droppedFront(shown_, text_);
        if (dropped == std::string::npos)
            dropped = shown_.size();
        const bool incremental = dropped < shown_.size() && !(shown_.size() && shown_.back() == '\r') &&
                                 !(dropped && shown_[dropped - 1] == '\r' && shown_[dropped] == '\n');
        if (incremental) {
            QTextCursor cursor(area_->document());
            if (dropped) {
                cursor.setPosition(0);
                cursor.setPosition(static_cast<int>(displayPosition(shown_, static_cast<long>(dropped))),
                                   QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(displayText(std::string_view(text_).substr(shown_.size() - dropped)));
        } else {
            area_->setPlainText(displayText(text_));
        }
        shown_ = text_;
    }
    QTextCursor cursor = area_->textCursor();
    cursor.setPosition(static_cast<int>(displayPosition(text_, selStart_)));
    if (selLength_ > 0)
        cursor.setPosition(static_cast<int>(displayPosition(text_, selStart_ + selLength_)), QTextCursor::KeepAnchor);
    area_->setTextCursor(cursor);
    area_->ensureCursorVisible();
}

void TextBox::takeUserEdit()
{
    if (updatingWidget_)
        return;
    const std::string now = line_ ? fromQt(line_->text()) : fromDisplay(area_->toPlainText());
    if (locked_ || !widget()->isEnabled()) {
        // The box keeps its text against the operator: the widget goes back to it.
        if (area_)
            shown_ = now;
        QMetaObject::invokeMethod(widget(), [this] { flushDisplay(); }, Qt::QueuedConnection);
        return;
    }
    if (area_ && shown_ != text_) {
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
    if (area_)
        shown_ = now;
    if (now == text_)
        return;
    text_ = now;
    takeUserCursor();
    textChangedBy(true);
}

void TextBox::takeUserCursor()
{
    if (updatingWidget_)
        return;
    if (line_) {
        if (line_->hasSelectedText()) {
            selStart_ = line_->selectionStart();
            selLength_ = static_cast<long>(line_->selectedText().size());
        } else {
            selStart_ = line_->cursorPosition();
            selLength_ = 0;
        }
    } else {
        const QTextCursor c = area_->textCursor();
        selStart_ = textPosition(text_, c.selectionStart());
        selLength_ = textPosition(text_, c.selectionEnd()) - selStart_;
    }
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
        if (kind_ == Kind::MultiLine)
            setSelText("\r\n");
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
        if (ascii && !(keyCode == kKeyReturn && kind_ == Kind::SingleLine))
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
        if (code == kKeyReturn && kind_ == Kind::SingleLine && window().defaultButton()) {
            dispatch([this] { window().defaultButton()->click(); });
            return true;
        }
        if (code == kKeyEscape && window().cancelButton()) {
            dispatch([this] { window().cancelButton()->click(); });
            return true;
        }
        if (code == kKeyEscape && window().escapeCloses()) {
            dispatch([this] { window().unload(); });
            return true;
        }
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
            if (ascii && !(code == kKeyReturn && kind_ == Kind::SingleLine))
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
        if (area_ && frameTimer_->isActive())
            flushDisplay();
        return false;
    default:
        return false;
    }
}

} // namespace toolkit
