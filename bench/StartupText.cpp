// A second floor of the start-up: an empty main window but for one line of text, so that the program loads
// the font database and a font just as any window with words in it must.
#include "bench/QuitWhenExposed.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Kyrel")));
    window.show();
    QuitWhenExposed quit(window);
    return app.exec();
}
