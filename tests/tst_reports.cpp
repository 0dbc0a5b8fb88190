// The sentences the main window shows about writes, copies and the size of new text, built without a window.
#include "editor/Reports.h"
#include "editor/TextForms.h"

#include <QTest>

#include <cerrno>

namespace {

kyrel::Failure Failed(kyrel::FailureCode code, std::int64_t position = 0, std::int64_t count = 0, std::int64_t size = 0,
                      int osError = 0) {
    return {code, "/roms/q.smc", position, count, size, osError};
}

} // namespace

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
    // Tooltips wrap at 70 characters: between words, and inside a word longer than a line, but never inside a
    // character outside the BMP.
    const QString seventy = QString(34, u'a') + u' ' + QString(35, u'b');
    QTest::newRow("tooltip of exactly a line") << TextForms::ToolTip(seventy) << seventy;
    QTest::newRow("tooltip one character longer")
        << TextForms::ToolTip(seventy + u'b') << QString(34, u'a') + u'\n' + QString(36, u'b');
    QString faces;
    for (int i = 0; i < 40; ++i)
        faces += QStringLiteral("\U0001F600");
    QTest::newRow("tooltip of a long word of pairs")
        << TextForms::ToolTip(u'a' + faces) << u'a' + faces.left(68) + u'\n' + faces.mid(68);

    // Every reason the codec gives, one case each.
    using Code = kyrel::FailureCode;
    QTest::newRow("not a regular file") << Reports::Reason(Failed(Code::NotRegularFile))
                                        << "\"/roms/q.smc\" is not a regular file.";
    QTest::newRow("cannot open") << Reports::Reason(Failed(Code::CannotOpen, 0, 0, 0, ENOENT))
                                 << "Cannot open \"/roms/q.smc\": No such file or directory.";
    QTest::newRow("cannot read") << Reports::Reason(Failed(Code::CannotRead, 0, 0, 0, EIO))
                                 << "Cannot read \"/roms/q.smc\": Input/output error.";
    QTest::newRow("cannot write") << Reports::Reason(Failed(Code::CannotWrite, 0, 0, 0, ENOSPC))
                                  << "Cannot write to \"/roms/q.smc\": No space left on device.";
    QTest::newRow("cannot cut") << Reports::Reason(Failed(Code::CannotCut, 0, 0, 0, EPERM))
                                << "Cannot cut \"/roms/q.smc\": Operation not permitted.";
    QTest::newRow("before the file") << Reports::Reason(Failed(Code::BeforeFile, -5))
                                     << "Position -5 is before the first byte of the file.";
    QTest::newRow("past the end") << Reports::Reason(Failed(Code::PastEnd, 918210, 0, 1))
                                  << "Position 918210 is past the end of \"/roms/q.smc\", which has 1 byte.";
    QTest::newRow("past the last readable position")
        << Reports::Reason(Failed(Code::PastLastReadable, 2147483647))
        << "Position 2147483647 is past the last position the editor can read (2147483645).";
    QTest::newRow("past the last writable position")
        << Reports::Reason(Failed(Code::PastLastWritable, 2147483640, 9))
        << "The new text needs 9 bytes from position 2147483640, which runs past position 2147483647, the last "
           "one the editor can write to.";
    QTest::newRow("no room") << Reports::Reason(Failed(Code::NoRoom, 15, 3, 16))
                             << "The new text needs 3 bytes from position 15, but \"/roms/q.smc\" has only 16 bytes.";
    QTest::newRow("shortened") << Reports::Reason(Failed(Code::Shortened, 0, 0, 5))
                               << "\"/roms/q.smc\" now has only 5 bytes: another program shortened it during the "
                                  "write.";
    QTest::newRow("size changed") << Reports::Reason(Failed(Code::SizeChanged))
                                  << "Another program changed the size of \"/roms/q.smc\" during the write.";
    QTest::newRow("changed since the write")
        << Reports::Reason(Failed(Code::ChangedSinceWrite, 200))
        << "Position 200 of \"/roms/q.smc\" no longer holds the byte the write put there: another program changed "
           "the file.";

    QTest::newRow("read failed") << Reports::ReadFailed(Failed(Code::BeforeFile, 0))
                                 << "The message could not be read.\n\nPosition 0 is before the first byte of the "
                                    "file.";
    QTest::newRow("list failed") << Reports::ListFailed(QStringLiteral("/roms/q.smc"), Failed(Code::PastEnd, 9, 0, 8))
                                 << "The messages of /roms/q.smc cannot be listed: Position 9 is past the end of "
                                    "\"/roms/q.smc\", which has 8 bytes.";
    QTest::newRow("blank new text") << Reports::BlankNewText()
                                    << "You can not leave this field blank to write to this file!";

    // A tag's argument field as the user reads it.
    const auto bad = [](std::u16string field) { return kyrel::EncodeError{u"<DELAY>", 10, 1, 11, std::move(field)}; };
    const QString badStart = QStringLiteral("The argument after <DELAY> at line 1, column 11 is ");
    const QString badEnd = QStringLiteral(": it must be a number from 000 to 255 in three digits, such as <DELAY>005.");
    QTest::newRow("argument cut by a line end")
        << Reports::BadArgument(bad(u"5\r\n")) << badStart + "\"5\" and a line end" + badEnd;
    QTest::newRow("argument missing") << Reports::BadArgument(bad(u""))
                                      << badStart + "missing, as the text ends there" + badEnd;
    QTest::newRow("argument of a tab, a control character and a letter")
        << Reports::BadArgument(bad(u"\t\u0001a"))
        << badStart + "a tab, the control character U+0001 and \"a\"" + badEnd;
    QTest::newRow("argument outside the BMP and half a pair")
        << Reports::BadArgument(bad({u'x', char16_t(0xD83D), char16_t(0xDE00), char16_t(0xD800)}))
        << badStart + QString::fromUtf8("\"x\U0001F600\uFFFD\"") + badEnd;

    // The questions and refusals of a planned write.
    MessageSession::WritePlan plan;
    plan.start = 918210;
    plan.bytes.assign(7, 0x59);
    plan.dropped = u"&~";
    plan.layout = kyrel::RomLayout::OddSize;
    plan.oldBytes = 4;
    QTest::newRow("write plan asking three things")
        << Reports::WriteQuestion(plan, QStringLiteral("/roms/q.smc"))
        << "The game has no code for \u2068\"&\"\u2069 and \u2068\"~\"\u2069, so the new text leaves them "
           "out.\n\n\"/roms/q.smc\" "
           "has a "
           "size no cartridge image has, so the message shown may not be the one at this position, and the new text "
           "may overwrite other data of the game.\n\nThe new text needs 7 bytes, but the message at position 918210 "
           "has only 4 bytes.\n\nWriting it overwrites the 3 bytes after that message. Write it anyway?";
    QTest::newRow("write plan asking nothing")
        << Reports::WriteQuestion(MessageSession::WritePlan{}, QStringLiteral("/roms/q.smc")) << "";
    plan.badArgument = bad(u"");
    QTest::newRow("write plan refused for its argument")
        << Reports::WriteRefused(plan)
        << "Nothing was written.\n\n" + badStart + "missing, as the text ends there" + badEnd;
    plan.badArgument.reset();
    plan.refused = Failed(Code::NoRoom, 918210, 7, 918212);
    QTest::newRow("write plan refused by the file")
        << Reports::WriteRefused(plan)
        << "Nothing was written.\n\nThe new text needs 7 bytes from position 918210, but \"/roms/q.smc\" has only "
           "918212 bytes.";

    // Five characters are all named; a sixth is counted.
    const auto iso = [](const char* c) { return QStringLiteral("\u2068\"%1\"\u2069").arg(QLatin1String(c)); };
    const QString fiveNamed = iso("&") + ", " + iso("~") + ", " + iso("%") + ", " + iso(";");
    QTest::newRow("exactly five characters without a code")
        << Reports::LeftOut(u"&~%;:")
        << "The game has no code for " + fiveNamed + " and " + iso(":") + ", so the new text leaves them out.";
    QTest::newRow("six characters without a code") << Reports::LeftOut(u"&~%;:/")
                                                   << "The game has no code for " + fiveNamed + ", " + iso(":") +
                                                          " and 1 more character, so the new text leaves them out.";

    // Why an entry of a script is left out, after its line and context.
    const auto left = [](Script::Reason reason) {
        Script::LeftOut entry;
        entry.line = 40;
        entry.context = "918210: 54 bytes";
        entry.reason = reason;
        entry.message = {2, 1, 918210, 54};
        entry.needed = 58;
        return Reports::LeftOutEntry(entry);
    };
    const QString line40 = QStringLiteral("Line 40 (918210: 54 bytes): ");
    QTest::newRow("entry longer than its message")
        << left(Script::Reason::TooLong) << line40 + "needs 58 bytes, 54 fit.";
    QTest::newRow("entry for no message")
        << left(Script::Reason::NoSuchMessage)
        << line40 + "no message of this ROM starts at that position with that length.";
    QTest::newRow("fuzzy entry") << left(Script::Reason::Fuzzy) << line40 + "it is marked as fuzzy, to be reviewed.";
    QTest::newRow("entry with an end code inside")
        << left(Script::Reason::EndCodeInside)
        << line40 + "its bytes hold an end code before their last byte, which would split the message in two and "
                    "move every later message one index on.";
    Script::ImportPlan refused;
    refused.refused = kyrel::PoFailure{kyrel::PoProblem::NotUtf8, 3, "ISO-8859-1"};
    QTest::newRow("script in another character set")
        << Reports::ImportRefused(QStringLiteral("fr.po"), refused)
        << "Nothing was imported: fr.po is not a PO file the editor can read.\n\nLine 3: The file says it is written "
           "in ISO-8859-1, and scripts are read in UTF-8 only: save it as UTF-8 in the translation tool.";
    refused.refused = kyrel::PoFailure{kyrel::PoProblem::TooLarge, 0, {}};
    QTest::newRow("script too large") << Reports::ImportRefused(QStringLiteral("fr.po"), refused)
                                      << "Nothing was imported: fr.po is not a PO file the editor can read.\n\nIt "
                                         "holds more than 16 MiB, far more than any script.";
    Script::ImportPlan imported;
    imported.translations.resize(1312);
    for (Script::Translation& translation : imported.translations)
        translation.changes = true;
    // 4,300 bytes written, 90 of them equal bytes between changes.
    imported.runs.push_back({918210, std::vector<std::uint8_t>(4300, 0x00), std::vector<std::uint8_t>(4300, 0x01)});
    std::fill_n(imported.runs.back().after.begin() + 100, 90, 0x00);
    QTest::newRow("import written") << Reports::Imported(imported, {2000, 4210, true, {}})
                                    << "1,312 translations written: 4,210 bytes changed.";
    // Four translations at lines 10 to 40; the one at line 20 is in the ROM already, the one at 30 has two runs.
    Script::ImportPlan four;
    for (const int line : {10, 20, 30, 40})
        four.translations.push_back({line, {2, line / 10, 918200 + line, 25}, {}, {}, line != 20});
    four.translations[0].dropped = u"\U0001F600&";
    four.translations[2].dropped = u"\U0001F600";
    for (const std::size_t of : {0, 2, 2, 3}) {
        four.runs.push_back({918200 + 10 * (static_cast<int>(of) + 1), {0x00, 0x00}, {0x01, 0x00}});
        four.runTranslation.push_back(of);
    }
    four.leftOut.resize(2);
    QTest::newRow("import question")
        << Reports::ImportQuestion(four, QStringLiteral("fr.po"), QStringLiteral("q.smc"))
        << "Import fr.po into q.smc?\n\n3 translations will be written: 4 bytes change. 1 more is in the ROM already. "
           "2 entries are left out; the details list each with its reason.\n\nThe game has no code for "
           "\u2068\"\U0001F600\"\u2069 (lines 10 and 30) and \u2068\"&\"\u2069 (line 10), so those translations "
           "leave them out.\n\nEvery message keeps its place: a shorter translation is filled with blanks up to the "
           "message's end code. Undo Write takes the whole import back.";
    const kyrel::Failure cut{kyrel::FailureCode::Shortened, "/roms/q.smc", 0, 0, 918229};
    const QString shortened = QStringLiteral("\n\n") + Reports::Reason(cut);
    QTest::newRow("import stopped inside a translation's second run")
        << Reports::Imported(four, {2, 4, true, cut})
        << "The import stopped after 1 of 3 translations: those of the script's lines up to 20 went in; the "
           "translation at line 30 (the message at position 918230) may be partly written, and the rest did not go "
           "in. Undo Write takes back what went in." +
               shortened;
    four.runTranslation = {0, 0, 2, 3};
    QTest::newRow("import stopped inside the first translation's second run")
        << Reports::Imported(four, {1, 2, true, cut})
        << "Nothing was imported, unless part of the translation at line 10 (the message at position 918210)." +
               shortened;
    QTest::newRow("import stopped after its last run") << Reports::Imported(four, {4, 8, true, cut})
                                                       << "Every translation went in, but the file may not hold them "
                                                          "all." +
                                                              shortened;
    Script::ImportPlan held;
    held.translations = {four.translations[1]};
    QTest::newRow("import of translations all in the ROM already")
        << Reports::NothingToImport(held, QStringLiteral("fr.po"))
        << "Nothing was written: the ROM already holds every translation of fr.po.";
    RomPatch::Made patch;
    patch.patch.patch.assign(46, 0x00);
    patch.patch.headerLeftOut = true;
    patch.messages = {0, 1};
    QTest::newRow("patch of one message, nothing outside")
        << Reports::PatchSaved(QStringLiteral("fr.bps"), patch)
        << "Wrote fr.bps (46 bytes): 1 message of bank 2 differs from the original.\n\nThe patch leaves out the "
           "512-byte copier header, so it applies to the game's ROM with or without it.";
    patch.patch = {};
    patch.patch.code = kyrel::MakeCode::IpsShrinks;
    patch.patch.originalSize = 1;
    QTest::newRow("IPS of an empty ROM") << Reports::PatchRefused(patch)
                                         << "No patch was made: the ROM (0 bytes) is shorter than the original (1 "
                                            "byte), and an IPS patch cannot make a file shorter. Choose a BPS patch "
                                            "instead.";
    const WriteHistory::Change import{QStringLiteral("fr.po"), {{918210, {0x01}, {0x02}}}};
    const WriteHistory::Change write{{}, {{918210, {0x01}, {0x02}}}};
    QTest::newRow("undo item of an import") << Reports::UndoItem(&import) << "&Undo Import of fr.po";
    QTest::newRow("undo item of a write") << Reports::UndoItem(&write) << "&Undo Write at 918210";
    QTest::newRow("undo item of nothing") << Reports::UndoItem(nullptr) << "";

    const kyrel::Failure away = Failed(Code::CannotOpen, 0, 0, 0, ENOENT);
    const QString awayText = QStringLiteral("Cannot open \"/roms/q.smc\": No such file or directory.");
    QTest::newRow("write refused") << Reports::WriteFailed(918210, {0, away}, 4)
                                   << "Nothing was written.\n\n" + awayText;
    QTest::newRow("write stopped after the first byte")
        << Reports::WriteFailed(100, {1, away}, 5)
        << "The write stopped after 1 of 5 bytes. The message at position 100 now ends at position 100 without "
           "its end code.\n\n" +
               awayText;
    QTest::newRow("write stopped midway")
        << Reports::WriteFailed(483649, {3, Failed(Code::Shortened, 0, 0, 483651)}, 7)
        << "The write stopped after 3 of 7 bytes. The message at position 483649 now ends at position 483651 "
           "without its end code.\n\n\"/roms/q.smc\" now has only 483651 bytes: another program shortened it "
           "during the write.";
    QTest::newRow("undo refused") << Reports::UndoFailed(200, {0, Failed(Code::ChangedSinceWrite, 201)}, 5)
                                  << "Nothing was undone.\n\nPosition 201 of \"/roms/q.smc\" no longer holds the "
                                     "byte the write put there: another program changed the file.";
    QTest::newRow("undo stopped midway")
        << Reports::UndoFailed(200, {2, away}, 5)
        << "The undo stopped after 2 of 5 bytes. Positions 200 to 201 hold their bytes from before the write again; "
           "the rest of the write is still in the file, and Undo Write can try again.\n\n" +
               awayText;

    QTest::newRow("longer by one byte")
        << Reports::WriteQuestion({Reports::LongerText(6, 483649, 5)})
        << "The new text needs 6 bytes, but the message at position 483649 has only 5 bytes.\n\nWriting it "
           "overwrites the 1 byte after that message. Write it anyway?";
    QTest::newRow("one byte message") << Reports::WriteQuestion({Reports::LongerText(3, 10, 1)})
                                      << "The new text needs 3 bytes, but the message at position 10 has only 1 "
                                         "byte.\n\nWriting it overwrites the 2 bytes after that message. Write it "
                                         "anyway?";
    std::vector<MessageSession::MessageName> bank1(74);
    for (std::size_t i = 0; i < bank1.size(); ++i)
        bank1[i] = {1, static_cast<int>(i) + 2};
    QTest::newRow("longer over a bank's messages, large counts with separators")
        << Reports::WriteQuestion({Reports::LongerText(80000, 483649, 45, bank1)})
        << "The new text needs 80,000 bytes, but the message at position 483649 has only 45 bytes.\n\nWriting it "
           "overwrites the 79,955 bytes after that message, and with them messages 2 to 75 of bank 1. Write it "
           "anyway?";
    const std::vector<MessageSession::MessageName> scattered{{1, 9}, {1, 11}, {1, 12}, {2, 1}};
    QTest::newRow("longer over messages of both banks")
        << Reports::LongerText(9999, 918100, 4, scattered).section(QStringLiteral("\n\n"), 1)
        << "Writing it overwrites the 9995 bytes after that message, and with them messages 9, 11 to 12 of bank 1 "
           "and 1 of bank 2.";
    QTest::newRow("longer over one message")
        << Reports::LongerText(12, 918100, 4, {{{2, 3}}}).section(QStringLiteral("\n\n"), 1)
        << "Writing it overwrites the 8 bytes after that message, and with them message 3 of bank 2.";
    QTest::newRow("file without its header, and a longer text")
        << Reports::WriteQuestion({Reports::LayoutRisk(QStringLiteral("/roms/q.sfc"), kyrel::RomLayout::WithoutHeader),
                                   Reports::LongerText(3, 10, 2)})
        << "\"/roms/q.sfc\" seems to lack its 512-byte copier header, so the message shown may not be the one at "
           "this position, and the new text may overwrite other data of the game.\n\nThe new text needs 3 bytes, "
           "but the message at position 10 has only 2 bytes.\n\nWriting it overwrites the 1 byte after that "
           "message. Write it anyway?";

    const QString copied = QStringLiteral("The message was copied as new text.\n\n");
    QTest::newRow("copy of a whole message") << Reports::Copied({QStringLiteral("Hi"), true, 100, 3, 200}) << "";
    QTest::newRow("copy of a cut read that fits")
        << Reports::Copied({QStringLiteral("AB"), false, 100, 3, 102})
        << copied + "The read stopped before the end code of the message, so writing the text puts an end code "
                    "where the read stopped.";
    // A read of the file's last byte: its copy needs that byte and an end code, one more than the file has.
    QTest::newRow("copy of a cut read at the end of the file")
        << Reports::Copied({QStringLiteral("AB"), false, 102, 2, 102})
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
