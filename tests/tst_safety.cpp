// The editor where a user or another program does the unexpected: a pipe chosen as the ROM, an arrow held
// while a warning opens, a load that fails after another file was shown, a write report that must not be
// swallowed, the byte view read back after a write, pasted characters, and files without a dot in their name.
#include "editor/GameDialog.h"
#include "tests/support/EditorTest.h"
#include "tests/support/TestFiles.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <optional>

using kyrel::Bank1Start;
using kyrel::testing::FileKind;
using kyrel::testing::HexBytes;
using kyrel::testing::OddFile;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

class TestSafety : public EditorTest {
    Q_OBJECT

private slots:
    void init();

    void pipeInPlaceOfTheRom_data();
    void pipeInPlaceOfTheRom();
    void heldArrowStopsWhenAWarningOpens();
    void failedLoadDisablesWriting_data();
    void failedLoadDisablesWriting();
    void writeReportIsNeverSwallowed();
    void byteViewShowsTheWrittenMessage_data();
    void byteViewShowsTheWrittenMessage();
    void newTextIsEncodedAsTyped_data();
    void newTextIsEncodedAsTyped();
    void questionCountsArgumentBytes_data();
    void questionCountsArgumentBytes();
    void allFilesListsNamesWithoutADot();
    void romWithoutItsHeaderIsNamed_data();
    void romWithoutItsHeaderIsNamed();

private:
    SyntheticRom m_rom;
};

void TestSafety::init() {
    EditorTest::init();
    m_rom = SyntheticRom();
    m_rom.PutTexts(Bank1Start, {u"First", u"Second", u"Third"});
    Save(m_rom);
}

// A pipe never freezes the window: loading it ends quietly, and any other action says it is no regular file.
void TestSafety::pipeInPlaceOfTheRom_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("boxes");
    QTest::newRow("load it") << "load" << 0;
    QTest::newRow("step to the next message") << "step" << 1;
    QTest::newRow("write") << "write" << 1;
    QTest::newRow("swapped in while the overwrite question is open") << "question" << 2;
}

void TestSafety::pipeInPlaceOfTheRom() {
    QFETCH(QString, action);
    QFETCH(int, boxes);
    std::optional<OddFile> pipe;
    const auto makePipe = [&] { return pipe.emplace(RomPath(), FileKind::Pipe).Made(); };
    if (action == u"load") {
        QVERIFY(makePipe());
        Ui().Load(RomPath());
        QVERIFY(!Ui().Get<QPushButton>("Command3")->isEnabled());
    } else {
        Ui().Load(RomPath());
        if (action == u"question") {
            Answerer().SetAnswer(QMessageBox::Yes);
            Answerer().SetWhileOpen([&](const ModalAnswerer::Box&) { makePipe(); });
        } else {
            QVERIFY(makePipe());
        }
        if (action == u"step")
            Ui().Click("Index", true);
        else
            Ui().Write(QStringLiteral("A longer first message"));
    }
    QCOMPARE(Answerer().Boxes().size(), boxes);
    if (boxes) {
        QVERIFY2(Said().contains(QStringLiteral("is not a regular file")), qPrintable(Said()));
        QVERIFY2(!Said().contains(QStringLiteral("Cannot read")), qPrintable(Said()));
    }
}

// The arrows repeat while held. A click whose read fails opens a warning, which takes the mouse release: the
// arrow must let go then, and click no more after the box is closed.
void TestSafety::heldArrowStopsWhenAWarningOpens() {
    Ui().Load(RomPath());
    QVERIFY(QFile::remove(RomPath()));
    auto* up = Ui().Get<QWidget>("Index")->findChild<QToolButton*>(QStringLiteral("Up"));
    QWindow* window = Dialog().windowHandle();
    const QPoint at = up->mapTo(&Dialog(), up->rect().center());
    Answerer().SetWhileOpen([&](const ModalAnswerer::Box&) { QTest::mouseRelease(window, Qt::LeftButton, {}, at); });
    QTest::mousePress(window, Qt::LeftButton, {}, at);
    QTRY_COMPARE(Answerer().Boxes().size(), 1);
    QTest::qWait(up->autoRepeatDelay() + 10 * up->autoRepeatInterval());
    QCOMPARE(Answerer().Boxes().size(), 1);
    QCOMPARE(Ui().Text("IndexNo"), QStringLiteral("2"));
    QVERIFY(!up->isDown());
}

// After a load whose read fails, the message still shown belongs to the file before: nothing may be written
// into the new one until a read of it works.
void TestSafety::failedLoadDisablesWriting_data() {
    QTest::addColumn<FileKind>("second");
    QTest::newRow("too short") << FileKind::Regular;
    QTest::newRow("a pipe") << FileKind::Pipe;
}

void TestSafety::failedLoadDisablesWriting() {
    QFETCH(FileKind, second);
    Ui().Load(RomPath());
    const QString shown = Ui().Pane();
    const QString other = Save(QStringLiteral("other.smc"), SyntheticRom(1000, 0x01));
    const OddFile file(other, second);
    QVERIFY(file.Made());
    Ui().Load(other);
    QCOMPARE(Dialog().Session().RomPath(), other);
    QCOMPARE(Ui().Pane(), shown);
    auto* write = Ui().Get<QPushButton>("Command3");
    QVERIFY(!write->isEnabled());
    QCOMPARE(Answerer().Boxes().size(), 0);

    Ui().Load(RomPath());
    QVERIFY(write->isEnabled());
}

// A warning earlier in the same action (here a read that failed while the overwrite question was open) does not
// swallow the report of the write.
void TestSafety::writeReportIsNeverSwallowed() {
    Ui().Load(RomPath());
    Answerer().SetAnswer(QMessageBox::Yes);
    QList<ModalAnswerer::Box> nestedBoxes;
    Answerer().SetWhileOpen([&](const ModalAnswerer::Box& box) {
        if (!(box.buttons & QMessageBox::Yes))
            return;
        // The box of the nested read opens inside the answer to the question, so it needs an answerer of its own.
        ModalAnswerer nested;
        QFile::remove(RomPath());
        Dialog().Index_UpClick();
        nestedBoxes = nested.Boxes();
    });
    Ui().Write(QStringLiteral("A longer first message"));
    QCOMPARE(nestedBoxes.size(), 1);
    QVERIFY2(nestedBoxes.constFirst().text.contains(QStringLiteral("could not be read")),
             qPrintable(nestedBoxes.constFirst().text));
    QCOMPARE(Answerer().Boxes().size(), 2);
    QVERIFY2(Said().startsWith(QStringLiteral("Nothing was written.")), qPrintable(Said()));
}

// In byte view the pane is read again from "Starting Value:" after a write; when that box holds no position,
// the message just written is shown from where the write began, without a warning.
void TestSafety::byteViewShowsTheWrittenMessage_data() {
    QTest::addColumn<QString>("begin");
    QTest::newRow("empty") << "";
    QTest::newRow("not a number") << "abc";
    QTest::newRow("rounds to 0") << ".4";
    QTest::newRow("the position written") << QString::number(Bank1Start + 6);
}

void TestSafety::byteViewShowsTheWrittenMessage() {
    QFETCH(QString, begin);
    Ui().Load(RomPath());
    Ui().Choose("ViewByByte");
    Ui().Type("Begin", QString::number(Bank1Start + 6));
    Ui().Press("Command5");
    Ui().Type("Begin", begin);
    Ui().Write(QStringLiteral("Hi"));
    QCOMPARE(Answerer().Boxes().size(), 0);
    QCOMPARE(Ui().Pane(), QStringLiteral("Hi\n\n"));
    QCOMPARE(Dialog().Session().ViewStartPos(), Bank1Start + 6);
}

// The encoder gets the characters as typed: a no-break space has no code and is left out; only the pane's own
// line ends are turned into the line ends that the encoder skips.
void TestSafety::newTextIsEncodedAsTyped_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("no-break space") << QStringLiteral("a\u00A0b") << "1A 1B 7F";
    QTest::newRow("blank") << QStringLiteral("a b") << "1A 59 1B 7F";
    QTest::newRow("line separator") << QStringLiteral("a\u2028b") << "1A 1B 7F";
    QTest::newRow("line end") << QStringLiteral("a\nb") << "1A 1B 7F";
}

void TestSafety::newTextIsEncodedAsTyped() {
    QFETCH(QString, text);
    QFETCH(QString, bytes);
    Ui().Load(RomPath());
    Ui().Write(text);
    const Bytes expected = HexBytes(bytes.toStdString());
    const Bytes file = RomBytes(RomPath());
    QCOMPARE(Bytes(file.begin() + (Bank1Start - 1), file.begin() + (Bank1Start - 1) + expected.size()), expected);
}

// The old message is measured to its end code with its argument bytes (78 05 07 22 7F is five bytes long), and
// the question counts in words that fit the number.
void TestSafety::questionCountsArgumentBytes_data() {
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("question"); // empty: none asked
    QTest::newRow("as long") << "78 05 07 22 7F"
                             << "Help"
                             << "";
    QTest::newRow("one byte longer") << "78 05 07 22 7F"
                                     << "Helps"
                                     << "has only 5 bytes.";
    QTest::newRow("over a lone end code") << "7F"
                                          << "Hi"
                                          << "needs 3 bytes, but the message at position 483649 "
                                             "has only 1 byte.\n\nWriting it overwrites the 2 bytes";
}

void TestSafety::questionCountsArgumentBytes() {
    QFETCH(QString, old);
    QFETCH(QString, text);
    QFETCH(QString, question);
    SyntheticRom rom;
    rom.Put(Bank1Start, HexBytes(old.toStdString()));
    Ui().Load(Save(QStringLiteral("argument.smc"), rom));
    Answerer().SetAnswer(QMessageBox::No);
    Ui().Write(text);
    QCOMPARE(Answerer().Boxes().size(), question.isEmpty() ? 0 : 1);
    QVERIFY2(Said().contains(question), qPrintable(Said()));
}

// "All Files (*.*)" lists every file, a name without a dot too.
void TestSafety::allFilesListsNamesWithoutADot() {
    Save(QStringLiteral("dump"), m_rom);
    QDir::setCurrent(Editor().Folder());
    QStringList captions;
    bool listed = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < types->count(); ++i)
            captions << types->itemText(i);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        (void)QTest::qWaitFor([&] {
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
                listed = listed || list->model()->index(row, 0, list->rootIndex()).data().toString() == u"dump";
            return listed;
        });
        dialog->reject();
    });
    Ui().Press("Command1");
    QCOMPARE(captions, (QStringList{QStringLiteral("SMC Rom Format (*.smc)"), QStringLiteral("All Files (*.*)")}));
    QVERIFY(listed);
}

// The positions count the 512-byte copier header: a file whose size shows none is named on load, and nothing is
// written into it before the user agreed once, for each ROM chosen.
void TestSafety::romWithoutItsHeaderIsNamed_data() {
    QTest::addColumn<int>("cut");       // bytes taken from the front of the demo ROM
    QTest::addColumn<int>("added");     // bytes added at its end
    QTest::addColumn<QString>("named"); // in the warning on load and the question before a write; empty: neither
    QTest::newRow("headered demo ROM") << 0 << 0 << "";
    QTest::newRow("demo ROM without its header") << 512 << 0 << "copier header";
    QTest::newRow("odd size") << 0 << 100 << "no cartridge image";
    // Too small to hold the first bank: the load ends quietly, and byte view reads it.
    QTest::newRow("tiny file") << 1024 * 1024 << 88 << "no cartridge image";
}

void TestSafety::romWithoutItsHeaderIsNamed() {
    QFETCH(int, cut);
    QFETCH(int, added);
    QFETCH(QString, named);
    const Bytes demo = kyrel::testing::MakeDemoRom().Bytes();
    SyntheticRom rom(demo.size() - static_cast<std::size_t>(cut) + static_cast<std::size_t>(added), 0x01);
    rom.Put(1, Bytes(demo.begin() + cut, demo.end()));
    const QString path = Save(QStringLiteral("quillmere.sfc"), rom);
    Ui().Load(path);
    const bool loaded = Ui().Get<QPushButton>("Command3")->isEnabled();
    QCOMPARE(loaded, cut < 1024 * 1024);
    QCOMPARE(Answerer().Boxes().size(), loaded && !named.isEmpty() ? 1 : 0);
    if (!Answerer().Boxes().isEmpty()) {
        QVERIFY2(Said().contains(named) && Said().contains(path) && Said().contains(QStringLiteral("\".smc\"")),
                 qPrintable(Said()));
        QCOMPARE(Answerer().Boxes().constFirst().icon, QMessageBox::Warning);
    }
    if (!loaded)
        Ui().Choose("ViewByByte");

    // Answered No, nothing is written; answered Yes, this write and the next go ahead, and only the first asks.
    Answerer().Clear();
    Answerer().SetAnswer(QMessageBox::No);
    Ui().Write(QStringLiteral("Hi"));
    if (!named.isEmpty()) {
        QCOMPARE(Answerer().Boxes().size(), 1);
        QVERIFY2(Said().contains(named) && Said().endsWith(QStringLiteral("Write it anyway?")), qPrintable(Said()));
        QCOMPARE(Answerer().Boxes().constFirst().defaultButton, QMessageBox::No);
        QCOMPARE(RomBytes(path), rom.Bytes());
        Answerer().SetAnswer(QMessageBox::Yes);
        Ui().Write(QStringLiteral("Hi"));
    }
    Answerer().Clear();
    Ui().Write(QStringLiteral("Hi"));
    Ui().Write(QStringLiteral("Hi"));
    QVERIFY(Answerer().Boxes().isEmpty());
    const std::int32_t start = Dialog().Session().ViewStartPos();
    QCOMPARE(RomBytes(path)[static_cast<std::size_t>(start - 1)], std::uint8_t(0x07));

    // What was agreed for one ROM does not hold for the next one chosen.
    const QString other = Save(QStringLiteral("other.sfc"), rom);
    Ui().Load(other);
    Answerer().Clear();
    Answerer().SetAnswer(QMessageBox::No);
    Ui().Write(QStringLiteral("Hi"));
    QCOMPARE(Answerer().Boxes().size(), named.isEmpty() ? 0 : 1);
    if (!named.isEmpty()) {
        QVERIFY2(Said().endsWith(QStringLiteral("Write it anyway?")), qPrintable(Said()));
        QCOMPARE(RomBytes(other), rom.Bytes());
    }
}

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
