#pragma once

#include "editor/GameDialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

// Drives a main window the way a user does: through its file dialog, its arrows, its boxes and its buttons.
class EditorDriver {
public:
    explicit EditorDriver(GameDialog& dialog) : m_dialog(dialog) {}

    template <typename T> T* Get(const char* name) const {
        T* widget = m_dialog.findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    [[nodiscard]] QString Pane() const { return Get<QPlainTextEdit>("text1")->toPlainText(); }
    [[nodiscard]] QString Text(const char* box) const { return Get<QLineEdit>(box)->text(); }

    // Picks the file in the real file dialog by typing its path; an empty path cancels the dialog.
    void Load(const QString& path);
    void Click(const char* spinner, bool up);
    void Press(const char* button);
    void Choose(const char* menuItem);
    // Clears the box and types the text key by key, so every keystroke runs the box's change handler.
    void Type(const char* box, const QString& text);
    // Puts the text into "New Text" and presses "Write New Text".
    void Write(const QString& text);

private:
    GameDialog& m_dialog;
};
