// Bad input of every kind the user can produce: a ROM file that changes under the editor, number boxes
// holding anything, byte counts out of range, and new text that is huge, odd or malformed. In every case the
// window keeps working, the user hears about it where a box opens (or nothing happens while a box is being
// edited), and no byte of the ROM changes outside the write the user asked for.
#include "editor/GameDialog.h"
#include "tests/support/EditorDriver.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/SyntheticRom.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

namespace {

SyntheticRom MakeRom() {
    SyntheticRom rom;
    rom.PutTexts(Bank1Start, {u"First", u"Second", u"Third"});
    rom.PutTexts(Bank2Start, {u"Other", u"Bank"});
    return rom;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void romChangesUnderTheEditor_data();
    void romChangesUnderTheEditor();
    void loadingAnUnusableFileIsQuiet_data();
    void loadingAnUnusableFileIsQuiet();
    void numberBoxHoldsAnything_data();
    void numberBoxHoldsAnything();
    void byteCountsOutOfRange_data();
    void byteCountsOutOfRange();
    void newTextOfEveryKind_data();
    void newTextOfEveryKind();

private:
    [[nodiscard]] Bytes FileBytes() const {
        return kyrel::testing::ReadFileBytes(QFile::encodeName(m_romPath).toStdString());
    }
    // The window still answers: a bank change reads that bank's first message from a good ROM.
    void CheckStillWorks();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_romPath;
    SyntheticRom m_rom;
    std::unique_ptr<ModalAnswerer> m_boxes;
    std::unique_ptr<GameDialog> m_dialog;
    std::unique_ptr<EditorDriver> m_ui;
};

void TestBadInput::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_romPath = m_dir->filePath(QStringLiteral("quillmere.smc"));
    m_rom = MakeRom();
    QVERIFY(m_rom.Save(QFile::encodeName(m_romPath).toStdString()).ok());
    m_boxes = std::make_unique<ModalAnswerer>(QMessageBox::No);
    m_dialog = std::make_unique<GameDialog>();
    m_ui = std::make_unique<EditorDriver>(*m_dialog);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    m_ui->Load(m_romPath);
    QCOMPARE(m_ui->Pane(), QStringLiteral("First\n\n"));
}

void TestBadInput::cleanup() {
    m_ui.reset();
    m_dialog.reset();
    m_boxes.reset();
    QVERIFY(!QApplication::activeModalWidget());
    if (QFileInfo(m_romPath).isFile())
        MakeWritable(m_romPath);
    m_dir.reset();
}

void TestBadInput::CheckStillWorks() {
    QVERIFY(m_dialog->isVisible());
    QFile::remove(m_romPath);
    QDir().rmdir(m_romPath);
    QVERIFY(m_rom.Save(QFile::encodeName(m_romPath).toStdString()).ok());
    m_boxes->Clear();
    m_ui->Choose("ViewByIndex");
    m_ui->Get<QLineEdit>("BankNo")->setText(QStringLiteral("1"));
    m_ui->Type("BankNo", QStringLiteral("2"));
    QCOMPARE(m_ui->Pane(), QStringLiteral("Other\n\n"));
    QVERIFY(m_boxes->Boxes().isEmpty());
}

// ---- the ROM file -------------------------------------------------------------------------------------------

void TestBadInput::romChangesUnderTheEditor_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("warnings"); // boxes after one index up and one write
    for (const char* change : {"removed", "truncated", "directory", "empty", "three bytes"})
        QTest::newRow(change) << QString::fromLatin1(change) << 2;
    QTest::newRow("read-only") << QStringLiteral("read-only") << 1;
}

void TestBadInput::romChangesUnderTheEditor() {
    QFETCH(QString, change);
    QFETCH(int, warnings);

    Bytes left; // what the file holds after the change, if it is still a file
    if (change == QLatin1String("read-only")) {
        if (!MakeReadOnly(m_romPath))
            QSKIP("this user can write to a read-only file here");
        left = m_rom.Bytes();
    } else {
        QVERIFY(QFile::remove(m_romPath));
        if (change == QLatin1String("directory")) {
            QVERIFY(QDir().mkdir(m_romPath));
        } else if (change != QLatin1String("removed")) {
            const std::size_t size = change == QLatin1String("truncated") ? 4096
                                     : change == QLatin1String("empty")   ? 0
                                                                          : 3;
            left.assign(m_rom.Bytes().begin(), m_rom.Bytes().begin() + size);
            QFile file(m_romPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(reinterpret_cast<const char*>(left.data()), static_cast<qint64>(left.size()));
        }
    }
    const QString pane = m_ui->Pane();

    m_ui->Click("Index", true);
    m_ui->Write(QStringLiteral("New"));

    QCOMPARE(m_boxes->Boxes().size(), warnings);
    for (const auto& box : m_boxes->Boxes()) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(m_romPath), qPrintable(box.text));
    }
    if (change == QLatin1String("read-only")) {
        QCOMPARE(m_ui->Pane(), QStringLiteral("Second\n\n"));
    } else {
        QCOMPARE(m_ui->Pane(), pane);
    }
    if (QFileInfo(m_romPath).isFile()) {
        QCOMPARE(FileBytes(), left);
        MakeWritable(m_romPath);
    }
    CheckStillWorks();
}

void TestBadInput::loadingAnUnusableFileIsQuiet_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("three bytes") << 3;
    QTest::newRow("below the first bank") << 400000;
}

void TestBadInput::loadingAnUnusableFileIsQuiet() {
    QFETCH(int, size);
    const QString path = m_dir->filePath(QStringLiteral("small.smc"));
    QVERIFY(SyntheticRom(static_cast<std::size_t>(size)).Save(QFile::encodeName(path).toStdString()).ok());
    m_ui->Load(path);
    QCOMPARE(m_dialog->Session().RomPath(), path);
    QCOMPARE(m_ui->Pane(), QStringLiteral("First\n\n"));
    QVERIFY(m_boxes->Boxes().isEmpty());
    QCOMPARE(QFileInfo(path).size(), qint64(size));

    // The next read from it is reported once.
    m_ui->Click("Index", true);
    QCOMPARE(m_boxes->Boxes().size(), 1);
    QVERIFY(m_boxes->Boxes().constFirst().text.contains(path));
}

// ---- number boxes -------------------------------------------------------------------------------------------

void TestBadInput::numberBoxHoldsAnything_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shownAfter"); // the box's text after its own change handler
    // The boxes keep what is no number; numbers are corrected as a bank, an index or a start position.
    const QString texts[] = {"", "abc", "1e400", "-1e12", "nan", "inf", " 12 ", "0x10", "1,5", "99999999999"};
    const QString bank[] = {"", "abc", "1e400", "2", "nan", "inf", "1", "0x10", "1,5", "1"};
    const QString index[] = {"", "abc", "1e400", "1", "nan", "inf", " 12 ", "0x10", "1,5", "672"};
    const QString begin[] = {"", "abc", "1e400", "1", "nan", "inf", " 12 ", "0x10", "1,5", "99999999999"};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        QTest::addRow("BankNo \"%s\"", qPrintable(texts[i])) << "BankNo" << texts[i] << bank[i];
        QTest::addRow("IndexNo \"%s\"", qPrintable(texts[i])) << "IndexNo" << texts[i] << index[i];
        QTest::addRow("Begin \"%s\"", qPrintable(texts[i])) << "Begin" << texts[i] << begin[i];
        QTest::addRow("Fini \"%s\"", qPrintable(texts[i])) << "Fini" << texts[i] << texts[i];
    }
}

void TestBadInput::numberBoxHoldsAnything() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, shownAfter);
    const bool byteBox = box == QLatin1String("Begin") || box == QLatin1String("Fini");
    if (byteBox)
        m_ui->Choose("ViewByByte");
    m_boxes->Clear();

    // Pasted at once, then every control that reads the box.
    m_ui->Get<QLineEdit>(box.toLatin1().constData())->setText(text);
    QCOMPARE(m_ui->Text(box.toLatin1().constData()), shownAfter);
    if (byteBox) {
        m_ui->Press("Command5");
    } else {
        m_ui->Click("Bank", true);
        m_ui->Click("Bank", false);
        m_ui->Click("Index", true);
        m_ui->Click("Index", false);
    }
    // Numbers too large for a position, and texts that are no number, read nothing and say nothing.
    QVERIFY2(m_boxes->Boxes().isEmpty(), qPrintable(m_boxes->Boxes().value(0).text));
    QCOMPARE(FileBytes(), m_rom.Bytes());
    CheckStillWorks();
}

void TestBadInput::byteCountsOutOfRange_data() {
    QTest::addColumn<QString>("fini");
    QTest::addColumn<int>("decoded");
    // 40000 bytes without an end code from position 1; the count never matches these, so the read stops after
    // the most bytes one read may decode, or at Begin + 1000 where the refresh clamps the count.
    QTest::newRow("0") << "0" << 32767;
    QTest::newRow("negative") << "-5" << 32767;
    QTest::newRow("fraction") << "2.5" << 32767;
    QTest::newRow("above 32767") << "40000" << 1001;
    QTest::newRow("no number") << "" << 32767;
}

void TestBadInput::byteCountsOutOfRange() {
    QFETCH(QString, fini);
    QFETCH(int, decoded);
    SyntheticRom rom = m_rom;
    rom.Put(1, Bytes(40000, 0x1A));
    QVERIFY(rom.Save(QFile::encodeName(m_romPath).toStdString()).ok());
    m_rom = rom;

    m_ui->Choose("ViewByByte");
    m_ui->Type("Begin", QStringLiteral("1"));
    m_ui->Get<QLineEdit>("Fini")->setText(fini);
    m_ui->Press("Command5");
    QCOMPARE(m_ui->Pane(), QString(decoded, QLatin1Char('a')));
    QCOMPARE(m_dialog->Session().ReadPos(), 1);
    QCOMPARE(m_dialog->Session().NextMessagePos(), decoded + 2);
    QVERIFY(m_boxes->Boxes().isEmpty());
    QCOMPARE(FileBytes(), m_rom.Bytes());
    CheckStillWorks();
}

// ---- new text -----------------------------------------------------------------------------------------------

void TestBadInput::newTextOfEveryKind_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pastTheEnd"); // written from the last byte but one of the file, in byte view
    QTest::addColumn<QString>("said");    // part of the one box expected, empty when none
    QTest::addColumn<Bytes>("written");   // at the first position of the message shown

    const QString huge = QStringLiteral("the ").repeated(256 * 1024); // 1 MiB of text, twice the space there is
    QTest::newRow("1 MB, answered no") << huge << false << "overwrites" << Bytes{};
    QTest::newRow("line ends only") << QStringLiteral("\n\n\n") << false << "" << Bytes{0x7F};
    // Characters the game has no code for: the write asks first, and this answer is No.
    QTest::newRow("outside the BMP") << QStringLiteral("Hi\U0001F600there") << false << "no code for \"\U0001F600\""
                                     << Bytes{};
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("Hi") << false << "no code for"
                                    << Bytes{};
    QTest::newRow("an ampersand") << QStringLiteral("Tom & Jerry") << false << "no code for \"&\", so" << Bytes{};
    QTest::newRow("six characters without a code")
        << QStringLiteral("~&%;:/ and \t") << false
        << "no code for \"~\", \"&\", \"%\", \";\", \":\" and 2 more characters, so the new text leaves them out."
        << Bytes{};
    QTest::newRow("argument letters") << QStringLiteral("<COLOR>abc") << false << "\"abc\"" << Bytes{};
    QTest::newRow("argument sign") << QStringLiteral("<COLOR>-05") << false << "\"-05\"" << Bytes{};
    QTest::newRow("argument fraction") << QStringLiteral("<SPEED>1.5") << false << "\"1.5\"" << Bytes{};
    QTest::newRow("argument exponent") << QStringLiteral("<DELAY>1e2") << false << "\"1e2\"" << Bytes{};
    QTest::newRow("argument inner blank") << QStringLiteral("<SOUND>1 2") << false << "\"1 2\"" << Bytes{};
    QTest::newRow("argument empty at the end") << QStringLiteral("Hi<BORDER>") << false << "is missing" << Bytes{};
    QTest::newRow("argument cut by a line end")
        << QStringLiteral("Hi <DELAY>5\nthere") << false
        << "after <DELAY> at line 1, column 11 is \"5\" and a line end: it must be a number from 000 to 255 in "
           "three digits, such as <DELAY>005."
        << Bytes{};
    QTest::newRow("argument above 255") << QStringLiteral("<ALIGN>256") << false << "\"256\"" << Bytes{};
    QTest::newRow("past the end of the file") << QStringLiteral("Hello!") << true << "1049088" << Bytes{};
}

void TestBadInput::newTextOfEveryKind() {
    QFETCH(QString, text);
    QFETCH(bool, pastTheEnd);
    QFETCH(QString, said);
    QFETCH(Bytes, written);

    std::int32_t start = Bank1Start;
    if (pastTheEnd) {
        start = static_cast<std::int32_t>(m_rom.Bytes().size()) - 1;
        m_ui->Choose("ViewByByte");
        m_ui->Get<QLineEdit>("Begin")->setText(QString::number(start));
        m_ui->Press("Command5");
    }
    QCOMPARE(m_dialog->Session().ViewStartPos(), start);
    m_boxes->Clear();
    m_ui->Write(text);

    if (said.isEmpty()) {
        QVERIFY2(m_boxes->Boxes().isEmpty(), qPrintable(m_boxes->Boxes().value(0).text));
    } else {
        QCOMPARE(m_boxes->Boxes().size(), 1);
        QVERIFY2(m_boxes->Boxes().constFirst().text.contains(said), qPrintable(m_boxes->Boxes().constFirst().text));
    }
    Bytes expected = m_rom.Bytes();
    std::copy(written.begin(), written.end(), expected.begin() + (start - 1));
    QCOMPARE(FileBytes(), expected);
    CheckStillWorks();
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
