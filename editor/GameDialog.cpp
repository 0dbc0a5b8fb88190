#include "editor/GameDialog.h"

#include "codec/MessageScan.h"
#include "codec/NumberText.h"
#include "editor/MessageList.h"
#include "editor/Reports.h"
#include "editor/TextForms.h"
#include "editor/UpDown.h"
#include "windows/About.h"
#include "windows/KeepOnScreen.h"
#include "windows/Other.h"
#include "windows/ProgramIdentity.h"
#include "windows/Splash.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QToolTip>

namespace {

using kyrel::Bank1LastIndex;
using kyrel::LastIndex;
constexpr int MaxFiniSpan = 1000;

std::optional<double> NumberIn(const QLineEdit* box) {
    return kyrel::ParseNumber(box->text().toStdU16String());
}

// Writes a file the user asked for whole or not at all: a script or patch cut short by a full disk would look
// like a shorter one. The system's reason when it failed, else nothing.
std::optional<QString> SaveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

QString NumberText(double value) {
    return QString::fromStdU16String(kyrel::FormatNumber(value));
}

} // namespace

GameDialog::GameDialog(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("GameDialog"));
    setWindowTitle(tr("Kyrel Script Editor"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetupForm(this);
    Connect();
    Form_Load();

    // The client area, below the menu bar, is what lies at 239, 200.
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(ClientWidth, ClientHeight + menuHeight);
    setGeometry(239, 200 - menuHeight, ClientWidth, ClientHeight + menuHeight);
    KeepOnScreen(this);
}

GameDialog::~GameDialog() = default;

void GameDialog::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Showing a window hides the focus until Tab is pressed; here the focused control shows it from the start.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// The Messages window goes first, while this window still keeps the program running: only the auxiliary windows
// that stand on their own (About, the splash screen, Other Characters) outlive it.
void GameDialog::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        MessageList::CloseFor(m_session);
}

void GameDialog::Connect() {
    connect(Command1, &QPushButton::clicked, this, &GameDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &GameDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &GameDialog::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &GameDialog::Command5_Click);
    connect(Bank, &UpDown::UpClick, this, &GameDialog::Bank_UpClick);
    connect(Bank, &UpDown::DownClick, this, &GameDialog::Bank_DownClick);
    connect(Index, &UpDown::UpClick, this, &GameDialog::Index_UpClick);
    connect(Index, &UpDown::DownClick, this, &GameDialog::Index_DownClick);
    // textChanged fires for the program's own changes too, at once, and not when the same text is set again.
    connect(BankNo, &QLineEdit::textChanged, this, &GameDialog::BankNo_Change);
    connect(IndexNo, &QLineEdit::textChanged, this, &GameDialog::IndexNo_Change);
    connect(Begin, &QLineEdit::textChanged, this, &GameDialog::Begin_Change);

    connect(FileOpen, &QAction::triggered, this, &GameDialog::FileOpen_Click);
    // The view handlers set both check marks themselves, whatever Qt's own toggle did.
    connect(ViewByByte, &QAction::triggered, this, &GameDialog::ViewByByte_Click);
    connect(ViewByIndex, &QAction::triggered, this, &GameDialog::ViewByIndex_Click);
    connect(OptionSplash, &QAction::triggered, this, [this] {
        OptionSplash->setChecked(!OptionSplash->isChecked()); // undo Qt's toggle: the handler does the toggling
        OptionSplash_Click();
    });
    connect(AboutBox, &QAction::triggered, this, &GameDialog::AboutBox_Click);
    connect(UndoWrite, &QAction::triggered, this, &GameDialog::UndoWrite_Click);
    connect(ExportScript, &QAction::triggered, this, &GameDialog::ExportScript_Click);
    connect(ImportScript, &QAction::triggered, this, &GameDialog::ImportScript_Click);
    connect(MakePatch, &QAction::triggered, this, &GameDialog::MakePatch_Click);
    // The menu items that depend on the ROM and on what was written into it.
    connect(&m_session, &MessageSession::RomChanged, this, [this] {
        ShowUndoWrite(Reports::UndoItem(m_session.History().Newest()));
        for (QAction* item : {ViewMessages, ExportScript, ImportScript, MakePatch})
            item->setEnabled(m_session.RomLoaded());
    });

    connect(CopyAsNewText, &QAction::triggered, this, &GameDialog::CopyAsNewText_Click);
    connect(ViewMessages, &QAction::triggered, this, &GameDialog::ViewMessages_Click);
    connect(text1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { ShowPaneMenu(at); });
    // The pane's tooltip events arrive at its viewport, the widget under the mouse.
    text3->viewport()->installEventFilter(this);
}

void GameDialog::Form_Load() {
    ViewByIndex_Click();
    if (OptionSplash->isChecked())
        Splash::ShowInstance();
}

bool GameDialog::ByteView() const {
    return ViewByByte->isChecked();
}

std::optional<kyrel::Failure> GameDialog::ReadMessage() {
    const kyrel::StopRule rule = ByteView() ? kyrel::StopRule::ByteView(NumberIn(Fini)) : kyrel::StopRule::IndexView();
    const MessageSession::Read read = m_session.ReadMessage(rule);
    if (!read.ok())
        return read.failure;
    text1->setPlainText(read.text);
    CopyAsNewText->setEnabled(true);
    Command3->setEnabled(true);
    return std::nullopt;
}

void GameDialog::RefreshView() {
    const Boxes::Action action(m_boxes);
    if (ByteView()) {
        // While the user is still typing a position there is nothing to read yet.
        const auto begin = NumberIn(Begin);
        const auto position = begin ? kyrel::RoundToInt32(*begin) : std::nullopt;
        if (!position)
            return;
        m_session.SetReadPos(*position);
    } else {
        Begin->setText(QString::number(m_session.ReadPos()));
    }

    const auto fini = NumberIn(Fini);
    const auto begin = NumberIn(Begin);
    if (fini && begin && *fini - *begin > MaxFiniSpan)
        Fini->setText(NumberText(*begin + MaxFiniSpan));

    if (const auto failure = ReadMessage())
        m_boxes.Warn(Reports::ReadFailed(*failure));
}

void GameDialog::Command1_Click() {
    const Boxes::Action action(m_boxes);
    const QString path = AskRomPath(this);
    if (path.isEmpty())
        return;
    m_session.SetRomPath(path);
    // A file that cannot be read leaves the window as it was, without a word; but the message shown belongs to
    // another file, so nothing may be written until a read of this one works.
    if (ReadMessage())
        Command3->setEnabled(false);
    // Loaded all the same: the user may know what the file is, but must know where its messages show from.
    else if (const auto risk = m_session.RomLayoutRisk())
        m_boxes.Warn(Reports::LayoutWarning(QDir::toNativeSeparators(path), risk->layout, risk->size));
}

void GameDialog::FileOpen_Click() {
    Command1_Click();
}

void GameDialog::Command5_Click() {
    const Boxes::Action action(m_boxes);
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::ViewByByte_Click() {
    const Boxes::Action action(m_boxes);
    ShowViewControls(true);
    m_session.SetReadPos(1);
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::ViewByIndex_Click() {
    const Boxes::Action action(m_boxes);
    ShowViewControls(false);
    m_session.SetReadPos(kyrel::Bank1Start);
}

void GameDialog::Bank_UpClick() {
    const Boxes::Action action(m_boxes);
    const auto bank = NumberIn(BankNo);
    if (!bank)
        return;
    BankNo->setText(*bank == 2 ? QStringLiteral("1") : NumberText(*bank + 1));
}

void GameDialog::Bank_DownClick() {
    const Boxes::Action action(m_boxes);
    const auto bank = NumberIn(BankNo);
    if (!bank)
        return;
    BankNo->setText(*bank == 1 ? QStringLiteral("2") : NumberText(*bank - 1));
}

void GameDialog::BankNo_Change() {
    const Boxes::Action action(m_boxes);
    auto bank = NumberIn(BankNo);
    if (!bank)
        return;
    if (*bank > 2)
        BankNo->setText(QStringLiteral("1"));
    bank = NumberIn(BankNo);
    if (!bank)
        return;
    if (*bank < 1)
        BankNo->setText(QStringLiteral("2"));
    IndexNo->setText(QStringLiteral("1"));

    bank = NumberIn(BankNo);
    const auto entry = bank ? kyrel::RoundToInt32(*bank) : std::nullopt;
    if (!entry || *entry < 0 || *entry >= MessageSession::BankEntries)
        return;
    m_session.SetReadPos(m_session.BankStart(*entry));
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::Index_UpClick() {
    const Boxes::Action action(m_boxes);
    const auto bank = NumberIn(BankNo);
    const auto index = NumberIn(IndexNo);
    if (!bank || !index)
        return;
    if (*bank == 1 && *index == Bank1LastIndex)
        return;
    IndexNo->setText(*index == LastIndex ? QStringLiteral("1") : NumberText(*index + 1));
    m_session.StepToNextMessage();
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::Index_DownClick() {
    const Boxes::Action action(m_boxes);
    const auto index = NumberIn(IndexNo);
    if (!index)
        return;
    IndexNo->setText(*index == 1 ? QString::number(LastIndex) : NumberText(*index - 1));
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::IndexNo_Change() {
    const Boxes::Action action(m_boxes);
    auto index = NumberIn(IndexNo);
    if (!index)
        return;
    if (*index > LastIndex)
        IndexNo->setText(QString::number(LastIndex));
    index = NumberIn(IndexNo);
    if (!index)
        return;
    if (*index < 1)
        IndexNo->setText(QStringLiteral("1"));
    if (m_session.RomLoaded())
        RefreshView();
}

void GameDialog::Begin_Change() {
    const Boxes::Action action(m_boxes);
    const auto begin = NumberIn(Begin);
    if (begin && *begin <= 0)
        Begin->setText(QStringLiteral("1"));
}

void GameDialog::Command3_Click() {
    const Boxes::Action action(m_boxes);
    const std::u16string text = NewText();
    bool wrote = false;
    if (text.empty()) {
        m_boxes.Error(Reports::BlankNewText());
    } else if (const MessageSession::WritePlan plan = m_session.PlanWrite(text, !ByteView()); plan.Refused()) {
        m_boxes.Report(Reports::WriteRefused(plan));
    } else if (!plan.Asks() || m_boxes.Ask(Reports::WriteQuestion(plan, QDir::toNativeSeparators(m_session.RomPath())),
                                           Reports::LeftOutDetails(plan.dropped))) {
        const kyrel::WriteResult result = m_session.Write(plan);
        wrote = result.ok();
        if (!wrote)
            m_boxes.Report(Reports::WriteFailed(plan.start, result, static_cast<std::int64_t>(plan.bytes.size())));
    }
    m_session.EndWrite();
    if (wrote && ByteView() && !BeginPosition()) {
        // Nothing to read from in "Starting Value:": show the message just written.
        if (const auto failure = ReadMessage())
            m_boxes.Warn(Reports::ReadFailed(*failure));
    } else {
        RefreshView();
    }
}

std::optional<std::int32_t> GameDialog::BeginPosition() const {
    const auto begin = NumberIn(Begin);
    const auto position = begin ? kyrel::RoundToInt32(*begin) : std::nullopt;
    if (!position || *position < 1)
        return std::nullopt;
    return position;
}

void GameDialog::UndoWrite_Click() {
    const Boxes::Action action(m_boxes);
    const WriteHistory::Change* newest = m_session.History().Newest();
    if (!newest)
        return;
    const bool import = newest->IsImport();
    const std::int32_t position = newest->Start();
    if (const WriteHistory::Undo undo = m_session.UndoWrite(); !undo.result.ok())
        m_boxes.Report(Reports::UndoFailed(undo));
    if (import) {
        ReadShownAgain();
        return;
    }
    // Shown as after a write: the message at the position restored, from which a write would begin.
    m_session.EndUndo(position);
    if (ByteView())
        Begin->setText(QString::number(position));
    RefreshView();
}

void GameDialog::ReadShownAgain() {
    if (m_session.ViewStartPos() < 1)
        return;
    m_session.EndUndo(m_session.ViewStartPos());
    RefreshView();
}

void GameDialog::ExportScript_Click() {
    const Boxes::Action action(m_boxes);
    if (!m_session.RomLoaded())
        return;
    const QFileInfo rom(m_session.RomPath());
    const QString path = AskFilePath(
        this, {{}, true, {tr("PO files (*.po)")}, rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".po"))});
    if (path.isEmpty())
        return;
    const Script::Exported exported = m_session.ExportScript(QDateTime::currentDateTimeUtc());
    if (!exported.failure.ok()) {
        m_boxes.Report(Reports::ExportRefused(exported.failure));
        return;
    }
    const QString name = QDir::toNativeSeparators(path);
    if (const auto failed = SaveWhole(path, exported.file)) {
        m_boxes.Report(Reports::ExportFailed(name, *failed));
        return;
    }
    m_boxes.Inform(Reports::Exported(name, exported.messages));
}

void GameDialog::MakePatch_Click() {
    const Boxes::Action action(m_boxes);
    if (!m_session.RomLoaded())
        return;
    const QString original = AskFilePath(this, {tr("Choose the Original ROM"),
                                                false,
                                                {tr("SMC Rom Format (*.smc)"), tr("All Files (*)")},
                                                m_session.RomPath()});
    if (original.isEmpty())
        return;
    const QFileInfo rom(m_session.RomPath());
    const QString bps = tr("BPS patch (*.bps)");
    const QString path = AskFilePath(
        this, {{}, true, {bps, tr("IPS patch (*.ips)")}, rom.dir().filePath(rom.completeBaseName() + ".bps")});
    if (path.isEmpty())
        return;
    // The format is the one the name says; a name of neither kind is a BPS patch, which every patcher reads.
    const kyrel::PatchFormat format = QFileInfo(path).suffix().compare(QLatin1String("ips"), Qt::CaseInsensitive) == 0
                                          ? kyrel::PatchFormat::Ips
                                          : kyrel::PatchFormat::Bps;
    const RomPatch::Made made = m_session.MakePatch(original, format);
    if (made.Refused()) {
        m_boxes.Report(Reports::PatchRefused(made));
        return;
    }
    // Written whole or not at all, and only once the patch gave the ROM from the original.
    const QByteArray bytes(reinterpret_cast<const char*>(made.patch.patch.data()),
                           static_cast<qsizetype>(made.patch.patch.size()));
    if (const auto failed = SaveWhole(path, bytes)) {
        m_boxes.Report(Reports::PatchNotSaved(QDir::toNativeSeparators(path), *failed));
        return;
    }
    m_boxes.Inform(Reports::PatchSaved(QFileInfo(path).fileName(), made));
}

void GameDialog::ImportScript_Click() {
    const Boxes::Action action(m_boxes);
    if (!m_session.RomLoaded())
        return;
    const QString path = AskFilePath(this, {{}, false, {tr("PO files (*.po)")}, m_session.RomPath()});
    if (path.isEmpty())
        return;
    const QString scriptName = QFileInfo(path).fileName();
    const Script::ImportPlan plan = m_session.PlanImport(path);
    if (plan.Refused()) {
        m_boxes.Report(Reports::ImportRefused(scriptName, plan));
        return;
    }
    if (plan.runs.empty()) {
        m_boxes.Inform(Reports::NothingToImport(plan, scriptName));
        return;
    }
    if (!m_boxes.Ask(Reports::ImportQuestion(plan, scriptName, QFileInfo(m_session.RomPath()).fileName()),
                     Reports::ImportDetails(plan)))
        return;
    const kyrel::RunsResult result = m_session.Import(plan, scriptName);
    // The report over the message as it now reads.
    ReadShownAgain();
    if (result.ok())
        m_boxes.Inform(Reports::Imported(plan, result));
    else
        m_boxes.Report(Reports::Imported(plan, result));
}

void GameDialog::Command2_Click() {
    Other::ShowInstance();
}

void GameDialog::OptionSplash_Click() {
    OptionSplash->setChecked(!OptionSplash->isChecked());
}

void GameDialog::AboutBox_Click() {
    About::ShowInstance();
}

void GameDialog::CopyAsNewText_Click() {
    const MessageSession::Copy copy = m_session.CopyAsNewText();
    QGuiApplication::clipboard()->setText(copy.text);
    if (const QString note = Reports::Copied(copy); !note.isEmpty())
        m_boxes.Inform(note);
}

bool GameDialog::eventFilter(QObject* watched, QEvent* event) {
    // Worked out only when the tooltip is about to show: nothing runs while the user types.
    if (event->type() == QEvent::ToolTip && watched == text3->viewport()) {
        const std::u16string text = NewText();
        const QString size = Reports::NewTextSize(kyrel::EncodeToBytes(text), text.empty(), m_session.ReadBytes());
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), TextForms::ToolTip(size), text3->viewport());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- the Messages window ----------------------------------------------------------------------------------

void GameDialog::ViewMessages_Click() {
    MessageList* list = MessageList::ShowInstance(m_session, this);
    // Queued: the click or key that opened the row ends in the list before this window comes forward.
    connect(list, &MessageList::OpenMessage, this, &GameDialog::ShowListedMessage,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
}

// Shows the message in index view as stepping there with the arrows would: the same counters, and the same read
// from the same position, which leaves the positions as that step's last read does.
void GameDialog::ShowListedMessage(int bank, int index, int position) {
    const Boxes::Action action(m_boxes);
    if (ByteView())
        ViewByIndex_Click();
    {
        // The counters only name the message: their change handlers would first read from the old position.
        const QSignalBlocker bankBox(BankNo);
        const QSignalBlocker indexBox(IndexNo);
        BankNo->setText(QString::number(bank));
        IndexNo->setText(QString::number(index));
    }
    m_session.SetReadPos(position);
    RefreshView();
    raise();
    activateWindow();
}
