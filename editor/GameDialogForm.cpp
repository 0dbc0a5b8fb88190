#include "editor/GameDialogForm.h"

#include "editor/CaptionFrameStyle.h"
#include "editor/TextForms.h"
#include "editor/UpDown.h"
#include "windows/FittingFont.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <limits>

namespace {

template <typename T> T* Place(T* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace

void GameDialogForm::SetupForm(QMainWindow* window) {
    CreateControls(window);
    CreateMenus(window);
}

void GameDialogForm::CreateControls(QMainWindow* window) {
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    window->setCentralWidget(client);

    Edit = Place(new QLineEdit(client), "Edit", 160, 8, 217, 19);
    Edit->hide();
    Command4 = Place(new QPushButton(tr("Preview New Text"), client), "Command4", 344, 336, 105, 25);
    Command4->setEnabled(false);
    BankNo = Place(new QLineEdit(QStringLiteral("1"), client), "BankNo", 144, 272, 17, 19);
    Index = Place(new UpDown(client), "Index", 120, 304, 15, 33);
    IndexNo = Place(new QLineEdit(QStringLiteral("1"), client), "IndexNo", 144, 312, 33, 19);
    Bank = Place(new UpDown(client), "Bank", 120, 264, 15, 33);

    Frame3 = Place(new QGroupBox(tr("Instructions"), client), "Frame3", 8, 24, 513, 81);
    Label4 = Place(new QLabel(tr("Load any \"Kyrel: Quillmere\" rom and scroll through the multiple Messages. "
                                 "After finding the one you wish to replace in the \"ROM Text\" view. Type "
                                 "the replacement text in the \"New Text\" view. It's that simple."),
                              Frame3),
                   "Label4", 8, 16, 497, 57);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Frame2 = Place(new QGroupBox(tr("New Text"), client), "Frame2", 272, 112, 249, 145);
    text3 = Place(new QPlainTextEdit(Frame2), "text3", 8, 24, 233, 113);
    Frame1 = Place(new QGroupBox(tr("ROM Text"), client), "Frame1", 8, 112, 257, 145);
    text1 = Place(new QPlainTextEdit(Frame1), "text1", 8, 24, 241, 113);
    for (QPlainTextEdit* pane : {text1, text3}) {
        pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pane->setTabChangesFocus(true);
    }

    Fini = Place(new QLineEdit(QStringLiteral("200"), client), "Fini", 120, 304, 89, 19);
    Begin = Place(new QLineEdit(QStringLiteral("1"), client), "Begin", 120, 272, 89, 19);
    OffSet = Place(new QLineEdit(QStringLiteral("0"), client), "OffSet", 400, 264, 81, 19);
    Command3 = Place(new QPushButton(tr("Write New Text"), client), "Command3", 344, 312, 105, 25);
    Command3->setEnabled(false);
    Command1 = Place(new QPushButton(tr("Load Kyrel ROM"), client), "Command1", 80, 352, 105, 25);
    Command2 = Place(new QPushButton(tr("Other Chars"), client), "Command2", 344, 288, 105, 25);
    Command2->setEnabled(false);
    Command5 = Place(new QPushButton(tr("Refresh View"), client), "Command5", 80, 328, 105, 25);

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

    Label6 = Place(new QLabel(tr("Bank:"), client), "Label6", 88, 272, 33, 17);
    Label5 = Place(new QLabel(tr("Index:"), client), "Label5", 88, 312, 33, 17);
    Label3 = Place(new QLabel(tr("Write to OffSet:"), client), "Label3", 320, 264, 73, 17);
    Label2 = Place(new QLabel(tr("Ending Value:"), client), "Label2", 48, 304, 73, 17);
    Label1 = Place(new QLabel(tr("Starting Value:"), client), "Label1", 48, 272, 73, 17);
    // One font for every caption of the window, small enough for the longest to fit its place.
    client->setFont(FittingFont(client->font(), {Label1, Label2, Label3, Label4, Label5, Label6}));

    // Made after the client area, so that it outlives the frames that use it.
    auto* frameStyle = new CaptionFrameStyle;
    frameStyle->setParent(window);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3})
        frame->setStyle(frameStyle);

    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {Command1, Command2, Command3, Command4, Command5})
        button->setAutoDefault(true);
    // Text boxes hold text of any length.
    for (QLineEdit* box : {Edit, BankNo, IndexNo, Fini, Begin, OffSet})
        box->setMaxLength(std::numeric_limits<int>::max());

    QWidget* const tabOrder[] = {Command1, Command3, OffSet, Begin,  Fini,     text1, text3,   Command2,
                                 Bank,     IndexNo,  Index,  BankNo, Command4, Edit,  Command5};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Command1->setFocus();

    // Names for a screen reader where a control shows no caption of its own: the spinners and their arrows, the
    // number boxes after their labels, the panes after their frames.
    Bank->SetAccessibleNames(tr("Bank"));
    Index->SetAccessibleNames(tr("Index"));
    for (auto [box, label] : {std::pair{BankNo, Label6}, std::pair{IndexNo, Label5}, std::pair{Begin, Label1},
                              std::pair{Fini, Label2}, std::pair{OffSet, Label3}})
        box->setAccessibleName(label->text().remove(QLatin1Char(':')));
    text1->setAccessibleName(Frame1->title());
    text3->setAccessibleName(Frame2->title());
}

void GameDialogForm::CreateMenus(QMainWindow* window) {
    auto addMenu = [window](const char* name, const QString& caption) {
        QMenu* menu = window->menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    FileMenu = addMenu("FileMenu", tr("&File"));
    FileOpen = addItem(FileMenu, "FileOpen", tr("&Open"));
    // No shortcut: Ctrl+Z belongs to the text panes.
    UndoWrite = addItem(FileMenu, "UndoWrite", tr("&Undo Write"));
    UndoWrite->setEnabled(false);
    // The whole script out to a translation tool and back in; usable once a ROM is chosen.
    FileMenu->addSeparator();
    ExportScript = addItem(FileMenu, "ExportScript", tr("&Export Script..."));
    ImportScript = addItem(FileMenu, "ImportScript", tr("&Import Script..."));
    // The work shared as a patch from the unchanged original; usable once a ROM is chosen.
    MakePatch = addItem(FileMenu, "MakePatch", tr("Make &Patch..."));
    ExportScript->setEnabled(false);
    ImportScript->setEnabled(false);
    MakePatch->setEnabled(false);

    ViewMenu = addMenu("ViewMenu", tr("&View"));
    ViewByByte = addItem(ViewMenu, "ViewByByte", tr("View By &Byte"));
    ViewByIndex = addItem(ViewMenu, "ViewByIndex", tr("View By Bank/&Index"));
    ViewByByte->setCheckable(true);
    ViewByIndex->setCheckable(true);
    // The window that lists every message, beside the navigation; usable once a ROM is chosen.
    ViewMessages = addItem(ViewMenu, "ViewMessages", tr("&Messages..."));
    ViewMessages->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    ViewMessages->setEnabled(false);

    OptionMenu = addMenu("OptionMenu", tr("&Options"));
    OptionSplash = addItem(OptionMenu, "OptionSplash", tr("&Splash Screen on Load"));
    OptionSplash->setCheckable(true);
    OptionMenu->menuAction()->setEnabled(false);

    HelpMenu = addMenu("HelpMenu", tr("&Help"));
    HelpTags = addItem(HelpMenu, "HelpTags", tr("<&Tags>"));
    HelpTags->setEnabled(false);
    readme = addItem(HelpMenu, "readme", tr("See Readme.txt"));
    AboutBox = addItem(HelpMenu, "AboutBox", tr("&About"));

    // Shown in the "ROM Text" pane's own menu once a message has been read.
    CopyAsNewText = new QAction(tr("Copy as New Text"), window);
    CopyAsNewText->setObjectName(QStringLiteral("CopyAsNewText"));
    CopyAsNewText->setEnabled(false);
    text1->setContextMenuPolicy(Qt::CustomContextMenu);
}

void GameDialogForm::ShowViewControls(bool byteView) {
    for (QWidget* widget : std::initializer_list<QWidget*>{Label1, Label2, Begin, Fini, Label3, OffSet, Command5})
        widget->setVisible(byteView);
    for (QWidget* widget : std::initializer_list<QWidget*>{Label5, Label6, Bank, Index, BankNo, IndexNo})
        widget->setVisible(!byteView);
    ViewByByte->setChecked(byteView);
    ViewByIndex->setChecked(!byteView);
}

void GameDialogForm::ShowPaneMenu(const QPoint& position) {
    QMenu* menu = text1->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(CopyAsNewText);
    menu->popup(text1->viewport()->mapToGlobal(position));
}

QString GameDialogForm::AskRomPath(QWidget* window) {
    QFileDialog dialog(window);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Each caption is followed by the pattern the dialog really applies, and only the captions are shown: to Qt
    // "*.*" needs a dot in the name, and many ROM dumps have no extension.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QString smcFilter = tr("SMC Rom Format (*.smc)") + QStringLiteral(" (*.smc)");
    dialog.setNameFilters({smcFilter, tr("All Files (*.*)") + QStringLiteral(" (*)")});
    dialog.selectNameFilter(smcFilter);
#ifdef Q_OS_WIN
    dialog.setDirectory(QStringLiteral("C:\\"));
#else
    dialog.setDirectory(QDir::currentPath());
#endif
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::u16string GameDialogForm::NewText() const {
    // The document's own text: the plain-text view would turn no-break spaces into blanks, which the encoder
    // would write. Only the pane's line ends become the CR LF the encoder skips.
    return TextForms::ForEncoder(text3->document()->toRawText());
}

void GameDialogForm::ShowUndoWrite(const QString& change) {
    UndoWrite->setEnabled(!change.isEmpty());
    UndoWrite->setText(change.isEmpty() ? tr("&Undo Write") : change);
}

QString GameDialogForm::AskFilePath(QWidget* window, const FileQuestion& question) {
    QFileDialog dialog(window);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    if (!question.title.isEmpty())
        dialog.setWindowTitle(question.title);
    dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(question.filters);
    if (question.save) {
        // A name typed without an extension takes the one of the type chosen below it.
        dialog.setDefaultSuffix(QFileInfo(question.proposed).suffix());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const qsizetype star = filter.indexOf(QLatin1String("*."));
            dialog.setDefaultSuffix(star < 0 ? QString() : filter.mid(star + 2).section(QLatin1Char(')'), 0, 0));
        });
        dialog.selectFile(question.proposed);
    } else if (!question.proposed.isEmpty()) {
        dialog.setDirectory(QFileInfo(question.proposed).absolutePath());
    }
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
