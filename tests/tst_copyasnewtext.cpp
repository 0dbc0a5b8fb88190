// Changing a message without retyping it: "Copy as New Text" in the "ROM Text" pane's menu, pasting into
// "New Text", writing it back byte for byte; the box that tells of a read cut before its end code; the size the
// "New Text" tooltip tells.
#include "editor/GameDialog.h"
#include "tests/support/EditorTest.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::FsPath;
using kyrel::testing::HexBytes;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

class TestCopyAsNewText : public EditorTest {
    Q_OBJECT

private slots:
    void cleanup();

    void everyDemoMessageComesBackTheSame();
    void paneMenuOffersTheCopy();
    void copyIsWrittenBack_data();
    void copyIsWrittenBack();
    void tooltipTellsTheSize_data();
    void tooltipTellsTheSize();

private:
    void Start(const SyntheticRom& rom);
    // Opens the "ROM Text" pane's context menu as a right click does and gives it, still open.
    QMenu* OpenPaneMenu();
    void CopyThroughMenu();
    void PasteIntoNewText();
    // Reads from a position in byte view, as many bytes as the count says.
    void ReadBytes(std::int64_t position, const QString& count);
};

void TestCopyAsNewText::cleanup() {
    QToolTip::hideText();
    EditorTest::cleanup();
    QVERIFY(!QApplication::activePopupWidget());
}

void TestCopyAsNewText::Start(const SyntheticRom& rom) {
    QVERIFY(rom.Save(FsPath(RomPath())).ok());
    Ui().Load(RomPath());
}

QMenu* TestCopyAsNewText::OpenPaneMenu() {
    QWidget* viewport = Ui().Get<QPlainTextEdit>("text1")->viewport();
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void TestCopyAsNewText::CopyThroughMenu() {
    QMenu* menu = OpenPaneMenu();
    QVERIFY(menu);
    auto* copy = Ui().Get<QAction>("CopyAsNewText");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestCopyAsNewText::PasteIntoNewText() {
    auto* pane = Ui().Get<QPlainTextEdit>("text3");
    pane->setFocus();
    pane->selectAll();
    QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
}

void TestCopyAsNewText::ReadBytes(std::int64_t position, const QString& count) {
    if (!Ui().Get<QAction>("ViewByByte")->isChecked())
        Ui().Choose("ViewByByte");
    Ui().Type("Fini", count);
    Ui().Type("Begin", QString::number(position));
    Ui().Press("Command5");
}

// The rule of the copy, through the window, on every message of the demo ROM: copy, paste, write, and the file
// holds the same bytes. The byte view reaches every message (the index arrow stops at bank 1's 75th).
void TestCopyAsNewText::everyDemoMessageComesBackTheSame() {
    Start(kyrel::testing::MakeDemoRom());
    int messages = 0;
    for (const std::int32_t bankStart : {Bank1Start, Bank2Start}) {
        std::int64_t position = bankStart;
        for (;;) {
            ReadBytes(position, QStringLiteral("1000"));
            const QString before = Ui().Pane();
            if (!before.endsWith(QLatin1String("\n\n")))
                break; // no end code within 1000 bytes: the filler after the bank's last message
            const Bytes file = RomBytes(RomPath());
            const qsizetype boxes = Answerer().Boxes().size();
            CopyThroughMenu();
            ++messages;
            position = Dialog().Session().NextMessagePos();
            // The demo's one message of bytes without a text among them: no box, and nothing is lost either.
            QCOMPARE(Answerer().Boxes().size(), boxes);
            PasteIntoNewText();
            Ui().Press("Command3");
            QCOMPARE(Ui().Pane(), before);
            QCOMPARE(RomBytes(RomPath()), file);
            QCOMPARE(Answerer().Boxes().size(), boxes);
        }
        QVERIFY2(position > bankStart + 1, "no message was read in this bank");
    }
    qInfo("%d messages copied and written back", messages);
}

void TestCopyAsNewText::paneMenuOffersTheCopy() {
    SyntheticRom rom;
    rom.PutText(Bank1Start, u"<COLOR>002Hi<BR>there");
    QVERIFY(rom.Save(FsPath(RomPath())).ok());

    auto* copy = Ui().Get<QAction>("CopyAsNewText");
    QCOMPARE(copy->parent(), &Dialog());
    QMenu* menu = OpenPaneMenu();
    QVERIFY(menu);
    // Qt's own menu of the pane, then a separator, then the copy, which waits for a read.
    const QList<QAction*> actions = menu->actions();
    QVERIFY(actions.size() >= 3);
    QCOMPARE(actions.constLast(), copy);
    QVERIFY(actions.at(actions.size() - 2)->isSeparator());
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("select-all")));
    QVERIFY(!copy->isEnabled());
    menu->close();

    Ui().Load(RomPath());
    QVERIFY(copy->isEnabled());
    // The copy comes from the bytes read, not from the pane, whatever was typed into it since.
    Ui().Get<QPlainTextEdit>("text1")->setPlainText(QStringLiteral("typed over"));
    QGuiApplication::clipboard()->clear();
    CopyThroughMenu();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<COLOR>002Hi<BR>\nthere"));
    QVERIFY(Answerer().Boxes().isEmpty());

    // A read that fails keeps the bytes of the last one that worked.
    QVERIFY(QFile::remove(RomPath()));
    Ui().Click("Index", true);
    QCOMPARE(Answerer().Boxes().size(), 1);
    QGuiApplication::clipboard()->clear();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<COLOR>002Hi<BR>\nthere"));
}

// A copy written back gives the bytes it was copied from; where the read stopped before the end code, those
// bytes and an end code, and a box says so first, or that the write will refuse it when that does not fit.
void TestCopyAsNewText::copyIsWrittenBack_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<qint64>("place");  // where the bytes lie; the last byte of the file when they end it
    QTest::addColumn<int>("skip");      // bytes after the place where the read begins
    QTest::addColumn<QString>("count"); // bytes to read in byte view; empty for a read in index view
    QTest::addColumn<QString>("copied");
    QTest::addColumn<QString>("box");   // empty when there is none
    QTest::addColumn<QString>("after"); // the bytes from the place on after writing the copy back

    const qint64 last = kyrel::testing::HeaderedRomSize;
    const QString copied = QStringLiteral("The message was copied as new text.\n\n");
    const QString cut = QStringLiteral("The read stopped before the end code of the message, so writing the text "
                                       "puts an end code where the read stopped.");
    auto row = [&](const char* name, const char* bytes, qint64 place, const QString& count, const char* copy,
                   const QString& box, const char* after, int skip = 0) {
        QTest::newRow(name) << bytes << place << skip << count << copy << box << (*after ? after : bytes);
    };
    row("all typed", "07 22 75 E3 7F", Bank1Start, {}, "Hi<BR>\nyou", {}, "");
    // Bytes that typed text gives otherwise, or not at all, are copied as raw-byte tags, without a box.
    row("one byte", "00 80 01 7F", Bank1Start, {}, "A<$80>B", {}, "");
    row("three bytes", "62 00 74 01 E9 7F", Bank1Start, {}, "<$62>A<$74>B<$E9>", {}, "");
    row("more than are named", "62 63 64 65 66 00 67 69 7F", Bank1Start, {}, "<$62><$63><$64><$65><$66>A<$67><$69>", {},
        "");
    row("nothing but the end code typed", "62 7F", Bank1Start, {}, "<$62>", {}, "");
    row("read from the middle of a message", "07 22 3E 75 00 75 01 7F", Bank1Start, "3", "<$3E><BR>\nA", copied + cut,
        "07 22 3E 75 00 7F 01 7F", 2);
    row("read cut short", "00 01 02 7F", Bank1Start, "2", "AB", copied + cut, "00 01 7F 7F");
    row("cut after an argument code", "00 77 05 01 7F", Bank1Start, "2", "A<COLOR>127", copied + cut, "00 77 7F 7F 7F");
    row("the file's last byte", "00", last, "1", "A",
        copied + QStringLiteral("The read stopped before the end code of the message. Writing the text back needs 2 "
                                "bytes from position %1 (the end code included), but the file ends after 1 byte, so "
                                "\"Write New Text\" will refuse it.")
                     .arg(last),
        "");
}

void TestCopyAsNewText::copyIsWrittenBack() {
    QFETCH(QString, bytes);
    QFETCH(qint64, place);
    QFETCH(int, skip);
    QFETCH(QString, count);
    QFETCH(QString, copied);
    QFETCH(QString, box);
    QFETCH(QString, after);

    SyntheticRom rom;
    const Bytes message = HexBytes(bytes.toStdString());
    rom.Put(static_cast<std::int32_t>(place), message);
    Start(rom);
    if (!count.isEmpty())
        ReadBytes(place + skip, count);
    Answerer().Clear();
    CopyThroughMenu();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(Answerer().Boxes().size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        const ModalAnswerer::Box& shown = Answerer().Boxes().constFirst();
        QCOMPARE(shown.text, box);
        QCOMPARE(shown.icon, QMessageBox::Information);
    }

    Answerer().SetAnswer(QMessageBox::Yes);
    PasteIntoNewText();
    Ui().Press("Command3");
    Bytes expected = rom.Bytes();
    const Bytes afterBytes = HexBytes(after.toStdString());
    std::copy(afterBytes.begin(), afterBytes.end(), expected.begin() + (place - 1));
    QCOMPARE(RomBytes(RomPath()), expected);
}

void TestCopyAsNewText::tooltipTellsTheSize_data() {
    QTest::addColumn<bool>("load");
    QTest::addColumn<QString>("count"); // bytes to read in byte view; empty for a read in index view
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("tip");

    // The message read is "Hello", five bytes with its end code.
    const QString holds = QStringLiteral(" The message read last holds 5 bytes.");
    const QString shorter = QStringLiteral(" The new text is %1 shorter: those bytes stay after its end code, and "
                                           "index view reads them as a message of their own.");
    QTest::newRow("dictionary entry") << true << QString() << "the"
                                      << "The new text needs 2 bytes." + holds + shorter.arg("3 bytes");
    QTest::newRow("one byte") << true << QString() << "<E>"
                              << "The new text needs 1 byte." + holds + shorter.arg("4 bytes");
    QTest::newRow("as long as the message")
        << true << QString() << "Hel~lo"
        << "The new text needs 5 bytes. The game has no code for \u2068\"~\"\u2069, "
           "so the new text leaves it out." +
               holds;
    QTest::newRow("line ends take nothing") << true << QString() << "Hi\n\nthere<BR>"
                                            << "The new text needs 6 bytes." + holds;
    QTest::newRow("longer than the message") << true << QString() << "<COLOR>002Hello!"
                                             << "The new text needs 8 bytes." + holds;
    QTest::newRow("before any read") << false << QString() << "the"
                                     << "The new text needs 2 bytes. No message has been read yet.";
    QTest::newRow("read cut short") << true << "3"
                                    << "the"
                                    << "The new text needs 2 bytes. The read of the message shown stopped after 3 "
                                       "bytes, before its end code.";
    QTest::newRow("empty") << true << QString() << ""
                           << "The new text is empty, and an empty text cannot be written.";
    QTest::newRow("bad argument") << true << QString() << "Hi\n<COLOR>ab"
                                  << "The argument after <COLOR> at line 2, column 8 is \"ab\": it must be a number "
                                     "from 000 to 255 in three digits, such as <COLOR>005.";
}

void TestCopyAsNewText::tooltipTellsTheSize() {
    QFETCH(bool, load);
    QFETCH(QString, count);
    QFETCH(QString, newText);
    QFETCH(QString, tip);

    SyntheticRom rom;
    rom.PutText(Bank1Start, u"Hello");
    if (load)
        Start(rom);
    if (!count.isEmpty())
        ReadBytes(Bank1Start, count);
    auto* pane = Ui().Get<QPlainTextEdit>("text3");
    pane->setPlainText(newText);
    QVERIFY(pane->toolTip().isEmpty());

    QString said;
    ShowToolTip(pane->viewport(), QPoint(30, 30), said);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(said, tip);
}

QTEST_MAIN(TestCopyAsNewText)
#include "tst_copyasnewtext.moc"
