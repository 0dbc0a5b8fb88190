#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

// The splash screen: the game's title artwork, the program's title and version, and "Ok", which closes it.
// No title bar, no timer; it stays open until "Ok" is pressed. Modeless and without an owner window; at most one
// is open, and closing it destroys it.
class Splash : public QDialog {
    Q_OBJECT

public:
    // Creates the splash screen, runs its load step and shows it centred on the screen; if one is open, brings
    // that one to the front and activates it instead, without running the load step again. Returns it.
    static Splash* ShowInstance();
    // The open splash screen, or nullptr when none is open.
    [[nodiscard]] static Splash* Instance();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void Command1_Click();

private:
    Splash();
    void Form_Load();

    QPixmap m_picture;
    QLabel* Label1;
    QLabel* Version;
    QPushButton* Command1;
};
