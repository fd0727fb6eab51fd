#pragma once
// Watches the path of a lost serial device for the device to come back (an adapter plugged in
// again, a simulator restarted on the same link). A one-second timer looks at the path; nothing
// is opened here.
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace serial::device {

class DeviceWatch {
public:
    static constexpr int intervalMs = 1000;

    DeviceWatch();

    // From now on, calls `back` on every tick at which `path` names a character device other
    // than the one there now (if any): a device still present when it was lost has to go away
    // or be replaced before it counts as back.
    void start(const std::string& path, std::function<void()> back);
    void stop();
    bool active() const { return timer_.isActive(); }
    // Until the next look; -1 when not watching.
    int remainingMs() const { return timer_.isActive() ? timer_.remainingTime() : -1; }

private:
    struct Node {
        dev_t device;
        ino_t inode;
        dev_t rdev;
        bool operator==(const Node&) const = default;
    };
    static std::optional<Node> characterDeviceAt(const std::string& path);
    void tick();

    QTimer timer_;
    std::string path_;
    std::optional<Node> lost_;
    std::function<void()> back_;
};

} // namespace serial::device
