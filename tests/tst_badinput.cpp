// Bad input of every kind the user can produce: a ROM file that changes under the editor, number boxes
// holding anything, byte counts out of range, and new text that is huge, odd or malformed. In every case the
// window keeps working, the user hears about it where a box opens (or nothing happens while a box is being
// edited), and no byte of the ROM changes outside the write the user asked for.
#include "editor/GameDialog.h"
#include "tests/support/EditorTest.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::FileKind;
using kyrel::testing::FsPath;
using kyrel::testing::OddFile;
using kyrel::testing::RomBytes;
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

class TestBadInput : public EditorTest {
    Q_OBJECT

private slots:
    void init();

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
    // The window still answers: a bank change reads that bank's first message from a good ROM.
    void CheckStillWorks();

    SyntheticRom m_rom;
};

void TestBadInput::init() {
    EditorTest::init();
    if (QTest::currentTestFailed())
        return;
    Answerer().SetAnswer(QMessageBox::No);
    m_rom = MakeRom();
    Ui().Load(Save(m_rom));
    QCOMPARE(Ui().Pane(), QStringLiteral("First\n\n"));
}

void TestBadInput::CheckStillWorks() {
    QVERIFY(Dialog().isVisible());
    QFile::remove(RomPath());
    QDir().rmdir(RomPath());
    QVERIFY(m_rom.Save(FsPath(RomPath())).ok());
    Answerer().Clear();
    Ui().Choose("ViewByIndex");
    Ui().Get<QLineEdit>("BankNo")->setText(QStringLiteral("1"));
    Ui().Type("BankNo", QStringLiteral("2"));
    QCOMPARE(Ui().Pane(), QStringLiteral("Other\n\n"));
    QVERIFY(Answerer().Boxes().isEmpty());
}

// ---- the ROM file -------------------------------------------------------------------------------------------

void TestBadInput::romChangesUnderTheEditor_data() {
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<int>("kept");     // bytes of the ROM a regular file keeps, -1 for all
    QTest::addColumn<int>("warnings"); // boxes after one index up and one write
    QTest::newRow("removed") << FileKind::Missing << -1 << 2;
    QTest::newRow("truncated") << FileKind::Regular << 4096 << 2;
    QTest::newRow("directory") << FileKind::Directory << -1 << 2;
    QTest::newRow("empty") << FileKind::Regular << 0 << 2;
    QTest::newRow("three bytes") << FileKind::Regular << 3 << 2;
    QTest::newRow("read-only") << FileKind::ReadOnly << -1 << 1;
}

void TestBadInput::romChangesUnderTheEditor() {
    QFETCH(FileKind, kind);
    QFETCH(int, kept);
    QFETCH(int, warnings);

    Bytes left = m_rom.Bytes(); // what the file holds after the change, if it is still a file
    if (kept >= 0) {
        left.resize(static_cast<std::size_t>(kept));
        QVERIFY(QFile::resize(RomPath(), kept));
    }
    OddFile file(RomPath(), kind);
    QVERIFY(file.Made());
    if (file.Skip())
        QSKIP(file.Skip());
    const QString pane = Ui().Pane();

    Ui().Click("Index", true);
    Ui().Write(QStringLiteral("New"));

    QCOMPARE(Answerer().Boxes().size(), warnings);
    for (const auto& box : Answerer().Boxes()) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(RomPath()), qPrintable(box.text));
    }
    QCOMPARE(Ui().Pane(), kind == FileKind::ReadOnly ? QStringLiteral("Second\n\n") : pane);
    if (QFileInfo(RomPath()).isFile())
        QCOMPARE(RomBytes(RomPath()), left);
    file.Restore();
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
    const QString path = Save(QStringLiteral("small.smc"), SyntheticRom(static_cast<std::size_t>(size)));
    Ui().Load(path);
    QCOMPARE(State().RomPath(), path);
    QCOMPARE(Ui().Pane(), QStringLiteral("First\n\n"));
    QVERIFY(Answerer().Boxes().isEmpty());
    QCOMPARE(QFileInfo(path).size(), qint64(size));

    // The next read from it is reported once.
    Ui().Click("Index", true);
    QCOMPARE(Answerer().Boxes().size(), 1);
    QVERIFY(Answerer().Boxes().constFirst().text.contains(path));
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
        Ui().Choose("ViewByByte");
    Answerer().Clear();

    // Pasted at once, then every control that reads the box.
    Ui().Get<QLineEdit>(box.toLatin1().constData())->setText(text);
    QCOMPARE(Ui().Text(box.toLatin1().constData()), shownAfter);
    if (byteBox) {
        Ui().Press("Command5");
    } else {
        Ui().Click("Bank", true);
        Ui().Click("Bank", false);
        Ui().Click("Index", true);
        Ui().Click("Index", false);
    }
    // Numbers too large for a position, and texts that are no number, read nothing and say nothing.
    QVERIFY2(Answerer().Boxes().isEmpty(), qPrintable(Answerer().Boxes().value(0).text));
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
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
    QVERIFY(rom.Save(FsPath(RomPath())).ok());
    m_rom = rom;

    Ui().Choose("ViewByByte");
    Ui().Type("Begin", QStringLiteral("1"));
    Ui().Get<QLineEdit>("Fini")->setText(fini);
    Ui().Press("Command5");
    QCOMPARE(Ui().Pane(), QString(decoded, QLatin1Char('a')));
    QCOMPARE(State().ReadPos(), 1);
    QCOMPARE(State().NextMessagePos(), decoded + 2);
    QVERIFY(Answerer().Boxes().isEmpty());
    QCOMPARE(RomBytes(RomPath()), m_rom.Bytes());
    CheckStillWorks();
}

// ---- new text -----------------------------------------------------------------------------------------------

void TestBadInput::newTextOfEveryKind_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pastTheEnd"); // written from the last byte but one of the file, in byte view
    QTest::addColumn<QString>("said");    // part of the one box expected, empty when none
    QTest::addColumn<QString>("details"); // the end of the box's details
    QTest::addColumn<Bytes>("written");   // at the first position of the message shown

    const QString huge = QStringLiteral("the ").repeated(256 * 1024); // 1 MiB of text, twice the space there is
    QTest::newRow("1 MB, answered no")
        << huge << false
        << "overwrites the 524,284 bytes after that message, and with them messages 2 to 75 of bank 1 and 1 to 47 "
           "of bank 2."
        << QString() << Bytes{};
    QTest::newRow("longer, in index view") << QStringLiteral("Hello there, how are you all?") << false
                                           << "overwrites the 16 bytes after that message, and with them messages 2 to "
                                              "4 of bank 1. Write"
                                           << QString() << Bytes{};
    // Ending just where the message after the next one begins: that one is not named.
    QTest::newRow("longer, up to the message after the next") << QStringLiteral("First<E>Second") << false
                                                              << "after that message, and with them message 2 of bank "
                                                                 "1. Write"
                                                              << QString() << Bytes{};
    QTest::newRow("line ends only") << QStringLiteral("\n\n\n") << false << "" << QString() << Bytes{0x7F};
    // Characters the game has no code for: the write asks first, and this answer is No.
    QTest::newRow("outside the BMP") << QStringLiteral("Hi\U0001F600there") << false
                                     << "no code for \u2068\"\U0001F600\"\u2069"
                                     << "\u2068\"\U0001F600\"\u2069 (U+1F600)" << Bytes{};
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("Hi") << false << "no code for"
                                    << QString() << Bytes{};
    QTest::newRow("an ampersand") << QStringLiteral("Tom & Jerry") << false << "no code for \u2068\"&\"\u2069, so"
                                  << "\u2068\"&\"\u2069 (U+0026)" << Bytes{};
    QTest::newRow("six characters without a code")
        << QStringLiteral("~&%;:/ and \t") << false
        << "no code for \u2068\"~\"\u2069, \u2068\"&\"\u2069, \u2068\"%\"\u2069, \u2068\";\"\u2069, \u2068\":\"\u2069 "
           "and 2 "
           "more characters, so the new text leaves them out."
        << "\u2068\":\"\u2069 (U+003A)\n\u200E\u2068\"/\"\u2069 (U+002F)\n\u200E\u2068a tab\u2069 (U+0009)" << Bytes{};
    // Right-to-left characters keep the order of the list; each line of the details reads left to right.
    QTest::newRow("right-to-left characters") << QStringLiteral("Hi \u05D0\u05D1") << false
                                              << "no code for \u2068\"\u05D0\"\u2069 and \u2068\"\u05D1\"\u2069, so"
                                              << "\n\u200E\u2068\"\u05D1\"\u2069 (U+05D1)" << Bytes{};
    QTest::newRow("argument letters") << QStringLiteral("<COLOR>abc") << false << "\"abc\"" << QString() << Bytes{};
    QTest::newRow("argument sign") << QStringLiteral("<COLOR>-05") << false << "\"-05\"" << QString() << Bytes{};
    QTest::newRow("argument fraction") << QStringLiteral("<SPEED>1.5") << false << "\"1.5\"" << QString() << Bytes{};
    QTest::newRow("argument exponent") << QStringLiteral("<DELAY>1e2") << false << "\"1e2\"" << QString() << Bytes{};
    QTest::newRow("argument inner blank") << QStringLiteral("<SOUND>1 2") << false << "\"1 2\"" << QString() << Bytes{};
    QTest::newRow("argument empty at the end")
        << QStringLiteral("Hi<BORDER>") << false << "is missing" << QString() << Bytes{};
    QTest::newRow("argument cut by a line end")
        << QStringLiteral("Hi <DELAY>5\nthere") << false
        << "after <DELAY> at line 1, column 11 is \"5\" and a line end: it must be a number from 000 to 255 in "
           "three digits, such as <DELAY>005."
        << QString() << Bytes{};
    QTest::newRow("argument above 255") << QStringLiteral("<ALIGN>256") << false << "\"256\"" << QString() << Bytes{};
    QTest::newRow("past the end of the file") << QStringLiteral("Hello!") << true << "1049088" << QString() << Bytes{};
}

void TestBadInput::newTextOfEveryKind() {
    QFETCH(QString, text);
    QFETCH(bool, pastTheEnd);
    QFETCH(QString, said);
    QFETCH(QString, details);
    QFETCH(Bytes, written);

    std::int32_t start = Bank1Start;
    if (pastTheEnd) {
        start = static_cast<std::int32_t>(m_rom.Bytes().size()) - 1;
        Ui().Choose("ViewByByte");
        Ui().Get<QLineEdit>("Begin")->setText(QString::number(start));
        Ui().Press("Command5");
    }
    QCOMPARE(State().ViewStartPos(), start);
    Answerer().Clear();
    Ui().Write(text);

    if (said.isEmpty()) {
        QVERIFY2(Answerer().Boxes().isEmpty(), qPrintable(Answerer().Boxes().value(0).text));
    } else {
        QCOMPARE(Answerer().Boxes().size(), 1);
        QVERIFY2(Answerer().Boxes().constFirst().text.contains(said), qPrintable(Answerer().Boxes().constFirst().text));
        QVERIFY2(Answerer().Boxes().constFirst().details.endsWith(details),
                 qPrintable(Answerer().Boxes().constFirst().details));
    }
    Bytes expected = m_rom.Bytes();
    std::copy(written.begin(), written.end(), expected.begin() + (start - 1));
    QCOMPARE(RomBytes(RomPath()), expected);
    CheckStillWorks();
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
