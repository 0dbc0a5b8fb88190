// Start-up of the editor for timing: the main window is created and shown, and the program quits as soon as
// the window is on the screen. Timed as a whole process by kyrel_bench_startup.
#include "bench/QuitWhenExposed.h"
#include "editor/GameDialog.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    GameDialog dialog;
    dialog.show();
    QuitWhenExposed quit(dialog);
    return app.exec();
}
