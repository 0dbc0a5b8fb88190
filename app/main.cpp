#include "editor/GameDialog.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    GameDialog dialog;
    dialog.show();
    return app.exec();
}
