// A read's bytes written as typed text: what the text says, and that encoding it gives exactly the bytes read.
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/TypedText.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

#include <random>

using namespace kyrel;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Where the rows place their bytes; the bytes before them are never read.
constexpr std::int32_t Start = 11;

struct Shown {
    QString text;
    Bytes bytes; // what the reads kept
};

// What the reader shows for bytes that start at Start: message after message in index view, as the index
// spinner steps on, until the bytes end.
Shown ReadAll(const Bytes& bytes) {
    CharTable table;
    table.BuildCharTable();
    ReaderState state;
    state.ReadPos = Start;
    Shown shown;
    while (state.ReadPos <= Start - 1 + static_cast<std::int64_t>(bytes.size())) {
        const auto from = std::span(bytes).subspan(static_cast<std::size_t>(state.ReadPos - Start));
        const ReadResult read = DecodeMessage(from, state, table, StopRule::IndexView());
        if (!read.ok())
            qFatal("the bytes cannot be decoded");
        shown.text += QString::fromStdU16String(read.text);
        shown.bytes.insert(shown.bytes.end(), read.bytes.begin(), read.bytes.end());
        state = read.state;
        state.ReadPos = state.NextMessagePos;
    }
    return shown;
}

// What "Write New Text" puts into the file for the copy: its encoding, as hexadecimal.
QString Written(const TypedText& copy) {
    const EncodedMessage encoded = EncodeToBytes(copy.text);
    return encoded.ok() ? QString::fromStdString(HexText(encoded.bytes))
                        : QStringLiteral("bad argument at %1").arg(encoded.error->position);
}

} // namespace

class TestTypedText : public QObject {
    Q_OBJECT

private slots:
    void typedForm_data();
    void typedForm();
    void everyByteAndArgument();
    void encodersOwnBytesCopyWithoutRawTags_data();
    void encodersOwnBytesCopyWithoutRawTags();
};

void TestTypedText::typedForm_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("typed");   // "\n" stands for the CR LF line end
    QTest::addColumn<bool>("complete");   // the bytes end with the message's end code
    QTest::addColumn<QString>("written"); // what encoding the copy gives

    // Unless said otherwise, the copy writes back the very bytes, and a read cut short gets its end code.
    auto row = [](const char* name, const char* hex, const char16_t* typed, bool complete = true,
                  const char* written = nullptr) {
        const QString bytes = QString::fromLatin1(hex);
        QTest::newRow(name) << bytes << QString::fromStdU16String(typed) << complete
                            << (written    ? QString::fromLatin1(written)
                                : complete ? bytes
                                           : bytes + " 7F");
    };
    // The encoder's own bytes for "Hello there, you!".
    row("letters and dictionary entries", "07 1E 25 BB 59 D8 CE 42 59 E3 61 7F", u"Hello there, you!");
    row("line breaks in the encoder's order", "00 75 01 76 02 7E 03 73 04 7F", u"A<BR>\nB<BR>\nC<P>\nD<BR>\nE");
    row("arguments three digits wide", "77 02 07 22 78 1E 7A FF 79 7F 6B 00 7F",
        u"<COLOR>002Hi<DELAY>030<SPEED>255<SOUND>127<BORDER>000");
    row("argument followed by digits", "6D 05 35 36 7F", u"<ALIGN>00512");
    row("tab, choice, blanks", "88 68 8A 18 1E 2C 89 7F", u"<TAB><CHOICE>  Yes   ");
    row("name, buttons, brackets, ellipsis", "6A 8B 5B 4A 31 4B 43 5E 7F", u"Vrel's (A){[x]}... (Y)");
    row("entry blank and three blanks", "8C 89 7F", u"and    ");
    row("three blanks twice", "89 89 7F", u"   \n   ");
    row("a < that would read as a tag", "4F 01 11 50 00 4F 04 50 7F", u"<\nBR>A<\nE>");
    row("a < that is no tag", "4F 01 50 4F 4F 7F", u"<B><<");
    row("a < that would drop as <TOP>", "4F 13 0E 0F 50 7F", u"<\nTOP>");
    row("<TOP> the encoder spells out after a break", "00 75 4F 13 0E 0F 50 7F", u"A<BR>\n<TOP>");
    row("end code alone", "7F", u"<E>");
    row("end code in the range", "07 22 7F 18 28 7F", u"Hi<E>\nYo");
    row("end code twice", "00 7F 7F", u"A<E>\n<E>");

    // Bytes that typed text gives otherwise, or not at all, as raw-byte tags; all else stays readable.
    row("the issue's message", "07 22 3E 75 00 75 01 7F", u"Hi<$3E><BR>\nA<$75>\nB");
    row("! as 0x3E", "3E 61 7F", u"<$3E>!");
    row("* as 0x47 0x48", "47 48 49 7F", u"<$47><$48>*");
    row("\u00A4 as 0x52 to 0x57", "52 53 54 55 56 57 58 7F", u"<$52><$53><$54><$55><$56><$57>\u00A4");
    row("v as 0x4E", "4E 2F 7F", u"<$4E>v");
    row("line breaks out of the encoder's order", "00 73 01 76 02 75 03 7F", u"A<$73>\nB<$76>\nC<BR>\nD");
    row("line break after an end code", "00 76 7F 01 76 7F", u"A<$76>\n<E>\nB<$76>");
    // A line end keeps apart what the encoder would read as one entry.
    row("letters that would merge", "1B 1E 7F", u"b\ne");
    row("entry that would grow", "90 59 7F", u"and\n ");
    row("three pieces that would merge", "45 00 46 7F", u"(A\n)");
    row("two separate blanks", "59 59 7F", u" \n ");
    row("five separate blanks", "59 59 59 59 59 7F", u" \n \n \n \n ");
    row("bytes without a text", "62 00 74 01 E9 7F", u"<$62>A<$74>B<$E9>");
    row("<TOP> code after a break", "00 75 74 7F", u"A<BR>\n<$74>");
    row("nothing typed but the end code", "80 FF 7F", u"<$80><$FF>");
    row("arguments 127, 0 and 255", "77 7F 6B 00 7A FF 7F", u"<COLOR>127<BORDER>000<SPEED>255");
    row("<CHOICE> spelled in glyphs", "4F 02 07 0E 08 02 04 50 7F", u"<\nCHOICE>");

    // A read cut by a limit, or by the end of the file, has no end code; one cut right after an argument code
    // has not read the argument, which the copy makes 127, and the encoder ends the text after it.
    row("cut after an argument code", "00 77", u"A<COLOR>127", false, "00 77 7F 7F");
    row("cut before the end code", "00 01", u"AB", false);
    row("cut on an argument of 127", "00 77 7F", u"A<COLOR>127", false);
}

void TestTypedText::typedForm() {
    QFETCH(QString, bytes);
    QFETCH(QString, typed);
    QFETCH(bool, complete);
    QFETCH(QString, written);

    const Bytes message = HexBytes(bytes.toStdString());
    const TypedText copy = TypedTextOf(message);
    QCOMPARE(QString::fromStdU16String(copy.text), QString(typed).replace(u'\n', QStringLiteral("\r\n")));
    QCOMPARE(copy.complete, complete);
    QCOMPARE(Written(copy), written);

    // The reads keep exactly the bytes they decoded, argument bytes included.
    const Shown original = ReadAll(message);
    QCOMPARE(HexText(original.bytes), HexText(message));
}

// Every byte value alone before the end code, and every argument code with every argument.
void TestTypedText::everyByteAndArgument() {
    for (int b = 0; b < 256; ++b) {
        const auto code = static_cast<std::uint8_t>(b);
        for (int argument = 0; argument < (TakesArgument(code) ? 256 : 1); ++argument) {
            Bytes message{code};
            if (TakesArgument(code))
                message.push_back(static_cast<std::uint8_t>(argument));
            message.push_back(EndCode);
            const TypedText copy = TypedTextOf(message);
            QVERIFY(copy.complete);
            QCOMPARE(Written(copy), QString::fromStdString(HexText(message)));
        }
    }
}

void TestTypedText::encodersOwnBytesCopyWithoutRawTags_data() {
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 4; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

// Whatever a user typed, the bytes it gave copy back to readable text that gives those bytes again.
void TestTypedText::encodersOwnBytesCopyWithoutRawTags() {
    QFETCH(int, seed);
    // Pieces that run together into dictionary entries and tags, line breaks in every break mode, end codes.
    const char16_t* pieces[] = {u"b",        u"e",          u"a",          u"n",   u"d",   u" ",      u"  ",    u"t",
                                u"h",        u"(",          u"A",          u")",   u"<",   u"B",      u"R",     u">",
                                u"T",        u"O",          u"P",          u"!",   u"*",   u"\u00A4", u"v",     u"'s",
                                u"{[",       u"]}",         u"<BR>",       u"<P>", u"<E>", u"<TOP>",  u"<TAB>", u"\r\n",
                                u"<CHOICE>", u"<COLOR>007", u"<DELAY>127", u"~"};
    std::mt19937 random(static_cast<unsigned>(seed));
    for (int message = 0; message < 200; ++message) {
        std::u16string text;
        for (int i = 0; i < 30; ++i)
            text += pieces[random() % std::size(pieces)];
        const EncodedMessage encoded = EncodeToBytes(text);
        QVERIFY(encoded.ok());
        const TypedText copy = TypedTextOf(encoded.bytes);
        QVERIFY2(copy.text.find(u"<$") == std::u16string::npos, qPrintable(QString::fromStdU16String(copy.text)));
        QCOMPARE(Written(copy), QString::fromStdString(HexText(encoded.bytes)));
    }
}

QTEST_GUILESS_MAIN(TestTypedText)
#include "tst_typedtext.moc"
