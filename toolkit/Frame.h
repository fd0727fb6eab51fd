#pragma once
// A captioned frame that holds controls; disabling it disables everything inside.
#include "toolkit/Control.h"

class QGroupBox;

namespace toolkit {

class Frame : public Control, public Container {
public:
    Frame(Container& parent, std::string name, std::string caption);
    const std::string& caption() const { return caption_; }
    QWidget* host() override;
    ControlHost& controlHost() override { return Control::controlHost(); }

private:
    QGroupBox* box_;
    std::string caption_;
};

} // namespace toolkit
