#pragma once
// The one way work reaches the window's thread from a notifier, a timer or another thread.
#include <functional>

class QObject;

namespace serial {

// Runs `fn` on `context`'s thread (the window's) after what is already queued there. Dropped
// when `context` is null or gone by then.
void postToUi(const QObject* context, std::function<void()> fn);

} // namespace serial
