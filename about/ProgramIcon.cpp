#include "about/ProgramIcon.h"

// The resource file is compiled into this static library; naming its initialiser here keeps the
// linker from dropping it from the program.
static void InitAboutResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(about);
        return true;
    }();
    (void)registered;
}

QIcon ProgramIcon() {
    InitAboutResources();
    return QIcon(QStringLiteral(":/about/QUILLAN.png"));
}
