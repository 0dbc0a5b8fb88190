#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the program's title and version, what the program is for, a caution, and a button that shows
// the splash screen. Modeless and without an owner window; at most one is open, and closing it destroys it.
//
// Line1, the etched separator, is two widgets that share the objectName "Line1" and tell themselves apart by
// the dynamic property "index": 0 the white line beneath, 1 the grey line on top.
class About : public QDialog {
    Q_OBJECT

public:
    // Creates the About box, runs its load step and shows it; if one is open, brings that one to the front and
    // activates it instead, without running the load step again. Returns the open About box.
    static About* ShowInstance();
    // The open About box, or nullptr when none is open.
    [[nodiscard]] static About* Instance();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void cmdOK_Click();
    void Command1_Click();

private:
    About();
    void Form_Load();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QWidget* Line1[2];
    QLabel* lblDisclaimer;
    QPushButton* Command1;
    QPushButton* cmdOK;
};
