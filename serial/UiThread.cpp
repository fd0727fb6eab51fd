#include "serial/UiThread.h"

#include <QMetaObject>
#include <QObject>

namespace serial {

void postToUi(const QObject* context, std::function<void()> fn)
{
    if (context)
        QMetaObject::invokeMethod(const_cast<QObject*>(context), std::move(fn), Qt::QueuedConnection);
}

} // namespace serial
