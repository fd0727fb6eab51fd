// A one-line text box's widget: it always shows the box's text at once, and Enter is the
// window's.
#include "toolkit/Bytes.h"
#include "toolkit/TextView.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace toolkit {

namespace {
class SingleLineView final : public TextView {
public:
    explicit SingleLineView(const TextViewEvents& events)
    {
        // Every change the widget makes itself (keys the box leaves to it, paste, drag and drop,
        // input methods, assistive technology) comes back to the box; its own updates are silent.
        QObject::connect(line_, &QLineEdit::textChanged, line_, events.edited);
        QObject::connect(line_, &QLineEdit::cursorPositionChanged, line_, events.moved);
        QObject::connect(line_, &QLineEdit::selectionChanged, line_, events.moved);
    }
    QWidget* widget() const override { return line_; }
    void show(const std::string&, const std::string& text, long selStart, long selLength) override
    {
        const QSignalBlocker block(line_);
        if (fromQt(line_->text()) != text)
            line_->setText(toQt(text));
        if (selLength > 0)
            line_->setSelection(static_cast<int>(selStart), static_cast<int>(selLength));
        else
            line_->setCursorPosition(static_cast<int>(selStart));
    }
    std::string edited() const override { return fromQt(line_->text()); }
    std::pair<long, long> selection(const std::string&) const override
    {
        if (line_->hasSelectedText())
            return {line_->selectionStart(), static_cast<long>(line_->selectedText().size())};
        return {line_->cursorPosition(), 0};
    }
    std::string_view lineBreak() const override { return {}; }
    void setReadOnly(bool readOnly) override { line_->setReadOnly(readOnly); }
    void setAlignment(Qt::Alignment a) override { line_->setAlignment(a | Qt::AlignVCenter); }
    void setMasked(bool masked) override { line_->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal); }

private:
    QLineEdit* line_ = new QLineEdit;
};
} // namespace

std::unique_ptr<TextView> makeSingleLineView(const TextViewEvents& events)
{
    return std::make_unique<SingleLineView>(events);
}

} // namespace toolkit
