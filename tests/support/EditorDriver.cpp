#include "tests/support/EditorDriver.h"

#include "tests/support/ModalAnswerer.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

void EditorDriver::Load(const QString& path) {
    AnswerFileDialog(path);
    Press("Command1");
}

void EditorDriver::Click(const char* spinner, bool up) {
    auto* arrows = Get<QWidget>(spinner);
    QToolButton* arrow = arrows->findChild<QToolButton*>(QLatin1String(up ? "Up" : "Down"));
    QTest::mouseClick(arrow, Qt::LeftButton);
}

void EditorDriver::Press(const char* button) {
    QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
}

void EditorDriver::Choose(const char* menuItem) {
    Get<QAction>(menuItem)->trigger();
}

void EditorDriver::Type(const char* box, const QString& text) {
    auto* edit = Get<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void EditorDriver::Write(const QString& text) {
    Get<QPlainTextEdit>("text3")->setPlainText(text);
    Press("Command3");
}
