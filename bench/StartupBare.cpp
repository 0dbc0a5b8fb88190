// The floor of the start-up: a Qt program that shows an empty main window and quits as soon as it is on the
// screen, just as kyrel_startup_editor does with the editor's window.
#include "bench/QuitWhenExposed.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    QuitWhenExposed quit(window);
    return app.exec();
}
