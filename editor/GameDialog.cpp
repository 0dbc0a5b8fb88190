#include "editor/GameDialog.h"

#include "codec/NumberText.h"
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "codec/TypedText.h"
#include "editor/CaptionFrameStyle.h"
#include "editor/UpDown.h"
#include "windows/About.h"
#include "windows/FittingFont.h"
#include "windows/KeepOnScreen.h"
#include "windows/Other.h"
#include "windows/ProgramIdentity.h"
#include "windows/Splash.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>

#include <filesystem>
#include <limits>
#include <vector>

namespace {

constexpr int ClientWidth = 550;
constexpr int ClientHeight = 383;
constexpr int LastIndex = 672;
// The index spinner's up arrow stops at this message of bank 1.
constexpr int Bank1LastIndex = 75;
constexpr int MaxFiniSpan = 1000;

std::filesystem::path ToFsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

std::optional<double> NumberIn(const QLineEdit* box) {
    return kyrel::ParseNumber(box->text().toStdU16String());
}

QString Bytes(std::int64_t count) {
    return QString::fromStdString(kyrel::ByteCount(count));
}

QString NumberText(double value) {
    return QString::fromStdU16String(kyrel::FormatNumber(value));
}

// The pane shows the game's CR LF line breaks as plain line breaks.
QString ForDisplay(const std::u16string& text) {
    QString shown = QString::fromStdU16String(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

template <typename T> T* Place(T* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace

// Marks one user action: nested handlers run inside the outermost one and share its warning.
class GameDialog::ActionScope {
public:
    explicit ActionScope(GameDialog& dialog) : m_dialog(dialog) {
        if (m_dialog.m_actionDepth++ == 0)
            m_dialog.m_warnedInAction = false;
    }
    ~ActionScope() { --m_dialog.m_actionDepth; }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    GameDialog& m_dialog;
};

GameDialog::GameDialog(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("GameDialog"));
    setWindowTitle(QStringLiteral("Kyrel Script Editor"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    CreateControls();
    CreateMenus();
    CreateCopyAsNewText();
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

void GameDialog::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    Edit = Place(new QLineEdit(client), "Edit", 160, 8, 217, 19);
    Edit->hide();
    Command4 = Place(new QPushButton(QStringLiteral("Preview New Text"), client), "Command4", 344, 336, 105, 25);
    Command4->setEnabled(false);
    BankNo = Place(new QLineEdit(QStringLiteral("1"), client), "BankNo", 144, 272, 17, 19);
    Index = Place(new UpDown(client), "Index", 120, 304, 15, 33);
    IndexNo = Place(new QLineEdit(QStringLiteral("1"), client), "IndexNo", 144, 312, 33, 19);
    Bank = Place(new UpDown(client), "Bank", 120, 264, 15, 33);

    Frame3 = Place(new QGroupBox(QStringLiteral("Instructions"), client), "Frame3", 8, 24, 513, 81);
    Label4 =
        Place(new QLabel(QStringLiteral("Load any \"Kyrel: Quillmere\" rom and scroll through the multiple Messages. "
                                        "After finding the one you wish to replace in the \"ROM Text\" view. Type "
                                        "the replacement text in the \"New Text\" view. It's that simple."),
                         Frame3),
              "Label4", 8, 16, 497, 57);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Frame2 = Place(new QGroupBox(QStringLiteral("New Text"), client), "Frame2", 272, 112, 249, 145);
    text3 = Place(new QPlainTextEdit(Frame2), "text3", 8, 24, 233, 113);
    Frame1 = Place(new QGroupBox(QStringLiteral("ROM Text"), client), "Frame1", 8, 112, 257, 145);
    text1 = Place(new QPlainTextEdit(Frame1), "text1", 8, 24, 241, 113);
    for (QPlainTextEdit* pane : {text1, text3}) {
        pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pane->setTabChangesFocus(true);
    }

    Fini = Place(new QLineEdit(QStringLiteral("200"), client), "Fini", 120, 304, 89, 19);
    Begin = Place(new QLineEdit(QStringLiteral("1"), client), "Begin", 120, 272, 89, 19);
    OffSet = Place(new QLineEdit(QStringLiteral("0"), client), "OffSet", 400, 264, 81, 19);
    Command3 = Place(new QPushButton(QStringLiteral("Write New Text"), client), "Command3", 344, 312, 105, 25);
    Command3->setEnabled(false);
    Command1 = Place(new QPushButton(QStringLiteral("Load Kyrel ROM"), client), "Command1", 80, 352, 105, 25);
    Command2 = Place(new QPushButton(QStringLiteral("Other Chars"), client), "Command2", 344, 288, 105, 25);
    Command2->setEnabled(false);
    Command5 = Place(new QPushButton(QStringLiteral("Refresh View"), client), "Command5", 80, 328, 105, 25);

    // An etched rule under the menu bar: a dark line with a light one just below it.
    Line2 = Place(new QFrame(client), "Line2", 0, 1, 552, 1);
    Line1 = Place(new QFrame(client), "Line1", 0, 0, 552, 1);
    for (auto [line, colour] :
         {std::pair{Line1, QColor(0x80, 0x80, 0x80)}, std::pair{Line2, QColor(0xE0, 0xE0, 0xE0)}}) {
        line->setFrameShape(QFrame::NoFrame);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, colour);
        line->setPalette(palette);
    }

    Label6 = Place(new QLabel(QStringLiteral("Bank:"), client), "Label6", 88, 272, 33, 17);
    Label5 = Place(new QLabel(QStringLiteral("Index:"), client), "Label5", 88, 312, 33, 17);
    Label3 = Place(new QLabel(QStringLiteral("Write to OffSet:"), client), "Label3", 320, 264, 73, 17);
    Label2 = Place(new QLabel(QStringLiteral("Ending Value:"), client), "Label2", 48, 304, 73, 17);
    Label1 = Place(new QLabel(QStringLiteral("Starting Value:"), client), "Label1", 48, 272, 73, 17);
    // One font for every caption of the window, small enough for the longest to fit its place.
    client->setFont(FittingFont(client->font(), {Label1, Label2, Label3, Label4, Label5, Label6}));

    // Made after the client area, so that it outlives the frames that use it.
    auto* frameStyle = new CaptionFrameStyle;
    frameStyle->setParent(this);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3})
        frame->setStyle(frameStyle);

    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {Command1, Command2, Command3, Command4, Command5})
        button->setAutoDefault(true);
    // Text boxes hold text of any length.
    for (QLineEdit* box : {Edit, BankNo, IndexNo, Fini, Begin, OffSet})
        box->setMaxLength(std::numeric_limits<int>::max());

    const QWidget* tabOrder[] = {Command1, Command3, OffSet, Begin,  Fini,     text1, text3,   Command2,
                                 Bank,     IndexNo,  Index,  BankNo, Command4, Edit,  Command5};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(tabOrder[i - 1]), const_cast<QWidget*>(tabOrder[i]));
    Command1->setFocus();

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

    // Names for a screen reader where a control shows no caption of its own: the spinners and their arrows, the
    // number boxes after their labels, the panes after their frames.
    Bank->SetAccessibleNames(QStringLiteral("Bank"));
    Index->SetAccessibleNames(QStringLiteral("Index"));
    for (auto [box, label] : {std::pair{BankNo, Label6}, std::pair{IndexNo, Label5}, std::pair{Begin, Label1},
                              std::pair{Fini, Label2}, std::pair{OffSet, Label3}})
        box->setAccessibleName(label->text().remove(QLatin1Char(':')));
    text1->setAccessibleName(Frame1->title());
    text3->setAccessibleName(Frame2->title());
}

void GameDialog::CreateMenus() {
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    FileMenu = addMenu("FileMenu", QStringLiteral("&File"));
    FileOpen = addItem(FileMenu, "FileOpen", QStringLiteral("&Open"));

    ViewMenu = addMenu("ViewMenu", QStringLiteral("&View"));
    ViewByByte = addItem(ViewMenu, "ViewByByte", QStringLiteral("View By &Byte"));
    ViewByIndex = addItem(ViewMenu, "ViewByIndex", QStringLiteral("View By Bank/&Index"));
    ViewByByte->setCheckable(true);
    ViewByIndex->setCheckable(true);

    OptionMenu = addMenu("OptionMenu", QStringLiteral("&Options"));
    OptionSplash = addItem(OptionMenu, "OptionSplash", QStringLiteral("&Splash Screen on Load"));
    OptionSplash->setCheckable(true);
    OptionMenu->menuAction()->setEnabled(false);

    HelpMenu = addMenu("HelpMenu", QStringLiteral("&Help"));
    HelpTags = addItem(HelpMenu, "HelpTags", QStringLiteral("<&Tags>"));
    HelpTags->setEnabled(false);
    readme = addItem(HelpMenu, "readme", QStringLiteral("See Readme.txt"));
    AboutBox = addItem(HelpMenu, "AboutBox", QStringLiteral("&About"));

    connect(FileOpen, &QAction::triggered, this, &GameDialog::FileOpen_Click);
    // The view handlers set both check marks themselves, whatever Qt's own toggle did.
    connect(ViewByByte, &QAction::triggered, this, &GameDialog::ViewByByte_Click);
    connect(ViewByIndex, &QAction::triggered, this, &GameDialog::ViewByIndex_Click);
    connect(OptionSplash, &QAction::triggered, this, [this] {
        OptionSplash->setChecked(!OptionSplash->isChecked()); // undo Qt's toggle: the handler does the toggling
        OptionSplash_Click();
    });
    connect(AboutBox, &QAction::triggered, this, &GameDialog::AboutBox_Click);
}

void GameDialog::Form_Load() {
    m_charTable.BuildCharTable();
    ViewByIndex_Click();
    m_positions.NextMessagePos = 0;
    m_bankStart[1] = kyrel::Bank1Start;
    m_bankStart[2] = kyrel::Bank2Start;
    if (OptionSplash->isChecked())
        Splash::ShowInstance();
}

bool GameDialog::ByteView() const {
    return ViewByByte->isChecked();
}

void GameDialog::Warn(const QString& text) {
    if (m_warnedInAction)
        return;
    m_warnedInAction = true;
    QMessageBox::warning(this, windowTitle(), text);
}

std::optional<QString> GameDialog::ReadMessage(const QString& path) {
    const kyrel::StopRule rule = ByteView() ? kyrel::StopRule::ByteView(NumberIn(Fini)) : kyrel::StopRule::IndexView();
    const kyrel::ReadResult result = kyrel::ReadMessage(ToFsPath(path), m_positions, m_charTable, rule);
    if (!result.ok())
        return QString::fromStdString(result.error);
    text1->setPlainText(ForDisplay(result.text));
    KeepReadBytes(result);
    m_positions = result.state;
    Command3->setEnabled(true);
    return std::nullopt;
}

void GameDialog::RefreshView() {
    ActionScope scope(*this);
    if (ByteView()) {
        // While the user is still typing a position there is nothing to read yet.
        const auto begin = NumberIn(Begin);
        const auto position = begin ? kyrel::RoundToInt32(*begin) : std::nullopt;
        if (!position)
            return;
        m_positions.ReadPos = *position;
    } else {
        Begin->setText(QString::number(m_positions.ReadPos));
    }

    const auto fini = NumberIn(Fini);
    const auto begin = NumberIn(Begin);
    if (fini && begin && *fini - *begin > MaxFiniSpan)
        Fini->setText(NumberText(*begin + MaxFiniSpan));

    if (const auto failure = ReadMessage(m_romPath))
        Warn(tr("The message could not be read.\n\n%1").arg(*failure));
}

void GameDialog::Command1_Click() {
    ActionScope scope(*this);
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Each caption is followed by the pattern the dialog really applies, and only the captions are shown: to Qt
    // "*.*" needs a dot in the name, and many ROM dumps have no extension.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QString smcFilter = QStringLiteral("SMC Rom Format (*.smc) (*.smc)");
    dialog.setNameFilters({smcFilter, QStringLiteral("All Files (*.*) (*)")});
    dialog.selectNameFilter(smcFilter);
#ifdef Q_OS_WIN
    dialog.setDirectory(QStringLiteral("C:\\"));
#else
    dialog.setDirectory(QDir::currentPath());
#endif
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_romPath = dialog.selectedFiles().constFirst();
    // A file that cannot be read leaves the window as it was, without a word; but the message shown belongs to
    // another file, so nothing may be written until a read of this one works.
    if (ReadMessage(m_romPath))
        Command3->setEnabled(false);
}

void GameDialog::FileOpen_Click() {
    Command1_Click();
}

void GameDialog::Command5_Click() {
    ActionScope scope(*this);
    if (RomLoaded())
        RefreshView();
}

void GameDialog::ViewByByte_Click() {
    ActionScope scope(*this);
    SetViewControls(true);
    m_positions.ReadPos = 1;
    if (RomLoaded())
        RefreshView();
}

void GameDialog::ViewByIndex_Click() {
    ActionScope scope(*this);
    SetViewControls(false);
    m_positions.ReadPos = kyrel::Bank1Start;
}

void GameDialog::SetViewControls(bool byteView) {
    for (QWidget* widget : std::initializer_list<QWidget*>{Label1, Label2, Begin, Fini, Label3, OffSet, Command5})
        widget->setVisible(byteView);
    for (QWidget* widget : std::initializer_list<QWidget*>{Label5, Label6, Bank, Index, BankNo, IndexNo})
        widget->setVisible(!byteView);
    ViewByByte->setChecked(byteView);
    ViewByIndex->setChecked(!byteView);
}

void GameDialog::Bank_UpClick() {
    ActionScope scope(*this);
    const auto bank = NumberIn(BankNo);
    if (!bank)
        return;
    BankNo->setText(*bank == 2 ? QStringLiteral("1") : NumberText(*bank + 1));
}

void GameDialog::Bank_DownClick() {
    ActionScope scope(*this);
    const auto bank = NumberIn(BankNo);
    if (!bank)
        return;
    BankNo->setText(*bank == 1 ? QStringLiteral("2") : NumberText(*bank - 1));
}

void GameDialog::BankNo_Change() {
    ActionScope scope(*this);
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
    if (!entry || *entry < 0 || *entry >= static_cast<int>(m_bankStart.size()))
        return;
    m_positions.ReadPos = m_bankStart[static_cast<std::size_t>(*entry)];
    if (RomLoaded())
        RefreshView();
}

void GameDialog::Index_UpClick() {
    ActionScope scope(*this);
    const auto bank = NumberIn(BankNo);
    const auto index = NumberIn(IndexNo);
    if (!bank || !index)
        return;
    if (*bank == 1 && *index == Bank1LastIndex)
        return;
    IndexNo->setText(*index == LastIndex ? QStringLiteral("1") : NumberText(*index + 1));
    m_positions.ReadPos = m_positions.NextMessagePos;
    if (RomLoaded())
        RefreshView();
}

void GameDialog::Index_DownClick() {
    ActionScope scope(*this);
    const auto index = NumberIn(IndexNo);
    if (!index)
        return;
    IndexNo->setText(*index == 1 ? QString::number(LastIndex) : NumberText(*index - 1));
    if (RomLoaded())
        RefreshView();
}

void GameDialog::IndexNo_Change() {
    ActionScope scope(*this);
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
    if (RomLoaded())
        RefreshView();
}

void GameDialog::Begin_Change() {
    ActionScope scope(*this);
    const auto begin = NumberIn(Begin);
    if (begin && *begin <= 0)
        Begin->setText(QStringLiteral("1"));
}

void GameDialog::Command3_Click() {
    ActionScope scope(*this);
    const QString text = NewText();
    bool wrote = false;
    if (text.isEmpty()) {
        m_warnedInAction = true;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"),
                        QStringLiteral("You can not leave this field blank to write to this file!"), QMessageBox::Ok,
                        this);
        box.exec();
    } else {
        const std::filesystem::path path = ToFsPath(m_romPath);
        const std::int32_t start = m_positions.ViewStartPos;
        // Encode and check everything before writing anything: a write that stopped midway would leave a
        // message without its end code, and the game would run on into the next one.
        const std::optional<std::vector<std::uint8_t>> bytes = EncodeNewText(text);
        if (bytes && ConfirmLongerText(path, start, *bytes)) {
            const kyrel::WriteResult result = kyrel::WriteMessageBytes(path, start, *bytes);
            wrote = result.ok();
            if (!result.ok())
                ReportWrite(start, result, static_cast<std::int64_t>(bytes->size()));
        }
    }
    m_encoder.BreakMode = 0;
    m_positions.ReadPos = m_positions.ViewStartPos;
    if (wrote && ByteView() && !BeginPosition()) {
        // Nothing to read from in "Starting Value:": show the message just written.
        if (const auto failure = ReadMessage(m_romPath))
            Warn(tr("The message could not be read.\n\n%1").arg(*failure));
    } else {
        RefreshView();
    }
}

QString GameDialog::NewText() const {
    // The document's own text: the plain-text view would turn no-break spaces into blanks, which the encoder
    // would write. Only the pane's line ends become the CR LF the encoder skips.
    QString text = text3->document()->toRawText();
    for (const QChar separator : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
        text.replace(separator, QStringLiteral("\r\n"));
    return text;
}

std::optional<std::vector<std::uint8_t>> GameDialog::EncodeNewText(const QString& text) {
    std::vector<std::uint8_t> bytes;
    const auto badField = kyrel::EncodeMessage(text.toStdU16String(), m_encoder, [&](std::uint8_t b) {
        bytes.push_back(b);
        return true;
    });
    const kyrel::WriteResult refused = badField
                                           ? kyrel::WriteResult{0, badField->Describe()}
                                           : kyrel::CheckMessageWrite(ToFsPath(m_romPath), m_positions.ViewStartPos,
                                                                      static_cast<std::int64_t>(bytes.size()));
    if (!refused.ok()) {
        ReportWrite(m_positions.ViewStartPos, refused, static_cast<std::int64_t>(bytes.size()));
        return std::nullopt;
    }
    return bytes;
}

bool GameDialog::ConfirmLongerText(const std::filesystem::path& path, std::int32_t start,
                                   const std::vector<std::uint8_t>& bytes) {
    const auto needed = static_cast<std::int64_t>(bytes.size());
    const kyrel::MessageLength old = kyrel::MeasureMessage(path, start, needed);
    if (!old.ok() || !old.terminated || needed <= old.bytes)
        return true;
    return QMessageBox::question(this, windowTitle(),
                                 tr("The new text needs %1, but the message at position %2 has only %3.\n\n"
                                    "Writing it overwrites the %4 after that message. Write it anyway?")
                                     .arg(Bytes(needed))
                                     .arg(start)
                                     .arg(Bytes(old.bytes))
                                     .arg(Bytes(needed - old.bytes)),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void GameDialog::ReportWrite(std::int32_t start, const kyrel::WriteResult& result, std::int64_t needed) {
    // A write that did not happen, or happened in part, is never folded into another warning of the same action.
    m_warnedInAction = true;
    const QString reason = QString::fromStdString(result.error);
    if (result.written == 0) {
        QMessageBox::warning(this, windowTitle(), tr("Nothing was written.\n\n%1").arg(reason));
        return;
    }
    QMessageBox::warning(this, windowTitle(),
                         tr("The write stopped after %1 of %2. The message at position %3 now ends at position %4 "
                            "without its end code.\n\n%5")
                             .arg(result.written)
                             .arg(Bytes(needed))
                             .arg(start)
                             .arg(start + result.written - 1)
                             .arg(reason));
}

std::optional<std::int32_t> GameDialog::BeginPosition() const {
    const auto begin = NumberIn(Begin);
    const auto position = begin ? kyrel::RoundToInt32(*begin) : std::nullopt;
    if (!position || *position < 1)
        return std::nullopt;
    return position;
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

// ---- copying a message as new text, and the size of the new text --------------------------------------------

void GameDialog::CreateCopyAsNewText() {
    CopyAsNewText = new QAction(QStringLiteral("Copy as New Text"), this);
    CopyAsNewText->setObjectName(QStringLiteral("CopyAsNewText"));
    CopyAsNewText->setEnabled(false);
    connect(CopyAsNewText, &QAction::triggered, this, &GameDialog::CopyAsNewText_Click);
    text1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(text1, &QWidget::customContextMenuRequested, this, &GameDialog::text1_ContextMenu);
    // The pane's tooltip events arrive at its viewport, the widget under the mouse.
    text3->viewport()->installEventFilter(this);
}

void GameDialog::KeepReadBytes(const kyrel::ReadResult& read) {
    m_readBytes = read.bytes;
    m_readBytesStart = read.state.ViewStartPos;
    CopyAsNewText->setEnabled(true);
}

void GameDialog::text1_ContextMenu(const QPoint& position) {
    QMenu* menu = text1->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(CopyAsNewText);
    menu->popup(text1->viewport()->mapToGlobal(position));
}

void GameDialog::CopyAsNewText_Click() {
    const kyrel::TypedText copy = kyrel::TypedTextOf(m_readBytes, m_readBytesStart);
    QString text = QString::fromStdU16String(copy.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QGuiApplication::clipboard()->setText(text);

    // Nobody should write back a message that lost its end without knowing it.
    if (copy.complete)
        return;
    QMessageBox box(QMessageBox::Information, windowTitle(),
                    QStringLiteral("The message was copied as new text.\n\n") +
                        QStringLiteral("The read stopped before the end code of the message, so writing the text "
                                       "puts an end code where the read stopped."),
                    QMessageBox::Ok, this);
    box.exec();
}

QString GameDialog::NewTextSize() const {
    // Encoded as "Write New Text" encodes it, so that lines and columns of an error agree.
    const QString text = NewText();
    if (text.isEmpty())
        return QStringLiteral("The new text is empty, and an empty text cannot be written.");
    const kyrel::EncodedMessage encoded = kyrel::EncodeToBytes(text.toStdU16String());
    if (!encoded.ok())
        return QString::fromStdString(encoded.error->Describe());

    const QString needs =
        QStringLiteral("The new text needs %1.").arg(Bytes(static_cast<std::int64_t>(encoded.bytes.size())));
    if (m_readBytes.empty())
        return needs + QStringLiteral(" No message has been read yet.");
    if (kyrel::TypedTextOf(m_readBytes, m_readBytesStart).complete)
        return needs + QStringLiteral(" The message read last holds %1.")
                           .arg(Bytes(static_cast<std::int64_t>(m_readBytes.size())));
    return needs + QStringLiteral(" The read of the message shown stopped after %1, before its end code.")
                       .arg(Bytes(static_cast<std::int64_t>(m_readBytes.size())));
}

bool GameDialog::eventFilter(QObject* watched, QEvent* event) {
    // Worked out only when the tooltip is about to show: nothing runs while the user types.
    if (event->type() == QEvent::ToolTip && watched == text3->viewport()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), NewTextSize(), text3->viewport());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
