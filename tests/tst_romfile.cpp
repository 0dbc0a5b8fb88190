// Byte access to the ROM file and the writer: regular files only, 1-based positions, writes that are refused
// whole or stop with a reason, and a file that never ends up longer than it was.
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

#include <atomic>
#include <random>
#include <thread>

#include <sys/stat.h>

using namespace kyrel;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;
using kyrel::testing::ReadFileBytes;
using kyrel::testing::SyntheticRom;

namespace {

// The bytes of the small test file, position 1 first.
constexpr const char* Content = "10 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 0F";

std::filesystem::path SaveContent(const QTemporaryDir& dir, const char* hex = Content,
                                  const QString& name = QStringLiteral("rom.smc")) {
    const auto bytes = HexBytes(hex);
    SyntheticRom rom(bytes.size());
    if (!bytes.empty())
        rom.Put(1, bytes);
    const std::filesystem::path path = QFile::encodeName(dir.filePath(name)).toStdString();
    if (!rom.Save(path).ok())
        qFatal("cannot save the test file");
    return path;
}

QString FileHex(const std::filesystem::path& path) {
    return QString::fromStdString(HexText(ReadFileBytes(path)));
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
        QVERIFY(file.Open(SaveContent(dir), RomFile::Access::Read).ok());
        std::vector<std::uint8_t> into(static_cast<std::size_t>(length));
        const SizeResult got = file.Read(position, into);
        QVERIFY2(got.ok(), got.error.c_str());
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
        QTest::newRow("one byte past the end")
            << 15 << "01 02 7F" << unchanged << QStringList{QStringLiteral("3 bytes"), QStringLiteral("16 bytes")};
        QTest::newRow("far past the end") << 5000 << "7F" << unchanged << QStringList{QStringLiteral("5000")};
        QTest::newRow("position 0") << 0 << "7F" << unchanged << QStringList{QStringLiteral("Position 0")};
        QTest::newRow("position -1") << -1 << "7F" << unchanged << QStringList{QStringLiteral("Position -1")};
    }

    void writeMessage() {
        QFETCH(int, start);
        QFETCH(QString, bytes);
        QFETCH(QString, after);
        QFETCH(QStringList, mentions);
        QTemporaryDir dir;
        const auto path = SaveContent(dir);
        const auto message = HexBytes(bytes.toStdString());
        const WriteResult result = WriteMessageBytes(path, start, message);
        QCOMPARE(result.ok(), mentions.isEmpty());
        QCOMPARE(result.written, result.ok() ? qint64(message.size()) : 0);
        for (const QString& word : mentions)
            QVERIFY2(QString::fromStdString(result.error).contains(word), result.error.c_str());
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
        const WriteResult result = WriteMessageBytes(QFile::encodeName(name).toStdString(), start, abc);
        QCOMPARE(result.ok(), written);
        QCOMPARE(result.written, written ? qint64(3) : 0);
        QVERIFY(big.open(QIODevice::ReadOnly) && big.seek(start - 1));
        QCOMPARE(big.read(3) == QByteArray("\x1A\x1B\x7F"), written);
        QCOMPARE(big.size(), qint64(1) << 31);
    }

    // Only regular files are opened, and a pipe never makes the caller wait; names outside ASCII work.
    void open_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mention"); // empty when the file opens
        QTest::newRow("regular file") << "file"
                                      << "";
        QTest::newRow("name outside ASCII") << "wide"
                                            << "";
        QTest::newRow("missing file") << "missing"
                                      << "nothere.smc";
        QTest::newRow("directory") << "directory"
                                   << "is not a regular file";
        QTest::newRow("named pipe") << "pipe"
                                    << "is not a regular file";
        QTest::newRow("unreadable file") << "unreadable"
                                         << "rom.smc";
    }

    void open() {
        QFETCH(QString, kind);
        QFETCH(QString, mention);
        QTemporaryDir dir;
        std::filesystem::path path = SaveContent(dir);
        if (kind == u"wide") {
            path = SaveContent(dir, Content, QStringLiteral("Fëhler ROM ✓.smc"));
        } else if (kind == u"missing") {
            path = QFile::encodeName(dir.filePath(QStringLiteral("nothere.smc"))).toStdString();
        } else if (kind == u"directory") {
            path = QFile::encodeName(dir.path()).toStdString();
        } else if (kind == u"pipe") {
            path = QFile::encodeName(dir.filePath(QStringLiteral("pipe.smc"))).toStdString();
            QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
        } else if (kind == u"unreadable") {
            QVERIFY(::chmod(path.c_str(), 0) == 0);
            QFile probe(QFile::decodeName(path.c_str()));
            if (probe.open(QIODevice::ReadOnly))
                QSKIP("this user opens files whatever their permissions say (root)");
        }
        const bool opens = mention.isEmpty();
        for (const auto access : {RomFile::Access::Read, RomFile::Access::ReadWrite}) {
            RomFile rom;
            const Status opened = rom.Open(path, access);
            QCOMPARE(opened.ok(), opens);
            QVERIFY2(QString::fromStdString(opened.error).contains(mention), opened.error.c_str());
        }
        const SizeResult size = RomFileSize(path);
        QCOMPARE(size.ok(), opens);
        QCOMPARE(size.size, opens ? qint64(16) : 0);
        const std::vector<std::uint8_t> one = {0x7F};
        const WriteResult written = WriteMessageBytes(path, 1, one);
        QCOMPARE(written.ok(), opens);
        QVERIFY2(!QString::fromStdString(written.error).contains(QStringLiteral("Cannot read")), written.error.c_str());
        // Nothing was created in a missing file's place.
        QCOMPARE(std::filesystem::exists(path), kind != u"missing");
    }

    // Another program shortens the file while a message is written: whatever the timing, the file never ends
    // longer than that program left it, and a write that did not finish says so.
    void writeWhileAnotherProgramShortens() {
        QTemporaryDir dir;
        const auto path = SaveContent(dir, "01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01");
        const std::vector<std::uint8_t> message(12, 0x1A);
        std::mt19937 random(7);
        int stopped = 0;
        for (int run = 0; run < 300; ++run) {
            QVERIFY(SyntheticRom(16, 0x01).Save(path).ok());
            const auto cutTo = static_cast<qint64>(random() % 12);
            const auto delay = std::chrono::microseconds(random() % 400);
            std::thread other([&] {
                std::this_thread::sleep_for(delay);
                std::filesystem::resize_file(path, static_cast<std::uintmax_t>(cutTo));
            });
            const WriteResult result = WriteMessageBytes(path, 3, message);
            other.join();
            const auto size = static_cast<qint64>(std::filesystem::file_size(path));
            QVERIFY2(size <= cutTo,
                     qPrintable(QStringLiteral("run %1: cut to %2, ends at %3").arg(run).arg(cutTo).arg(size)));
            QCOMPARE(result.ok(), result.written == qint64(message.size()));
            stopped += result.ok() ? 0 : 1;
        }
        // The file was cut below the message's end every time, so most writes cannot have finished.
        QVERIFY(stopped > 0);
    }

    void readOnlyFileIsNotWritten() {
        QTemporaryDir dir;
        const auto path = SaveContent(dir);
        QVERIFY(::chmod(path.c_str(), 0444) == 0);
        QFile probe(QFile::decodeName(path.c_str()));
        if (probe.open(QIODevice::ReadWrite))
            QSKIP("this user writes files whatever their permissions say (root)");
        const std::vector<std::uint8_t> one = {0x00};
        const WriteResult written = WriteMessageBytes(path, 1, one);
        QVERIFY(!written.ok());
        QCOMPARE(written.written, 0);
        QVERIFY2(QString::fromStdString(written.error).contains(QStringLiteral("rom.smc")), written.error.c_str());
        QCOMPARE(FileHex(path), QString::fromLatin1(Content));
    }
};

QTEST_GUILESS_MAIN(TestRomFile)
#include "tst_romfile.moc"
