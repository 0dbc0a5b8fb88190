// The sentences the main window shows about writes, copies and the size of new text, built without a window.
#include "editor/Reports.h"

#include <QTest>

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void sentence_data();
    void sentence();
};

void TestReports::sentence_data() {
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no bytes") << Reports::Bytes(0) << "0 bytes";
    QTest::newRow("one byte") << Reports::Bytes(1) << "1 byte";
    QTest::newRow("two bytes") << Reports::Bytes(2) << "2 bytes";

    QTest::newRow("write refused") << Reports::WriteFailed(918210, {0, "It is not there."}, 4)
                                   << "Nothing was written.\n\nIt is not there.";
    QTest::newRow("write stopped after the first byte")
        << Reports::WriteFailed(100, {1, "It went away."}, 5)
        << "The write stopped after 1 of 5 bytes. The message at position 100 now ends at position 100 without "
           "its end code.\n\nIt went away.";
    QTest::newRow("write stopped midway")
        << Reports::WriteFailed(483649, {3, "It got shorter."}, 7)
        << "The write stopped after 3 of 7 bytes. The message at position 483649 now ends at position 483651 "
           "without its end code.\n\nIt got shorter.";
    QTest::newRow("undo stopped midway")
        << Reports::UndoFailed(200, {2, "It went away."}, 5)
        << "The undo stopped after 2 of 5 bytes. Positions 200 to 201 hold their bytes from before the write again; "
           "the rest of the write is still in the file, and Undo Write can try again.\n\nIt went away.";

    QTest::newRow("longer by one byte")
        << Reports::WriteQuestion({Reports::LongerText(6, 483649, 5)})
        << "The new text needs 6 bytes, but the message at position 483649 has only 5 bytes.\n\nWriting it "
           "overwrites the 1 byte after that message. Write it anyway?";
    QTest::newRow("one byte message") << Reports::WriteQuestion({Reports::LongerText(3, 10, 1)})
                                      << "The new text needs 3 bytes, but the message at position 10 has only 1 "
                                         "byte.\n\nWriting it overwrites the 2 bytes after that message. Write it "
                                         "anyway?";
    QTest::newRow("file without its header, and a longer text")
        << Reports::WriteQuestion({Reports::LayoutRisk(QStringLiteral("/roms/q.sfc"), kyrel::RomLayout::WithoutHeader),
                                   Reports::LongerText(3, 10, 2)})
        << "\"/roms/q.sfc\" seems to lack its 512-byte copier header, so the message shown may not be the one at "
           "this position, and the new text may overwrite other data of the game.\n\nThe new text needs 3 bytes, "
           "but the message at position 10 has only 2 bytes.\n\nWriting it overwrites the 1 byte after that "
           "message. Write it anyway?";

    const QString copied = QStringLiteral("The message was copied as new text.\n\n");
    kyrel::TypedText whole{u"Hi", true};
    kyrel::TypedText cut{u"AB", false};
    QTest::newRow("copy of a whole message") << Reports::Copied(whole, 100, 3, 200) << "";
    QTest::newRow("copy of a cut read that fits")
        << Reports::Copied(cut, 100, 3, 102)
        << copied + "The read stopped before the end code of the message, so writing the text puts an end code "
                    "where the read stopped.";
    // A read of the file's last byte: its copy needs that byte and an end code, one more than the file has.
    QTest::newRow("copy of a cut read at the end of the file")
        << Reports::Copied(cut, 102, 2, 102)
        << copied + "The read stopped before the end code of the message. Writing the text back needs 2 bytes "
                    "from position 102 (the end code included), but the file ends after 1 byte, so \"Write New "
                    "Text\" will refuse it.";
}

void TestReports::sentence() {
    QFETCH(QString, said);
    QFETCH(QString, expected);
    QCOMPARE(said, expected);
}

QTEST_APPLESS_MAIN(TestReports)
#include "tst_reports.moc"
