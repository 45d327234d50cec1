// Program entry of QUILLAN. The program runs once per session: a second start finds the first
// one's mutex and ends at once with exit code 0, showing nothing.

#include <QApplication>
#include <QFont>
#include <cstdio>
#include <exception>

#include "about/ProgramIcon.h"
#include "app/uBLOBRegister.h"
#include "components/HLDVCL.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/ProgramVersionResource.h"

namespace {

// The window font "ＭＳ Ｐゴシック" is not on Linux; IPA's proportional Gothic has the same metrics.
void SubstituteFonts() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

// Initialise, title, main window, message loop. An error that ends these steps is shown in the
// default error box; the program then ends with exit code 1.
int RunApplication(int& argc, char** argv) {
    QuillanApplication qtApplication(argc, argv);
    TApplication& application = Application();
    try {
        application.Initialize();
        SubstituteFonts();
        QApplication::setWindowIcon(ProgramIcon());
        application.SetTitle(QString::fromUtf8(kProgramTitle));
        application.CreateForm<T_BLOBRegister>();
        application.Run();
    } catch (const std::exception& error) {
        application.ShowException(error);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        TCMutex guard(nullptr);
        guard.ShowFailureMessage = false;
        guard.TerminateApplicationOnFailure = true;
        if (!guard.Acquire()) return 0;
        return RunApplication(argc, argv);
    } catch (const std::exception& error) {
        // Before or after the application object exists there is no window to show it in.
        std::fprintf(stderr, "QUILLAN: %s\n", error.what());
        return 1;
    }
}
