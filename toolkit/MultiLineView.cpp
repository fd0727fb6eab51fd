// A multi-line text box's widget: CR LF shows as one line break, a box written at a high rate
// is shown at most once per screen frame, and Enter types a line break.
#include "toolkit/Bytes.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextOps.h"
#include "toolkit/TextView.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

namespace toolkit {

namespace {
constexpr int kFrameMs = 16;

class MultiLineView final : public TextView {
public:
    MultiLineView(int scrollBars, const TextViewEvents& events)
    {
        area_->setUndoRedoEnabled(false); // the box keeps no history; memory stays flat
        area_->setTabChangesFocus(true);
        const bool horizontal = scrollBars & TextBox::Horizontal;
        area_->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        area_->setVerticalScrollBarPolicy((scrollBars & TextBox::Vertical) ? Qt::ScrollBarAlwaysOn
                                                                            : Qt::ScrollBarAlwaysOff);
        area_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        frameTimer_->setSingleShot(true);
        QObject::connect(area_, &QPlainTextEdit::textChanged, area_, events.edited);
        QObject::connect(area_, &QPlainTextEdit::cursorPositionChanged, area_, events.moved);
        QObject::connect(area_, &QPlainTextEdit::selectionChanged, area_, events.moved);
        QObject::connect(frameTimer_, &QTimer::timeout, area_, events.due);
    }
    QWidget* widget() const override { return area_; }
    void show(const std::string& shown, const std::string& text, long selStart, long selLength) override;
    bool showLater() override
    {
        if (!frameTimer_->isActive())
            frameTimer_->start(kFrameMs);
        return true;
    }
    bool behind() const override { return frameTimer_->isActive(); }
    std::string edited() const override
    {
        std::string out;
        for (QChar c : area_->toPlainText()) {
            if (c == QLatin1Char('\n'))
                out += '\r';
            out += byteOf(c);
        }
        return out;
    }
    std::pair<long, long> selection(const std::string& text) const override
    {
        const QTextCursor c = area_->textCursor();
        const long start = textPosition(text, c.selectionStart());
        return {start, textPosition(text, c.selectionEnd()) - start};
    }
    std::string_view lineBreak() const override { return "\r\n"; }
    void setReadOnly(bool readOnly) override { area_->setReadOnly(readOnly); }

private:
    QPlainTextEdit* area_ = new QPlainTextEdit;
    QTimer* frameTimer_ = new QTimer(area_);
};

void MultiLineView::show(const std::string& shown, const std::string& text, long selStart, long selLength)
{
    if (frameTimer_->isActive())
        frameTimer_->stop();
    if (text != shown) {
        // Text that only lost its front and gained a tail (the terminal's way) is applied as
        // two small edits; anything else is shown afresh.
        size_t dropped = droppedFront(shown, text);
        if (dropped == std::string::npos)
            dropped = shown.size();
        const bool incremental = dropped < shown.size() && !(shown.size() && shown.back() == '\r') &&
                                 !(dropped && shown[dropped - 1] == '\r' && shown[dropped] == '\n');
        if (incremental) {
            QTextCursor cursor(area_->document());
            if (dropped) {
                cursor.setPosition(0);
                cursor.setPosition(static_cast<int>(displayPosition(shown, static_cast<long>(dropped))),
                                   QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(toQt(displayText(std::string_view(text).substr(shown.size() - dropped))));
        } else {
            area_->setPlainText(toQt(displayText(text)));
        }
    }
    QTextCursor cursor = area_->textCursor();
    cursor.setPosition(static_cast<int>(displayPosition(text, selStart)));
    if (selLength > 0)
        cursor.setPosition(static_cast<int>(displayPosition(text, selStart + selLength)), QTextCursor::KeepAnchor);
    area_->setTextCursor(cursor);
    area_->ensureCursorVisible();
}
} // namespace

std::unique_ptr<TextView> makeMultiLineView(int scrollBars, const TextViewEvents& events)
{
    return std::make_unique<MultiLineView>(scrollBars, events);
}

} // namespace toolkit
