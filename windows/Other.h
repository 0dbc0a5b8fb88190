#pragma once

#include <QDialog>

class QPushButton;

// The Other Characters window: a reference card of the 22 special glyphs of the game's text, one small button
// each, captioned with a plain-text form of the glyph. Display only: its buttons do nothing. Modeless and without
// an owner window; at most one is open, and closing it destroys it.
//
// The buttons form the control array Letter: each has the objectName "Letter" and its index, 0 to 21, in the
// dynamic property "index".
class Other : public QDialog {
    Q_OBJECT

public:
    // Creates the window and shows it; if one is open, brings that one to the front and activates it instead.
    static Other* ShowInstance();
    // The open window, or nullptr when none is open.
    [[nodiscard]] static Other* Instance();

    static constexpr int LetterCount = 22;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Other();

    QPushButton* Letter[LetterCount];
};
