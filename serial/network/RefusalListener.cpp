#include "serial/network/RefusalListener.h"

#include "serial/network/GensioLoop.h"

#include <gensio/gensio.h>

namespace serial::network {

std::shared_ptr<RefusalListener> RefusalListener::listen(const std::string& stack, std::size_t limit, Heard heard)
{
    std::shared_ptr<RefusalListener> listener(new RefusalListener(limit, std::move(heard)));
    gensio* io = nullptr;
    if (str_to_gensio(stack.c_str(), GensioLoop::instance().os(), &RefusalListener::onEvent, listener.get(), &io) != 0)
        return nullptr;
    listener->io_ = io;
    listener->keepAlive_ = listener;
    const auto opened = [](gensio* io, int err, void* self) {
        if (err)
            static_cast<RefusalListener*>(self)->done(true);
        else
            gensio_set_read_callback_enable(io, true);
    };
    if (gensio_open(io, opened, listener.get()) != 0) {
        gensio_free(io);
        listener->io_ = nullptr;
        listener->keepAlive_.reset();
        return nullptr;
    }
    return listener;
}

int RefusalListener::onEvent(gensio*, void* data, int event, int err, unsigned char* buf, std::size_t* len,
                             const char* const*)
{
    auto* self = static_cast<RefusalListener*>(data);
    if (event != GENSIO_EVENT_READ)
        return GE_NOTSUP;
    if (!err && buf && len && self->said_.size() < self->limit_) {
        self->said_.append(reinterpret_cast<const char*>(buf), *len);
        // A server that says nothing and lets this connection in has no refusal to tell.
        if (self->said_.size() >= self->limit_)
            err = GE_REMCLOSE;
    }
    if (err)
        self->done(true);
    return 0;
}

void RefusalListener::done(bool tell)
{
    if (!io_)
        return;
    gensio* io = io_;
    io_ = nullptr;
    gensio_set_read_callback_enable(io, false);
    if (Heard heard = std::move(heard_); tell && heard)
        heard(said_);
    releaseGensio(io, [last = std::move(keepAlive_)] {});
}

} // namespace serial::network
