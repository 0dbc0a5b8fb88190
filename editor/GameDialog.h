#pragma once

#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/RomWriter.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class UpDown;

// The editor's main window: loads a ROM, browses its messages by bank and index or by byte range, and writes
// new text over the message read last. Every control and menu item carries its name as its objectName.
class GameDialog : public QMainWindow {
    Q_OBJECT
public:
    explicit GameDialog(QWidget* parent = nullptr);
    ~GameDialog() override;

    // The editor state, for anyone who needs to look at it.
    [[nodiscard]] const QString& RomPath() const { return m_romPath; }
    [[nodiscard]] std::int32_t ReadPos() const { return m_positions.ReadPos; }
    [[nodiscard]] std::int32_t NextMessagePos() const { return m_positions.NextMessagePos; }
    [[nodiscard]] std::int32_t ViewStartPos() const { return m_positions.ViewStartPos; }
    [[nodiscard]] std::uint8_t ArgumentByte() const { return m_positions.ArgumentByte; }
    [[nodiscard]] std::int32_t BankStart(int entry) const { return m_bankStart.at(entry); }
    [[nodiscard]] const kyrel::CharTable& CharTable() const { return m_charTable; }
    [[nodiscard]] const kyrel::EncoderState& EncoderState() const { return m_encoder; }

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class ActionScope;

    void CreateControls();
    void CreateMenus();
    void Form_Load();
    void RefreshView();
    // Decodes from ReadPos into text1; on failure the state stays as it was and the reason is returned.
    [[nodiscard]] std::optional<QString> ReadMessage(const QString& path);
    // The steps of a write: the text as typed, its bytes (none when it is refused), the question for a text
    // longer than the message it replaces, and the report of a write that was refused or stopped.
    [[nodiscard]] QString NewText() const;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> EncodeNewText(const QString& text);
    [[nodiscard]] bool ConfirmLongerText(const std::filesystem::path& path, std::int32_t start,
                                         const std::vector<std::uint8_t>& bytes);
    void ReportWrite(std::int32_t start, const kyrel::WriteResult& result, std::int64_t needed);
    // The position in "Starting Value:", when it holds one.
    [[nodiscard]] std::optional<std::int32_t> BeginPosition() const;
    // At most one warning box per user action, however many nested reads fail within it.
    void Warn(const QString& text);
    [[nodiscard]] bool RomLoaded() const { return !m_romPath.isEmpty(); }
    [[nodiscard]] bool ByteView() const;
    void SetViewControls(bool byteView);

    // Copying the message read last as text for "New Text", and the size of that text before it is written.
    void CreateCopyAsNewText();
    void KeepReadBytes(const kyrel::ReadResult& read);
    void text1_ContextMenu(const QPoint& position);
    [[nodiscard]] QString NewTextSize() const;

    // Editor state.
    QString m_romPath;
    kyrel::ReaderState m_positions;
    std::array<std::int32_t, 4> m_bankStart{};
    kyrel::CharTable m_charTable;
    kyrel::EncoderState m_encoder;

    // The bytes of the last successful read and where they begin: the pane's text cannot be turned back into them.
    std::vector<std::uint8_t> m_readBytes;
    std::int32_t m_readBytesStart = 0;

    int m_actionDepth = 0;
    bool m_warnedInAction = false;

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

    // Menus.
    QMenu* FileMenu = nullptr;
    QAction* FileOpen = nullptr;
    QMenu* ViewMenu = nullptr;
    QAction* ViewByByte = nullptr;
    QAction* ViewByIndex = nullptr;
    QMenu* OptionMenu = nullptr;
    QAction* OptionSplash = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpTags = nullptr;
    QAction* readme = nullptr;
    QAction* AboutBox = nullptr;
    QAction* CopyAsNewText = nullptr;
};
