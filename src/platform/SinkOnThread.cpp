#include "platform/SinkOnThread.h"

#include <QObject>
#include <QThread>

#include <memory>

namespace korvel {

SinkDispatch dispatchToThisThread() {
    auto context = std::make_shared<QObject>();
    return [context](const std::function<void()>& call) {
        if (QThread::currentThread() == context->thread())
            call();
        else
            QMetaObject::invokeMethod(context.get(), call, Qt::BlockingQueuedConnection);
    };
}

} // namespace korvel
