#pragma once

#include "editor/Boxes.h"
#include "editor/GameDialogForm.h"
#include "editor/MessageSession.h"

#include <QMainWindow>

#include <optional>

// The editor's main window: loads a ROM, browses its messages by bank and index or by byte range, and writes
// new text over the message read last. It shows its session's state and passes the user's actions to it; every
// control and menu item carries its name as its objectName.
class GameDialog : public QMainWindow, private GameDialogForm {
    Q_OBJECT
public:
    explicit GameDialog(QWidget* parent = nullptr);
    ~GameDialog() override;

    // The editor state and its steps.
    [[nodiscard]] const MessageSession& Session() const { return m_session; }

public slots:
    void Command1_Click();
    void FileOpen_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();
    void Bank_UpClick();
    void Bank_DownClick();
    void Index_UpClick();
    void Index_DownClick();
    void BankNo_Change();
    void IndexNo_Change();
    void Begin_Change();
    void ViewByByte_Click();
    void ViewByIndex_Click();
    void OptionSplash_Click();
    void AboutBox_Click();
    void CopyAsNewText_Click();
    void UndoWrite_Click();
    void ExportScript_Click();
    void ImportScript_Click();
    void MakePatch_Click();
    void ViewMessages_Click();
    // A row opened in the Messages window.
    void ShowListedMessage(int bank, int index, int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Connect();
    void Form_Load();
    void RefreshView();
    // Reads from ReadPos into text1; on failure the state stays as it was and the reason is returned.
    [[nodiscard]] std::optional<kyrel::Failure> ReadMessage();
    // The position in "Starting Value:", when it holds one.
    [[nodiscard]] std::optional<std::int32_t> BeginPosition() const;
    [[nodiscard]] bool ByteView() const;
    // After a change to many messages, or its undo: the message shown is read again from where it starts.
    void ReadShownAgain();

    MessageSession m_session;
    Boxes m_boxes{this};
};
