#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QPushButton;
class QString;
class QWidget;
class UpDown;

// The main window's fixed form: every control at its place, every menu and item, each under its own name as its
// objectName. It makes the widgets and nothing else: what they do is the window's business.
class GameDialogForm {
    Q_DECLARE_TR_FUNCTIONS(GameDialog)

public:
    // The client area below the menu bar.
    static constexpr int ClientWidth = 550;
    static constexpr int ClientHeight = 383;

    // Builds the controls and menus into the window, with their start texts, tab order and accessible names.
    void SetupForm(QMainWindow* window);
    // The text of "New Text" as the encoder takes it.
    [[nodiscard]] std::u16string NewText() const;
    // The undo item names the change it would take back, and is enabled only while there is one (empty: none).
    void ShowUndoWrite(const QString& change);
    // Shows the controls of one view, hides those of the other, and checks its menu item.
    void ShowViewControls(bool byteView);
    // The "ROM Text" pane's own menu, with "Copy as New Text" below the usual items, at a point of the pane.
    void ShowPaneMenu(const QPoint& position);
    // The file dialog for a ROM, modal to the window: the chosen file's path, or nothing when it was cancelled.
    [[nodiscard]] static QString AskRomPath(QWidget* window);
    // A file to save as, proposing `proposed`, or one to open, from the folder of `proposed`.
    struct FileQuestion {
        QString title; // empty: the dialog's own
        bool save = false;
        QStringList filters;
        QString proposed;
    };
    // The file dialog for a script or a patch, modal to the window: the chosen file, or nothing when it was
    // cancelled.
    [[nodiscard]] static QString AskFilePath(QWidget* window, const FileQuestion& question);

    // Controls.
    QLineEdit* Edit = nullptr;
    QPushButton* Command4 = nullptr;
    QLineEdit* BankNo = nullptr;
    UpDown* Index = nullptr;
    QLineEdit* IndexNo = nullptr;
    UpDown* Bank = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPlainTextEdit* text3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPlainTextEdit* text1 = nullptr;
    QLineEdit* Fini = nullptr;
    QLineEdit* Begin = nullptr;
    QLineEdit* OffSet = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    QFrame* Line2 = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;

    // Menus, and the item of the "ROM Text" pane's own menu.
    QMenu* FileMenu = nullptr;
    QAction* FileOpen = nullptr;
    QAction* UndoWrite = nullptr;
    QAction* ExportScript = nullptr;
    QAction* ImportScript = nullptr;
    QAction* MakePatch = nullptr;
    QMenu* ViewMenu = nullptr;
    QAction* ViewByByte = nullptr;
    QAction* ViewByIndex = nullptr;
    QAction* ViewMessages = nullptr;
    QMenu* OptionMenu = nullptr;
    QAction* OptionSplash = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpTags = nullptr;
    QAction* readme = nullptr;
    QAction* AboutBox = nullptr;
    QAction* CopyAsNewText = nullptr;

private:
    void CreateControls(QMainWindow* window);
    void CreateMenus(QMainWindow* window);
};
