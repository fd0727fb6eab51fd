#pragma once
// A server that turns us away before its telnet side is up (ser2net: "Port already in use")
// says why in words that gensio's telnet layer drops; a plain connection made right after hears
// them. Lives on the gensio thread.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct gensio;

namespace serial::network {

class RefusalListener : public std::enable_shared_from_this<RefusalListener> {
public:
    using Heard = std::function<void(const std::string& said)>;

    // Connects through the gensio `stack`; `heard` runs once with what the server said when it
    // hangs up or has said `limit` bytes. Null when no connection could be started.
    static std::shared_ptr<RefusalListener> listen(const std::string& stack, std::size_t limit, Heard heard);
    // Lets the connection go without telling.
    void stop() { done(false); }

private:
    RefusalListener(std::size_t limit, Heard heard) : limit_(limit), heard_(std::move(heard)) {}
    static int onEvent(gensio* io, void* self, int event, int err, unsigned char* buf, std::size_t* len,
                       const char* const* aux);
    void done(bool tell);

    gensio* io_ = nullptr;
    std::shared_ptr<RefusalListener> keepAlive_;   // held while io_ exists
    const std::size_t limit_;
    std::string said_;
    Heard heard_;
};

} // namespace serial::network
