// The whole script out and back in: File > Export Script... writes every message of the ROM as a PO file that
// gettext's tools accept, and File > Import Script... writes the translations back, each message in its own place.
#include "codec/MessageEncoder.h"
#include "codec/PoFile.h"
#include "codec/ScriptImport.h"
#include "editor/Script.h"
#include "tests/support/EditorTest.h"

#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <random>

using kyrel::PoEntry;
using kyrel::testing::RomBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<PoEntry> ReadScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    kyrel::PoRead read = kyrel::ReadPo(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return read.ok() ? std::move(read.entries) : std::vector<PoEntry>{};
}

void WriteScript(const QString& path, const std::vector<PoEntry>& entries) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const std::string text = kyrel::WritePo(entries);
    QCOMPARE(file.write(text.data(), static_cast<qint64>(text.size())), static_cast<qint64>(text.size()));
}

// A gettext tool run on a file; its standard error when it fails or complains, empty when all is well.
QString RunGettext(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000))
        return tool + QStringLiteral(" did not finish");
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    if (process.exitCode() != 0 && errors.isEmpty())
        return tool + QStringLiteral(" failed");
    return errors;
}

// What an import writes over a message of `length` bytes for a translation: its bytes without their end code,
// blanks, then the end code.
Bytes Padded(const std::u16string& translation, std::int64_t length) {
    Bytes bytes = kyrel::EncodeToBytes(translation).bytes;
    bytes.pop_back();
    bytes.resize(static_cast<std::size_t>(length) - 1, 0x59);
    bytes.push_back(0x7F);
    return bytes;
}

} // namespace

class TestScript : public EditorTest {
    Q_OBJECT

private slots:
    void init();
    void exportPassesGettextsChecks();
    void roundTrip_data();
    void roundTrip();
    void importDecides_data();
    void importDecides();
    void importWritesEachMessageInPlaceAndUndoes();
    void importChecksTheFileBeforeTheFirstByte_data();
    void importChecksTheFileBeforeTheFirstByte();

private:
    QString Export(const QString& name);
    void Import(const QString& path, QMessageBox::StandardButton answer = QMessageBox::Yes);
    [[nodiscard]] QString ScriptPath(const QString& name) { return Editor().FilePath(name); }

    QString m_rom;
    QString m_exported;
    std::vector<PoEntry> m_entries; // of the exported script, its header first
};

void TestScript::init() {
    EditorTest::init();
    if (QTest::currentTestFailed())
        return;
    m_rom = Save(kyrel::testing::MakeDemoRom());
    Ui().Load(m_rom);
    Answerer().Clear();
    // The name proposed is the ROM's, in its folder.
    AnswerFileDialog(ProposedName);
    Ui().Choose("ExportScript");
    m_exported = ScriptPath(QStringLiteral("quillmere.po"));
    m_entries = ReadScript(m_exported);
    QCOMPARE(m_entries.size(), std::size_t(748));
    QCOMPARE(Said(), QStringLiteral("The script of 747 messages was saved as %1. Translate it in a translation tool, "
                                    "then import it with \"Import Script...\".")
                         .arg(QDir::toNativeSeparators(m_exported)));
    Answerer().Clear();
}

QString TestScript::Export(const QString& name) {
    const QString path = ScriptPath(name);
    AnswerFileDialog(path);
    Ui().Choose("ExportScript");
    return path;
}

void TestScript::Import(const QString& path, QMessageBox::StandardButton answer) {
    Answerer().SetAnswer(answer);
    AnswerFileDialog(path);
    Ui().Choose("ImportScript");
}

// The export is a template gettext's tools take, with the ROM's name proposed, every message named by its position
// and length, a note with its budget for the translator, and its text as "Copy as New Text" gives it.
void TestScript::exportPassesGettextsChecks() {
    QCOMPARE(Dialog().findChild<QAction*>(QStringLiteral("ExportScript"))->isEnabled(), true);
    QVERIFY(QFile::exists(m_exported));
    const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
    if (msgfmt.isEmpty())
        QSKIP("gettext's msgfmt is not installed");
    QCOMPARE(
        RunGettext(msgfmt, {QStringLiteral("--check"), QStringLiteral("-o"), QStringLiteral("/dev/null"), m_exported}),
        QString());

    const PoEntry& header = m_entries.front();
    QVERIFY(header.id.empty() && !header.hasContext);
    for (const char* field :
         {"Content-Type: text/plain; charset=UTF-8\n", "Content-Transfer-Encoding: 8bit\n", "MIME-Version: 1.0\n",
          "Project-Id-Version: Kyrel: Quillmere\n", "X-Generator: Kyrel: Script Editor 1.1.0\n"})
        QVERIFY2(header.translation.find(field) != std::string::npos, field);

    const PoEntry& first = m_entries[1];
    const auto identity = kyrel::ParseScriptContext(first.context);
    QVERIFY(identity && identity->position == kyrel::Bank1Start);
    QCOMPARE(QString::fromStdString(first.extracted.at(0)),
             QStringLiteral("Bank 1, message 1. The translation may take at most %1 bytes, end code included; a "
                            "shorter one is filled with blanks.")
                 .arg(identity->bytes));
    // Bank 2's first message follows bank 1's 75.
    QCOMPARE(kyrel::ParseScriptContext(m_entries[76].context)->position, kyrel::Bank2Start);
    for (const PoEntry& entry : m_entries) {
        QVERIFY(entry.translation.empty() || &entry == &header);
        QVERIFY(!entry.id.empty() || &entry == &header);
    }
}

// Importing the script translated as its own text changes nothing, however a tool rewrote it, and says so.
void TestScript::roundTrip_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    const QString same = QStringLiteral("Nothing was written: the ROM already holds every translation of %1.");
    QTest::newRow("as the editor writes it") << QString() << QStringList() << same;
    QTest::newRow("rewrapped by msgcat --width=20")
        << QStringLiteral("msgcat") << QStringList{QStringLiteral("--width=20")} << same;
    QTest::newRow("every entry set fuzzy by msgattrib")
        << QStringLiteral("msgattrib") << QStringList{QStringLiteral("--set-fuzzy")}
        << QStringLiteral("%1 holds no translation to import. 747 entries are left out:\n\nLine ");
}

void TestScript::roundTrip() {
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    std::vector<PoEntry> translated = m_entries;
    for (PoEntry& entry : translated)
        if (entry.hasContext)
            entry.translation = entry.id;
    QString script = ScriptPath(QStringLiteral("same.po"));
    WriteScript(script, translated);
    if (!tool.isEmpty()) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP("gettext's tools are not installed");
        const QString rewritten = ScriptPath(QStringLiteral("rewritten.po"));
        QCOMPARE(RunGettext(program, arguments + QStringList{QStringLiteral("-o"), rewritten, script}), QString());
        script = rewritten;
    }
    const Bytes before = RomBytes(m_rom);
    Import(script);
    QCOMPARE(Answerer().Boxes().size(), 1);
    const QString name = QFileInfo(script).fileName();
    QVERIFY2(Said().startsWith(said.arg(name)), qPrintable(Said()));
    QVERIFY(RomBytes(m_rom) == before);
}

// What an import makes of one entry for bank 2's first message (25 bytes in the demo ROM): written over it and
// filled with blanks, or left out with its reason, the ROM untouched.
void TestScript::importDecides_data() {
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("context"); // empty: the message's own
    QTest::addColumn<bool>("fuzzy");
    QTest::addColumn<QString>("reason"); // empty: written
    // Bytes that stand for bank 2, the file ending after them; the entry is then that of the last message.
    QTest::addColumn<QString>("bank2");
    QTest::addColumn<QString>("id"); // the entry's msgid as exported, where the row checks it
    // "twice": a second entry for the same message follows; "obsolete": the entry is marked so.
    QTest::addColumn<QString>("kind");
    auto row = [](const char* name, const QString& translation, const char* context, bool fuzzy, const char* reason,
                  const char* bank2 = "", const char* id = "", const char* kind = "") {
        QTest::newRow(name) << translation << QString::fromUtf8(context) << fuzzy << QString::fromUtf8(reason)
                            << QString::fromLatin1(bank2) << QString::fromUtf8(id) << QString::fromLatin1(kind);
    };
    row("fits and is padded", "Hi", "", false, "");
    row("line ends as in the pane", "Hi\nthere", "", false, "");
    row("line ends of another system", "Hi\r\nthere", "", false, "");
    row("exactly fits", QString(24, u'Z'), "", false, "");
    row("one byte longer", QString(25, u'Z'), "", false, "needs 26 bytes, 25 fit.");
    row("bad argument", "Hi<COLOR>ab", "", false, "The argument after <COLOR> at line 1, column 10 is \"ab\"");
    row("an end code inside", "Hi<E>there", "", false, "an end code before their last byte");
    row("a raw end code inside", "Hi<$7F>there", "", false, "an end code before their last byte");
    row("no such message", "Hi", "918211: 25 bytes", false,
        "no message of this ROM starts at that position with that length.");
    row("another length", "Hi", "918210: 24 bytes", false,
        "no message of this ROM starts at that position with that length.");
    row("fuzzy", "Hi", "", true, "it is marked as fuzzy");
    row("empty", QString(), "", false, "holds no translation to import.");
    row("obsolete", "Hi", "", false, "holds no translation to import.", "", "", "obsolete");
    row("a second entry for the same message", "Hi", "", false, "an earlier entry translates the same message.", "", "",
        "twice");
    row("an empty message", "Hi", "", false, "needs 3 bytes, 1 fit.", "07 7F 7F", "<E>");
    row("an empty message, translated empty", "<E>", "", false, "Nothing was written: the ROM already holds",
        "07 7F 7F", "<E>");
    row("a message the file ends inside", "Hi", "", false, "cuts this message after 1000 bytes, so it is not imported.",
        "07 7F 21 22 23");
}

void TestScript::importDecides() {
    QFETCH(QString, translation);
    QFETCH(QString, context);
    QFETCH(bool, fuzzy);
    QFETCH(QString, reason);
    QFETCH(QString, bank2);
    QFETCH(QString, id);
    QFETCH(QString, kind);
    if (!bank2.isEmpty()) {
        Bytes rom = RomBytes(m_rom);
        rom.resize(kyrel::Bank2Start - 1);
        const Bytes bank = kyrel::testing::HexBytes(bank2.toStdString());
        rom.insert(rom.end(), bank.begin(), bank.end());
        kyrel::testing::SyntheticRom changed(rom.size());
        changed.Put(1, rom);
        Ui().Load(Save(changed));
        m_entries = ReadScript(Export(QStringLiteral("quillmere.po")));
        QVERIFY2(m_entries.size() == 78, qPrintable(Said()));
        Answerer().Clear();
    }
    PoEntry entry = bank2.isEmpty() ? m_entries.at(76) : m_entries.back();
    if (!id.isEmpty())
        QCOMPARE(QString::fromStdString(entry.id), id);
    const auto message = kyrel::ParseScriptContext(entry.context);
    QVERIFY(message && (message->position == kyrel::Bank2Start) == bank2.isEmpty());
    if (!context.isEmpty())
        entry.context = context.toStdString();
    entry.translation = translation.toStdString();
    if (fuzzy)
        entry.flags.push_back("fuzzy");
    entry.obsolete = kind == u"obsolete";
    std::vector<PoEntry> entries = {m_entries.front(), entry};
    if (kind == u"twice") {
        entries.push_back(entry);
        entries.back().translation = "Yo";
    }
    const QString script = ScriptPath(QStringLiteral("fr.po"));
    WriteScript(script, entries);

    const bool written = reason.isEmpty() || kind == u"twice";
    Bytes expected = RomBytes(m_rom);
    if (written) {
        const Bytes padded =
            Padded(translation.remove(u'\r').replace(u'\n', QStringLiteral("\r\n")).toStdU16String(), message->bytes);
        std::copy(padded.begin(), padded.end(), expected.begin() + message->position - 1);
    }
    Import(script);
    QVERIFY(RomBytes(m_rom) == expected);
    QVERIFY(!Answerer().Boxes().isEmpty());
    if (!written) {
        QCOMPARE(Answerer().Boxes().size(), 1);
        QVERIFY2(Said().contains(reason), qPrintable(Said()));
        return;
    }
    // One question, then the report; the message shown is read again.
    QCOMPARE(Answerer().Boxes().size(), 2);
    const ModalAnswerer::Box& question = Answerer().Boxes().constFirst();
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QVERIFY2(question.text.startsWith(QStringLiteral("Import fr.po into quillmere.smc?\n\n1 translation will be "
                                                     "written:")),
             qPrintable(question.text));
    QVERIFY2(question.details.contains(reason), qPrintable(question.details));
    QVERIFY2(!question.text.contains(QStringLiteral("no code")), qPrintable(question.text));
    QVERIFY2(Said().startsWith(QStringLiteral("1 translation written: ")), qPrintable(Said()));
}

// Random translations of many messages, some too long: each written message holds exactly its translation's
// bytes, blanks and its end code; every other byte stays; the same import again changes nothing; one Undo Write
// takes it all back.
void TestScript::importWritesEachMessageInPlaceAndUndoes() {
    const Bytes original = RomBytes(m_rom);
    std::mt19937 random(7);
    const std::u16string words[] = {u"Bonjour", u"le monde", u"<COLOR>002rouge", u"Oui<BR>non", u"&", u"the end"};
    std::vector<PoEntry> translated = m_entries;
    Bytes expected = original;
    int written = 0;
    int leftOut = 0;
    for (std::size_t i = 1; i < translated.size(); ++i) {
        // The message shown, bank 1's first, is always translated.
        if (i > 1 && random() % 3 != 0)
            continue;
        std::u16string text;
        for (unsigned k = 0, count = 1 + random() % 4; k < count; ++k)
            text += words[random() % std::size(words)] + u" ";
        PoEntry& entry = translated[i];
        entry.translation = QString::fromStdU16String(text).toStdString();
        const auto identity = kyrel::ParseScriptContext(entry.context);
        const kyrel::EncodedMessage encoded = kyrel::EncodeToBytes(text);
        if (static_cast<std::int64_t>(encoded.bytes.size()) > identity->bytes) {
            ++leftOut;
            continue;
        }
        const Bytes padded = Padded(text, identity->bytes);
        written += std::equal(padded.begin(), padded.end(), original.begin() + identity->position - 1) ? 0 : 1;
        std::copy(padded.begin(), padded.end(), expected.begin() + identity->position - 1);
    }
    QVERIFY2(written > 100 && leftOut > 5,
             qPrintable(QStringLiteral("%1 written, %2 left out").arg(written).arg(leftOut)));
    const QString script = ScriptPath(QStringLiteral("fr.po"));
    WriteScript(script, translated);

    // Each run of the plan lies inside the message of the translation it is told to belong to.
    kyrel::CharTable table;
    table.BuildCharTable();
    const Bytes scriptBytes = RomBytes(script);
    const Script::ImportPlan plan =
        Script::PlanImport(std::string_view(reinterpret_cast<const char*>(scriptBytes.data()), scriptBytes.size()),
                           kyrel::testing::FsPath(m_rom), {kyrel::Bank1Start, kyrel::Bank2Start}, table);
    QCOMPARE(plan.runTranslation.size(), plan.runs.size());
    for (std::size_t i = 0; i < plan.runs.size(); ++i) {
        const Script::Message& message = plan.translations.at(plan.runTranslation[i]).message;
        QVERIFY(plan.runs[i].start >= message.position &&
                plan.runs[i].start + std::int64_t(plan.runs[i].after.size()) <= message.position + message.bytes);
    }

    const QString shown = Ui().Pane();
    Import(script);
    // The message shown is read again: as going to bank 2 and back to it reads it.
    const QString imported = Ui().Pane();
    QVERIFY(imported != shown);
    Ui().Click("Bank", true);
    Ui().Click("Bank", true);
    QCOMPARE(Ui().Pane(), imported);
    QCOMPARE(Answerer().Boxes().size(), 2);
    QVERIFY2(Answerer().Boxes().constFirst().details.count(QLatin1Char('\n')) == leftOut - 1,
             qPrintable(Answerer().Boxes().constFirst().details));
    QVERIFY2(Answerer().Boxes().constFirst().text.contains(
                 QStringLiteral("The game has no code for \u2068\"&\"\u2069 (lines ")),
             qPrintable(Answerer().Boxes().constFirst().text));
    QVERIFY2(Said().startsWith(QStringLiteral("%1 translations written: ").arg(written)), qPrintable(Said()));
    QVERIFY(RomBytes(m_rom) == expected);

    Answerer().Clear();
    Import(script);
    QCOMPARE(Answerer().Boxes().size(), 1);
    QVERIFY2(
        Said().startsWith(QStringLiteral("Nothing was written: the ROM already holds every translation of fr.po.")),
        qPrintable(Said()));
    QVERIFY(RomBytes(m_rom) == expected);

    auto* undo = Dialog().findChild<QAction*>(QStringLiteral("UndoWrite"));
    QCOMPARE(undo->text(), QStringLiteral("&Undo Import of fr.po"));
    Answerer().Clear();
    Ui().Choose("UndoWrite");
    QVERIFY(Answerer().Boxes().isEmpty());
    QVERIFY(RomBytes(m_rom) == original);
    QCOMPARE(Ui().Pane(), shown);
    QVERIFY(!undo->isEnabled());
}

// Another program changes the ROM while the question is open: the import writes nothing, and says why.
void TestScript::importChecksTheFileBeforeTheFirstByte_data() {
    QTest::addColumn<bool>("shorten");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a byte of a translated message changed")
        << false << "no longer holds the byte the write put there: another program changed the file.";
    QTest::newRow("the file shortened before the last message") << true << "but \"";
}

void TestScript::importChecksTheFileBeforeTheFirstByte() {
    QFETCH(bool, shorten);
    QFETCH(QString, reason);
    std::vector<PoEntry> translated = {m_entries.front(), m_entries.at(1), m_entries.back()};
    translated[1].translation = "Hi";
    translated[2].translation = "Hi";
    const QString script = ScriptPath(QStringLiteral("fr.po"));
    WriteScript(script, translated);
    const auto last = kyrel::ParseScriptContext(m_entries.back().context);
    Bytes changed = RomBytes(m_rom);
    if (shorten)
        changed.resize(static_cast<std::size_t>(last->position));
    else
        changed[static_cast<std::size_t>(last->position)] ^= 0x01;
    Answerer().SetWhileOpen([&](const ModalAnswerer::Box& box) {
        if (box.icon == QMessageBox::Question)
            kyrel::testing::SaveRom(m_rom, [&] {
                kyrel::testing::SyntheticRom rom(changed.size());
                rom.Put(1, changed);
                return rom;
            }());
    });
    Import(script);
    Answerer().SetWhileOpen({});
    QCOMPARE(Answerer().Boxes().size(), 2);
    QVERIFY2(Said().startsWith(QStringLiteral("Nothing was imported.\n\n")) && Said().contains(reason),
             qPrintable(Said()));
    QVERIFY(RomBytes(m_rom) == changed);
    QVERIFY(!Dialog().findChild<QAction*>(QStringLiteral("UndoWrite"))->isEnabled());
}

QTEST_MAIN(TestScript)
#include "tst_script.moc"
