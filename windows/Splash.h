#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>

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

    // The frame drawn around the client area, on every side.
    static constexpr int FrameWidth = 3;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void Command1_Click();

private:
    Splash();
    void Form_Load();

    QPixmap m_picture;
    // The window that was active when the splash screen was shown.
    QPointer<QWidget> m_cameFrom;
    QLabel* Label1;
    QLabel* Version;
    QPushButton* Command1;
};
