// Changing a message without retyping it: "Copy as New Text" in the "ROM Text" pane's menu, pasting into
// "New Text", writing it back byte for byte; the box that tells of a read cut before its end code; the size the
// "New Text" tooltip tells.
#include "editor/GameDialog.h"
#include "tests/support/EditorSession.h"
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

#include <memory>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::FsPath;
using kyrel::testing::HexBytes;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

class TestCopyAsNewText : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyDemoMessageComesBackTheSame();
    void paneMenuOffersTheCopy();
    void boxTellsWhatWasLeftOut_data();
    void boxTellsWhatWasLeftOut();
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

    std::unique_ptr<EditorSession> m_session;
    QString m_romPath;
    GameDialog* m_dialog = nullptr;
    ModalAnswerer* m_boxes = nullptr;
    EditorDriver* m_driver = nullptr;
};

void TestCopyAsNewText::init() {
    m_session = std::make_unique<EditorSession>();
    QVERIFY(m_session->Exposed());
    m_dialog = &m_session->Dialog();
    m_boxes = &m_session->Boxes();
    m_driver = &m_session->Driver();
    m_romPath = m_session->FilePath(QStringLiteral("quillmere.smc"));
}

void TestCopyAsNewText::cleanup() {
    QToolTip::hideText();
    m_session.reset();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestCopyAsNewText::Start(const SyntheticRom& rom) {
    QVERIFY(rom.Save(FsPath(m_romPath)).ok());
    m_driver->Load(m_romPath);
}

QMenu* TestCopyAsNewText::OpenPaneMenu() {
    QWidget* viewport = m_driver->Get<QPlainTextEdit>("text1")->viewport();
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void TestCopyAsNewText::CopyThroughMenu() {
    QMenu* menu = OpenPaneMenu();
    QVERIFY(menu);
    auto* copy = m_driver->Get<QAction>("CopyAsNewText");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestCopyAsNewText::PasteIntoNewText() {
    auto* pane = m_driver->Get<QPlainTextEdit>("text3");
    pane->setFocus();
    pane->selectAll();
    QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
}

void TestCopyAsNewText::ReadBytes(std::int64_t position, const QString& count) {
    if (!m_driver->Get<QAction>("ViewByByte")->isChecked())
        m_driver->Choose("ViewByByte");
    m_driver->Type("Fini", count);
    m_driver->Type("Begin", QString::number(position));
    m_driver->Press("Command5");
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
            const QString before = m_driver->Pane();
            if (!before.endsWith(QLatin1String("\n\n")))
                break; // no end code within 1000 bytes: the filler after the bank's last message
            const Bytes file = RomBytes(m_romPath);
            const qsizetype boxes = m_boxes->Boxes().size();
            CopyThroughMenu();
            ++messages;
            position = m_dialog->Session().NextMessagePos();
            // The demo's one message of bytes without a text among them: no box, and nothing is lost either.
            QCOMPARE(m_boxes->Boxes().size(), boxes);
            PasteIntoNewText();
            m_driver->Press("Command3");
            QCOMPARE(m_driver->Pane(), before);
            QCOMPARE(RomBytes(m_romPath), file);
            QCOMPARE(m_boxes->Boxes().size(), boxes);
        }
        QVERIFY2(position > bankStart + 1, "no message was read in this bank");
    }
    qInfo("%d messages copied and written back", messages);
}

void TestCopyAsNewText::paneMenuOffersTheCopy() {
    SyntheticRom rom;
    rom.PutText(Bank1Start, u"<COLOR>002Hi<BR>there");
    QVERIFY(rom.Save(FsPath(m_romPath)).ok());

    auto* copy = m_driver->Get<QAction>("CopyAsNewText");
    QCOMPARE(copy->parent(), m_dialog);
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

    m_driver->Load(m_romPath);
    QVERIFY(copy->isEnabled());
    // The copy comes from the bytes read, not from the pane, whatever was typed into it since.
    m_driver->Get<QPlainTextEdit>("text1")->setPlainText(QStringLiteral("typed over"));
    QGuiApplication::clipboard()->clear();
    CopyThroughMenu();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<COLOR>002Hi<BR>\nthere"));
    QVERIFY(m_boxes->Boxes().isEmpty());

    // A read that fails keeps the bytes of the last one that worked.
    QVERIFY(QFile::remove(m_romPath));
    m_driver->Click("Index", true);
    QCOMPARE(m_boxes->Boxes().size(), 1);
    QGuiApplication::clipboard()->clear();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<COLOR>002Hi<BR>\nthere"));
}

void TestCopyAsNewText::boxTellsWhatWasLeftOut_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("count"); // bytes to read in byte view; empty for a read in index view
    QTest::addColumn<QString>("copied");
    QTest::addColumn<QString>("box"); // empty when there is none

    const QString copied = QStringLiteral("The message was copied as new text.\n\n");
    QTest::newRow("all typed") << "07 22 75 E3 7F" << QString() << "Hi<BR>\nyou" << QString();
    // Bytes that typed text gives otherwise, or not at all, are copied as raw-byte tags, without a box.
    QTest::newRow("one byte") << "00 80 01 7F" << QString() << "A<$80>B" << QString();
    QTest::newRow("three bytes") << "62 00 74 01 E9 7F" << QString() << "<$62>A<$74>B<$E9>" << QString();
    QTest::newRow("more than are named") << "62 63 64 65 66 00 67 69 7F" << QString()
                                         << "<$62><$63><$64><$65><$66>A<$67><$69>" << QString();
    QTest::newRow("nothing but the end code typed") << "62 7F" << QString() << "<$62>" << QString();
    const QString cut = QStringLiteral("The read stopped before the end code of the message, so writing the text "
                                       "puts an end code where the read stopped.");
    QTest::newRow("read cut short") << "00 01 02 7F"
                                    << "2"
                                    << "AB" << copied + cut;
    QTest::newRow("cut after an argument code") << "00 77 05 01 7F"
                                                << "2"
                                                << "A<COLOR>127" << copied + cut;
}

void TestCopyAsNewText::boxTellsWhatWasLeftOut() {
    QFETCH(QString, bytes);
    QFETCH(QString, count);
    QFETCH(QString, copied);
    QFETCH(QString, box);

    SyntheticRom rom;
    rom.Put(Bank1Start, HexBytes(bytes.toStdString()));
    Start(rom);
    if (!count.isEmpty())
        ReadBytes(Bank1Start, count);
    m_boxes->Clear();
    CopyThroughMenu();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    if (box.isEmpty()) {
        QVERIFY(m_boxes->Boxes().isEmpty());
        return;
    }
    QCOMPARE(m_boxes->Boxes().size(), 1);
    const ModalAnswerer::Box& shown = m_boxes->Boxes().constFirst();
    QCOMPARE(shown.text, box);
    QCOMPARE(shown.icon, QMessageBox::Information);
    QCOMPARE(shown.title, m_dialog->windowTitle());
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
    QTest::newRow("as long as the message") << true << QString() << "Hel~lo"
                                            << "The new text needs 5 bytes. The game has no code for \"~\", so the "
                                               "new text leaves it out." +
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
    // The encoder's own words for a bad argument field.
    const kyrel::EncodedMessage bad = kyrel::EncodeToBytes(u"Hi\r\n<COLOR>ab");
    QVERIFY(!bad.ok());
    QTest::newRow("bad argument") << true << QString() << "Hi\n<COLOR>ab"
                                  << QString::fromStdString(bad.error->Describe());
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
    auto* pane = m_driver->Get<QPlainTextEdit>("text3");
    pane->setPlainText(newText);
    QVERIFY(pane->toolTip().isEmpty());

    QWidget* viewport = pane->viewport();
    const QPoint at(30, 30);
    QHelpEvent event(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), tip);
}

QTEST_MAIN(TestCopyAsNewText)
#include "tst_copyasnewtext.moc"
