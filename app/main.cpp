#include "editor/GameDialog.h"
#include "windows/ProgramIdentity.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt's own start-up aborts with advice to reinstall; a plain line of ours says what is wrong.
bool DisplayMissing() {
#ifdef Q_OS_LINUX
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return false;
    }
    return true;
#else
    return false;
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    if (DisplayMissing()) {
        std::fputs("Kyrel: Script Editor needs a graphical display; none was found (DISPLAY is not set).\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(ProgramTitle());
    QApplication::setApplicationVersion(ProgramVersionText());
    QApplication::setDesktopFileName(QStringLiteral("kyrel-script-editor"));
    QApplication::setWindowIcon(ProgramIcon());
    GameDialog dialog;
    dialog.show();
    return app.exec();
}
