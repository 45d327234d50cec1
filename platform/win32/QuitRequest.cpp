#include "platform/win32/QuitRequest.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace win32 {

void PostQuitMessage(int exitCode) {
    if (QCoreApplication::instance() == nullptr) return;
    // The dispatcher lives in the calling thread, so the queued call runs in that thread's loop.
    QAbstractEventDispatcher* queue = QAbstractEventDispatcher::instance();
    if (queue == nullptr) return;
    QMetaObject::invokeMethod(
        queue,
        [exitCode] {
            if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
                QCoreApplication::exit(exitCode);
            } else {
                QThread::currentThread()->exit(exitCode);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace win32
