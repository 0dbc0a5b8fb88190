// File > Make Patch...: a BPS or IPS patch from the unchanged original to the ROM as it is now, checked before it is
// saved, with what differs; refused, with the reason and nothing saved, where no patch can serve.
#include "codec/MessageScan.h"
#include "codec/Patch.h"
#include "tests/support/EditorTest.h"

#include <QAction>
#include <QTest>

using kyrel::testing::FileKind;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

enum class Original { Kept, TheRomItself, TheRomByALink, Identical, Longer, Pipe };
Q_DECLARE_METATYPE(Original)

class TestSharePatch : public EditorTest {
    Q_OBJECT

private slots:
    void makePatch_data();
    void makePatch();
};

// The loaded ROM is the demo ROM with bank 2's first two messages and bank 1's third rewritten and one byte changed
// outside every message; the original is the demo ROM as made.
void TestSharePatch::makePatch_data() {
    QTest::addColumn<QString>("patchName");
    QTest::addColumn<Original>("original");
    // Bank 2's first end code also replaced by a letter, so that every later message of bank 2 moves one index
    // down, and the first byte of the message that then comes last changed.
    QTest::addColumn<bool>("merged");
    QTest::addColumn<QString>(
        "said"); // the start of what the box says: %1 the patch size, %2 its name; for a refusal, %1 the original
    const QString differ = QStringLiteral("Wrote %2 (%1): 2 messages of bank 2 and 1 of bank 1 differ from the "
                                          "original, and 1 byte outside them.\n\n");
    QTest::newRow("BPS, without the copier header")
        << "fr.bps" << Original::Kept << false
        << differ + "The patch leaves out the 512-byte copier header, so it applies to the game's ROM with or "
                    "without it.";
    QTest::newRow("IPS, for the headered file") << "fr.ips" << Original::Kept << false
                                                << differ + "An IPS patch addresses the file as it stands, copier "
                                                            "header included, so it is for the headered ROM only; a "
                                                            "BPS patch serves ROMs with and without the header.";
    QTest::newRow("a name of neither kind is a BPS patch") << "fr.patch" << Original::Kept << false << differ;
    QTest::newRow("IPS named in capitals") << "FR.IPS" << Original::Kept << false << differ + "An IPS patch";
    QTest::newRow("messages moved by a merge differ, and a byte of a message only the ROM lists is in it")
        << "fr.bps" << Original::Kept << true
        << "Wrote %2 (%1): 672 messages of bank 2 and 1 of bank 1 differ from the original, and 1 byte outside "
           "them.";
    const QString itself = QStringLiteral("No patch was made: the original chosen is the ROM loaded in the editor "
                                          "itself.");
    QTest::newRow("the original is the ROM itself") << "fr.bps" << Original::TheRomItself << false << itself;
    QTest::newRow("the original is the ROM itself, through a link")
        << "fr.bps" << Original::TheRomByALink << false << itself;
    QTest::newRow("identical files") << "fr.bps" << Original::Identical << false
                                     << "No patch was made: the ROM and the original are identical, so there is "
                                        "nothing to patch.";
    QTest::newRow("IPS of a ROM shorter than the original")
        << "fr.ips" << Original::Longer << false
        << "No patch was made: the ROM (1,049,088 bytes) is shorter than the original (1,049,089 bytes), and an IPS "
           "patch cannot make a file shorter. Choose a BPS patch instead.";
    QTest::newRow("an original that is no regular file")
        << "fr.bps" << Original::Pipe << false << "No patch was made.\n\n\"%1\" is not a regular file.";
}

void TestSharePatch::makePatch() {
    QFETCH(QString, patchName);
    QFETCH(Original, original);
    QFETCH(bool, merged);
    QFETCH(QString, said);
    SyntheticRom demo = kyrel::testing::MakeDemoRom();
    const QString originalPath = Save(QStringLiteral("original.smc"), demo);
    if (original != Original::Identical) {
        // Two letters of each message changed, so that every message keeps its place.
        demo.Put(kyrel::Bank2Start, {0x07, 0x22});
        demo.Put(kyrel::Bank2Start + 25, {0x07, 0x22});
        demo.Put(kyrel::Bank1Start + 45 + 44, {0x07, 0x22});
        demo.Put(1000, {0xAB});
    }
    if (merged) {
        demo.Put(kyrel::Bank2Start + 24, {0x07});
        kyrel::CharTable table;
        table.BuildCharTable();
        const kyrel::MessageScan scan =
            kyrel::ScanMessages(kyrel::testing::FsPath(Save(demo)), {kyrel::Bank1Start, kyrel::Bank2Start}, table);
        QCOMPARE(scan.messages.size(), std::size_t(75 + 672));
        demo.Put(scan.messages.back().position,
                 {static_cast<std::uint8_t>(demo.At(scan.messages.back().position) ^ 1)});
    }
    const QString rom = Save(demo);
    const QString link = Editor().FilePath(QStringLiteral("link.smc"));
    QVERIFY(original != Original::TheRomByALink || QFile::link(rom, link));
    if (original == Original::Longer) {
        Bytes longer = demo.Bytes();
        longer.push_back(0x00);
        SyntheticRom other(longer.size());
        other.Put(1, longer);
        Save(QStringLiteral("original.smc"), other);
    }
    const kyrel::testing::OddFile pipe(originalPath, original == Original::Pipe ? FileKind::Pipe : FileKind::Regular);
    QVERIFY(pipe.Made());
    if (pipe.Skip())
        QSKIP(pipe.Skip());
    Ui().Load(rom);
    Answerer().Clear();
    const Bytes before = RomBytes(rom);

    const QString patchPath = Editor().FilePath(patchName);
    AnswerFileDialogs({original == Original::TheRomItself    ? rom
                       : original == Original::TheRomByALink ? link
                                                             : originalPath,
                       patchPath});
    Ui().Choose("MakePatch");

    QCOMPARE(Answerer().Boxes().size(), 1);
    QVERIFY(RomBytes(rom) == before);
    const bool saved = original == Original::Kept;
    QCOMPARE(QFile::exists(patchPath), saved);
    if (!saved) {
        QVERIFY2(Said().startsWith(said.arg(originalPath)), qPrintable(Said()));
        return;
    }
    // The patch gives the ROM from the original, as a player's patcher applies it.
    const Bytes patch = RomBytes(patchPath);
    const Bytes kept = RomBytes(originalPath);
    const Bytes edited = RomBytes(rom);
    const bool ips = patchName.endsWith(QLatin1String(".ips"), Qt::CaseInsensitive);
    if (ips) {
        QVERIFY(kyrel::ApplyIps(patch, kept).target == edited);
    } else {
        const kyrel::BpsApplied applied = kyrel::ApplyBps(patch, std::span(kept).subspan(512));
        QVERIFY(applied.ok());
        QVERIFY(std::equal(applied.target.begin(), applied.target.end(), edited.begin() + 512, edited.end()));
    }
    const QString size = QStringLiteral("%1 bytes").arg(QLocale(QLocale::English).toString(qlonglong(patch.size())));
    QVERIFY2(Said().startsWith(said.arg(size, patchName)), qPrintable(Said()));
}

QTEST_MAIN(TestSharePatch)
#include "tst_sharepatch.moc"
