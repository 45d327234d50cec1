// Runs the program's application class, throws from a widget's event handler, and prints what
// the default error box showed ("box:<caption>:<text>") and then "went on".
#include <QMessageBox>
#include <QTimer>
#include <QTimerEvent>
#include <QWidget>
#include <cstdio>
#include <stdexcept>

#include "platform/vcl/Application.h"
#include "platform/vcl/ModalSeam.h"

namespace {
class Thrower : public QWidget {
protected:
    void timerEvent(QTimerEvent* event) override {
        killTimer(event->timerId());
        throw std::runtime_error("handler failed");
    }
};
}  // namespace

int main(int argc, char** argv) {
    QuillanApplication app(argc, argv);
    Application().SetTitle("Probe");
    ScopedModalHook hook([](QDialog& d) {
        auto& box = dynamic_cast<QMessageBox&>(d);
        std::printf("box:%s:%s\n", qUtf8Printable(box.windowTitle()), qUtf8Printable(box.text()));
        return int(QMessageBox::Ok);
    });
    Thrower w;
    w.startTimer(0);
    QTimer::singleShot(50, [] {
        std::printf("went on\n");
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    std::fflush(stdout);
    return 0;
}
