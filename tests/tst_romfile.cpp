// Byte access to the ROM file at 1-based positions; the file is edited in place and never grows.
#include "codec/MessageEncoder.h"
#include "codec/RomFile.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

#include <sys/stat.h>

using namespace kyrel;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;
using kyrel::testing::ReadFileBytes;
using kyrel::testing::SyntheticRom;

namespace {

// The bytes of the small test file, position 1 first.
constexpr const char* Content = "10 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 0F";

std::filesystem::path SaveContent(const QTemporaryDir& dir, const char* hex = Content) {
    const auto bytes = HexBytes(hex);
    SyntheticRom rom(bytes.size());
    if (!bytes.empty())
        rom.Put(1, bytes);
    const std::filesystem::path path = dir.filePath(QStringLiteral("rom.smc")).toStdString();
    if (!rom.Save(path).ok())
        qFatal("cannot save the test file");
    return path;
}

QString FileHex(const std::filesystem::path& path) {
    return QString::fromStdString(HexText(ReadFileBytes(path)));
}

// Root may open a file for writing whatever its permissions say; such rows cannot show the refusal.
bool CanOpenForWriting(const std::filesystem::path& path) {
    QFile probe(QString::fromStdString(path.string()));
    return probe.open(QIODevice::ReadWrite);
}

} // namespace

class TestRomFile : public QObject {
    Q_OBJECT

private slots:
    void readByte_data() {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<int>("expected"); // -1: no byte there
        QTest::newRow("first") << qint64(1) << 0x10;
        QTest::newRow("second") << qint64(2) << 0x21;
        QTest::newRow("middle") << qint64(9) << 0x98;
        QTest::newRow("last") << qint64(16) << 0x0F;
        QTest::newRow("just past the end") << qint64(17) << -1;
        QTest::newRow("far past the end") << qint64(1000) << -1;
        QTest::newRow("position 0") << qint64(0) << -1;
        QTest::newRow("position -1") << qint64(-1) << -1;
    }

    void readByte() {
        QFETCH(qint64, position);
        QFETCH(int, expected);
        QTemporaryDir dir;
        RomFile file;
        QVERIFY(file.Open(SaveContent(dir), RomFile::Access::Read).ok());
        const auto b = file.ReadByte(position);
        if (expected < 0)
            QVERIFY(!b);
        else
            QCOMPARE(int(b.value_or(0xFFFF)), expected);
    }

    // A write lands at its 1-based position; one outside the file is refused and the file keeps its size.
    void writeRomByte_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("after");
        const QString unchanged = QString::fromLatin1(Content);
        QTest::newRow("first") << 1 << true << "55 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 0F";
        QTest::newRow("middle") << 8 << true << "10 21 32 43 54 65 76 55 98 A9 BA CB DC ED FE 0F";
        QTest::newRow("last") << 16 << true << "10 21 32 43 54 65 76 87 98 A9 BA CB DC ED FE 55";
        QTest::newRow("just past the end") << 17 << false << unchanged;
        QTest::newRow("far past the end") << 5000 << false << unchanged;
        QTest::newRow("position 0") << 0 << false << unchanged;
        QTest::newRow("position -1") << -1 << false << unchanged;
    }

    void writeRomByte() {
        QFETCH(int, position);
        QFETCH(bool, written);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const auto path = SaveContent(dir);
        const Status status = WriteRomByte(path, position, 0x55);
        QVERIFY2(status.ok() == written, status.error.c_str());
        // Once the call returns the byte is in the file: it opened, wrote and closed.
        QCOMPARE(FileHex(path), after);
    }

    // A write handler writes the bytes of a message one call each, at consecutive positions.
    void writeMessageByteByByte() {
        QTemporaryDir dir;
        SyntheticRom rom(6000, 0x01);
        const std::filesystem::path path = dir.filePath(QStringLiteral("rom.smc")).toStdString();
        QVERIFY(rom.Save(path).ok());
        const EncodedMessage message = EncodeToBytes(u"the");
        QVERIFY(message.ok());
        std::int32_t position = 5000;
        for (std::uint8_t b : message.bytes)
            QVERIFY(WriteRomByte(path, position++, b).ok());

        const auto bytes = ReadFileBytes(path);
        QCOMPARE(bytes.size(), std::size_t(6000));
        QCOMPARE(QString::fromStdString(HexText({bytes.begin() + 4997, bytes.begin() + 5003})),
                 QStringLiteral("01 01 D8 7F 01 01"));
    }

    // One open file: a byte written is what the next read at that position sees, and its neighbour is intact.
    void readAfterWriteOnOneHandle() {
        QTemporaryDir dir;
        const auto path = SaveContent(dir);
        RomFile file;
        QVERIFY(file.Open(path, RomFile::Access::ReadWrite).ok());
        QCOMPARE(int(file.ReadByte(3).value_or(0)), 0x32);
        QVERIFY(file.WriteByte(3, 0x99).ok());
        QCOMPARE(int(file.ReadByte(4).value_or(0)), 0x43);
        QCOMPARE(int(file.ReadByte(3).value_or(0)), 0x99);
        QVERIFY(file.WriteByte(5, 0x98).ok());
        QVERIFY(file.WriteByte(6, 0x97).ok());
        QCOMPARE(int(file.ReadByte(7).value_or(0)), 0x76);
        QVERIFY(file.Close().ok());
        QCOMPARE(FileHex(path), QStringLiteral("10 21 99 43 98 97 76 87 98 A9 BA CB DC ED FE 0F"));
    }

    void writeToReadOnlyFile() {
        QTemporaryDir dir;
        const auto path = SaveContent(dir);
        QVERIFY(::chmod(path.c_str(), 0444) == 0);
        if (CanOpenForWriting(path))
            QSKIP("this user writes files whatever their permissions say (root)");
        const Status written = WriteRomByte(path, 1, 0x00);
        QVERIFY(!written.ok());
        QVERIFY2(QString::fromStdString(written.error).contains(QStringLiteral("rom.smc")), written.error.c_str());
        QCOMPARE(FileHex(path), QString::fromLatin1(Content));
    }

    void openErrors_data() {
        QTest::addColumn<QString>("file"); // "missing" or "directory"
        QTest::newRow("missing file") << "missing";
        QTest::newRow("directory as path") << "directory";
    }

    void openErrors() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const std::filesystem::path path =
            file == u"missing" ? dir.filePath(QStringLiteral("nothere.smc")).toStdString() : dir.path().toStdString();
        const QString where = QString::fromStdString(path.string());

        for (const auto access : {RomFile::Access::Read, RomFile::Access::ReadWrite}) {
            RomFile rom;
            const Status opened = rom.Open(path, access);
            QVERIFY(!opened.ok());
            QVERIFY2(QString::fromStdString(opened.error).contains(where), opened.error.c_str());
            QVERIFY(!rom.IsOpen());
        }
        const Status written = WriteRomByte(path, 1, 0x00);
        QVERIFY(!written.ok());
        QVERIFY(!RomFileSize(path).ok());
        // Nothing was created in the missing file's place.
        QCOMPARE(std::filesystem::exists(path), file == u"directory");
    }

    void fileSize_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("one byte") << "7F" << qint64(1);
        QTest::newRow("sixteen bytes") << Content << qint64(16);
    }

    void fileSize() {
        QFETCH(QString, bytes);
        QFETCH(qint64, size);
        QTemporaryDir dir;
        const QByteArray hex = bytes.toLatin1();
        const SizeResult result = RomFileSize(SaveContent(dir, hex.constData()));
        QVERIFY2(result.ok(), result.error.c_str());
        QCOMPARE(qint64(result.size), size);
    }
};

QTEST_GUILESS_MAIN(TestRomFile)
#include "tst_romfile.moc"
