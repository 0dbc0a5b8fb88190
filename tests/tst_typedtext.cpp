// A read's bytes written as typed text: what the text says, what it leaves out, and that encoding it gives
// bytes the reader shows exactly as it showed the message read.
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/TypedText.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

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

// Left-out bytes as "(62)+0 <TOP>+2": the pane's text and the offset from the first byte.
QString Listed(const std::vector<LeftOutByte>& leftOut) {
    QStringList list;
    for (const LeftOutByte& b : leftOut)
        list << QStringLiteral("%1+%2").arg(QString::fromStdU16String(b.shown)).arg(b.position - Start);
    return list.join(u' ');
}

} // namespace

class TestTypedText : public QObject {
    Q_OBJECT

private slots:
    void typedForm_data();
    void typedForm();
};

void TestTypedText::typedForm_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("typed"); // "\n" stands for the CR LF line end
    QTest::addColumn<QString>("leftOut");
    QTest::addColumn<bool>("complete");  // the bytes end with the message's end code
    QTest::addColumn<bool>("identical"); // encoding the text gives the very bytes read

    auto row = [](const char* name, const char* hex, const char16_t* typed, const char* leftOut = "",
                  bool identical = true, bool complete = true) {
        QTest::newRow(name) << QString::fromLatin1(hex) << QString::fromStdU16String(typed)
                            << QString::fromLatin1(leftOut) << complete << identical;
    };
    // The encoder's own bytes for "Hello there, you!".
    row("letters and dictionary entries", "07 1E 25 BB 59 D8 CE 42 59 E3 61 7F", u"Hello there, you!");
    row("line breaks in the encoder's order", "00 75 01 76 02 7E 03 73 04 7F", u"A<BR>\nB<BR>\nC<P>\nD<BR>\nE");
    row("line breaks out of its order", "00 73 01 76 02 75 03 7F", u"A<BR>\nB<BR>\nC<BR>\nD", "", false);
    row("arguments three digits wide", "77 02 07 22 78 1E 7A FF 79 7F 6B 00 7F",
        u"<COLOR>002Hi<DELAY>030<SPEED>255<SOUND>127<BORDER>000");
    row("argument followed by digits", "6D 05 35 36 7F", u"<ALIGN>00512");
    row("tab, choice, blanks", "88 68 8A 18 1E 2C 89 7F", u"<TAB><CHOICE>  Yes   ");
    row("name, buttons, brackets, ellipsis", "6A 8B 5B 4A 31 4B 43 5E 7F", u"Vrel's (A){[x]}... (Y)");
    row("glyph bytes that share a text", "3E 47 48 52 4E 7F", u"!**\u00A4v", "", false);
    row("four single blanks", "59 59 59 59 59 7F", u"   \n  ", "", false);
    row("entry blank and three blanks", "8C 89 7F", u"and \n   ");
    row("three blanks twice", "89 89 7F", u"   \n   ");
    row("a < that would read as a tag", "4F 01 11 50 00 4F 04 50 7F", u"<\nBR>A<\nE>");
    row("a < that is no tag", "4F 01 50 4F 4F 7F", u"<B><<");
    row("end code alone", "7F", u"<E>");
    row("end code in the range", "07 22 7F 18 28 7F", u"Hi<E>\nYo");
    row("end code twice", "00 7F 7F", u"A<E>\n<E>");

    // Bytes that typed text cannot produce are left out and listed with their positions.
    row("bytes without a text", "62 00 74 01 E9 7F", u"AB", "(62)+0 <TOP>+2 (E9)+4");
    row("nothing typed but the end code", "80 FF 7F", u"<E>", "(80)+0 (FF)+1");
    // A read cut by a limit, or by the end of the file, has no end code; one cut right after an argument code
    // has not read the argument.
    row("cut after an argument code", "00 77", u"A", "<COLOR>+1", false, false);
    row("cut before the end code", "00 01", u"AB", "", false, false);
}

void TestTypedText::typedForm() {
    QFETCH(QString, bytes);
    QFETCH(QString, typed);
    QFETCH(QString, leftOut);
    QFETCH(bool, complete);
    QFETCH(bool, identical);

    const Bytes message = HexBytes(bytes.toStdString());
    const TypedText copy = TypedTextOf(message, Start);
    QCOMPARE(QString::fromStdU16String(copy.text), QString(typed).replace(u'\n', QStringLiteral("\r\n")));
    QCOMPARE(Listed(copy.leftOut), leftOut);
    QCOMPARE(copy.complete, complete);

    // The reads keep exactly the bytes they decoded, argument bytes included.
    const Shown original = ReadAll(message);
    QCOMPARE(HexText(original.bytes), HexText(message));
    if (!leftOut.isEmpty() || !complete)
        return;

    // What the copy promises: the reader shows the encoded text as it showed the bytes.
    const EncodedMessage encoded = EncodeToBytes(copy.text);
    QVERIFY(encoded.ok());
    QCOMPARE(ReadAll(encoded.bytes).text, original.text);
    QCOMPARE(encoded.bytes == message, identical);
}

QTEST_GUILESS_MAIN(TestTypedText)
#include "tst_typedtext.moc"
