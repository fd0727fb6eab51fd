#include "toolkit/Frame.h"

#include "toolkit/Bytes.h"

#include <QGroupBox>

namespace toolkit {

Frame::Frame(Container& parent, std::string name, std::string caption)
    : Control(parent, std::move(name), new QGroupBox), box_(static_cast<QGroupBox*>(widget())),
      caption_(std::move(caption))
{
    box_->setTitle(toQt(caption_));
    setCaptionForAccessibility(caption_);
}

QWidget* Frame::host() { return box_; }

} // namespace toolkit
