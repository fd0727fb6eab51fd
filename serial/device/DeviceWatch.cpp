#include "serial/device/DeviceWatch.h"

#include <sys/stat.h>

namespace serial::device {

DeviceWatch::DeviceWatch()
{
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

void DeviceWatch::start(const std::string& path, std::function<void()> back)
{
    path_ = path;
    back_ = std::move(back);
    lost_ = characterDeviceAt(path);
    timer_.start();
}

void DeviceWatch::stop()
{
    timer_.stop();
    back_ = nullptr;
}

// stat follows links, so a link to a pseudo-terminal is judged by the terminal itself. Anything
// but a character device (a file, a folder, a FIFO, a dangling link) is not a serial device.
std::optional<DeviceWatch::Node> DeviceWatch::characterDeviceAt(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return std::nullopt;
    return Node{info.st_dev, info.st_ino, info.st_rdev};
}

void DeviceWatch::tick()
{
    const std::optional<Node> now = characterDeviceAt(path_);
    if (!now) {
        lost_.reset();   // gone: whatever appears there next is a new device
        return;
    }
    if (now == lost_)
        return;
    // A copy: the callback stops the watch once the device has reopened.
    if (auto back = back_)
        back();
}

} // namespace serial::device
