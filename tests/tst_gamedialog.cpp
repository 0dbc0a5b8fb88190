// The main window driven through its real controls: start-up state, loading through the file dialog,
// the nested reads of the spinners and boxes, both views, and writing new text into a synthetic ROM.
#include "editor/GameDialog.h"
#include "tests/support/EditorTest.h"
#include "tests/support/TestFiles.h"
#include "windows/About.h"
#include "windows/Other.h"
#include "windows/Splash.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QToolButton>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::FileKind;
using kyrel::testing::OddFile;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Messages named after their place, so the pane tells where a read started: "B1M7" is bank 1's seventh.
QString MessageName(int bank, int index) {
    return QStringLiteral("B%1M%2").arg(bank).arg(index);
}
QString Shown(int bank, int index) {
    return MessageName(bank, index) + QStringLiteral("\n\n");
}
const QString Terminator = QStringLiteral("\n\n");

// Position of the end code of a message "BbMi" (letters and digits encode one byte each).
std::int32_t EndOf(std::int32_t start, int bank, int index) {
    return start + static_cast<std::int32_t>(MessageName(bank, index).size());
}

SyntheticRom MakeRom() {
    SyntheticRom rom;
    std::int32_t position = Bank1Start;
    for (int i = 1; i <= 80; ++i)
        position = rom.PutText(position, MessageName(1, i).toStdU16String());
    position = Bank2Start;
    for (int i = 1; i <= 10; ++i)
        position = rom.PutText(position, MessageName(2, i).toStdU16String());
    return rom;
}

} // namespace

class TestGameDialog : public EditorTest {
    Q_OBJECT

private slots:
    void init();

    void startsWithEveryControlInPlace_data();
    void startsWithEveryControlInPlace();
    void startsWithMenusAndState();
    void startsWithTabOrder();
    void opensTheAuxiliaryWindows();
    void framesKeepTheirContentsClear_data();
    void framesKeepTheirContentsClear();
    void focusShowsWithoutTab_data();
    void focusShowsWithoutTab();
    void keysPressTheFocusedButton_data();
    void keysPressTheFocusedButton();
    void textBoxesHaveNoLengthLimit_data();
    void textBoxesHaveNoLengthLimit();

    void loadsThroughTheFileDialog();
    void cancelledDialogLoadsNothing();
    void unreadableChoiceEndsQuietly();

    void indexUpAfterSwitchReadsTheSecondMessage();
    void indexUpStepsThroughMessages();
    void indexDownRereadsTheTerminator();
    void indexDownAfterSwitchShowsTerminatorOfFirstMessage();
    void bankChange_data();
    void bankChange();
    void indexUpStopsAtBank1Index75();
    void indexWrapsAt672();
    void typedIndexIsClamped_data();
    void typedIndexIsClamped();
    void noNumberInABoxChangesNothing();

    void byteViewReadsFromBegin();
    void byteViewBeforeLoadReadsFromFirstByte();
    void refreshClampsFini_data();
    void refreshClampsFini();
    void beginIsKeptAboveZero_data();
    void beginIsKeptAboveZero();
    void readBeforeFirstByteWarnsOnce();
    void removedRomWarnsOncePerAction();

    void writesExactBytesAtViewStart();
    void writesTheSameBytesTwice();
    void emptyPaneIsRefused_data();
    void emptyPaneIsRefused();
    void lineEndsOnlyWriteTheEndCode();
    void badArgumentWritesNothing();
    void longerTextAsksFirst_data();
    void longerTextAsksFirst();
    void writePastTheEndIsRefused();
    void readOnlyRomIsReported();

private:
    const SyntheticRom m_rom = MakeRom();
};

void TestGameDialog::init() {
    EditorTest::init();
    Save(m_rom);
}

// ---- start-up -------------------------------------------------------------------------------------------

void TestGameDialog::startsWithEveryControlInPlace_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("text");

    const QString instructions = QStringLiteral(
        "Load any \"Kyrel: Quillmere\" rom and scroll through the multiple Messages. After finding the one you wish "
        "to replace in the \"ROM Text\" view. Type the replacement text in the \"New Text\" view. It's that simple.");
    auto row = [](const char* name, QRect place, bool visible, bool enabled, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(name) << place << visible << enabled << text;
    };
    row("Edit", {160, 8, 217, 19}, false, true, {});
    row("Command4", {344, 336, 105, 25}, true, false, QStringLiteral("Preview New Text"));
    row("BankNo", {144, 272, 17, 19}, true, true, QStringLiteral("1"));
    row("Index", {120, 304, 15, 33}, true, true, {});
    row("IndexNo", {144, 312, 33, 19}, true, true, QStringLiteral("1"));
    row("Bank", {120, 264, 15, 33}, true, true, {});
    row("Frame3", {8, 24, 513, 81}, true, true, QStringLiteral("Instructions"));
    row("Label4", {8, 16, 497, 57}, true, true, instructions);
    row("Frame2", {272, 112, 249, 145}, true, true, QStringLiteral("New Text"));
    row("text3", {8, 24, 233, 113}, true, true, {});
    row("Frame1", {8, 112, 257, 145}, true, true, QStringLiteral("ROM Text"));
    row("text1", {8, 24, 241, 113}, true, true, {});
    row("Fini", {120, 304, 89, 19}, false, true, QStringLiteral("200"));
    row("Begin", {120, 272, 89, 19}, false, true, QStringLiteral("1"));
    row("OffSet", {400, 264, 81, 19}, false, true, QStringLiteral("0"));
    row("Command3", {344, 312, 105, 25}, true, false, QStringLiteral("Write New Text"));
    row("Command1", {80, 352, 105, 25}, true, true, QStringLiteral("Load Kyrel ROM"));
    row("Command2", {344, 288, 105, 25}, true, false, QStringLiteral("Other Chars"));
    row("Command5", {80, 328, 105, 25}, false, true, QStringLiteral("Refresh View"));
    row("Line2", {0, 1, 552, 1}, true, true, {});
    row("Line1", {0, 0, 552, 1}, true, true, {});
    row("Label6", {88, 272, 33, 17}, true, true, QStringLiteral("Bank:"));
    row("Label5", {88, 312, 33, 17}, true, true, QStringLiteral("Index:"));
    row("Label3", {320, 264, 73, 17}, false, true, QStringLiteral("Write to OffSet:"));
    row("Label2", {48, 304, 73, 17}, false, true, QStringLiteral("Ending Value:"));
    row("Label1", {48, 272, 73, 17}, false, true, QStringLiteral("Starting Value:"));
}

void TestGameDialog::startsWithEveryControlInPlace() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(QString, text);

    auto* control = Dialog().findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), place);
    QCOMPARE(control->isVisibleTo(&Dialog()), visible);
    QCOMPARE(control->isEnabled(), enabled);
    QString shown;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        shown = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        shown = button->text();
    else if (auto* label = qobject_cast<QLabel*>(control)) {
        shown = label->text();
        // One font for all the window's captions, and no caption cut off by its fixed place.
        QCOMPARE(label->font(), Ui().Get<QLabel>("Label6")->font());
        if (label->wordWrap())
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
        else
            QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->width());
    } else if (auto* frame = qobject_cast<QGroupBox*>(control))
        shown = frame->title();
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(control))
        shown = pane->toPlainText();
    QCOMPARE(shown, text);
}

void TestGameDialog::startsWithMenusAndState() {
    QCOMPARE(Dialog().windowTitle(), QStringLiteral("Kyrel Script Editor"));
    QCOMPARE(Dialog().centralWidget()->size(), QSize(550, 383));
    // The client area, below the menu bar, is what lies at 239, 200 on the screen.
    QCOMPARE(Dialog().centralWidget()->mapToGlobal(QPoint(0, 0)), QPoint(239, 200));
    QCOMPARE(Dialog().minimumSize(), Dialog().maximumSize());
    QVERIFY(Dialog().windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(Dialog().windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(Ui().Get<QPushButton>("Command1")->hasFocus());

    struct Item {
        const char* name;
        const char* caption;
        bool enabled;
        bool checked;
        const char* shortcut = "";
    };
    const Item items[] = {
        {"FileMenu", "&File", true, false},
        {"FileOpen", "&Open", true, false},
        {"UndoWrite", "&Undo Write", false, false},
        {"-", "", false, false},
        {"ExportScript", "&Export Script...", false, false},
        {"ImportScript", "&Import Script...", false, false},
        {"MakePatch", "Make &Patch...", false, false},
        {"ViewMenu", "&View", true, false},
        {"ViewByByte", "View By &Byte", true, false},
        {"ViewByIndex", "View By Bank/&Index", true, true},
        {"ViewMessages", "&Messages...", false, false, "Ctrl+M"},
        {"OptionMenu", "&Options", false, false},
        {"OptionSplash", "&Splash Screen on Load", true, false},
        {"HelpMenu", "&Help", true, false},
        {"HelpTags", "<&Tags>", false, false},
        {"readme", "See Readme.txt", true, false},
        {"AboutBox", "&About", true, false},
    };
    QStringList order;
    for (QAction* top : Dialog().menuBar()->actions()) {
        order << top->objectName();
        for (QAction* item : top->menu()->actions())
            order << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
    }
    QStringList expectedOrder;
    for (const Item& item : items) {
        expectedOrder << QString::fromLatin1(item.name);
        if (expectedOrder.constLast() == QLatin1String("-"))
            continue;
        auto* action = Dialog().findChild<QAction*>(QLatin1String(item.name));
        QVERIFY2(action, item.name);
        QCOMPARE(action->text(), QString::fromUtf8(item.caption));
        QCOMPARE(action->isEnabled(), item.enabled);
        QCOMPARE(action->isChecked(), item.checked);
        QCOMPARE(action->shortcut().toString(), QString::fromLatin1(item.shortcut));
    }
    QCOMPARE(order, expectedOrder);

    // "See Readme.txt" can be chosen and does nothing.
    Dialog().findChild<QAction*>(QStringLiteral("readme"))->trigger();
    QVERIFY(Answerer().Boxes().isEmpty());

    QCOMPARE(State().ReadPos(), Bank1Start);
    QCOMPARE(State().NextMessagePos(), 0);
    QCOMPARE(State().ViewStartPos(), 0);
    QCOMPARE(State().BankStart(0), 0);
    QCOMPARE(State().BankStart(1), 483649);
    QCOMPARE(State().BankStart(2), 918210);
    QCOMPARE(State().BankStart(3), 0);
    QVERIFY(State().RomPath().isEmpty());
    QCOMPARE(State().CharTable().Lookup(0x00), std::u16string(u"A"));
    QVERIFY(!State().CharTable().PendingArgument());
}

void TestGameDialog::startsWithTabOrder() {
    // Tab from "Load Kyrel ROM" until the focus comes back to it; hidden and disabled controls are skipped.
    auto walk = [this] {
        Ui().Get<QWidget>("Command1")->setFocus();
        QStringList seen;
        for (int i = 0; i < 20; ++i) {
            const QString name = QApplication::focusWidget()->objectName();
            if (!seen.isEmpty() && name == seen.constFirst())
                break;
            seen << name;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return seen;
    };
    Dialog().ViewByByte_Click();
    QCOMPARE(walk(), (QStringList{"Command1", "OffSet", "Begin", "Fini", "text1", "text3", "Command5"}));
    Dialog().ViewByIndex_Click();
    QCOMPARE(walk(), (QStringList{"Command1", "text1", "text3", "Bank", "IndexNo", "Index", "BankNo"}));
}

void TestGameDialog::opensTheAuxiliaryWindows() {
    QVERIFY(!Splash::Instance());
    auto* about = Ui().Get<QAction>("AboutBox");
    about->trigger();
    About* first = About::Instance();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->parent());
    about->trigger();
    QCOMPARE(About::Instance(), first);

    // "Other Chars" cannot be pressed, but its handler opens the window.
    QVERIFY(!Ui().Get<QPushButton>("Command2")->isEnabled());
    QVERIFY(!Other::Instance());
    Dialog().Command2_Click();
    QVERIFY(Other::Instance() && Other::Instance()->isVisible());

    // The option only toggles its check mark; the splash screen waits for the next start.
    Dialog().OptionSplash_Click();
    QVERIFY(Ui().Get<QAction>("OptionSplash")->isChecked());
    QVERIFY(!Splash::Instance());
    Dialog().OptionSplash_Click();
    QVERIFY(!Ui().Get<QAction>("OptionSplash")->isChecked());

    first->close();
    Other::Instance()->close();
    QVERIFY(!About::Instance() && !Other::Instance());
}

void TestGameDialog::framesKeepTheirContentsClear_data() {
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("content");
    QTest::newRow("Instructions") << "Frame3"
                                  << "Label4";
    QTest::newRow("ROM Text") << "Frame1"
                              << "text1";
    QTest::newRow("New Text") << "Frame2"
                              << "text3";
}

// As the frame's style lays it out, its content lies inside the border and below the caption, and the caption sits
// on the border's top line.
void TestGameDialog::framesKeepTheirContentsClear() {
    QFETCH(QString, frame);
    QFETCH(QString, content);

    auto* box = Dialog().findChild<QGroupBox*>(frame);
    auto* inside = Dialog().findChild<QWidget*>(content);
    QVERIFY(box && inside);
    QCOMPARE(inside->parentWidget(), box);
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const auto rect = [&](QStyle::SubControl part) {
        return box->style()->subControlRect(QStyle::CC_GroupBox, &option, part, box);
    };
    const QRect border = rect(QStyle::SC_GroupBoxFrame);
    const QRect caption = rect(QStyle::SC_GroupBoxLabel);
    const QRect contents = rect(QStyle::SC_GroupBoxContents);

    QVERIFY(border.adjusted(1, 1, -1, -1).contains(contents));
    QVERIFY(contents.contains(inside->geometry()));
    QVERIFY(!caption.intersects(inside->geometry()));
    QVERIFY2(caption.top() < border.top() && border.top() < caption.bottom(), "the caption sits on the top line");
    QVERIFY(border.left() < caption.left() && caption.right() < border.right());
}

void TestGameDialog::focusShowsWithoutTab_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("Load Kyrel ROM") << "Command1";
    QTest::newRow("Bank spinner") << "Bank";
}

// The focused control looks different from the same control without the focus, before any Tab was pressed.
void TestGameDialog::focusShowsWithoutTab() {
    QFETCH(QString, control);

    QVERIFY(QTest::qWaitForWindowActive(&Dialog()));
    auto* widget = Dialog().findChild<QWidget*>(control);
    widget->setFocus();
    QVERIFY(widget->hasFocus());
    const QImage focused = widget->grab().toImage();
    Ui().Get<QWidget>("text1")->setFocus();
    QVERIFY(!widget->hasFocus());
    QVERIFY(widget->grab().toImage() != focused);
}

void TestGameDialog::keysPressTheFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    for (const char* button : {"Command1", "Command3", "Command5"}) {
        QTest::addRow("Enter on %s", button) << button << int(Qt::Key_Return);
        QTest::addRow("keypad Enter on %s", button) << button << int(Qt::Key_Enter);
        QTest::addRow("Space on %s", button) << button << int(Qt::Key_Space);
    }
}

// Enter presses the focused button once, as Space does.
void TestGameDialog::keysPressTheFocusedButton() {
    QFETCH(QString, button);
    QFETCH(int, key);

    Ui().Load(RomPath());
    Dialog().ViewByByte_Click(); // shows "Refresh View"
    Dialog().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Dialog()));
    auto* pushButton = Dialog().findChild<QPushButton*>(button);
    QVERIFY(pushButton->isVisible() && pushButton->isEnabled());
    pushButton->setFocus(Qt::TabFocusReason);
    QVERIFY(pushButton->hasFocus());
    QSignalSpy presses(pushButton, &QPushButton::clicked);
    if (button == QLatin1String("Command1"))
        AnswerFileDialog(QString()); // cancels the file dialog that "Load Kyrel ROM" opens
    QTest::keyClick(pushButton, Qt::Key(key));
    QCOMPARE(presses.size(), 1);
}

void TestGameDialog::textBoxesHaveNoLengthLimit_data() {
    QTest::addColumn<QString>("box");
    for (const char* box : {"Edit", "BankNo", "IndexNo", "Fini", "Begin", "OffSet"})
        QTest::newRow(box) << box;
}

// A text box keeps all of a long text, longer than any default limit.
void TestGameDialog::textBoxesHaveNoLengthLimit() {
    QFETCH(QString, box);
    const QString text(100000, QLatin1Char('x')); // not a number, so no handler reacts to it
    auto* edit = Dialog().findChild<QLineEdit*>(box);
    edit->setText(text);
    QCOMPARE(edit->text().size(), text.size());
}

// ---- loading --------------------------------------------------------------------------------------------

void TestGameDialog::loadsThroughTheFileDialog() {
    Ui().Load(RomPath());
    QCOMPARE(State().RomPath(), RomPath());
    QCOMPARE(Ui().Pane(), Shown(1, 1));
    QVERIFY(Ui().Get<QPushButton>("Command3")->isEnabled());
    QCOMPARE(State().ViewStartPos(), Bank1Start);
    QCOMPARE(State().ReadPos(), EndOf(Bank1Start, 1, 1));
    QCOMPARE(State().NextMessagePos(), EndOf(Bank1Start, 1, 1) + 1);
    // Loading does not go through the refresh, so the hidden boxes keep their texts.
    QCOMPARE(Ui().Get<QLineEdit>("Begin")->text(), QStringLiteral("1"));

    // Loading again reads from where the last read stopped: just the end code.
    Ui().Load(RomPath());
    QCOMPARE(Ui().Pane(), Terminator);
    QVERIFY(Answerer().Boxes().isEmpty());
}

void TestGameDialog::cancelledDialogLoadsNothing() {
    Ui().Load(QString());
    QVERIFY(State().RomPath().isEmpty());
    QVERIFY(!Ui().Get<QPushButton>("Command3")->isEnabled());

    Ui().Load(RomPath());
    const QString before = Ui().Pane();
    Ui().Load(QString());
    QCOMPARE(State().RomPath(), RomPath());
    QCOMPARE(Ui().Pane(), before);
}

void TestGameDialog::unreadableChoiceEndsQuietly() {
    Ui().Load(RomPath());
    const auto positions = std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos());
    // Too short to reach the first bank.
    const QString shortRom = Save(QStringLiteral("short.smc"), SyntheticRom(1000));
    Ui().Load(shortRom);
    QCOMPARE(State().RomPath(), shortRom);
    QCOMPARE(Ui().Pane(), Shown(1, 1));
    QCOMPARE(std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos()), positions);
    QVERIFY(Answerer().Boxes().isEmpty());
}

// ---- index view -----------------------------------------------------------------------------------------

void TestGameDialog::indexUpAfterSwitchReadsTheSecondMessage() {
    Ui().Load(RomPath());
    Dialog().findChild<QAction*>(QStringLiteral("ViewByIndex"))->trigger();
    QCOMPARE(State().ReadPos(), Bank1Start);
    QCOMPARE(Ui().Pane(), Shown(1, 1)); // the switch itself reads nothing
    Ui().Click("Index", true);
    // The nested read takes the whole first message, so the spinner's own read shows the second.
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("2"));
    QCOMPARE(Ui().Pane(), Shown(1, 2));
    QCOMPARE(Ui().Get<QLineEdit>("Begin")->text(), QString::number(EndOf(Bank1Start, 1, 1) + 1));
}

void TestGameDialog::indexUpStepsThroughMessages() {
    Ui().Load(RomPath());
    std::int32_t start = EndOf(Bank1Start, 1, 1) + 1;
    for (int i = 2; i <= 5; ++i) {
        Ui().Click("Index", true);
        QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QString::number(i));
        QCOMPARE(Ui().Pane(), Shown(1, i));
        QCOMPARE(State().ViewStartPos(), start);
        start = EndOf(start, 1, i) + 1;
    }
}

void TestGameDialog::indexDownRereadsTheTerminator() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    const std::int32_t end = EndOf(EndOf(Bank1Start, 1, 1) + 1, 1, 2);
    Ui().Click("Index", false);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("1"));
    QCOMPARE(Ui().Pane(), Terminator);
    QCOMPARE(State().ViewStartPos(), end);
    QCOMPARE(State().NextMessagePos(), end + 1);
    // Down from 1 wraps the counter; the messages do not go back.
    Ui().Click("Index", false);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("672"));
    QCOMPARE(Ui().Pane(), Terminator);
    // The counter and the messages drift apart: up shows the message after the one shown last.
    Ui().Click("Index", true);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("1"));
    QCOMPARE(Ui().Pane(), Shown(1, 3));
}

void TestGameDialog::indexDownAfterSwitchShowsTerminatorOfFirstMessage() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    Ui().Click("Index", true);
    Dialog().ViewByIndex_Click();
    Ui().Click("Index", false);
    // The nested read decodes bank 1's first message; the spinner then rereads from its end code.
    QCOMPARE(Ui().Pane(), Terminator);
    QCOMPARE(State().ViewStartPos(), EndOf(Bank1Start, 1, 1));
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("2"));
    Ui().Click("Index", true);
    QCOMPARE(Ui().Pane(), Shown(1, 2));
}

void TestGameDialog::bankChange_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("action"); // "up", "down", a key on the focused spinner, or text to type
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("bankShown");

    QTest::newRow("up from 1") << "1"
                               << "up"
                               << "2" << 2;
    QTest::newRow("up from 2") << "2"
                               << "up"
                               << "1" << 1;
    QTest::newRow("down from 1") << "1"
                                 << "down"
                                 << "2" << 2;
    QTest::newRow("down from 2") << "2"
                                 << "down"
                                 << "1" << 1;
    QTest::newRow("up from 1.5") << "1.5"
                                 << "up"
                                 << "1" << 1;
    QTest::newRow("Up key from 1.5") << "1.5"
                                     << "Up key"
                                     << "1" << 1;
    QTest::newRow("Down key from 1.5") << "1.5"
                                       << "Down key"
                                       << "2" << 2;
    QTest::newRow("typed 3") << "2"
                             << "3"
                             << "1" << 1;
    QTest::newRow("typed 10") << "2"
                              << "10"
                              << "1" << 1;
    QTest::newRow("typed 0") << "1"
                             << "0"
                             << "2" << 2;
    QTest::newRow("typed -1") << "1"
                              << "-1"
                              << "2" << 2;
    QTest::newRow("typed 1.5") << "1"
                               << "1.5"
                               << "1.5" << 2;
    QTest::newRow("typed 1.4") << "2"
                               << "1.4"
                               << "1.4" << 1;
    QTest::newRow("typed 2.0") << "1"
                               << "2.0"
                               << "2.0" << 2;
}

void TestGameDialog::bankChange() {
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(QString, after);
    QFETCH(int, bankShown);

    Ui().Load(RomPath());
    Ui().Get<QLineEdit>("BankNo")->setText(before);
    Ui().Click("Index", true);
    Ui().Click("Index", true);
    if (action == QLatin1String("up") || action == QLatin1String("down")) {
        Ui().Click("Bank", action == QLatin1String("up"));
    } else if (action.endsWith(QLatin1String(" key"))) {
        auto* spinner = Ui().Get<QWidget>("Bank");
        spinner->setFocus();
        QTest::keyClick(spinner, action.startsWith(QLatin1String("Up")) ? Qt::Key_Up : Qt::Key_Down);
    } else {
        Ui().Type("BankNo", action);
    }

    QCOMPARE(Ui().Get<QLineEdit>("BankNo")->text(), after);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("1"));
    QCOMPARE(Ui().Pane(), Shown(bankShown, 1));
    QCOMPARE(State().ViewStartPos(), bankShown == 1 ? Bank1Start : Bank2Start);
    QVERIFY(Answerer().Boxes().isEmpty());
}

void TestGameDialog::indexUpStopsAtBank1Index75() {
    Ui().Load(RomPath());
    Ui().Type("IndexNo", QStringLiteral("75"));
    const QString pane = Ui().Pane();
    const auto positions = std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos());
    Ui().Click("Index", true);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("75"));
    QCOMPARE(Ui().Pane(), pane);
    QCOMPARE(std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos()), positions);

    Ui().Type("BankNo", QStringLiteral("2"));
    Ui().Type("IndexNo", QStringLiteral("75"));
    Ui().Click("Index", true);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("76"));
    QCOMPARE(Ui().Pane(), Shown(2, 2));
}

void TestGameDialog::indexWrapsAt672() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    Ui().Type("IndexNo", QStringLiteral("672"));
    Ui().Click("Index", true);
    // Only the counter wraps; the read goes on to the next message in the file.
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), QStringLiteral("1"));
    QCOMPARE(Ui().Pane(), Shown(1, 3));
}

void TestGameDialog::typedIndexIsClamped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("700") << "700"
                         << "672";
    QTest::newRow("0") << "0"
                       << "1";
    QTest::newRow("-4") << "-4"
                        << "1";
    QTest::newRow("12") << "12"
                        << "12";
}

void TestGameDialog::typedIndexIsClamped() {
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    const std::int32_t terminator = State().ReadPos();
    Ui().Type("IndexNo", typed);
    QCOMPARE(Ui().Get<QLineEdit>("IndexNo")->text(), after);
    // A typed index selects nothing: the read starts again on the end code of the message shown.
    QCOMPARE(Ui().Pane(), Terminator);
    QCOMPARE(State().ViewStartPos(), terminator);
}

void TestGameDialog::noNumberInABoxChangesNothing() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    const QString pane = Ui().Pane();
    const auto positions = std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos());
    // Each arrow that needs the box's number does nothing while the box holds none.
    const std::pair<const char*, std::vector<std::pair<const char*, bool>>> cases[] = {
        {"BankNo", {{"Bank", true}, {"Bank", false}, {"Index", true}}},
        {"IndexNo", {{"Index", true}, {"Index", false}}},
    };
    for (const auto& [box, arrows] : cases) {
        for (const QString& text : {QString(), QStringLiteral("abc"), QStringLiteral("nan"), QStringLiteral("1e400"),
                                    QStringLiteral("0x10"), QStringLiteral("1,5")}) {
            Ui().Get<QLineEdit>(box)->setText(text);
            for (const auto& [spinner, up] : arrows)
                Ui().Click(spinner, up);
            QCOMPARE(Ui().Get<QLineEdit>(box)->text(), text);
            QCOMPARE(Ui().Pane(), pane);
            QCOMPARE(std::tuple(State().ReadPos(), State().NextMessagePos(), State().ViewStartPos()), positions);
        }
        Ui().Get<QLineEdit>(box)->blockSignals(true);
        Ui().Get<QLineEdit>(box)->setText(QStringLiteral("1"));
        Ui().Get<QLineEdit>(box)->blockSignals(false);
    }
    QVERIFY(Answerer().Boxes().isEmpty());
}

// ---- byte view ------------------------------------------------------------------------------------------

void TestGameDialog::byteViewReadsFromBegin() {
    Ui().Load(RomPath());
    Ui().Click("Index", true); // a refresh in index view leaves the start of the message in Begin
    const std::int32_t second = EndOf(Bank1Start, 1, 1) + 1;
    QCOMPARE(Ui().Get<QLineEdit>("Begin")->text(), QString::number(second));

    Dialog().findChild<QAction*>(QStringLiteral("ViewByByte"))->trigger();
    QVERIFY(Dialog().findChild<QAction*>(QStringLiteral("ViewByByte"))->isChecked());
    QVERIFY(!Dialog().findChild<QAction*>(QStringLiteral("ViewByIndex"))->isChecked());
    for (const char* name : {"Label1", "Label2", "Begin", "Fini", "Label3", "OffSet", "Command5"})
        QVERIFY2(Ui().Get<QWidget>(name)->isVisible(), name);
    for (const char* name : {"Label5", "Label6", "Bank", "Index", "BankNo", "IndexNo"})
        QVERIFY2(!Ui().Get<QWidget>(name)->isVisible(), name);
    QCOMPARE(Ui().Pane(), Shown(1, 2));
    QCOMPARE(State().ReadPos(), second);

    // A count of bytes, not an end position: three bytes from the start of "B1M2".
    Ui().Type("Fini", QStringLiteral("3"));
    QTest::mouseClick(Ui().Get<QPushButton>("Command5"), Qt::LeftButton);
    QCOMPARE(Ui().Pane(), QStringLiteral("B1M"));
    QCOMPARE(State().ReadPos(), second);
    QCOMPARE(State().NextMessagePos(), second + 4);
}

void TestGameDialog::byteViewBeforeLoadReadsFromFirstByte() {
    Dialog().ViewByByte_Click();
    QCOMPARE(State().ReadPos(), 1);
    QCOMPARE(Ui().Pane(), QString());
    Ui().Load(RomPath());
    // 200 bytes of the zero filler, each the letter A.
    QCOMPARE(Ui().Pane(), QString(200, QLatin1Char('A')));
    QCOMPARE(State().ReadPos(), 1);
}

void TestGameDialog::refreshClampsFini_data() {
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("fini");
    QTest::addColumn<QString>("after");
    QTest::newRow("5000 from 100") << "100"
                                   << "5000"
                                   << "1100";
    QTest::newRow("exactly 1000 more") << "100"
                                       << "1100"
                                       << "1100";
    QTest::newRow("exactly 1000 more, typed with a fraction") << "100"
                                                              << "1100.0"
                                                              << "1100.0";
    QTest::newRow("below begin") << "100"
                                 << "50"
                                 << "50";
    QTest::newRow("fraction") << "100.5"
                              << "5000"
                              << "1100.5";
    QTest::newRow("no number") << "100"
                               << "abc"
                               << "abc";
}

void TestGameDialog::refreshClampsFini() {
    QFETCH(QString, begin);
    QFETCH(QString, fini);
    QFETCH(QString, after);
    Ui().Load(RomPath());
    Dialog().ViewByByte_Click();
    Ui().Type("Begin", begin);
    Ui().Type("Fini", fini);
    QTest::mouseClick(Ui().Get<QPushButton>("Command5"), Qt::LeftButton);
    QCOMPARE(Ui().Get<QLineEdit>("Fini")->text(), after);
    QCOMPARE(State().ViewStartPos(), std::int32_t(std::nearbyint(begin.toDouble())));
    QVERIFY(Answerer().Boxes().isEmpty());
}

void TestGameDialog::beginIsKeptAboveZero_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("0") << "0"
                       << "1";
    QTest::newRow("-7") << "-7"
                        << "1";
    QTest::newRow("0.3") << "0.3"
                         << "0.3";
    QTest::newRow("5") << "5"
                       << "5";
}

void TestGameDialog::beginIsKeptAboveZero() {
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Dialog().ViewByByte_Click();
    Ui().Get<QLineEdit>("Begin")->setText(typed);
    QCOMPARE(Ui().Get<QLineEdit>("Begin")->text(), after);
    // Correcting the box reads nothing and moves nothing.
    QCOMPARE(State().ReadPos(), 1);
}

void TestGameDialog::readBeforeFirstByteWarnsOnce() {
    Ui().Load(RomPath());
    Dialog().ViewByByte_Click();
    const QString pane = Ui().Pane();
    const std::int32_t viewStart = State().ViewStartPos();
    // Pasted at once (typed key by key, its first "0" would turn into "1"): greater than 0, so it stays, and it
    // rounds to position 0.
    Ui().Get<QLineEdit>("Begin")->setText(QStringLiteral("0.3"));
    QTest::mouseClick(Ui().Get<QPushButton>("Command5"), Qt::LeftButton);
    QCOMPARE(Answerer().Boxes().size(), 1);
    QVERIFY(Answerer().Boxes().constFirst().text.contains(QStringLiteral("Position 0")));
    QCOMPARE(Answerer().Boxes().constFirst().icon, QMessageBox::Warning);
    QCOMPARE(Ui().Pane(), pane);
    QCOMPARE(State().ViewStartPos(), viewStart);
}

void TestGameDialog::removedRomWarnsOncePerAction() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    const QString pane = Ui().Pane();
    const auto next = State().NextMessagePos();
    const auto viewStart = State().ViewStartPos();
    QVERIFY(QFile::remove(RomPath()));

    Ui().Click("Index", true); // two reads fail inside this one click
    QCOMPARE(Answerer().Boxes().size(), 1);
    QVERIFY(Answerer().Boxes().constFirst().text.contains(RomPath()));
    QCOMPARE(Ui().Pane(), pane);
    QCOMPARE(State().NextMessagePos(), next);
    QCOMPARE(State().ViewStartPos(), viewStart);

    Ui().Click("Bank", true);
    QCOMPARE(Answerer().Boxes().size(), 2);
    QCOMPARE(Ui().Pane(), pane);
    QVERIFY(Dialog().isVisible());
}

// ---- writing --------------------------------------------------------------------------------------------

void TestGameDialog::writesExactBytesAtViewStart() {
    Ui().Load(RomPath());
    Ui().Click("Index", true);
    const std::int32_t start = State().ViewStartPos();
    Ui().Type("OffSet", QStringLiteral("12345"));
    Ui().Write(QStringLiteral("the"));

    Bytes expected = m_rom.Bytes();
    expected[start - 1] = 0xD8;
    expected[start] = 0x7F;
    QCOMPARE(RomBytes(RomPath()), expected);
    QCOMPARE(Ui().Pane(), QStringLiteral("the\n\n"));
    QCOMPARE(State().ViewStartPos(), start);
    QCOMPARE(State().EncoderState().BreakMode, std::uint8_t(0));
    QVERIFY(Ui().Get<QPushButton>("Command3")->isEnabled());
    QCOMPARE(Ui().Get<QPlainTextEdit>("text3")->toPlainText(), QStringLiteral("the"));
    QVERIFY(Answerer().Boxes().isEmpty());
}

void TestGameDialog::writesTheSameBytesTwice() {
    Ui().Load(RomPath());
    const QString text = QStringLiteral("Hi<BR>you");
    Ui().Write(text); // "B1M1" has 5 bytes and "Hi<BR>you" needs 5: no question
    const Bytes once = RomBytes(RomPath());
    Ui().Write(text);
    QCOMPARE(RomBytes(RomPath()), once);
    const Bytes written(once.begin() + (Bank1Start - 1), once.begin() + (Bank1Start - 1) + 5);
    QCOMPARE(written, (Bytes{0x07, 0x22, 0x75, 0xE3, 0x7F}));
    QCOMPARE(Ui().Pane(), QStringLiteral("Hi\nyou\n\n"));
    QVERIFY(Answerer().Boxes().isEmpty());
}

void TestGameDialog::emptyPaneIsRefused_data() {
    QTest::addColumn<bool>("removed"); // the refresh after the refusal then fails too, without a second box
    QTest::newRow("ROM in place") << false;
    QTest::newRow("ROM removed since loading") << true;
}

void TestGameDialog::emptyPaneIsRefused() {
    QFETCH(bool, removed);
    Ui().Load(RomPath());
    Ui().Get<QPlainTextEdit>("text1")->setPlainText(QStringLiteral("edited by hand"));
    if (removed)
        QVERIFY(QFile::remove(RomPath()));
    Ui().Write(QString());
    QCOMPARE(Answerer().Boxes().size(), 1);
    const auto& box = Answerer().Boxes().constFirst();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.text, QStringLiteral("You can not leave this field blank to write to this file!"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    if (removed)
        return;
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
    QCOMPARE(Ui().Pane(), Shown(1, 1)); // refreshed all the same
}

void TestGameDialog::lineEndsOnlyWriteTheEndCode() {
    Ui().Load(RomPath());
    Ui().Write(QStringLiteral("\n\n\n"));
    Bytes expected = m_rom.Bytes();
    expected[Bank1Start - 1] = 0x7F;
    QCOMPARE(RomBytes(RomPath()), expected);
    QCOMPARE(Ui().Pane(), Terminator);
}

void TestGameDialog::badArgumentWritesNothing() {
    Ui().Load(RomPath());
    Ui().Write(QStringLiteral("Hi\n<DELAY>5x1 there"));
    QCOMPARE(Answerer().Boxes().size(), 1);
    const QString said = Answerer().Boxes().constFirst().text;
    QVERIFY2(said.contains(QStringLiteral("<DELAY>")) && said.contains(QStringLiteral("line 2")) &&
                 said.contains(QStringLiteral("column 8")) && said.contains(QStringLiteral("\"5x1\"")),
             qPrintable(said));
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
    QCOMPARE(Ui().Pane(), Shown(1, 1));
}

void TestGameDialog::longerTextAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("answered no") << false;
    QTest::newRow("answered yes") << true;
}

void TestGameDialog::longerTextAsksFirst() {
    QFETCH(bool, yes);
    Ui().Load(RomPath());
    Answerer().SetAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    Ui().Write(QStringLiteral("Hello!"));
    QCOMPARE(Answerer().Boxes().size(), 1);
    const auto& box = Answerer().Boxes().constFirst();
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QVERIFY2(box.text.contains(QStringLiteral("6 bytes")) && box.text.contains(QStringLiteral("only 5 bytes")),
             qPrintable(box.text));

    Bytes expected = m_rom.Bytes();
    if (yes) {
        const Bytes hello = {0x07, 0x1E, 0x25, 0xBB, 0x61, 0x7F}; // "lo" is one dictionary byte
        std::copy(hello.begin(), hello.end(), expected.begin() + (Bank1Start - 1));
    }
    QCOMPARE(RomBytes(RomPath()), expected);
    QCOMPARE(Ui().Pane(), yes ? QStringLiteral("Hello!\n\n") : Shown(1, 1));
}

void TestGameDialog::writePastTheEndIsRefused() {
    Ui().Load(RomPath());
    Dialog().ViewByByte_Click();
    const auto size = static_cast<qint64>(m_rom.Bytes().size());
    Ui().Type("Begin", QString::number(size - 1));
    QTest::mouseClick(Ui().Get<QPushButton>("Command5"), Qt::LeftButton);
    QCOMPARE(State().ViewStartPos(), size - 1);
    Ui().Write(QStringLiteral("Hello!"));
    QCOMPARE(Answerer().Boxes().size(), 1);
    const QString said = Answerer().Boxes().constFirst().text;
    QVERIFY2(said.contains(QStringLiteral("6 bytes")) && said.contains(QString::number(size)), qPrintable(said));
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
    QCOMPARE(QFileInfo(RomPath()).size(), size);
}

void TestGameDialog::readOnlyRomIsReported() {
    Ui().Load(RomPath());
    const OddFile file(RomPath(), FileKind::ReadOnly);
    QVERIFY(file.Made());
    if (file.Skip())
        QSKIP(file.Skip());
    Ui().Write(QStringLiteral("the"));

    QCOMPARE(Answerer().Boxes().size(), 1);
    const QString said = Answerer().Boxes().constFirst().text;
    QVERIFY2(said.contains(RomPath()) && said.contains(QStringLiteral("Nothing was written")), qPrintable(said));
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
    QCOMPARE(Ui().Pane(), Shown(1, 1));
}

QTEST_MAIN(TestGameDialog)
#include "tst_gamedialog.moc"
