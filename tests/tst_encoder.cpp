// The encoder: typed text to the game's message bytes, tags and their argument fields, and the round trip
// through the reader.
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

#include <random>

using namespace kyrel;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;

namespace {

// The text as a row name: quoted, with line ends and tabs spelled out so blanks stay visible.
QByteArray Visible(const QString& text) {
    QString shown = text;
    shown.replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\t', QStringLiteral("\\t"));
    return ('"' + shown + '"').toUtf8();
}

// Encodes through the consumer interface and gives the bytes handed over, as hexadecimal.
QString Encoded(const QString& text, std::optional<EncodeError>* error = nullptr) {
    std::vector<std::uint8_t> bytes;
    EncoderState state;
    const auto result = EncodeMessage(text.toStdU16String(), state, [&](std::uint8_t b) {
        bytes.push_back(b);
        return true;
    });
    if (error)
        *error = result;
    return QString::fromStdString(HexText(bytes));
}

struct Entry {
    const char16_t* text;
    std::uint8_t code;
};

// Every character the encoder takes on its own, with its byte.
const Entry SingleEntries[] = {
    {u"A", 0x00},      {u"B", 0x01},      {u"C", 0x02}, {u"D", 0x03},      {u"E", 0x04},      {u"F", 0x05},
    {u"G", 0x06},      {u"H", 0x07},      {u"I", 0x08}, {u"J", 0x09},      {u"K", 0x0A},      {u"L", 0x0B},
    {u"M", 0x0C},      {u"N", 0x0D},      {u"O", 0x0E}, {u"P", 0x0F},      {u"Q", 0x10},      {u"R", 0x11},
    {u"S", 0x12},      {u"T", 0x13},      {u"U", 0x14}, {u"V", 0x15},      {u"W", 0x16},      {u"X", 0x17},
    {u"Y", 0x18},      {u"Z", 0x19},      {u"a", 0x1A}, {u"b", 0x1B},      {u"c", 0x1C},      {u"d", 0x1D},
    {u"e", 0x1E},      {u"f", 0x1F},      {u"g", 0x20}, {u"h", 0x21},      {u"i", 0x22},      {u"j", 0x23},
    {u"k", 0x24},      {u"l", 0x25},      {u"m", 0x26}, {u"n", 0x27},      {u"o", 0x28},      {u"p", 0x29},
    {u"q", 0x2A},      {u"r", 0x2B},      {u"s", 0x2C}, {u"t", 0x2D},      {u"u", 0x2E},      {u"v", 0x2F},
    {u"w", 0x30},      {u"x", 0x31},      {u"y", 0x32}, {u"z", 0x33},      {u"0", 0x34},      {u"1", 0x35},
    {u"2", 0x36},      {u"3", 0x37},      {u"4", 0x38}, {u"5", 0x39},      {u"6", 0x3A},      {u"7", 0x3B},
    {u"8", 0x3C},      {u"9", 0x3D},      {u"?", 0x3F}, {u"-", 0x40},      {u".", 0x41},      {u",", 0x42},
    {u"\u00BB", 0x44}, {u"(", 0x45},      {u")", 0x46}, {u"*", 0x49},      {u"\u201D", 0x4C}, {u"^", 0x4D},
    {u"<", 0x4F},      {u">", 0x50},      {u"'", 0x51}, {u"\u00A4", 0x58}, {u" ", 0x59},      {u"\u00AB", 0x5A},
    {u"|", 0x5F},      {u"\u00A1", 0x60}, {u"!", 0x61},
};
static_assert(std::size(SingleEntries) == 81);

// Every group of characters the encoder takes as one byte.
const Entry MultiEntries[] = {
    {u"Her", 0xE4},   {u"Tha", 0xE5},  {u"The", 0xE6},   {u"Thi", 0xE7},  {u"Vrel", 0x6A}, {u"You", 0xE8},
    {u"and ", 0x8C},  {u"are ", 0x8D}, {u"all ", 0x8E},  {u"ain", 0x8F},  {u"and", 0x90},  {u"at ", 0x91},
    {u"ast", 0x92},   {u"an", 0x93},   {u"at", 0x94},    {u"ble", 0x95},  {u"ba", 0x96},   {u"be", 0x97},
    {u"bo", 0x98},    {u"can ", 0x99}, {u"che", 0x9A},   {u"com", 0x9B},  {u"ck", 0x9C},   {u"des", 0x9D},
    {u"di", 0x9E},    {u"do", 0x9F},   {u"en ", 0xA0},   {u"er ", 0xA1},  {u"ear", 0xA2},  {u"ent", 0xA3},
    {u"ed ", 0xA4},   {u"en", 0xA5},   {u"er", 0xA6},    {u"ev", 0xA7},   {u"for", 0xA8},  {u"fro", 0xA9},
    {u"give ", 0xAA}, {u"get", 0xAB},  {u"go", 0xAC},    {u"have", 0xAD}, {u"has", 0xAE},  {u"her", 0xAF},
    {u"hi", 0xB0},    {u"ha", 0xB1},   {u"ight ", 0xB2}, {u"ing ", 0xB3}, {u"in", 0xB4},   {u"is", 0xB5},
    {u"it", 0xB6},    {u"just", 0xB7}, {u"know", 0xB8},  {u"ly ", 0xB9},  {u"la", 0xBA},   {u"lo", 0xBB},
    {u"man", 0xBC},   {u"ma", 0xBD},   {u"me", 0xBE},    {u"mu", 0xBF},   {u"n't ", 0xC0}, {u"non", 0xC1},
    {u"not", 0xC2},   {u"open", 0xC3}, {u"ound", 0xC4},  {u"out ", 0xC5}, {u"of", 0xC6},   {u"on", 0xC7},
    {u"or", 0xC8},    {u"per", 0xC9},  {u"ple", 0xCA},   {u"pow", 0xCB},  {u"pro", 0xCC},  {u"re ", 0xCD},
    {u"re", 0xCE},    {u"some", 0xCF}, {u"se", 0xD0},    {u"sh", 0xD1},   {u"so", 0xD2},   {u"st", 0xD3},
    {u"ter ", 0xD4},  {u"thin", 0xD5}, {u"ter", 0xD6},   {u"tha", 0xD7},  {u"the", 0xD8},  {u"thi", 0xD9},
    {u"to", 0xDA},    {u"tr", 0xDB},   {u"up", 0xDC},    {u"ver", 0xDD},  {u"with", 0xDE}, {u"wa", 0xDF},
    {u"we", 0xE0},    {u"wh", 0xE1},   {u"wi", 0xE2},    {u"you", 0xE3},  {u"... ", 0x43}, {u"(A)", 0x5B},
    {u"(B)", 0x5C},   {u"(X)", 0x5D},  {u"(Y)", 0x5E},   {u"{[", 0x4A},   {u"]}", 0x4B},   {u"    ", 0x88},
    {u"   ", 0x89},   {u"  ", 0x8A},   {u"'s ", 0x8B},
};
static_assert(std::size(MultiEntries) == 105);

// Decodes bytes as the "ROM Text" pane would show them.
QString DecodeThroughReader(const std::vector<std::uint8_t>& bytes) {
    CharTable table;
    table.BuildCharTable();
    ReaderState state;
    state.ReadPos = 1;
    const ReadResult read = DecodeMessage(bytes, state, table, StopRule::IndexView());
    return read.ok() ? QString::fromStdU16String(read.text) : QString::fromStdString(testing::Shown(read.failure));
}

} // namespace

class TestEncoder : public QObject {
    Q_OBJECT

private slots:
    void examples_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bytes");
        auto row = [](const QString& text, const char* hex) {
            QTest::addRow("%s", Visible(text).constData()) << text << QString::fromLatin1(hex);
        };

        // Dictionary entries, longest first.
        row(u"the"_qs, "D8 7F");
        row(u"There"_qs, "E6 CE 7F");
        row(u"and then"_qs, "8C D8 27 7F");
        row(u"The thing"_qs, "E6 59 D5 20 7F");
        row(u"Her"_qs, "E4 7F");
        row(u"her"_qs, "AF 7F");
        row(u"HER"_qs, "07 04 11 7F");
        row(u"right"_qs, "2B 22 20 21 2D 7F");
        row(u"night "_qs, "27 B2 7F");
        row(u"going"_qs, "AC B4 20 7F");
        row(u"Thing"_qs, "E7 27 20 7F");
        row(u"ands"_qs, "90 2C 7F");
        row(u"Hello"_qs, "07 1E 25 BB 7F");
        // Single characters.
        row(u"Hi!"_qs, "07 22 61 7F");
        row(u" "_qs, "59 7F");
        row(u"  "_qs, "8A 7F");
        row(u"   "_qs, "89 7F");
        row(u"    "_qs, "88 7F");
        row(u"     "_qs, "88 59 7F");
        row(u"Vrel's "_qs, "6A 8B 7F");
        row(u"(A)"_qs, "5B 7F");
        row(u"... "_qs, "43 7F");
        row(u"{[x]}"_qs, "4A 31 4B 7F");
        // Line breaks and ends.
        row(u"A<BR>B<BR>C<P>D<BR>E"_qs, "00 75 01 76 02 7E 03 73 04 7F");
        row(u"Hi<E>"_qs, "07 22 7F");
        row(u"<E>"_qs, "7F");
        row(u"Bye<E>Hi"_qs, "01 32 1E 7F 07 22 7F");
        row(u"<E>A"_qs, "7F 00 7F");
        row(u"A<E><E>"_qs, "00 7F 7F");
        row(u"<E>\r\n"_qs, "7F");
        row(u"<E><TOP>"_qs, "7F");
        row(u"<P>"_qs, "7E 7F");
        row(u"<TOP>Hi"_qs, "07 22 7F");
        row(u"<TOP>"_qs, "7F");
        row(u"A<BR><TOP>"_qs, "00 75 4F 13 0E 0F 50 7F");
        // Tags must match exactly; otherwise "<" is a character.
        row(u"<br>"_qs, "4F 1B 2B 50 7F");
        row(u"<Br>"_qs, "4F 01 2B 50 7F");
        row(u"<BR"_qs, "4F 01 11 7F");
        row(u"<"_qs, "4F 7F");
        row(u"<CHOICE>"_qs, "68 7F");
        row(u"<TAB>"_qs, "88 7F");
        // Argument fields: three characters, leading zeros and blanks allowed.
        row(u"<DELAY>005"_qs, "78 05 7F");
        row(u"<DELAY>5  "_qs, "78 05 7F");
        row(u"<DELAY> 5 "_qs, "78 05 7F");
        row(u"<DELAY>  5"_qs, "78 05 7F");
        row(u"<COLOR>002Hi"_qs, "77 02 07 22 7F");
        row(u"<BORDER>003"_qs, "6B 03 7F");
        row(u"<ALIGN>001"_qs, "6D 01 7F");
        row(u"<SOUND>033"_qs, "79 21 7F");
        row(u"<COLOR>000"_qs, "77 00 7F");
        row(u"<COLOR>255"_qs, "77 FF 7F");
        row(u"<DELAY>127"_qs, "78 7F 7F");
        row(u"<SPEED>5"_qs, "7A 05 7F");
        row(u"<SPEED>12"_qs, "7A 0C 7F");
        row(u"<COLOR>255<SPEED>000"_qs, "77 FF 7A 00 7F");
        // A raw-byte tag gives its byte exactly, whatever the rules would give for its text.
        row(u"<$3E>"_qs, "3E 7F");
        row(u"<$ff><$Ab><$0c>"_qs, "FF AB 0C 7F");
        row(u"<$74><$62>"_qs, "74 62 7F");
        row(u"b<$1E>"_qs, "1B 1E 7F");
        row(u"<<$4F>"_qs, "4F 4F 7F");
        row(u"<$77>005Hi"_qs, "77 05 07 22 7F");
        row(u"<$7a>  5"_qs, "7A 05 7F");
        row(u"<$78>127"_qs, "78 7F 7F");
        row(u"<$6B>2"_qs, "6B 02 7F");
        row(u"<$7F>"_qs, "7F 7F");
        row(u"A<$7F>B"_qs, "00 7F 01 7F");
        // Anything short of a whole raw-byte tag is ordinary characters; "$" has no entry.
        row(u"<$7>"_qs, "4F 3B 50 7F");
        row(u"<$GG>"_qs, "4F 06 06 50 7F");
        row(u"<$7F"_qs, "4F 3B 05 7F");
        row(u"<$7F0>"_qs, "4F 3B 05 34 50 7F");
        row(u"<$ 7F>"_qs, "4F 59 3B 05 50 7F");
        row(u"<$>"_qs, "4F 50 7F");
        // Characters without an entry are skipped.
        row(u"a~b"_qs, "1A 1B 7F");
        row(u"~"_qs, "7F");
        row(u"&/;%"_qs, "7F");
        row(u"a\tb"_qs, "1A 1B 7F");
        row(u"a\U0001F600b"_qs, "1A 1B 7F");
        row(u"{x"_qs, "31 7F");
        row(u"]"_qs, "7F");
        row(u"x]}"_qs, "31 4B 7F");
        row(u"Hi\r\nYo"_qs, "07 22 18 28 7F");
        row(u"\r\n\r\n"_qs, "7F");

        // Which byte "<BR>" gives depends on the breaks before it in the same message.
        auto brk = [](const char* name, const QString& text, const char* hex) {
            QTest::addRow("break mode %s", name) << text << QString::fromLatin1(hex);
        };
        brk("0 BR to 1", u"<BR>A<BR>"_qs, "75 00 76 7F");
        brk("0 P to 2", u"<P><BR>"_qs, "7E 73 7F");
        brk("0 E stays 0", u"<E><BR>"_qs, "7F 75 7F");
        brk("1 BR stays 1", u"<BR><BR><BR>"_qs, "75 76 76 7F");
        brk("1 P to 2", u"<BR><P><BR>"_qs, "75 7E 73 7F");
        brk("1 E to 0", u"<BR><E><BR>"_qs, "75 7F 75 7F");
        brk("2 BR stays 2", u"<P><BR><BR>"_qs, "7E 73 73 7F");
        brk("2 P stays 2", u"<P><P><BR>"_qs, "7E 7E 73 7F");
        brk("2 E to 0", u"<P><E><BR>"_qs, "7E 7F 75 7F");
        brk("TOP kept as text at 1", u"<BR><TOP>"_qs, "75 4F 13 0E 0F 50 7F");
        brk("TOP kept as text at 2", u"<P><TOP>"_qs, "7E 4F 13 0E 0F 50 7F");
        brk("TOP dropped after E", u"<BR><E><TOP>"_qs, "75 7F");
        brk("other tags keep the mode", u"<BR><TAB><CHOICE><COLOR>001<BR>"_qs, "75 88 68 77 01 76 7F");
        brk("raw line break keeps 0", u"<$75><BR>"_qs, "75 75 7F");
        brk("raw paragraph keeps 1", u"<BR><$7E><BR>"_qs, "75 7E 76 7F");
        brk("raw end code keeps 2", u"<P><$7F><BR>"_qs, "7E 7F 73 7F");
        brk("TOP dropped after a raw break", u"<$73><TOP>"_qs, "73 7F");
    }

    void examples() {
        QFETCH(QString, text);
        QFETCH(QString, bytes);
        std::optional<EncodeError> error;
        QCOMPARE(Encoded(text, &error), bytes);
        QVERIFY(!error);

        const EncodedMessage whole = EncodeToBytes(text.toStdU16String());
        QVERIFY(whole.ok());
        QCOMPARE(QString::fromStdString(HexText(whole.bytes)), bytes);
    }

    // Nothing carries over from the encoding before: a leftover break state does not change "<BR>".
    void startsFresh() {
        EncoderState state;
        state.BreakMode = 2;
        state.EncodePos = 50;
        std::vector<std::uint8_t> bytes;
        const auto error = EncodeMessage(u"<BR>", state, [&](std::uint8_t b) {
            bytes.push_back(b);
            return true;
        });
        QVERIFY(!error);
        QCOMPARE(QString::fromStdString(HexText(bytes)), QStringLiteral("75 7F"));
    }

    void argumentErrors_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before"); // the bytes handed over before the bad field

        QTest::newRow("letters") << u"<DELAY>abc"_qs << u"<DELAY>"_qs << 1 << 8 << u"abc"_qs << "";
        QTest::newRow("plus sign") << u"<COLOR>+12"_qs << u"<COLOR>"_qs << 1 << 8 << u"+12"_qs << "";
        QTest::newRow("minus sign") << u"<COLOR>-1 "_qs << u"<COLOR>"_qs << 1 << 8 << u"-1 "_qs << "";
        QTest::newRow("fraction") << u"<SOUND>1.5"_qs << u"<SOUND>"_qs << 1 << 8 << u"1.5"_qs << "";
        QTest::newRow("exponent") << u"<SPEED>1e2"_qs << u"<SPEED>"_qs << 1 << 8 << u"1e2"_qs << "";
        QTest::newRow("inner blank") << u"<ALIGN>1 2"_qs << u"<ALIGN>"_qs << 1 << 8 << u"1 2"_qs << "";
        QTest::newRow("blanks only") << u"<DELAY>   "_qs << u"<DELAY>"_qs << 1 << 8 << u"   "_qs << "";
        QTest::newRow("empty field at end") << u"Hi<BORDER>"_qs << u"<BORDER>"_qs << 1 << 11 << QString() << "07 22";
        QTest::newRow("short field at end") << u"<SPEED>x"_qs << u"<SPEED>"_qs << 1 << 8 << u"x"_qs << "";
        QTest::newRow("256") << u"<COLOR>256"_qs << u"<COLOR>"_qs << 1 << 8 << u"256"_qs << "";
        QTest::newRow("999") << u"A<COLOR>999"_qs << u"<COLOR>"_qs << 1 << 9 << u"999"_qs << "00";
        QTest::newRow("field cut by line end") << u"<DELAY>5\r\nHi"_qs << u"<DELAY>"_qs << 1 << 8 << u"5\r\n"_qs << "";
        QTest::newRow("second line") << u"Hi\r\nthere<DELAY>x12"_qs << u"<DELAY>"_qs << 2 << 13 << u"x12"_qs
                                     << "07 22 D8 CE";
        QTest::newRow("third line") << u"A\r\n\r\n<SOUND>25x"_qs << u"<SOUND>"_qs << 3 << 8 << u"25x"_qs << "00";
        QTest::newRow("copied from the pane unwidened")
            << u"<COLOR>5the"_qs << u"<COLOR>"_qs << 1 << 8 << u"5th"_qs << "";
        QTest::newRow("after a good argument")
            << u"<COLOR>001<SPEED>-5"_qs << u"<SPEED>"_qs << 1 << 18 << u"-5"_qs << "77 01";
        QTest::newRow("raw-byte tag of an argument code")
            << u"Hi<$78>abc"_qs << u"<$78>"_qs << 1 << 8 << u"abc"_qs << "07 22";
        QTest::newRow("raw-byte tag at the end") << u"<$6d>"_qs << u"<$6d>"_qs << 1 << 6 << QString() << "";
        QTest::newRow("character outside the BMP")
            << u"<DELAY>\U0001F600x"_qs << u"<DELAY>"_qs << 1 << 8 << u"\U0001F600x"_qs << "";
    }

    void argumentErrors() {
        QFETCH(QString, text);
        QFETCH(QString, tag);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, field);
        QFETCH(QString, before);

        std::optional<EncodeError> error;
        QCOMPARE(Encoded(text, &error), before);
        QVERIFY(error);
        QCOMPARE(QString::fromStdU16String(error->tag), tag);
        QCOMPARE(error->line, line);
        QCOMPARE(error->column, column);
        QCOMPARE(QString::fromStdU16String(error->field), field);

        // Encoding the whole text first refuses it the same way, so nothing need reach the file.
        const EncodedMessage whole = EncodeToBytes(text.toStdU16String());
        QVERIFY(!whole.ok());
        QCOMPARE(whole.error->column, column);
        QCOMPARE(QString::fromStdString(HexText(whole.bytes)), before);
    }

    void droppedCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("dropped");
        QTest::newRow("ampersand") << u"Tom & Jerry"_qs << u"&"_qs;
        QTest::newRow("each once, in text order") << u"a~b%c~&%"_qs << u"~%&"_qs;
        QTest::newRow("tab") << u"a\tb"_qs << u"\t"_qs;
        QTest::newRow("line ends are no loss") << u"Hi\r\nYo\n\r"_qs << QString();
        QTest::newRow("brackets without their entry") << u"{x] {[x]}"_qs << u"{]"_qs;
        QTest::newRow("character outside the BMP, whole")
            << u"a\U0001F600b\U0001F600\U0001F601"_qs << u"\U0001F600\U0001F601"_qs;
        QTest::newRow("lone halves of a pair")
            << QString::fromStdU16String({char16_t(0xD83D), u'a', char16_t(0xDE00), u'\uFFFD'}) << u"\uFFFD"_qs;
        QTest::newRow("dropped <TOP> is a tag") << u"<TOP>Hi"_qs << QString();
        QTest::newRow("incomplete raw-byte tag") << u"<$GG><$41>"_qs << u"$"_qs;
        QTest::newRow("up to a bad field") << u"%<COLOR>a~b~"_qs << u"%"_qs;
        QTest::newRow("nothing dropped") << u"<COLOR>002Hi!<BR>"_qs << QString();
    }

    void droppedCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, dropped);
        QCOMPARE(QString::fromStdU16String(DroppedCharacters(text.toStdU16String())), dropped);
        // The one pass that gives the bytes gives the same characters.
        QCOMPARE(QString::fromStdU16String(EncodeToBytes(text.toStdU16String()).dropped), dropped);
    }

    // The consumer gets each byte in order; refusing one stops the encoding there.
    void consumerStops_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("refuseAt"); // 1-based number of the byte the consumer refuses; 0 for none
        QTest::addColumn<QString>("received");
        QTest::newRow("accepts all") << u"Hello"_qs << 0 << "07 1E 25 BB 7F";
        QTest::newRow("refuses the first") << u"Hello"_qs << 1 << "07";
        QTest::newRow("refuses the third") << u"Hello"_qs << 3 << "07 1E 25";
        QTest::newRow("refuses a tag's byte") << u"<COLOR>002Hi"_qs << 1 << "77";
        QTest::newRow("refuses an argument byte") << u"<COLOR>002Hi"_qs << 2 << "77 02";
        QTest::newRow("refuses the end code") << u"Hi"_qs << 3 << "07 22 7F";
    }

    void consumerStops() {
        QFETCH(QString, text);
        QFETCH(int, refuseAt);
        QFETCH(QString, received);
        std::vector<std::uint8_t> bytes;
        EncoderState state;
        const auto error = EncodeMessage(text.toStdU16String(), state, [&](std::uint8_t b) {
            bytes.push_back(b);
            return static_cast<int>(bytes.size()) != refuseAt;
        });
        QVERIFY(!error);
        QCOMPARE(QString::fromStdString(HexText(bytes)), received);
    }

    // Each entry alone encodes to its byte, and the character table shows that byte as the entry's text
    // (four spaces excepted: they give the tab code).
    void everyEntry_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        for (const Entry& entry : SingleEntries) {
            const QString text = QString::fromStdU16String(entry.text);
            QTest::addRow("single 0x%02X %s", entry.code, Visible(text).constData()) << text << int(entry.code) << text;
        }
        for (const Entry& entry : MultiEntries) {
            const QString text = QString::fromStdU16String(entry.text);
            const QString shown = entry.code == 0x88 ? QStringLiteral("\t") : text;
            QTest::addRow("multi 0x%02X %s", entry.code, Visible(text).constData()) << text << int(entry.code) << shown;
        }
    }

    void everyEntry() {
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(QString, shown);
        const EncodedMessage message = EncodeToBytes(text.toStdU16String());
        QVERIFY(message.ok());
        QCOMPARE(QString::fromStdString(HexText(message.bytes)),
                 QString::fromStdString(HexText({static_cast<std::uint8_t>(code), EndCode})));

        CharTable table;
        table.BuildCharTable();
        QCOMPARE(QString::fromStdU16String(table.Lookup(static_cast<std::uint8_t>(code))), shown);
    }

    void roundTripFromBytes_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %d", seed) << seed;
    }

    // Bytes built from every code the encoder produces whose text the reader shows in a form the encoder
    // reads back. Each code is followed by punctuation that begins no group and belongs to none, so greedy
    // matching cannot merge neighbours; argument bytes are 100 or more, shown with three digits.
    void roundTripFromBytes() {
        QFETCH(int, seed);
        std::vector<std::uint8_t> codes;
        for (const Entry& entry : SingleEntries)
            codes.push_back(entry.code);
        for (const Entry& entry : MultiEntries)
            if (entry.code != 0x88) // shown as a tab, which the encoder skips
                codes.push_back(entry.code);
        codes.push_back(0x68); // <CHOICE>
        const std::uint8_t argumentCodes[] = {0x6B, 0x6D, 0x77, 0x78, 0x79, 0x7A};
        const std::uint8_t breakers[] = {0x34, 0x3D, 0x3F, 0x40, 0x42, 0x44, 0x49,
                                         0x4C, 0x4D, 0x58, 0x5A, 0x5F, 0x60, 0x61};

        std::mt19937 random(static_cast<unsigned>(seed));
        auto pick = [&](auto& list) { return list[random() % std::size(list)]; };
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < 200; ++i) {
            if (random() % 8 == 0) {
                bytes.push_back(pick(argumentCodes));
                bytes.push_back(static_cast<std::uint8_t>(100 + random() % 156));
            } else {
                bytes.push_back(pick(codes));
            }
            bytes.push_back(pick(breakers));
        }
        bytes.push_back(EndCode);

        const QString decoded = DecodeThroughReader(bytes);
        QVERIFY(decoded.endsWith(QStringLiteral("\r\n\r\n")));
        const EncodedMessage again = EncodeToBytes(decoded.toStdU16String());
        QVERIFY(again.ok());
        QCOMPARE(QString::fromStdString(HexText(again.bytes)), QString::fromStdString(HexText(bytes)));
    }

    // Random text of letters, punctuation and short runs of blanks: its bytes decode to the same text, and
    // that text encodes to the same bytes again.
    void roundTripFromText_data() { roundTripFromBytes_data(); }

    void roundTripFromText() {
        QFETCH(int, seed);
        // Letters weighted towards the common ones, so that many dictionary entries turn up.
        const QString letters = QStringLiteral("eeeetttaaaoooiiinnnsssrrhhlldcumwfgypbvkjxqz"
                                               "ETAOIHYVW");
        const QString marks = QStringLiteral("!?.,-'()*^>|0123456789\u00BB\u00AB\u201D\u00A4\u00A1");
        std::mt19937 random(static_cast<unsigned>(seed));
        QString text;
        while (text.size() < 400) {
            const int wordLength = 1 + random() % 7;
            for (int i = 0; i < wordLength; ++i)
                text += letters[random() % letters.size()];
            if (random() % 4 == 0)
                text += marks[random() % marks.size()];
            text += QString(1 + random() % 3, u' '); // four blanks would become a tab
        }

        const EncodedMessage bytes = EncodeToBytes(text.toStdU16String());
        QVERIFY(bytes.ok());
        QVERIFY2(static_cast<qsizetype>(bytes.bytes.size()) < text.size() * 9 / 10,
                 "dictionary entries should shorten the text");
        const QString decoded = DecodeThroughReader(bytes.bytes);
        QCOMPARE(decoded, text + QStringLiteral("\r\n\r\n"));
        const EncodedMessage again = EncodeToBytes(decoded.toStdU16String());
        QCOMPARE(QString::fromStdString(HexText(again.bytes)), QString::fromStdString(HexText(bytes.bytes)));
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
