// Byte access to the ROM file and the writer: regular files only, 1-based positions, writes that are refused
// whole or stop with a reason, and a file that never ends up longer than it was.
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "tests/support/SyntheticRom.h"
#include "tests/support/TestFiles.h"

#include <QtTest>

#include <algorithm>

using namespace kyrel;
using kyrel::testing::FileKind;
using kyrel::testing::FsPath;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;
using kyrel::testing::OddFile;
using kyrel::testing::RomBytes;
using kyrel::testing::Shown;
using kyrel::testing::SyntheticRom;

namespace {

// The bytes of the small test file, position 1 first.
constexpr const char* Content = "10 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 0F";
// A message written over it from WriteStart while another program changes the file. No byte here or in Content
// is zero, so none passes for the fill a byte past the end brings with it.
constexpr const char* Message = "A1 B2 C3 D4 E5 F6 17 28 39 4A 5B 7F";
constexpr std::int32_t WriteStart = 3;
constexpr qint64 MovedAway = -1;

QString SaveContent(const QTemporaryDir& dir, const QString& name = QStringLiteral("rom.smc")) {
    const auto bytes = HexBytes(Content);
    SyntheticRom rom(bytes.size());
    rom.Put(1, bytes);
    return kyrel::testing::SaveRom(dir.filePath(name), rom);
}

QString FileHex(const QString& path) {
    return QString::fromStdString(HexText(RomBytes(path)));
}

} // namespace

class TestRomFile : public QObject {
    Q_OBJECT

private slots:
    // A stretch read at a 1-based position ends where the file ends.
    void read_data() {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first byte") << qint64(1) << 1 << "10";
        QTest::newRow("three from the ninth") << qint64(9) << 3 << "98 A9 BA";
        QTest::newRow("last byte") << qint64(16) << 1 << "0F";
        QTest::newRow("cut at the end") << qint64(15) << 8 << "FE 0F";
        QTest::newRow("past the end") << qint64(17) << 4 << "";
    }

    void read() {
        QFETCH(qint64, position);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        RomFile file;
        QVERIFY(file.Open(FsPath(SaveContent(dir)), RomFile::Access::Read).ok());
        std::vector<std::uint8_t> into(static_cast<std::size_t>(length));
        const SizeResult got = file.Read(position, into);
        QVERIFY2(got.ok(), Shown(got.failure).c_str());
        into.resize(static_cast<std::size_t>(got.size));
        QCOMPARE(QString::fromStdString(HexText(into)), expected);
    }

    // A write lands at consecutive positions from its start; one that cannot be whole writes nothing.
    void writeMessage_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("mentions"); // words of the refusal; empty when the write works
        const QString unchanged = QString::fromLatin1(Content);
        QTest::newRow("one byte first") << 1 << "55"
                                        << "55 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 0F" << QStringList{};
        QTest::newRow("message in the middle") << 8 << "D8 7F"
                                               << "10 21 32 43 54 65 76 D8 7F A9 BA CB DC ED FE 0F" << QStringList{};
        QTest::newRow("last byte on the file's last byte")
            << 14 << "01 02 7F"
            << "10 21 32 43 54 65 76 87 98 A9 BA CB DC 01 02 7F" << QStringList{};
        QTest::newRow("one byte past the end") << 15 << "01 02 7F" << unchanged
                                               << QStringList{QStringLiteral("NoRoom"), QStringLiteral("count=3 "),
                                                              QStringLiteral("size=16 "), QStringLiteral("rom.smc")};
        QTest::newRow("far past the end")
            << 5000 << "7F" << unchanged << QStringList{QStringLiteral("NoRoom"), QStringLiteral("position=5000 ")};
        QTest::newRow("position 0") << 0 << "7F" << unchanged
                                    << QStringList{QStringLiteral("BeforeFile"), QStringLiteral("position=0 ")};
        QTest::newRow("position -1") << -1 << "7F" << unchanged
                                     << QStringList{QStringLiteral("BeforeFile"), QStringLiteral("position=-1 ")};
    }

    void writeMessage() {
        QFETCH(int, start);
        QFETCH(QString, bytes);
        QFETCH(QString, after);
        QFETCH(QStringList, mentions);
        QTemporaryDir dir;
        const QString path = SaveContent(dir);
        const auto message = HexBytes(bytes.toStdString());
        const WriteResult result = WriteMessageBytes(FsPath(path), start, message);
        QCOMPARE(result.ok(), mentions.isEmpty());
        QCOMPARE(result.written, result.ok() ? qint64(message.size()) : 0);
        for (const QString& word : mentions)
            QVERIFY2(QString::fromStdString(Shown(result.failure)).contains(word), Shown(result.failure).c_str());
        QCOMPARE(FileHex(path), after);
    }

    // Positions are 32-bit: on a file of 2 GiB and more, a write whose last byte would lie past 2147483647 is
    // refused whole, and one that ends on it goes through.
    void writeNearTheLastPosition_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("written");
        QTest::newRow("ends on 2147483647") << 2147483645 << true;
        QTest::newRow("would end on 2147483648") << 2147483646 << false;
    }

    void writeNearTheLastPosition() {
        QFETCH(int, start);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("big.smc"));
        QFile big(name);
        if (!big.open(QIODevice::WriteOnly) || !big.resize(qint64(1) << 31))
            QSKIP("this file system holds no sparse file of 2 GiB");
        big.close();
        const std::vector<std::uint8_t> abc = {0x1A, 0x1B, 0x7F};
        const WriteResult result = WriteMessageBytes(FsPath(name), start, abc);
        QCOMPARE(result.ok(), written);
        QCOMPARE(result.written, written ? qint64(3) : 0);
        QVERIFY(big.open(QIODevice::ReadOnly) && big.seek(start - 1));
        QCOMPARE(big.read(3) == QByteArray("\x1A\x1B\x7F"), written);
        QCOMPARE(big.size(), qint64(1) << 31);
    }

    // Only regular files are opened, and a pipe never makes the caller wait; names outside ASCII work.
    void open_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<QString>("mention"); // empty when the file opens
        const QString rom = QStringLiteral("rom.smc");
        QTest::newRow("regular file") << rom << FileKind::Regular << "";
        QTest::newRow("name outside ASCII") << QStringLiteral("Fëhler ROM ✓.smc") << FileKind::Regular << "";
        QTest::newRow("missing file") << QStringLiteral("nothere.smc") << FileKind::Missing
                                      << "CannotOpen path=%1/nothere.smc";
        QTest::newRow("directory") << rom << FileKind::Directory << "NotRegularFile path=%1/rom.smc";
        QTest::newRow("named pipe") << QStringLiteral("pipe.smc") << FileKind::Pipe
                                    << "NotRegularFile path=%1/pipe.smc";
        QTest::newRow("unreadable file") << rom << FileKind::Unreadable << "CannotOpen path=%1/rom.smc";
    }

    void open() {
        QFETCH(QString, name);
        QFETCH(FileKind, kind);
        QFETCH(QString, mention);
        QTemporaryDir dir;
        const OddFile file(SaveContent(dir, name), kind);
        QVERIFY(file.Made());
        if (file.Skip())
            QSKIP(file.Skip());
        const auto path = FsPath(dir.filePath(name));
        const bool opens = mention.isEmpty();
        for (const auto access : {RomFile::Access::Read, RomFile::Access::ReadWrite}) {
            RomFile rom;
            const Status opened = rom.Open(path, access);
            QCOMPARE(opened.ok(), opens);
            QVERIFY2(QString::fromStdString(Shown(opened.failure)).startsWith(mention.arg(dir.path())),
                     Shown(opened.failure).c_str());
        }
        const SizeResult size = RomFileSize(path);
        QCOMPARE(size.ok(), opens);
        QCOMPARE(size.size, opens ? qint64(16) : 0);
        const std::vector<std::uint8_t> one = {0x7F};
        const WriteResult written = WriteMessageBytes(path, 1, one);
        QCOMPARE(written.ok(), opens);
        QVERIFY2(written.failure.code != FailureCode::CannotRead, Shown(written.failure).c_str());
        // Nothing was created in a missing file's place.
        QCOMPARE(std::filesystem::exists(path), kind != FileKind::Missing);
    }

    // Another program shortens the file, or moves it away, at one step of one byte of a 12-byte write from
    // position 3 of the 16-byte file: the file never ends longer than that program left it, `written` counts the
    // bytes that went in, and a write that did not finish says what stopped it.
    void writeWhileAnotherProgramShortens_data() {
        QTest::addColumn<int>("step");     // a ByteStep
        QTest::addColumn<int>("position"); // of the byte at whose step the other program acts
        QTest::addColumn<qint64>("cutTo"); // the size it leaves, or MovedAway
        QTest::addColumn<qint64>("written");
        QTest::addColumn<qint64>("size");          // of the file afterwards
        QTest::addColumn<QStringList>("mentions"); // words of the error; empty when the write finishes
        const int look = int(ByteStep::BeforeOpen);
        const int write = int(ByteStep::BeforeWrite);
        const auto shortened = [](qint64 size, qint64 written) {
            return written == 12 ? QStringList{}
                                 : QStringList{QStringLiteral("Shortened"), QStringLiteral("size=%1 ").arg(size),
                                               QStringLiteral("rom.smc")};
        };
        const QStringList changed = {QStringLiteral("SizeChanged"), QStringLiteral("rom.smc")};
        for (qint64 k = 1; k <= 12; ++k) {
            const qint64 p = WriteStart + k - 1;
            QTest::addRow("byte %lld: cut below it before its look", k)
                << look << int(p) << p - 1 << k - 1 << p - 1 << shortened(p - 1, k - 1);
            QTest::addRow("byte %lld: cut to it before its look", k)
                << look << int(p) << p << qint64(k) << p << shortened(p, k);
            QTest::addRow("byte %lld: moved away before its open", k)
                << look << int(p) << MovedAway << k - 1 << qint64(16)
                << QStringList{QStringLiteral("CannotOpen"), QStringLiteral("rom.smc")};
            QTest::addRow("byte %lld: emptied after its look", k)
                << write << int(p) << qint64(0) << k - 1 << qint64(0) << changed;
            QTest::addRow("byte %lld: cut below it after its look", k)
                << write << int(p) << p - 1 << k - 1 << p - 1 << changed;
            // The byte then ends the file just as one that lengthened it would, so it is cut off all the same.
            QTest::addRow("byte %lld: cut to it after its look", k)
                << write << int(p) << p << k - 1 << p - 1 << changed;
            const qint64 inside = std::min<qint64>(k + 1, 12);
            QTest::addRow("byte %lld: cut past it after its look", k)
                << write << int(p) << p + 1 << inside << p + 1 << shortened(p + 1, inside);
        }
    }

    void writeWhileAnotherProgramShortens() {
        QFETCH(int, step);
        QFETCH(int, position);
        QFETCH(qint64, cutTo);
        QFETCH(qint64, written);
        QFETCH(qint64, size);
        QFETCH(QStringList, mentions);
        QTemporaryDir dir;
        const QString path = SaveContent(dir);
        const QString moved = dir.filePath(QStringLiteral("moved.smc"));
        const auto message = HexBytes(Message);
        int acted = 0;
        std::error_code failed;
        const WriteResult result =
            WriteMessageBytes(FsPath(path), WriteStart, message, [&](std::int64_t at, ByteStep now) {
                if (at != position || now != ByteStep(step))
                    return;
                ++acted;
                if (cutTo == MovedAway)
                    std::filesystem::rename(FsPath(path), FsPath(moved), failed);
                else
                    std::filesystem::resize_file(FsPath(path), static_cast<std::uintmax_t>(cutTo), failed);
            });
        QCOMPARE(acted, 1);
        QVERIFY2(!failed, failed.message().c_str());
        QCOMPARE(result.written, written);
        QCOMPARE(result.ok(), mentions.isEmpty());
        for (const QString& word : mentions)
            QVERIFY2(QString::fromStdString(Shown(result.failure)).contains(word), Shown(result.failure).c_str());
        // The file's own bytes, the message's first `written` bytes from the start, and nothing past `size`.
        auto expected = HexBytes(Content);
        std::copy_n(message.begin(), written, expected.begin() + WriteStart - 1);
        expected.resize(static_cast<std::size_t>(size));
        QCOMPARE(FileHex(cutTo == MovedAway ? moved : path), QString::fromStdString(HexText(expected)));
        QCOMPARE(QFileInfo::exists(path), cutTo != MovedAway);
    }

    // A change of many runs with one open of the file: every run checked before the first byte goes in.
    void replaceRuns_data() {
        QTest::addColumn<int>("first");     // start of the first run; the second starts 6 bytes after it
        QTest::addColumn<bool>("takeBack"); // put the runs' "before" back over their "after"
        QTest::addColumn<QString>("file");  // the file's bytes first, as Content with these bytes set from 2 on
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("mentions"); // empty when every run goes in
        QTest::addColumn<qint64>("cutTo");     // another program cuts the file to this size before the second run
        QTest::addColumn<int>("runs");         // written whole
        const QString unchanged = QString::fromLatin1(Content);
        const qint64 uncut = -1;
        QTest::newRow("two runs") << 2 << false << unchanged << "10 AA BB 43 54 65 76 CC 98 A9 BA CB DC ED FE 0F"
                                  << QString() << uncut << 2;
        QTest::newRow("taken back") << 2 << true << "10 AA BB 43 54 65 76 CC 98 A9 BA CB DC ED FE 0F" << unchanged
                                    << QString() << uncut << 2;
        QTest::newRow("a byte of the second run changed since")
            << 2 << false << "10 21 32 43 54 65 76 00 98 A9 BA CB DC ED FE 0F"
            << "10 21 32 43 54 65 76 00 98 A9 BA CB DC ED FE 0F"
            << "ChangedSinceWrite path=%1 position=8 " << uncut << 0;
        QTest::newRow("a byte inside the first run changed since")
            << 2 << false << "10 21 00 43 54 65 76 87 98 A9 BA CB DC ED FE 0F"
            << "10 21 00 43 54 65 76 87 98 A9 BA CB DC ED FE 0F"
            << "ChangedSinceWrite path=%1 position=3 " << uncut << 0;
        QTest::newRow("the second run on the last byte")
            << 10 << false << unchanged << "10 21 32 43 54 65 76 87 98 AA BB CB DC ED FE CC" << QString() << uncut << 2;
        QTest::newRow("the second run past the end")
            << 11 << false << unchanged << unchanged << "NoRoom path=%1 position=17 count=1 size=16 " << uncut << 0;
        QTest::newRow("before the file") << 0 << false << unchanged << unchanged << "BeforeFile path=%1 position=0 "
                                         << uncut << 0;
        // The file is not grown back to the second run: it stays as short as the other program left it.
        QTest::newRow("cut before the second run") << 2 << false << unchanged << "10 AA BB 43 54 65"
                                                   << "Shortened path=%1 position=0 count=0 size=6 " << qint64(6) << 1;
        QTest::newRow("cut just after the second run")
            << 2 << false << unchanged << "10 AA BB 43 54 65 76 CC" << QString() << qint64(8) << 2;
    }

    void replaceRuns() {
        QFETCH(int, first);
        QFETCH(bool, takeBack);
        QFETCH(QString, file);
        QFETCH(QString, after);
        QFETCH(QString, mentions);
        QFETCH(qint64, cutTo);
        QFETCH(int, runs);
        QTemporaryDir dir;
        const QString path = SaveContent(dir);
        const auto content = HexBytes(file.toStdString());
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(reinterpret_cast<const char*>(content.data()), static_cast<qint64>(content.size()));
        out.close();
        const auto old = HexBytes(Content);
        auto held = [&](int at, int count) {
            return at < 1 ? std::vector<std::uint8_t>(count, 0)
                          : std::vector<std::uint8_t>(old.begin() + at - 1, old.begin() + std::min(at - 1 + count, 16));
        };
        std::vector<ByteRun> change = {{first, held(first, 2), {0xAA, 0xBB}}, {first + 6, held(first + 6, 1), {0xCC}}};
        if (change[1].before.empty())
            change[1].before = {0x00};
        std::error_code failed;
        const RunsResult result = ReplaceRuns(FsPath(path), change, takeBack, [&](std::int64_t at, ByteStep step) {
            QCOMPARE(step, ByteStep::BeforeRun);
            if (at == first + 6 && cutTo >= 0)
                std::filesystem::resize_file(FsPath(path), static_cast<std::uintmax_t>(cutTo), failed);
        });
        QVERIFY(!failed);
        QCOMPARE(result.ok(), mentions.isEmpty());
        QCOMPARE(result.runs, std::size_t(runs));
        QVERIFY2(QString::fromStdString(Shown(result.failure))
                     .startsWith(mentions.isEmpty() ? mentions : mentions.arg(PathText(FsPath(path)).c_str())),
                 Shown(result.failure).c_str());
        QCOMPARE(FileHex(path), after);
    }

    void readOnlyFileIsNotWritten() {
        QTemporaryDir dir;
        const QString path = SaveContent(dir);
        const OddFile file(path, FileKind::ReadOnly);
        QVERIFY(file.Made());
        if (file.Skip())
            QSKIP(file.Skip());
        const std::vector<std::uint8_t> one = {0x00};
        const WriteResult written = WriteMessageBytes(FsPath(path), 1, one);
        QVERIFY(!written.ok());
        QCOMPARE(written.written, 0);
        QVERIFY2(written.failure.code == FailureCode::CannotOpen &&
                     QString::fromStdString(written.failure.path).endsWith(QStringLiteral("rom.smc")),
                 Shown(written.failure).c_str());
        QCOMPARE(FileHex(path), QString::fromLatin1(Content));
    }
};

QTEST_GUILESS_MAIN(TestRomFile)
#include "tst_romfile.moc"
