// The reader: decoding a message from bytes, its stop rules and the positions it leaves behind; reading it from
// the ROM file.
#include "codec/MessageReader.h"
#include "tests/support/SyntheticRom.h"
#include "tests/support/TestFiles.h"

#include <QtTest>

#include <optional>

using namespace kyrel;
using kyrel::testing::FileKind;
using kyrel::testing::FsPath;
using kyrel::testing::HexBytes;
using kyrel::testing::OddFile;
using kyrel::testing::Shown;
using kyrel::testing::SyntheticRom;

namespace {

// Where the decode rows place their bytes; the bytes before it are never decoded.
constexpr std::int32_t Start = 101;
// The argument byte the editor holds before a read; a read without argument bytes keeps it.
constexpr std::uint8_t ArgumentBefore = 0x2A;

QByteArray Hex(const char* hex) {
    const auto bytes = HexBytes(hex);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray Repeat(int count, std::uint8_t b) {
    return QByteArray(count, static_cast<char>(b));
}

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// A file that holds `prefix` bytes of 0xFF and then the given bytes, and ends there.
QString SaveFile(const QTemporaryDir& dir, const QByteArray& bytes, std::int32_t prefix = Start - 1) {
    SyntheticRom rom(static_cast<std::size_t>(prefix + bytes.size()), 0xFF);
    rom.Put(prefix + 1, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return kyrel::testing::SaveRom(dir.filePath(QStringLiteral("rom.smc")), rom);
}

StopRule RuleOf(const QString& view, const QVariant& fini) {
    if (view == u"index")
        return StopRule::IndexView();
    return StopRule::ByteView(fini.isValid() ? std::optional<double>(fini.toDouble()) : std::nullopt);
}

ReaderState StateAt(std::int32_t readPos) {
    ReaderState state;
    state.ReadPos = readPos;
    state.NextMessagePos = 777;
    state.ViewStartPos = 555;
    state.ArgumentByte = ArgumentBefore;
    return state;
}

QString Text(const ReadResult& result) {
    return QString::fromStdU16String(result.text);
}

CharTable Built() {
    CharTable table;
    table.BuildCharTable();
    return table;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT

private slots:
    // One message at Start; the file ends right after the row's bytes. `stop` is the offset of the byte the
    // read stopped on: the terminator, or the first byte not decoded.
    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QVariant>("fini");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stop");
        QTest::addColumn<int>("argument");

        const int kept = ArgumentBefore;
        auto both = [](const char* name, const char* hex, const char16_t* text, int stop, int argument) {
            for (const char* view : {"index", "byte"})
                QTest::addRow("%s view: %s", view, name) << Hex(hex) << QString::fromLatin1(view) << QVariant()
                                                         << QString::fromStdU16String(text) << stop << argument;
        };
        both("letters and end code", "07 1E 25 25 28 3E 7F", u"Hello!\r\n\r\n", 6, kept);
        both("argument shown as number", "77 05 D8 7F", u"<COLOR>5the\r\n\r\n", 3, 5);
        both("byte without text", "80 7F", u"(80)\r\n\r\n", 1, kept);
        both("run of bytes without text", "62 80 FF E9 7F", u"(62)(80)(FF)(E9)\r\n\r\n", 4, kept);
        both("starts on end code", "7F 00 7F", u"\r\n\r\n", 0, kept);
        both("argument 0x7F is 127", "78 7F 00 7F 01", u"<DELAY>127A\r\n\r\n", 3, 0x7F);
        both("argument 0 and 255", "6B 00 79 FF 7F", u"<BORDER>0<SOUND>255\r\n\r\n", 4, 0xFF);
        both("all six argument codes", "6B 01 6D 02 77 03 78 04 79 05 7A 06 7F",
             u"<BORDER>1<ALIGN>2<COLOR>3<DELAY>4<SOUND>5<SPEED>6\r\n\r\n", 12, 6);
        both("argument byte that is itself a code", "77 6B 00 7F", u"<COLOR>107A\r\n\r\n", 3, 0x6B);
        both("arguments at the digit steps", "78 09 78 0A 77 63 77 64 7F",
             u"<DELAY>9<DELAY>10<COLOR>99<COLOR>100\r\n\r\n", 8, 100);
        both("line breaks", "00 73 01 75 02 76 03 7E 04 7F", u"A\r\nB\r\nC\r\nD\r\nE\r\n\r\n", 9, kept);
        both("other codes", "68 6A 74 88 89 8A 8B 7F", u"<CHOICE>Vrel<TOP>\t     's \r\n\r\n", 7, kept);
        both("starts on the file's last byte", "1A", u"a", 1, kept);
        both("file ends mid-message", "00 01 02", u"ABC", 3, kept);
        both("argument code is the file's last byte", "00 77", u"A<COLOR>", 2, kept);
        both("argument byte is the file's last byte", "00 77 05", u"A<COLOR>5", 3, 5);

        // Byte view: the count of decoded bytes, compared exactly with the number in "Ending Value".
        auto byte = [](const char* name, const QVariant& fini, const char* hex, const char16_t* text, int stop,
                       int argument) {
            QTest::newRow(name) << Hex(hex) << QStringLiteral("byte") << fini << QString::fromStdU16String(text) << stop
                                << argument;
        };
        const char* five = "00 01 02 03 04 7F";
        byte("Fini 3 of 5", 3.0, five, u"ABC", 3, kept);
        byte("Fini 1", 1.0, five, u"A", 1, kept);
        byte("Fini 5 stops before end code", 5.0, five, u"ABCDE", 5, kept);
        byte("Fini 6 includes end code", 6.0, five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini 200 met by end code first", 200.0, five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini 0", 0.0, five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini negative", -3.0, five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini fraction", 2.5, five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini no number", QVariant(), five, u"ABCDE\r\n\r\n", 5, kept);
        byte("Fini past end of file", 10.0, "00 01 02", u"ABC", 3, kept);
        byte("argument bytes not counted", 2.0, "77 05 00 01 7F", u"<COLOR>5A", 3, 5);
        byte("limit right after argument code", 2.0, "00 7A 05 7F", u"A<SPEED>", 2, kept);

        // Index view cuts a message after 1000 decoded bytes; argument bytes do not count.
        auto index = [](const char* name, const QByteArray& bytes, const QString& text, int stop, int argument) {
            QTest::newRow(name) << bytes << QStringLiteral("index") << QVariant() << text << stop << argument;
        };
        const QString b999(999, u'B');
        const QString b1000(1000, u'B');
        index("long message cut at 1000", Repeat(1500, 0x01) + Hex("7F"), b1000, 1000, kept);
        index("end code as 1000th byte", Repeat(999, 0x01) + Hex("7F"), b999 + QStringLiteral("\r\n\r\n"), 999, kept);
        index("end code as 1001st byte", Repeat(1000, 0x01) + Hex("7F"), b1000, 1000, kept);
        index("argument byte not counted", Hex("77 05") + Repeat(1200, 0x01), QStringLiteral("<COLOR>5") + b999, 1001,
              5);
        index("argument code as 1000th byte", Repeat(999, 0x01) + Hex("7A 09 01 7F"), b999 + QStringLiteral("<SPEED>"),
              1000, kept);
    }

    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, view);
        QFETCH(QVariant, fini);
        QFETCH(QString, text);
        QFETCH(int, stop);
        QFETCH(int, argument);

        CharTable table = Built();
        const ReadResult result = DecodeMessage(Span(bytes), StateAt(Start), table, RuleOf(view, fini));

        QVERIFY2(result.ok(), Shown(result.failure).c_str());
        QCOMPARE(Text(result), text);
        QCOMPARE(result.state.ViewStartPos, Start);
        QCOMPARE(result.state.ReadPos, view == u"index" ? Start + stop : Start);
        QCOMPARE(result.state.NextMessagePos, Start + stop + 1);
        QCOMPARE(int(result.state.ArgumentByte), argument);
        QVERIFY(!table.PendingArgument());
        // The bytes kept with the read are those it decoded, the end code included.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(result.bytes.data()), qsizetype(result.bytes.size())),
                 bytes.left(stop + (text.endsWith(QStringLiteral("\r\n\r\n")) ? 1 : 0)));
        // The list's reads stop where this read stops and show the same text; its walks stop there too.
        const std::optional<ReadExtent> walked = WalkMessage(Span(bytes), StateAt(Start), RuleOf(view, fini));
        QVERIFY(walked && walked->state == result.state && walked->kept == result.bytes.size());
        ShownText listed(table);
        const std::optional<ShownRead> shown = listed.Read(Span(bytes), StateAt(Start), RuleOf(view, fini));
        QVERIFY(shown && shown->extent.state == result.state && shown->extent.kept == result.bytes.size());
        QCOMPARE(QString::fromStdU16String(std::u16string(shown->text)), text);

        // Read from a file that ends where the bytes end, the message comes out the same: the read takes in as many
        // bytes as the stop rule can reach, up to the file's last byte.
        QTemporaryDir dir;
        const ReadResult read = ReadMessage(FsPath(SaveFile(dir, bytes)), StateAt(Start), table, RuleOf(view, fini));
        QVERIFY2(read.ok(), Shown(read.failure).c_str());
        QCOMPARE(Text(read), text);
        QCOMPARE(read.state, result.state);
        QVERIFY(read.bytes == result.bytes);
    }

    // Byte view counts bytes from the start of the read, not file positions.
    void byteViewCount_data() {
        QTest::addColumn<int>("begin");
        QTest::addColumn<double>("fini");
        QTest::addColumn<int>("endCodeAt"); // file position of a 0x7F, or 0 for none
        QTest::addColumn<int>("letters");
        QTest::addColumn<bool>("terminated");

        QTest::newRow("Fini 200 from position 1") << 1 << 200.0 << 0 << 200 << false;
        QTest::newRow("end code at 50 ends it earlier") << 1 << 200.0 << 50 << 49 << true;
        QTest::newRow("end code at 201 is beyond the count") << 1 << 200.0 << 201 << 200 << false;
        QTest::newRow("Fini 1200 from position 1000") << 1000 << 1200.0 << 0 << 1200 << false;
    }

    void byteViewCount() {
        QFETCH(int, begin);
        QFETCH(double, fini);
        QFETCH(int, endCodeAt);
        QFETCH(int, letters);
        QFETCH(bool, terminated);

        QByteArray bytes = Repeat(3000, 0x1A);
        if (endCodeAt > 0)
            bytes[endCodeAt - 1] = char(0x7F);
        CharTable table = Built();
        const ReadResult result =
            DecodeMessage(Span(bytes).subspan(std::size_t(begin - 1)), StateAt(begin), table, StopRule::ByteView(fini));

        QVERIFY2(result.ok(), Shown(result.failure).c_str());
        QCOMPARE(Text(result), QString(letters, u'a') + (terminated ? QStringLiteral("\r\n\r\n") : QString()));
        QCOMPARE(result.state.ReadPos, begin);
        QCOMPARE(result.state.ViewStartPos, begin);
        QCOMPARE(result.state.NextMessagePos, begin + letters + 1);
    }

    // The reader's count is 16-bit: with no terminator and no count that is ever met, a byte-view read ends
    // after 32767 decoded bytes.
    void countCap_data() {
        QTest::addColumn<QVariant>("fini");
        QTest::newRow("no number") << QVariant();
        QTest::newRow("Fini 0") << QVariant(0.0);
        QTest::newRow("Fini negative") << QVariant(-1.0);
        QTest::newRow("Fini fraction") << QVariant(0.5);
        QTest::newRow("Fini above the cap") << QVariant(40000.0);
    }

    void countCap() {
        QFETCH(QVariant, fini);
        const QByteArray bytes = Repeat(40000, 0x02);
        CharTable table = Built();
        const ReadResult result = DecodeMessage(Span(bytes), StateAt(1), table, RuleOf(QStringLiteral("byte"), fini));

        QVERIFY2(result.ok(), Shown(result.failure).c_str());
        QCOMPARE(result.text.size(), std::size_t(32767));
        QCOMPARE(Text(result), QString(32767, u'C'));
        QCOMPARE(result.state.ReadPos, 1);
        QCOMPARE(result.state.NextMessagePos, 32769);
    }

    // After a read that ended at a terminator in index view, ReadPos is on it: reading again from there shows
    // only the end code and leaves the next message where it was.
    void rereadFromTerminator() {
        QTemporaryDir dir;
        const auto path = FsPath(SaveFile(dir, Hex("07 22 7F 01 7F")));
        CharTable table = Built();
        const ReadResult first = ReadMessage(path, StateAt(Start), table, StopRule::IndexView());
        QVERIFY2(first.ok(), Shown(first.failure).c_str());
        QCOMPARE(Text(first), QStringLiteral("Hi\r\n\r\n"));
        const ReadResult again = ReadMessage(path, first.state, table, StopRule::IndexView());
        QVERIFY2(again.ok(), Shown(again.failure).c_str());
        QCOMPARE(Text(again), QStringLiteral("\r\n\r\n"));
        QCOMPARE(again.state.NextMessagePos, first.state.NextMessagePos);
        QCOMPARE(again.state.ReadPos, first.state.ReadPos);
    }

    // Positions are 32-bit: no read reports a position past 2147483647.
    void lastPositions_data() {
        QTest::addColumn<int>("readPos");
        QTest::addColumn<int>("next"); // 0: the read is refused
        QTest::newRow("two bytes before the last readable one") << 2147483644 << 2147483647;
        QTest::newRow("the last readable byte") << 2147483645 << 2147483647;
        QTest::newRow("one past it") << 2147483646 << 0;
        QTest::newRow("the last position") << 2147483647 << 0;
    }

    void lastPositions() {
        QFETCH(int, readPos);
        QFETCH(int, next);
        const QByteArray bytes = Hex("00 01 02 03");
        CharTable table = Built();
        const ReaderState before = StateAt(readPos);
        const ReadResult result = DecodeMessage(Span(bytes), before, table, StopRule::IndexView());
        QCOMPARE(result.ok(), next != 0);
        QCOMPARE(result.state.NextMessagePos, next ? next : before.NextMessagePos);
        const std::optional<ReadExtent> walked = WalkMessage(Span(bytes), before, StopRule::IndexView());
        QVERIFY(walked ? walked->state == result.state : !result.ok());
        QVERIFY(result.state.ReadPos >= 1);
    }

    void errors_data() {
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<qint64>("size"); // of a regular file cut or stretched to it, -1 for the 103 bytes saved
        QTest::addColumn<int>("readPos");
        QTest::addColumn<QStringList>("mentions");

        const QString size = QStringLiteral("size=%1 ").arg(Start - 1 + 3);
        const qint64 saved = -1;
        QTest::newRow("missing file") << FileKind::Missing << saved << Start
                                      << QStringList{QStringLiteral("CannotOpen"), QStringLiteral("rom.smc")};
        QTest::newRow("directory as path")
            << FileKind::Directory << saved << Start << QStringList{QStringLiteral("NotRegularFile")};
        QTest::newRow("unreadable file") << FileKind::Unreadable << saved << Start
                                         << QStringList{QStringLiteral("CannotOpen")};
        QTest::newRow("named pipe") << FileKind::Pipe << saved << Start
                                    << QStringList{QStringLiteral("NotRegularFile"), QStringLiteral("rom.smc")};
        QTest::newRow("last position of a 2 GiB file")
            << FileKind::Regular << (qint64(1) << 31) << 2147483647
            << QStringList{QStringLiteral("PastLastReadable"), QStringLiteral("position=2147483647")};
        QTest::newRow("position 0") << FileKind::Regular << saved << 0
                                    << QStringList{QStringLiteral("BeforeFile"), QStringLiteral("position=0 ")};
        QTest::newRow("position -5") << FileKind::Regular << saved << -5
                                     << QStringList{QStringLiteral("BeforeFile"), QStringLiteral("position=-5 ")};
        QTest::newRow("position just past the end")
            << FileKind::Regular << saved << Start + 3
            << QStringList{QStringLiteral("PastEnd"), QStringLiteral("position=%1 ").arg(Start + 3), size,
                           QStringLiteral("rom.smc")};
        QTest::newRow("empty file") << FileKind::Regular << qint64(0) << 1
                                    << QStringList{QStringLiteral("PastEnd"), QStringLiteral("size=0 ")};
        QTest::newRow("position far past the end")
            << FileKind::Regular << saved << 2147483647
            << QStringList{QStringLiteral("PastEnd"), QStringLiteral("position=2147483647"), size};
    }

    void errors() {
        QFETCH(FileKind, kind);
        QFETCH(qint64, size);
        QFETCH(int, readPos);
        QFETCH(QStringList, mentions);

        QTemporaryDir dir;
        const QString path = SaveFile(dir, Hex("00 01 7F"));
        if (size >= 0 && !QFile::resize(path, size))
            QSKIP("this file system holds no sparse file of that size");
        const OddFile file(path, kind);
        QVERIFY(file.Made());
        if (file.Skip())
            QSKIP(file.Skip());

        CharTable table = Built();
        table.SetPendingArgument();
        const ReaderState before = StateAt(readPos);
        const ReadResult result = ReadMessage(FsPath(path), before, table, StopRule::IndexView());

        QVERIFY(!result.ok());
        QVERIFY(result.text.empty());
        QCOMPARE(result.state, before);
        QVERIFY(!table.PendingArgument());
        for (const QString& word : mentions)
            QVERIFY2(QString::fromStdString(Shown(result.failure)).contains(word), Shown(result.failure).c_str());
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
