#include "platform/data/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace data {

BusyCursor::BusyCursor(TCursor cursor) {
    if (cursor == crHourGlass && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

BusyCursor::~BusyCursor() {
    if (active_) QApplication::restoreOverrideCursor();
}

}  // namespace data
