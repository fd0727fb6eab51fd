#include "tests/support/FakeSerialBackend.h"

namespace carterm {

serial::CommError FakeSerialBackend::open(const std::string& device, const serial::SerialSettings& settings)
{
    if (open_)
        return {serial::errPortAlreadyOpen, "is already open"};
    if (openError_)
        return openError_;
    open_ = true;
    device_ = device;
    applied_ = settings;
    ++openCount_;
    return {};
}

void FakeSerialBackend::close()
{
    open_ = false;
}

serial::CommError FakeSerialBackend::apply(const serial::SerialSettings& settings)
{
    if (!open_)
        return {serial::errPortNotOpen, "is not open"};
    if (applyError_)
        return applyError_;
    applied_ = settings;
    return {};
}

serial::CommError FakeSerialBackend::write(std::string_view bytes)
{
    if (!open_)
        return {serial::errPortNotOpen, "is not open"};
    sent_.append(bytes);
    return {};
}

std::string FakeSerialBackend::readAll()
{
    std::string bytes;
    bytes.swap(received_);
    return bytes;
}

void FakeSerialBackend::feed(std::string_view bytes)
{
    if (!open_ || bytes.empty())
        return;
    received_.append(bytes);
    noteArrival();
    raise(&Events::readyRead);
}

std::string FakeSerialBackend::takeSent()
{
    std::string bytes;
    bytes.swap(sent_);
    return bytes;
}

void FakeSerialBackend::raiseEvent(int code)
{
    raise(&Events::lineEvent, code);
}

void FakeSerialBackend::loseDevice(const std::string& systemText)
{
    if (!open_)
        return;
    close();
    raise(&Events::deviceLost, systemText);
}

void FakeSerialBackend::plugBack()
{
    if (watching())
        raise(&Events::deviceBack);
}

} // namespace carterm
