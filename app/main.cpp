#include "app/ApplicationStart.h"
#include "editor/GameDialog.h"
#include "windows/ProgramIdentity.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    const std::unique_ptr<QApplication> app = StartApplication(argc, argv);
    QApplication::setApplicationName(ProgramTitle());
    QApplication::setApplicationVersion(ProgramVersionText());
    QApplication::setDesktopFileName(QStringLiteral("kyrel-script-editor"));
    QApplication::setWindowIcon(ProgramIcon());
    GameDialog dialog;
    dialog.show();
    return QApplication::exec();
}
