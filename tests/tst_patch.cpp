// Patches for sharing edits: the exact bytes of small BPS and IPS patches worked out by hand, every refusal and
// every fault a damaged or foreign patch can show, the copier header left out of BPS, random edits of a ROM made
// into patches and applied again, and the same patches applied by an independent patcher (tests/support).
#include "codec/Patch.h"
#include "tests/support/SyntheticRom.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

using namespace kyrel;
using kyrel::testing::HexBytes;
using kyrel::testing::HexText;

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray Q(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray Hex(const char* hex) {
    return Q(HexBytes(hex));
}

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

QString HexOf(std::span<const std::uint8_t> bytes) {
    return QString::fromStdString(HexText(Bytes(bytes.begin(), bytes.end())));
}

QByteArray Repeated(int count, char value) {
    return QByteArray(count, value);
}

QByteArray Counting(int from, int to) {
    QByteArray bytes;
    for (int i = from; i < to; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

QByteArray With(QByteArray bytes, qsizetype at, const QByteArray& put) {
    bytes.replace(at, put.size(), put);
    return bytes;
}

// The CRC-32 of BPS, bit by bit as its polynomial says, apart from the library's.
std::uint32_t Crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

QByteArray LittleEndian(std::uint32_t value) {
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(static_cast<char>(value >> shift));
    return bytes;
}

// A BPS patch from its header and actions: the source's and target's CRC-32 given, its own computed.
QByteArray Sealed(const QByteArray& body, std::uint32_t sourceCrc, std::uint32_t targetCrc) {
    QByteArray patch = body + LittleEndian(sourceCrc) + LittleEndian(targetCrc);
    return patch + LittleEndian(Crc32(patch));
}

// The patch with its own CRC-32 made to match its other bytes again.
QByteArray Resealed(QByteArray patch) {
    patch.chop(4);
    return patch + LittleEndian(Crc32(patch));
}

QByteArray Flipped(QByteArray bytes, qsizetype at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    return bytes;
}

// Empty when the two are equal, else their sizes and the first offset at which they differ: a readable failure
// on a large file.
QString Difference(std::span<const std::uint8_t> actual, std::span<const std::uint8_t> expected) {
    const auto [left, right] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (left == actual.end() && right == expected.end())
        return {};
    return QStringLiteral("sizes %1 and %2, first difference at %3")
        .arg(actual.size())
        .arg(expected.size())
        .arg(left - actual.begin());
}

// The arguments may be temporaries: they live until Difference returns.
#define COMPARE_BYTES(actual, expected)                                                                                \
    do {                                                                                                               \
        const QString why = Difference(actual, expected);                                                              \
        QVERIFY2(why.isEmpty(), qPrintable(why));                                                                      \
    } while (false)

// ---- random edits of a synthetic ROM ------------------------------------------------------------------------

constexpr qsizetype Header = 512;

// A ROM of 4 KiB blocks of noise, zeros, 0xFF and text-like bytes, behind a copier header.
QByteArray RandomRom(qsizetype size, std::uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray rom(size, '\0');
    for (qsizetype at = 0; at < size; at += 4096) {
        const auto kind = random() % 4;
        for (qsizetype i = at; i < std::min(size, at + 4096); ++i)
            rom[i] = static_cast<char>(kind == 0 ? random() : kind == 1 ? 0 : kind == 2 ? 0xFF : random() % 0x60);
    }
    for (qsizetype i = 0; i < Header; ++i)
        rom[i] = static_cast<char>(i < 16 ? i * 3 + 1 : 0);
    return rom;
}

enum class Edit {
    Scattered,     // 200 stretches of 1 to 32 new bytes
    Runs,          // 50 runs of 8 to 300 of one byte
    Moved,         // 4 KiB copied from elsewhere in the file
    Inserted,      // 37 new bytes pushed in, everything after moved along, the last 37 bytes gone
    Grown,         // scattered edits and 32 KiB more at the end
    Shrunk,        // scattered edits and the last 32 KiB gone
    HeaderChanged, // scattered edits and a byte of the copier header
    AroundEof,     // a 5 MiB file: 70000 new bytes across 0x454F46
};

struct Edited {
    QByteArray bytes;
    qsizetype newBytes = 0; // bytes no copy can give: a BPS carries them
    qsizetype ipsBytes = 0; // bytes an IPS carries: the new ones and those moved
    int stretches = 0;      // places edited
};

Edited MakeEdit(const QByteArray& original, Edit edit, std::uint32_t seed) {
    std::mt19937 random(seed ^ 0x9E3779B9u); // not the ROM's own sequence, which a copy would find
    const auto pick = [&](qsizetype from, qsizetype to) {
        return from + static_cast<qsizetype>(random() % (to - from));
    };
    Edited edited{original};
    QByteArray& bytes = edited.bytes;
    const auto scatter = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const qsizetype length = pick(1, 33);
            const qsizetype at = pick(Header, bytes.size() - length);
            for (qsizetype k = 0; k < length; ++k)
                bytes[at + k] = static_cast<char>(random());
            edited.newBytes += length;
            edited.ipsBytes += length;
            ++edited.stretches;
        }
    };
    switch (edit) {
    case Edit::Scattered:
        scatter(200);
        break;
    case Edit::Runs:
        for (int i = 0; i < 50; ++i) {
            const qsizetype length = pick(8, 301);
            bytes.replace(pick(Header, bytes.size() - length), length, Repeated(int(length), char(random())));
            ++edited.stretches;
        }
        break;
    case Edit::Moved:
        // Noise (no run a run-length record or TargetCopy takes) over bytes it differs from almost everywhere.
        for (;;) {
            const qsizetype to = pick(Header, bytes.size() / 2);
            const QByteArray moved = original.mid(pick(bytes.size() / 2, bytes.size() - 4096), 4096);
            if (std::inner_product(moved.begin(), moved.end(), original.begin() + to, 0, std::plus<>(),
                                   std::not_equal_to<>()) < 3500)
                continue;
            if (std::inner_product(moved.begin() + 1, moved.end(), moved.begin(), 0, std::plus<>(),
                                   std::not_equal_to<>()) < 4000)
                continue;
            bytes.replace(to, 4096, moved);
            break;
        }
        edited.ipsBytes = 4096;
        edited.stretches = 1;
        break;
    case Edit::Inserted: {
        QByteArray inserted;
        for (int i = 0; i < 37; ++i)
            inserted.append(static_cast<char>(random()));
        bytes.insert(pick(Header, bytes.size() / 2), inserted);
        bytes.chop(37);
        edited.newBytes = 37;
        edited.stretches = 1;
        break;
    }
    case Edit::Grown:
        scatter(100);
        for (int i = 0; i < 32768; ++i)
            bytes.append(static_cast<char>(random()));
        edited.newBytes += 32768;
        edited.ipsBytes += 32768;
        ++edited.stretches;
        break;
    case Edit::Shrunk:
        scatter(100);
        bytes.chop(32768);
        break;
    case Edit::HeaderChanged:
        scatter(100);
        bytes[100] = static_cast<char>(bytes[100] ^ 0x40);
        edited.newBytes += 1;
        edited.ipsBytes += 1;
        ++edited.stretches;
        break;
    case Edit::AroundEof: {
        scatter(50);
        const qsizetype eof = qsizetype(IpsEofOffset);
        // New bytes without runs (no three alike in a row), so that records of 65535 bytes end on 0x454F46.
        const qsizetype from = eof - 65535;
        for (qsizetype k = 0; k < 70000; ++k) {
            const int value = int(k % 251) + 1;
            bytes[from + k] = static_cast<char>(value == std::uint8_t(original[from + k]) ? value + 1 : value);
        }
        edited.newBytes += 70000;
        edited.ipsBytes += 70000;
        ++edited.stretches;
        break;
    }
    }
    return edited;
}

} // namespace

Q_DECLARE_METATYPE(kyrel::PatchFormat)
Q_DECLARE_METATYPE(kyrel::MakeCode)
Q_DECLARE_METATYPE(kyrel::ApplyCode)
Q_DECLARE_METATYPE(Edit)

class TestPatch : public QObject {
    Q_OBJECT

private slots:
    // The BPS patch of small files, action by action: SourceRead where the bytes stay, TargetRead for new ones,
    // TargetCopy for a run of one byte, SourceCopy for bytes found elsewhere; then the three CRC-32 values.
    void makeBps_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QString>("expected");
        // "42 50 53 31" is BPS1; then the source size, the target size, metadata size 0 (80), the actions.
        QTest::newRow("one byte changed in the middle is carried between two source reads")
            << Hex("00 11 22 33 44 55") << Hex("00 11 99 33 44 55")
            << "42 50 53 31 86 86 80 84 81 99 88 97 0C 40 4F 0C C5 33 85 EB 8D 49 30";
        QTest::newRow("the first byte changed starts with a target read")
            << Hex("10 20 30 40") << Hex("99 20 30 40")
            << "42 50 53 31 84 84 80 81 99 88 00 B9 8A E0 B1 40 DB 70 FE B6 80 0F";
        QTest::newRow("one equal byte between changes rides along in the target read")
            << Hex("00 01 02 03 04 05 06") << Hex("00 AA 02 BB 04 05 06")
            << "42 50 53 31 87 87 80 80 89 AA 02 BB 88 F9 09 58 AD A1 8E 45 06 43 E9 54 32";
        QTest::newRow("bytes added at the end are read from the patch")
            << Hex("01 02 03") << Hex("01 02 03 04 05")
            << "42 50 53 31 83 85 80 88 85 04 05 1D 80 BC 55 F4 99 0B 47 D7 75 FF E8";
        QTest::newRow("a shorter edited file reads only what it keeps")
            << Hex("01 02 03 04 05") << Hex("01 02 03")
            << "42 50 53 31 85 83 80 88 F4 99 0B 47 1D 80 BC 55 E2 CB C4 F6";
        QTest::newRow("a run of one byte is copied from the target, overlapping")
            << Repeated(16, 0) << Repeated(2, 0) + Repeated(12, '\x77') + Repeated(2, 0)
            << "42 50 53 31 90 90 80 84 81 77 AB 84 84 55 4B BB EC 80 A6 DB D6 83 28 FD F6";
        // 200 is 48 80; a source read of 150 is (149 << 2) = 596, 54 83; of 49 is 192, 40 80.
        QTest::newRow("sizes and lengths above 127 take two bytes")
            << Counting(0, 200) << With(Counting(0, 200), 150, Hex("EE"))
            << "42 50 53 31 48 80 48 80 80 54 83 81 EE 40 80 80 61 08 ED 1D A4 61 DD E3 D6 4F 0E";
        QTest::newRow("bytes moved along by an insertion are copied from the source")
            << Counting(0, 40) << Hex("AA BB CC") + Counting(0, 40)
            << "42 50 53 31 A8 AB 80 89 AA BB CC 1E 80 80 3C 2E A6 0D 25 69 15 B4 2B DD B2 6E";
        // The second copy moves the source cursor back from 48 to 0: (48 << 1) | 1 = 97, E1.
        QTest::newRow("swapped halves are two source copies, the second moving back")
            << Counting(0, 48) << Counting(24, 48) + Counting(0, 24)
            << "42 50 53 31 B0 B0 80 DE B0 DE E1 71 21 20 05 49 CA 96 2F 3D 2C 89 8D";
        QTest::newRow("an empty edited file has no actions")
            << Hex("01 02") << QByteArray() << "42 50 53 31 82 80 80 92 42 CC B6 00 00 00 00 F5 52 28 41";
    }

    void makeBps() {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, edited);
        QFETCH(QString, expected);
        QCOMPARE(HexOf(MakeBps(Span(original), Span(edited))), expected);
        const BpsApplied applied = ApplyBps(Span(Hex(qPrintable(expected))), Span(original));
        QCOMPARE(applied.code, ApplyCode::Ok);
        QCOMPARE(Q(applied.target), edited);
    }

    // The IPS patch of small files, record by record: offset (3 bytes), size (2), bytes; or size 0, count, byte.
    void makeIps_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QString>("expected");
        const QString patch = QStringLiteral("50 41 54 43 48 ");
        const QString eof = QStringLiteral("45 4F 46");
        const QByteArray zeros = Repeated(48, 0);
        QTest::newRow("one byte changed is one record")
            << Hex("00 11 22 33 44 55") << Hex("00 11 99 33 44 55") << patch + "00 00 02 00 01 99 " + eof;
        QTest::newRow("changes four bytes apart share a record")
            << zeros << With(With(zeros, 1, Hex("AA")), 6, Hex("BB"))
            << patch + "00 00 01 00 06 AA 00 00 00 00 BB " + eof;
        QTest::newRow("changes five bytes apart get a record each")
            << zeros << With(With(zeros, 1, Hex("AA")), 7, Hex("BB"))
            << patch + "00 00 01 00 01 AA 00 00 07 00 01 BB " + eof;
        QTest::newRow("a run of one byte is a run-length record")
            << zeros << With(zeros, 16, Repeated(20, '\x77')) << patch + "00 00 10 00 00 00 14 77 " + eof;
        QTest::newRow("a run of 14 amid other changes is a run-length record of its own")
            << zeros << With(zeros, 4, Hex("01") + Repeated(14, '\x77') + Hex("02"))
            << patch + "00 00 04 00 01 01 00 00 05 00 00 00 0E 77 00 00 13 00 01 02 " + eof;
        QTest::newRow("a run of 13 amid other changes stays in the record")
            << zeros << With(zeros, 4, Hex("01") + Repeated(13, '\x77') + Hex("02"))
            << patch + "00 00 04 00 0F 01 77 77 77 77 77 77 77 77 77 77 77 77 77 02 " + eof;
        QTest::newRow("bytes past the original's end are written to grow it")
            << Hex("01 02 03 04") << Hex("01 02 03 04 05 06 07") << patch + "00 00 04 00 03 05 06 07 " + eof;
        QTest::newRow("zeros past the original's end are written too, as a run")
            << Hex("01 02 03 04") << Hex("01 02 03 04") + Repeated(10, 0) << patch + "00 00 04 00 00 00 0A 00 " + eof;
        const QByteArray big = Repeated(0x454F50, 0);
        const qsizetype at = qsizetype(IpsEofOffset);
        QTest::newRow("a change at 0x454F46 starts its record a byte earlier")
            << big << With(big, at, Hex("99")) << patch + "45 4F 45 00 02 00 99 " + eof;
        QTest::newRow("a run at 0x454F46 puts its first byte with the byte before")
            << big << With(big, at, Repeated(10, '\x55'))
            << patch + "45 4F 45 00 02 00 55 45 4F 47 00 00 00 09 55 " + eof;
        const QByteArray before = With(big, at - 1, Hex("55"));
        QTest::newRow("a run at 0x454F46 after the same byte starts on that byte")
            << before << With(before, at, Repeated(10, '\x55')) << patch + "45 4F 45 00 00 00 0B 55 " + eof;
        // Bytes i % 251 have no two alike in a row, and none is 0xFF.
        QByteArray long_;
        for (int i = 0; i < 65540; ++i)
            long_.append(static_cast<char>(i % 251));
        QTest::newRow("a stretch longer than 65535 bytes is split")
            << Repeated(65540, '\xFF') << long_
            << patch + "00 00 00 FF FF " + HexOf(Span(long_.first(65535))) + " 00 FF FF 00 05 " +
                   HexOf(Span(long_.sliced(65535))) + " " + eof;
    }

    void makeIps() {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, edited);
        QFETCH(QString, expected);
        const IpsMade made = MakeIps(Span(original), Span(edited));
        QCOMPARE(made.code, MakeCode::Ok);
        QCOMPARE(HexOf(made.patch), expected);
        const IpsApplied applied = ApplyIps(made.patch, Span(original));
        QCOMPARE(applied.code, ApplyCode::Ok);
        QVERIFY(Q(applied.target) == edited);
    }

    // What the editor's patch command refuses, and the values its message needs.
    void refusals_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<PatchFormat>("format");
        QTest::addColumn<MakeCode>("code");
        QTest::addColumn<qulonglong>("offset");
        const QByteArray rom = RandomRom(33280, 1);
        QTest::newRow("identical files leave nothing to patch in BPS")
            << rom << rom << PatchFormat::Bps << MakeCode::NothingToPatch << 0ull;
        QTest::newRow("identical files leave nothing to patch in IPS")
            << rom << rom << PatchFormat::Ips << MakeCode::NothingToPatch << 0ull;
        QTest::newRow("two empty files leave nothing to patch")
            << QByteArray() << QByteArray() << PatchFormat::Bps << MakeCode::NothingToPatch << 0ull;
        QTest::newRow("a shorter edited file cannot be an IPS")
            << rom << rom.first(32768) << PatchFormat::Ips << MakeCode::IpsShrinks << 0ull;
        const QByteArray large = Repeated(0x1000010, 0);
        QTest::newRow("IPS reaches no change past 16 MiB")
            << large << With(With(large, 5, Hex("01")), 0x1000004, Hex("02 03")) << PatchFormat::Ips
            << MakeCode::IpsPastReach << 0x1000004ull;
        QTest::newRow("IPS reaches no change past 16 MiB, even in a stretch that starts below")
            << large << With(large, 0xFFFFFE, Hex("01 02 03 04")) << PatchFormat::Ips << MakeCode::IpsPastReach
            << 0x1000000ull;
        QTest::newRow("IPS cannot grow a file past 16 MiB")
            << large.first(0xFFFFF0) << large << PatchFormat::Ips << MakeCode::IpsPastReach << 0x1000000ull;
    }

    void refusals() {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, edited);
        QFETCH(PatchFormat, format);
        QFETCH(MakeCode, code);
        QFETCH(qulonglong, offset);
        const PatchMade made = MakePatch(Span(original), Span(edited), format);
        QCOMPARE(made.code, code);
        QVERIFY(made.patch.empty());
        QCOMPARE(made.offset, offset);
        QCOMPARE(made.originalSize, qulonglong(original.size()));
        QCOMPARE(made.editedSize, qulonglong(edited.size()));
    }

    // A BPS patch that is damaged, foreign or hostile is refused with the fault it shows first, never applied.
    void bpsFaults_data() {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<qulonglong>("limit");
        QTest::addColumn<ApplyCode>("code");
        QTest::addColumn<qulonglong>("at");
        QTest::addColumn<qulonglong>("expected");
        QTest::addColumn<qulonglong>("actual");
        const QByteArray source = Hex("00 11 22 33 44 55");
        const QByteArray target = Hex("00 11 99 33 44 55");
        const QByteArray good = Hex("42 50 53 31 86 86 80 84 81 99 88 97 0C 40 4F 0C C5 33 85 EB 8D 49 30");
        const std::uint32_t sourceCrc = Crc32(source);
        const std::uint32_t targetCrc = Crc32(target);
        const qulonglong limit = MaxBpsTargetSize;
        const auto seal = [&](const char* body) { return Sealed(Hex(body), sourceCrc, targetCrc); };
        const auto fault = [&](const char* name, const QByteArray& patch, ApplyCode code, qulonglong at,
                               qulonglong expected = 0, qulonglong actual = 0) {
            QTest::newRow(name) << patch << source << limit << code << at << expected << actual;
        };

        fault("an IPS patch is no BPS", Hex("50 41 54 43 48 45 4F 46"), ApplyCode::BadMagic, 0);
        fault("an empty file is cut short", QByteArray(), ApplyCode::Truncated, 0);
        fault("a patch shorter than header and checksums is cut short", good.first(18), ApplyCode::Truncated, 0);
        const QByteArray damaged = Flipped(good, 8);
        fault("a damaged byte fails the patch's own checksum", damaged, ApplyCode::PatchCrc, 19, Crc32(good.first(19)),
              Crc32(damaged.first(19)));
        // Its last four bytes, 85 EB 8D 49, now stand where its checksum should.
        fault("a patch cut by one byte fails its own checksum", good.first(22), ApplyCode::PatchCrc, 18, 0x498DEB85,
              Crc32(good.first(18)));
        fault("the source checksum altered fails on the source", Resealed(Flipped(good, 11)), ApplyCode::SourceCrc, 11,
              sourceCrc ^ 0x5A, sourceCrc);
        fault("the target checksum altered fails on the result", Resealed(Flipped(good, 15)), ApplyCode::TargetCrc, 15,
              targetCrc ^ 0x5A, targetCrc);
        fault("a new byte altered fails on the result", Resealed(Flipped(good, 9)), ApplyCode::TargetCrc, 15, targetCrc,
              Crc32(Hex("00 11 C3 33 44 55")));
        fault("a target read longer than the patch is cut short", seal("42 50 53 31 86 86 80 84 8D 99"),
              ApplyCode::Truncated, 8);
        fault("a number running into the checksums is cut short", seal("42 50 53 31 86 86 80 04"), ApplyCode::Truncated,
              7);
        fault("metadata longer than the patch is cut short", seal("42 50 53 31 86 86 85 01 02"), ApplyCode::Truncated,
              7);
        fault("a number past 64 bits is refused", seal("42 50 53 31 86 86 80 00 7F 7E 7E 7E 7E 7E 7E 7E 80"),
              ApplyCode::NumberTooLarge, 7);
        fault("a source read past the source's end", seal("42 50 53 31 86 87 80 98"), ApplyCode::ActionOutOfRange, 7);
        fault("a source copy before the source's start", seal("42 50 53 31 86 86 80 82 80 92 85"),
              ApplyCode::ActionOutOfRange, 9);
        fault("a source copy past the source's end", seal("42 50 53 31 86 86 80 86 8A"), ApplyCode::ActionOutOfRange,
              7);
        fault("a target copy before any byte is written", seal("42 50 53 31 86 86 80 83 81"),
              ApplyCode::ActionOutOfRange, 7);
        fault("a target copy of a byte not yet written", seal("42 50 53 31 86 86 80 81 00 83 82"),
              ApplyCode::ActionOutOfRange, 9);
        fault("an action writing past the target's size", seal("42 50 53 31 86 86 80 98"), ApplyCode::OutputOverrun, 7);
        fault("actions ending before the target is whole", seal("42 50 53 31 86 86 80 84"), ApplyCode::OutputShort, 8,
              6, 2);
        QTest::newRow("a file of another size is refused")
            << good << source + Hex("66") << limit << ApplyCode::SourceSize << 0ull << 6ull << 7ull;
        const QByteArray other = Hex("00 11 22 33 44 56");
        QTest::newRow("another file of the same size is refused")
            << good << other << limit << ApplyCode::SourceCrc << 11ull << qulonglong(sourceCrc)
            << qulonglong(Crc32(other));
        // 256 MiB + 1 is 01 7F 7E FE.
        QTest::newRow("a target above 256 MiB is refused before it is written")
            << Sealed(Hex("42 50 53 31 80 01 7F 7E FE 80"), 0, 0) << QByteArray() << limit << ApplyCode::TargetTooLarge
            << 0ull << qulonglong(MaxBpsTargetSize) << 268435457ull;
        QTest::newRow("a target above a lower limit is refused")
            << good << source << 5ull << ApplyCode::TargetTooLarge << 0ull << 5ull << 6ull;
        QTest::newRow("a target at the limit applies")
            << good << source << 6ull << ApplyCode::Ok << 0ull << 0ull << 0ull;
    }

    void bpsFaults() {
        QFETCH(QByteArray, patch);
        QFETCH(QByteArray, source);
        QFETCH(qulonglong, limit);
        QFETCH(ApplyCode, code);
        QFETCH(qulonglong, at);
        QFETCH(qulonglong, expected);
        QFETCH(qulonglong, actual);
        const BpsApplied applied = ApplyBps(Span(patch), Span(source), limit);
        QCOMPARE(applied.code, code);
        QCOMPARE(applied.at, at);
        QCOMPARE(applied.expected, expected);
        QCOMPARE(applied.actual, actual);
        QCOMPARE(applied.target.empty(), code != ApplyCode::Ok);
    }

    // IPS carries no checksums: only its structure can be found wrong. Records past the end grow the file, up to a
    // limit.
    void ips_data() {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<ApplyCode>("code");
        QTest::addColumn<qulonglong>("at");
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<qulonglong>("limit");
        const QByteArray none;
        QTest::newRow("a BPS patch is no IPS")
            << Hex("42 50 53 31 45 4F 46") << ApplyCode::BadMagic << 0ull << none << qulonglong(IpsReach);
        QTest::newRow("an empty file is cut short")
            << QByteArray() << ApplyCode::Truncated << 0ull << none << qulonglong(IpsReach);
        QTest::newRow("a patch ending inside PATCH is cut short")
            << Hex("50 41 54 43") << ApplyCode::Truncated << 0ull << none << qulonglong(IpsReach);
        QTest::newRow("a patch without EOF is cut short")
            << Hex("50 41 54 43 48 00 00 01 00 01 77") << ApplyCode::Truncated << 11ull << none << qulonglong(IpsReach);
        QTest::newRow("a record cut inside its head")
            << Hex("50 41 54 43 48 00 00 01 00") << ApplyCode::Truncated << 5ull << none << qulonglong(IpsReach);
        QTest::newRow("a record cut inside its bytes") << Hex("50 41 54 43 48 00 00 01 00 04 77 45 4F")
                                                       << ApplyCode::Truncated << 5ull << none << qulonglong(IpsReach);
        QTest::newRow("a run-length record cut short") << Hex("50 41 54 43 48 00 00 01 00 00 00 04")
                                                       << ApplyCode::Truncated << 5ull << none << qulonglong(IpsReach);
        QTest::newRow("a run of no bytes is refused") << Hex("50 41 54 43 48 00 00 01 00 00 00 00 77 45 4F 46")
                                                      << ApplyCode::BadRecord << 5ull << none << qulonglong(IpsReach);
        QTest::newRow("bytes after EOF that are no size are refused")
            << Hex("50 41 54 43 48 45 4F 46 00 01") << ApplyCode::TrailingBytes << 8ull << none << qulonglong(IpsReach);
        QTest::newRow("a record past the end grows the file with zeros")
            << Hex("50 41 54 43 48 00 00 06 00 02 77 78 45 4F 46") << ApplyCode::Ok << 0ull
            << Hex("01 02 03 00 00 00 77 78") << qulonglong(IpsReach);
        QTest::newRow("a run past the end grows the file")
            << Hex("50 41 54 43 48 00 00 02 00 00 00 03 55 45 4F 46") << ApplyCode::Ok << 0ull << Hex("01 02 55 55 55")
            << qulonglong(IpsReach);
        QTest::newRow("three bytes after EOF give the new size")
            << Hex("50 41 54 43 48 00 00 00 00 01 09 45 4F 46 00 00 02") << ApplyCode::Ok << 0ull << Hex("09 02")
            << qulonglong(IpsReach);
        QTest::newRow("a record growing the file past a lower limit is refused")
            << Hex("50 41 54 43 48 00 00 06 00 02 77 78 45 4F 46") << ApplyCode::TargetTooLarge << 5ull << none << 7ull;
        QTest::newRow("a record growing the file to the limit applies")
            << Hex("50 41 54 43 48 00 00 06 00 02 77 78 45 4F 46") << ApplyCode::Ok << 0ull
            << Hex("01 02 03 00 00 00 77 78") << 8ull;
        QTest::newRow("a size after EOF past the limit is refused")
            << Hex("50 41 54 43 48 45 4F 46 00 00 09") << ApplyCode::TargetTooLarge << 8ull << none << 8ull;
    }

    void ips() {
        QFETCH(QByteArray, patch);
        QFETCH(ApplyCode, code);
        QFETCH(qulonglong, at);
        QFETCH(QByteArray, result);
        QFETCH(qulonglong, limit);
        const IpsApplied applied = ApplyIps(Span(patch), Span(Hex("01 02 03")), limit);
        QCOMPARE(applied.code, code);
        QCOMPARE(applied.at, at);
        QCOMPARE(Q(applied.target), result);
    }

    // BPS leaves out a copier header both files share, so the patch fits the file with and without it.
    void copierHeader_data() {
        QTest::addColumn<qsizetype>("originalSize");
        QTest::addColumn<qsizetype>("editedSize");
        QTest::addColumn<bool>("headerEdited");
        QTest::addColumn<bool>("leftOut");
        QTest::addColumn<bool>("differ");
        QTest::newRow("a header both share is left out")
            << qsizetype(33280) << qsizetype(33280) << false << true << false;
        QTest::newRow("a header left out also when the file grows by 32 KiB")
            << qsizetype(33280) << qsizetype(66048) << false << true << false;
        QTest::newRow("headers that differ are flagged and patched whole")
            << qsizetype(33280) << qsizetype(33280) << true << false << true;
        QTest::newRow("a file grown to an odd size is patched whole")
            << qsizetype(33280) << qsizetype(33380) << false << false << false;
        QTest::newRow("files without header sizes are patched whole")
            << qsizetype(32768) << qsizetype(32768) << false << false << false;
    }

    void copierHeader() {
        QFETCH(qsizetype, originalSize);
        QFETCH(qsizetype, editedSize);
        QFETCH(bool, headerEdited);
        QFETCH(bool, leftOut);
        QFETCH(bool, differ);
        const QByteArray original = RandomRom(originalSize, 7);
        QByteArray edited = RandomRom(editedSize, 7);
        edited.replace(1000, 3, Hex("AB CD EF"));
        if (headerEdited)
            edited[5] = 0x7E;
        const PatchMade made = MakePatch(Span(original), Span(edited), PatchFormat::Bps);
        QCOMPARE(made.code, MakeCode::Ok);
        QCOMPARE(made.headerLeftOut, leftOut);
        QCOMPARE(made.headersDiffer, differ);
        const BpsApplied whole = ApplyBps(made.patch, Span(original));
        const BpsApplied headerless = ApplyBps(made.patch, Span(original.sliced(Header)));
        if (leftOut) {
            QCOMPARE(whole.code, ApplyCode::SourceSize);
            QCOMPARE(headerless.code, ApplyCode::Ok);
            QVERIFY(Q(headerless.target) == edited.sliced(Header));
        } else {
            QCOMPARE(whole.code, ApplyCode::Ok);
            QVERIFY(Q(whole.target) == edited);
        }

        // IPS addresses the file as it stands: the change at 1000 is a record at 1000 (00 03 E8), header or not.
        const PatchMade ips = MakePatch(Span(original), Span(edited), PatchFormat::Ips);
        QCOMPARE(ips.code, MakeCode::Ok);
        QVERIFY(!ips.headerLeftOut && !ips.headersDiffer);
        QCOMPARE(HexOf(std::span(ips.patch).subspan(5, 3)), headerEdited ? "00 00 05" : "00 03 E8");
    }

    // The check every new patch passes before the editor hands it out: one that gives other bytes is refused.
    void check_data() {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<PatchFormat>("format");
        QTest::addColumn<bool>("headerLeftOut");
        QTest::addColumn<ApplyCode>("verifyCode");
        QTest::addColumn<qulonglong>("offset");
        const QByteArray original = RandomRom(33280, 3);
        const QByteArray edited = With(original, 2000, Hex("01 02 03"));
        const QByteArray other = With(original, 2001, Hex("09"));
        const auto bps = [](const QByteArray& from, const QByteArray& to) { return Q(MakeBps(Span(from), Span(to))); };
        const auto ips = [](const QByteArray& from, const QByteArray& to) {
            return Q(MakeIps(Span(from), Span(to)).patch);
        };
        const QByteArray right = bps(original.sliced(Header), edited.sliced(Header));
        QTest::newRow("the right BPS passes") << right << PatchFormat::Bps << true << ApplyCode::Ok << 0ull;
        QTest::newRow("a BPS giving other bytes is refused where they differ")
            << bps(original.sliced(Header), other.sliced(Header)) << PatchFormat::Bps << true << ApplyCode::Ok
            << 2000ull;
        QTest::newRow("a BPS for another original is refused")
            << bps(other.sliced(Header), edited.sliced(Header)) << PatchFormat::Bps << true << ApplyCode::SourceCrc
            << 0ull;
        QTest::newRow("a BPS of the whole files checked as one without the header")
            << bps(original, edited) << PatchFormat::Bps << true << ApplyCode::SourceSize << 0ull;
        QTest::newRow("a damaged BPS is refused")
            << Flipped(right, 9) << PatchFormat::Bps << true << ApplyCode::PatchCrc << 0ull;
        QTest::newRow("the right IPS passes")
            << ips(original, edited) << PatchFormat::Ips << false << ApplyCode::Ok << 0ull;
        QTest::newRow("an IPS giving other bytes is refused where they differ")
            << ips(original, other) << PatchFormat::Ips << false << ApplyCode::Ok << 2000ull;
        QTest::newRow("an IPS giving a longer file is refused at the edited file's end")
            << ips(original, edited + Hex("00")) << PatchFormat::Ips << false << ApplyCode::Ok << 33280ull;
        QTest::newRow("an IPS cut short is refused")
            << ips(original, edited).chopped(1) << PatchFormat::Ips << false << ApplyCode::Truncated << 0ull;
    }

    void check() {
        QFETCH(QByteArray, patch);
        QFETCH(PatchFormat, format);
        QFETCH(bool, headerLeftOut);
        QFETCH(ApplyCode, verifyCode);
        QFETCH(qulonglong, offset);
        const QByteArray original = RandomRom(33280, 3);
        const QByteArray edited = With(original, 2000, Hex("01 02 03"));
        const PatchCheck check = CheckPatch(Span(patch), format, headerLeftOut, Span(original), Span(edited));
        const bool passes = verifyCode == ApplyCode::Ok && offset == 0;
        QCOMPARE(check.code, passes ? MakeCode::Ok : MakeCode::VerifyFailed);
        QCOMPARE(check.verifyCode, verifyCode);
        QCOMPARE(check.offset, offset);
    }

    // Random edits of a 1 MiB ROM with its copier header: each patch gives the edited file back, the BPS also to
    // the file without its header, and neither carries much more than the new bytes: runs of one byte cost a few
    // bytes each in both, moved and shifted bytes a few in BPS.
    void roundTrip_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<std::uint32_t>("seed");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("leftOut");
        QTest::addColumn<MakeCode>("ipsCode");
        QTest::addColumn<int>("bpsPerStretch"); // bytes each place edited may cost beyond the bytes carried
        QTest::addColumn<int>("ipsPerStretch"); // -1: no bound (a shift rewrites the rest of the file in IPS)
        const qsizetype rom = testing::HeaderedRomSize;
        for (std::uint32_t seed : {11u, 12u, 13u}) {
            QTest::addRow("scattered edits, seed %u", seed)
                << Edit::Scattered << seed << rom << true << MakeCode::Ok << 8 << 9;
            QTest::addRow("runs of one byte, seed %u", seed)
                << Edit::Runs << seed << rom << true << MakeCode::Ok << 12 << 12;
        }
        QTest::newRow("a block moved") << Edit::Moved << 21u << rom << true << MakeCode::Ok << 40 << 40;
        QTest::newRow("bytes inserted") << Edit::Inserted << 22u << rom << true << MakeCode::Ok << 100 << -1;
        QTest::newRow("grown by 32 KiB") << Edit::Grown << 23u << rom << true << MakeCode::Ok << 8 << 9;
        QTest::newRow("shrunk by 32 KiB") << Edit::Shrunk << 24u << rom << true << MakeCode::IpsShrinks << 8 << 0;
        QTest::newRow("the header edited too") << Edit::HeaderChanged << 25u << rom << false << MakeCode::Ok << 8 << 9;
        QTest::newRow("a file without header")
            << Edit::Scattered << 26u << rom - Header << false << MakeCode::Ok << 8 << 9;
        QTest::newRow("records around 0x454F46 in a 5 MiB file")
            << Edit::AroundEof << 27u << qsizetype(5 * 1024 * 1024 + 512) << true << MakeCode::Ok << 8 << 12;
    }

    void roundTrip() {
        QFETCH(Edit, edit);
        QFETCH(std::uint32_t, seed);
        QFETCH(qsizetype, size);
        QFETCH(bool, leftOut);
        QFETCH(MakeCode, ipsCode);
        QFETCH(int, bpsPerStretch);
        QFETCH(int, ipsPerStretch);
        const QByteArray original = RandomRom(size, seed);
        const Edited edited = MakeEdit(original, edit, seed);
        const PatchMade bps = MakePatch(Span(original), Span(edited.bytes), PatchFormat::Bps);
        QCOMPARE(bps.code, MakeCode::Ok);
        QCOMPARE(bps.headerLeftOut, leftOut);
        QVERIFY2(qsizetype(bps.patch.size()) <= edited.newBytes + edited.stretches * bpsPerStretch + 32,
                 qPrintable(QStringLiteral("%1 bytes for %2 new").arg(bps.patch.size()).arg(edited.newBytes)));
        const QByteArray source = leftOut ? original.sliced(Header) : original;
        const BpsApplied applied = ApplyBps(bps.patch, Span(source));
        QCOMPARE(applied.code, ApplyCode::Ok);
        COMPARE_BYTES(applied.target, Span(leftOut ? edited.bytes.sliced(Header) : edited.bytes));

        const PatchMade ips = MakePatch(Span(original), Span(edited.bytes), PatchFormat::Ips);
        QCOMPARE(ips.code, ipsCode);
        if (ipsCode != MakeCode::Ok)
            return;
        if (ipsPerStretch >= 0)
            QVERIFY2(qsizetype(ips.patch.size()) <= edited.ipsBytes + edited.stretches * ipsPerStretch + 8,
                     qPrintable(QStringLiteral("%1 bytes for %2 changed").arg(ips.patch.size()).arg(edited.ipsBytes)));
        const IpsApplied patched = ApplyIps(ips.patch, Span(original));
        QCOMPARE(patched.code, ApplyCode::Ok);
        COMPARE_BYTES(patched.target, Span(edited.bytes));
    }

    // The same patches applied by a patcher written apart from this library (tests/support/apply_patch.py), as
    // players' patchers apply them: a headered file loses its header for a BPS and gets it back after.
    void independentPatcher_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<PatchFormat>("format");
        QTest::addColumn<bool>("withoutHeader"); // the player's file has no copier header
        QTest::addColumn<int>("damage");         // 0: none; else the byte of the patch, counted from its end, altered
        QTest::addColumn<QString>("said");       // what the patcher reports: how it applied, or why it refused
        const QString headerless = QStringLiteral("bps without header");
        const QString whole = QStringLiteral("bps whole file");
        const QString ips = QStringLiteral("ips");
        QTest::newRow("BPS of scattered edits, to the headered file")
            << Edit::Scattered << PatchFormat::Bps << false << 0 << headerless;
        QTest::newRow("BPS of scattered edits, to the file without header")
            << Edit::Scattered << PatchFormat::Bps << true << 0 << whole;
        QTest::newRow("BPS of runs") << Edit::Runs << PatchFormat::Bps << false << 0 << headerless;
        QTest::newRow("BPS of a moved block") << Edit::Moved << PatchFormat::Bps << false << 0 << headerless;
        QTest::newRow("BPS of an insertion") << Edit::Inserted << PatchFormat::Bps << true << 0 << whole;
        QTest::newRow("BPS of a shrunk file") << Edit::Shrunk << PatchFormat::Bps << false << 0 << headerless;
        QTest::newRow("BPS with the header edited goes to the whole file")
            << Edit::HeaderChanged << PatchFormat::Bps << false << 0 << whole;
        QTest::newRow("IPS of scattered edits") << Edit::Scattered << PatchFormat::Ips << false << 0 << ips;
        QTest::newRow("IPS of runs") << Edit::Runs << PatchFormat::Ips << false << 0 << ips;
        QTest::newRow("IPS of a grown file") << Edit::Grown << PatchFormat::Ips << false << 0 << ips;
        // The checksums are altered with the patch's own made to match, so that each is what the patcher sees.
        QTest::newRow("the patcher refuses a BPS whose own checksum is wrong")
            << Edit::Scattered << PatchFormat::Bps << false << 1 << "patch checksum wrong";
        QTest::newRow("the patcher refuses a BPS whose target checksum is wrong")
            << Edit::Scattered << PatchFormat::Bps << false << 5 << "target checksum wrong";
        QTest::newRow("the patcher refuses a BPS whose source checksum is wrong")
            << Edit::Scattered << PatchFormat::Bps << false << 9 << "source checksum wrong";
    }

    void independentPatcher() {
        QFETCH(Edit, edit);
        QFETCH(PatchFormat, format);
        QFETCH(bool, withoutHeader);
        QFETCH(int, damage);
        QFETCH(QString, said);
        const QByteArray original = RandomRom(testing::HeaderedRomSize, 31);
        const QByteArray edited = MakeEdit(original, edit, 32).bytes;
        const PatchMade made = MakePatch(Span(original), Span(edited), format);
        QCOMPARE(made.code, MakeCode::Ok);
        QByteArray patch = Q(made.patch);
        if (damage > 1)
            patch = Resealed(Flipped(patch, patch.size() - damage));
        else if (damage == 1)
            patch = Flipped(patch, patch.size() - 1);

        QTemporaryDir dir;
        const auto save = [&](const QString& name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(save(QStringLiteral("rom.smc"), withoutHeader ? original.sliced(Header) : original));
        QVERIFY(save(QStringLiteral("patch"), patch));
        QProcess patcher;
        patcher.start(QStringLiteral(KYREL_PYTHON), {QStringLiteral(KYREL_APPLY_PATCH), dir.filePath("rom.smc"),
                                                     dir.filePath("patch"), dir.filePath("out.smc")});
        QVERIFY(patcher.waitForFinished(60000));
        QCOMPARE(patcher.exitStatus(), QProcess::NormalExit);
        const QString out = QString::fromUtf8(patcher.readAllStandardOutput()).trimmed();
        const QString error = QString::fromUtf8(patcher.readAllStandardError()).trimmed();
        if (damage > 0) {
            QCOMPARE(patcher.exitCode(), 1);
            QVERIFY2(error.contains(said), qPrintable(error));
            return;
        }
        QVERIFY2(patcher.exitCode() == 0, qPrintable(error));
        QCOMPARE(out, said);
        QFile result(dir.filePath("out.smc"));
        QVERIFY(result.open(QIODevice::ReadOnly));
        COMPARE_BYTES(Span(result.readAll()), Span(withoutHeader ? edited.sliced(Header) : edited));
    }
};

QTEST_GUILESS_MAIN(TestPatch)
#include "tst_patch.moc"
