// PO files: reading what this program and gettext's tools write, the files refused and why, writing, and the
// round trip through the writer, the reader and gettext's own tools.
#include "codec/PoFile.h"

#include <QtTest>

#include <string>
#include <vector>

using namespace kyrel;

using Entries = std::vector<PoEntry>;
Q_DECLARE_METATYPE(Entries)

namespace {

// A string as C would write it, so that blanks and control characters show in a failure.
QByteArray Quoted(const std::string& text) {
    QByteArray out = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += QByteArray("\\") + c;
        else if (b < 0x20 || b == 0x7F)
            out += "\\x" + QByteArray::number(b, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

QByteArray List(const std::vector<std::string>& items) {
    QByteArrayList quoted;
    for (const std::string& item : items)
        quoted += Quoted(item);
    return '[' + quoted.join(", ") + ']';
}

// Every field of the entries, one entry a line.
QByteArray Dump(const Entries& entries) {
    QByteArray out;
    for (const PoEntry& e : entries) {
        out += "line " + QByteArray::number(e.line) + (e.obsolete ? " obsolete" : "") + " context " +
               (e.hasContext ? Quoted(e.context) : QByteArray("none")) + " id " + Quoted(e.id) + " translation " +
               Quoted(e.translation) + " comments " + List(e.comments) + " extracted " + List(e.extracted) +
               " references " + List(e.references) + " flags " + List(e.flags) + '\n';
    }
    return out;
}

Entries WithoutLines(Entries entries) {
    for (PoEntry& entry : entries)
        entry.line = 0;
    return entries;
}

std::string Bytes(const QByteArray& bytes) {
    return bytes.toStdString();
}

QByteArray CrLf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

const char* ProblemName(PoProblem problem) {
    switch (problem) {
    case PoProblem::TooLarge:
        return "TooLarge";
    case PoProblem::Unexpected:
        return "Unexpected";
    case PoProblem::MissingString:
        return "MissingString";
    case PoProblem::MissingMsgstr:
        return "MissingMsgstr";
    case PoProblem::UnclosedString:
        return "UnclosedString";
    case PoProblem::BadEscape:
        return "BadEscape";
    case PoProblem::PluralForms:
        return "PluralForms";
    case PoProblem::NotUtf8:
        return "NotUtf8";
    case PoProblem::InvalidUtf8:
        return "InvalidUtf8";
    }
    return "?";
}

const std::string Utf8Header = "Content-Type: text/plain; charset=UTF-8\n";

// A header that msgfmt --check passes without a word.
const std::string FullHeader = "Project-Id-Version: Kyrel script\n"
                               "PO-Revision-Date: 2024-05-01 12:00+0000\n"
                               "Last-Translator: Nobody <nobody@example.org>\n"
                               "Language-Team: none\n"
                               "Language: de\n"
                               "MIME-Version: 1.0\n"
                               "Content-Type: text/plain; charset=UTF-8\n"
                               "Content-Transfer-Encoding: 8bit\n";

// The header of the small script that gettext's tools rewrote for the literal rows below.
const std::string SmallHeader = "Project-Id-Version: Kyrel script\n"
                                "Language: de\n"
                                "MIME-Version: 1.0\n"
                                "Content-Type: text/plain; charset=UTF-8\n"
                                "Content-Transfer-Encoding: 8bit\n";

// Texts that make a writer escape, split or quote: every control character, quotes and backslashes, line ends
// at either end and in the middle, blanks at the ends, text that looks like PO, characters of every UTF-8 length.
std::vector<std::string> AwkwardTexts(bool allControls) {
    std::vector<std::string> texts = {
        "",
        " ",
        "\n",
        "\n\n",
        "ends with a line end\n",
        "\nbegins with a line end",
        "two\nlines",
        "three\n\nlines\n",
        "tab\there",
        "\"quoted\"",
        "back\\slash",
        "\\n is no line end",
        "\\",
        "\"",
        "  blanks at both ends  ",
        "msgstr \"not a keyword\"",
        "#~ msgid \"nor an obsolete entry\"",
        "# nor a comment",
        "\xC3\xA9 \xC3\x9F \xE2\x80\x99 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",
        "<COLOR>005Hi!<BR>\n<E>",
        std::string(300, 'x') + "\n" + std::string(300, 'y'),
    };
    std::string controls;
    for (int c = 1; c < 0x20; ++c)
        if (c != '\n' && (allControls || c != 0x04)) // gettext keeps 0x04 for its own use in compiled catalogs
            controls += static_cast<char>(c);
    controls += '\x7F';
    texts.push_back(controls);
    texts.push_back("octal \x01"
                    "7 stays apart from the digit after it");
    return texts;
}

// Entries holding the awkward texts in every field, and every kind of comment, some of them obsolete. For gettext's
// tools, without what msgfmt --check refuses.
Entries AwkwardEntries(bool forGettext) {
    Entries entries = {PoEntry{.id = "", .translation = FullHeader}};
    const std::vector<std::string> texts = AwkwardTexts(!forGettext);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        PoEntry entry{.context = std::to_string(i + 1) + ": " + text, .hasContext = true, .id = text};
        // msgfmt --check wants a translation to begin and end with a line end where its msgid does.
        if (!forGettext || text.empty() || (text.front() != '\n' && text.back() != '\n')) {
            entry.translation = text.empty() ? "" : "\xC2\xBB" + text + "\xC2\xAB";
            if (!entry.translation.empty() && i % 3 == 0)
                entry.flags = {"fuzzy"};
        }
        if (i % 4 == 0)
            entry.comments = {"a translator's note", "", "  indented"};
        if (i % 5 == 0)
            entry.extracted = {"Bank 2, message " + std::to_string(i), " indented"};
        if (i % 6 == 0)
            entry.references = {"script.po:" + std::to_string(i), "other.c:1"};
        entry.obsolete = i % 7 == 6;
        entries.push_back(entry);
    }
    // Where gettext's tools put them: after the others.
    std::stable_partition(entries.begin(), entries.end(), [](const PoEntry& entry) { return !entry.obsolete; });
    return entries;
}

} // namespace

class TestPoFile : public QObject {
    Q_OBJECT

private slots:
    void read_data();

    void read() {
        QFETCH(QByteArray, file);
        QFETCH(Entries, entries);
        QFETCH(int, fuzzy);

        const PoRead read = ReadPo(Bytes(file));
        QVERIFY2(read.ok(), read.failure ? ProblemName(read.failure->problem) : "");
        QCOMPARE(Dump(read.entries), Dump(entries));
        QVERIFY(read.entries == entries);
        QCOMPARE(
            int(std::count_if(read.entries.begin(), read.entries.end(), [](const PoEntry& e) { return e.Fuzzy(); })),
            fuzzy);
    }

    void refuse_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("problem");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("value");

        auto row = [](const char* name, const QByteArray& file, PoProblem problem, int line, const char* value = "") {
            QTest::newRow(name) << file << QByteArray(ProblemName(problem)) << line << QByteArray(value);
        };
        using enum PoProblem;
        row("msgstr without msgid", "msgstr \"b\"\n", Unexpected, 1, "msgstr");
        row("a second msgstr", "msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", Unexpected, 3, "msgstr");
        row("a second msgctxt", "msgctxt \"a\"\nmsgctxt \"b\"\nmsgid \"c\"\nmsgstr \"\"\n", Unexpected, 2, "msgctxt");
        row("a second msgid, the first without msgstr", "msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", MissingMsgstr, 1);
        row("msgstr after msgctxt", "msgctxt \"a\"\nmsgstr \"b\"\n", Unexpected, 2, "msgstr");
        row("msgctxt at the end of the file", "msgid \"a\"\nmsgstr \"b\"\n\nmsgctxt \"c\"\n", Unexpected, 4);
        row("msgid at the end of the file", "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\n\n", MissingMsgstr, 4);
        row("a comment between msgid and msgstr", "msgid \"a\"\n# note\nmsgstr \"b\"\n", MissingMsgstr, 1);
        row("a previous string between msgid and msgstr", "msgid \"a\"\n#| msgid \"x\"\nmsgstr \"b\"\n", MissingMsgstr,
            1);
        row("a keyword without its string", "msgid \"a\"\nmsgstr\n\nmsgid \"b\"\nmsgstr \"\"\n", MissingString, 2,
            "msgstr");
        row("an unknown keyword", "msgid \"a\"\nmsgstring \"b\"\n", Unexpected, 2, "msgstring");
        row("an unknown keyword between entries", "msgid \"a\"\nmsgstr \"b\"\nmsgfoo \"c\"\n", Unexpected, 3, "msgfoo");
        row("text that is no keyword", "msgid \"a\"\nmsgstr \"b\"\n\n= 5\n", Unexpected, 4, "=");
        row("a string before any keyword", "\"a\"\nmsgid \"b\"\nmsgstr \"\"\n", Unexpected, 1, "\"a\"");
        row("msgstr[0] without msgid_plural", "msgid \"a\"\nmsgstr[0] \"b\"\n", Unexpected, 2, "msgstr[0]");
        row("obsolete msgstr after msgid", "msgid \"a\"\n#~ msgstr \"b\"\n", Unexpected, 2, "#~");
        row("msgid after obsolete msgctxt", "#~ msgctxt \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", Unexpected, 2, "#~");
        row("msgstr after obsolete msgid", "#~ msgid \"a\"\nmsgstr \"b\"\n", Unexpected, 2, "#~");
        row("an obsolete string after msgstr", "msgid \"a\"\nmsgstr \"b\"\n#~ \"c\"\n", Unexpected, 3, "#~");
        row("a string without its closing quote", "msgid \"a\"\nmsgstr \"b\n", UnclosedString, 2);
        row("a string whose quote is escaped", "msgid \"a\"\nmsgstr \"b\\\"\n", UnclosedString, 2);
        row("a string at the end of the file without its quote", "msgid \"a\"\nmsgstr \"b", UnclosedString, 2);
        row("a backslash at the end of a line", "msgid \"a\\\n\"\nmsgstr \"\"\n", UnclosedString, 1);
        row("an unknown escape", "msgid \"a\"\nmsgstr \"\\q\"\n", BadEscape, 2, "\\q");
        row("an escaped apostrophe, which C has and PO not", "msgid \"\\'\"\nmsgstr \"\"\n", BadEscape, 1, "\\'");
        row("an escaped question mark", "msgid \"\\?\"\nmsgstr \"\"\n", BadEscape, 1, "\\?");
        row("an octal escape above 255", "msgid \"\\400\"\nmsgstr \"\"\n", BadEscape, 1, "\\400");
        row("an octal escape of the byte 0", "msgid \"a\\0b\"\nmsgstr \"\"\n", BadEscape, 1, "\\0");
        row("a hexadecimal escape of the byte 0", "msgid \"a\\x00\"\nmsgstr \"\"\n", BadEscape, 1, "\\x00");
        row("a hexadecimal escape above 255, its digits read on", "msgid \"\\x414\"\nmsgstr \"\"\n", BadEscape, 1,
            "\\x414");
        row("\\x without digits", "msgid \"\\xg\"\nmsgstr \"\"\n", BadEscape, 1, "\\x");
        row("a plural entry",
            "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"file\"\nmsgid_plural \"files\"\n"
            "msgstr[0] \"Datei\"\nmsgstr[1] \"Dateien\"\n",
            PluralForms, 5);
        row("an obsolete plural entry without its msgstr[N]", "#~ msgid \"a\"\n#~ msgid_plural \"b\"\n", MissingMsgstr,
            1);
        row("the character set ISO-8859-1", R"po(msgid ""
msgstr ""
"Project-Id-Version: Kyrel script\n"
"Content-Type: text/plain; charset=ISO-8859-1\n"
)po",
            NotUtf8, 1, "ISO-8859-1");
        row("ISO-8859-1 named after bytes in it that are not UTF-8",
            "# by J\xE9r\xF4me\nmsgid \"\"\nmsgstr \"Last-Translator: J\xE9r\xF4me\\n\"\n"
            "\"Content-Type: text/plain; charset=iso-8859-1\\n\"\n\n# caf\xE9\nmsgid \"a\"\nmsgstr \"\"\n",
            NotUtf8, 2, "iso-8859-1");
        row("a header that names UTF-8 but holds other bytes",
            "msgid \"\"\nmsgstr \"Last-Translator: J\xE9r\xF4me\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n",
            InvalidUtf8, 2);
        row("bytes that are not UTF-8 in a comment",
            "msgid \"a\"\nmsgstr \"b\"\n\n# caf\xE9\nmsgid \"c\"\nmsgstr \"\"\n", InvalidUtf8, 4);
        row("bytes that are not UTF-8 in a message", "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\nmsgstr \"caf\xE9\"\n",
            InvalidUtf8, 5);
        row("bytes that are not UTF-8 in the first entry, without header", "msgid \"caf\xE9\"\nmsgstr \"\"\n",
            InvalidUtf8, 1);
        row("bytes that are not UTF-8 after the last entry", "msgid \"a\"\nmsgstr \"b\"\n# \xFF\n", InvalidUtf8, 3);
        row("an overlong encoding", "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"\xC0\xAF\"\nmsgstr \"\"\n", InvalidUtf8, 4);
        row("an encoded surrogate", "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"\xED\xA0\x80\"\nmsgstr \"\"\n", InvalidUtf8,
            4);
        row("a character beyond U+10FFFF", "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"\xF4\x90\x80\x80\"\nmsgstr \"\"\n",
            InvalidUtf8, 4);
        row("a character cut short by the end of the file", "msgid \"a\"\nmsgstr \"b\"\n# \xE2\x80", InvalidUtf8, 3);
        row("a NUL byte", QByteArray("msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c") + '\0' + "\"\nmsgstr \"\"\n",
            InvalidUtf8, 4);
        row("escapes that make bytes that are not UTF-8",
            "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\nmsgstr \"\\xff\"\n", InvalidUtf8, 5);
        row("escapes that make half a character", "msgid \"\\303\"\nmsgstr \"\"\n", InvalidUtf8, 1);
        row("a file of more than 16 MiB", QByteArray(qsizetype(MaxPoBytes) + 1, '#'), TooLarge, 0);
    }

    void refuse() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, problem);
        QFETCH(int, line);
        QFETCH(QByteArray, value);

        const PoRead read = ReadPo(Bytes(file));
        QVERIFY2(!read.ok(), Dump(read.entries).constData());
        QCOMPARE(QByteArray(ProblemName(read.failure->problem)), problem);
        QCOMPARE(read.failure->line, line);
        QCOMPARE(QByteArray::fromStdString(read.failure->value), value);
        QVERIFY(read.entries.empty());
    }

    // The writer's form, as gettext writes the same entries.
    void write_data();

    void write() {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, file);
        QCOMPARE(QByteArray::fromStdString(WritePo(entries)), file);
    }

    void roundTrip_data() {
        QTest::addColumn<Entries>("entries");
        QTest::newRow("no entries") << Entries{};
        QTest::newRow("awkward texts in every field, every kind of comment, obsolete entries") << AwkwardEntries(false);
        for (const std::string& text : AwkwardTexts(true)) {
            const Entries entries = {
                {.context = text, .hasContext = true, .id = text, .translation = text},
                {.id = text, .translation = text, .obsolete = true},
            };
            QTest::addRow("%s", Quoted(text).left(60).constData()) << entries;
        }
    }

    void roundTrip() {
        QFETCH(Entries, entries);
        const std::string written = WritePo(entries);
        const PoRead read = ReadPo(written);
        QVERIFY2(read.ok(), written.c_str());
        QCOMPARE(Dump(WithoutLines(read.entries)), Dump(entries));
        QVERIFY(WithoutLines(read.entries) == entries);
        // Each entry's line is that of its msgid keyword.
        const QByteArrayList lines = QByteArray::fromStdString(written).split('\n');
        for (const PoEntry& entry : read.entries) {
            QVERIFY(entry.line >= 1 && entry.line <= lines.size());
            QVERIFY2(lines[entry.line - 1].startsWith(entry.obsolete ? "#~ msgid " : "msgid "),
                     lines[entry.line - 1].constData());
        }
    }

    // What the writer writes passes gettext's own check, and gettext's rewrite of it reads back the same.
    void gettextTools_data() {
        QTest::addColumn<Entries>("entries");
        QTest::newRow("a script with its header")
            << Entries{{.id = "", .translation = FullHeader},
                       {.context = "918210: 54 bytes",
                        .hasContext = true,
                        .id = "Welcome to Vrel, traveller!<BR>\nRest a while.",
                        .translation = "Willkommen in Vrel, Reisender!<BR>\nRuh dich aus.",
                        .extracted = {"Bank 2, message 1"}},
                       {.context = "918264: 12 bytes", .hasContext = true, .id = "<COLOR>005Hi!"}};
        QTest::newRow("awkward texts, every kind of comment, obsolete entries") << AwkwardEntries(true);
    }

    void gettextTools() {
        QFETCH(Entries, entries);
        const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
        const QString msgcat = QStandardPaths::findExecutable(QStringLiteral("msgcat"));
        if (msgfmt.isEmpty() || msgcat.isEmpty())
            QSKIP("gettext's msgfmt and msgcat are not installed");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("script.po"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const std::string written = WritePo(entries);
        QCOMPARE(file.write(written.data(), qint64(written.size())), qint64(written.size()));
        file.close();

        QProcess check;
        check.start(msgfmt, {QStringLiteral("--check"), QStringLiteral("-o"), QStringLiteral("/dev/null"), path});
        QVERIFY(check.waitForFinished(30000));
        QCOMPARE(check.readAllStandardError(), QByteArray());
        QCOMPARE(check.exitStatus(), QProcess::NormalExit);
        QCOMPARE(check.exitCode(), 0);

        QProcess rewrite;
        rewrite.start(msgcat, {QStringLiteral("--width=20"), path});
        QVERIFY(rewrite.waitForFinished(30000));
        QCOMPARE(rewrite.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rewrite.exitCode(), 0);
        const QByteArray rewritten = rewrite.readAllStandardOutput();
        QVERIFY(rewritten != QByteArray::fromStdString(written)); // wrapped at 20 columns

        const PoRead read = ReadPo(Bytes(rewritten));
        QVERIFY2(read.ok(), rewritten.constData());
        QCOMPARE(Dump(WithoutLines(read.entries)), Dump(entries));
        QVERIFY(WithoutLines(read.entries) == entries);
    }
};

// moc misreads raw strings that span lines and hold an escaped quote, so the rows that hold whole files are
// added here, after the class.
void TestPoFile::read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("fuzzy"); // how many of the entries are fuzzy

    auto row = [](const char* name, const QByteArray& file, const Entries& entries, int fuzzy = 0) {
        QTest::newRow(name) << file << entries << fuzzy;
    };

    row("a message on one line", R"po(msgid "Hello"
msgstr "Hallo"
)po",
        {{.id = "Hello", .translation = "Hallo", .line = 1}});
    row("a file without a line end at its end", "msgid \"a\"\nmsgstr \"b\"",
        {{.id = "a", .translation = "b", .line = 1}});
    row("an empty file", "", {});
    row("only comments, which belong to no entry", "# one\n#. two\n", {});
    row("a file of the largest size read", QByteArray(qsizetype(MaxPoBytes), '#'), {});
    row("strings split over lines are joined", R"po(msgid ""
"Wel"
"come"
msgstr "Will"
  "kommen"
)po",
        {{.id = "Welcome", .translation = "Willkommen", .line = 1}});
    row("keywords and strings on one line", R"po(msgid "a" "b" msgstr "c")po",
        {{.id = "ab", .translation = "c", .line = 1}});
    row("tabs between keyword and string", "msgid\t\"a\"\nmsgstr\t\t\"b\"\n",
        {{.id = "a", .translation = "b", .line = 1}});
    row("a context names the message", R"po(msgctxt "918210: 54 bytes"
msgid "Hi"
msgstr ""
)po",
        {{.context = "918210: 54 bytes", .hasContext = true, .id = "Hi", .line = 2}});
    row("the header, first, as an entry with an empty msgid", R"po(msgid ""
msgstr ""
"Project-Id-Version: Kyrel script\n"
"Content-Type: text/plain; charset=UTF-8\n"

msgid "a"
msgstr "b"
)po",
        {{.id = "", .translation = "Project-Id-Version: Kyrel script\n" + Utf8Header, .line = 1},
         {.id = "a", .translation = "b", .line = 6}});
    row("the character set in small letters", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=utf-8\\n\"\n",
        {{.id = "", .translation = "Content-Type: text/plain; charset=utf-8\n", .line = 1}});
    row("a template's CHARSET, left for the translator to fill",
        "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=CHARSET\\n\"\n",
        {{.id = "", .translation = "Content-Type: text/plain; charset=CHARSET\n", .line = 1}});
    row("a header without a character set", "msgid \"\"\nmsgstr \"Language: de\\n\"\n",
        {{.id = "", .translation = "Language: de\n", .line = 1}});
    row("an empty msgid with a context is no header, and names no character set",
        "msgctxt \"\"\nmsgid \"\"\nmsgstr \"charset=ISO-8859-1\"\n",
        {{.context = "", .hasContext = true, .id = "", .translation = "charset=ISO-8859-1", .line = 2}});
    row("text in UTF-8", "msgid \"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\"\nmsgstr \"\xE6\x97\xA5\"\n",
        {{.id = "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", .translation = "\xE6\x97\xA5", .line = 1}});
    row("raw control characters, as gettext writes them",
        "msgid \"a\x01"
        "b\x7F"
        "c\x1B\"\nmsgstr \"\"\n",
        {{.id = "a\x01"
                "b\x7F"
                "c\x1B",
          .line = 1}});

    struct Escape {
        const char* written;
        const char* value;
    };
    for (const Escape& escape : {
             Escape{R"(\n)", "\n"},
             {R"(\t)", "\t"},
             {R"(\")", "\""},
             {R"(\\)", "\\"},
             {R"(\a)", "\a"},
             {R"(\b)", "\b"},
             {R"(\f)", "\f"},
             {R"(\r)", "\r"},
             {R"(\v)", "\v"},
             {R"(\101)", "A"},
             {R"(\7)", "\a"},
             {R"(\18)", "\x01"
                        "8"},
             {R"(\1010)", "A0"},
             {R"(\x41)", "A"},
             {R"(\x9)", "\t"},
             {R"(\x041)", "A"},
             {R"(\x4g)", "\x04g"},
             {R"(\303\251)", "\xC3\xA9"},
             {R"(\xc3\xA9)", "\xC3\xA9"},
             {R"(\303" "\251)", "\xC3\xA9"},
         }) {
        QTest::addRow("escape %s", escape.written)
            << "msgid \"<" + QByteArray(escape.written) + ">\"\nmsgstr \"\"\n"
            << Entries{{.id = "<" + std::string(escape.value) + ">", .line = 1}} << 0;
    }

    row("translator's comments, with and without a blank after the mark",
        "# one\n#two\n#   three\n#\n"
        "msgid \"a\"\nmsgstr \"\"\n",
        {{.id = "a", .comments = {"one", "two", "  three", ""}, .line = 5}});
    row("extracted comments", "#. Bank 2, message 1\n#.x\n#.  indented\n#.\nmsgid \"a\"\nmsgstr \"\"\n",
        {{.id = "a", .extracted = {"Bank 2, message 1", "x", " indented", ""}, .line = 5}});
    row("references, one or several on a line", "#: a.c:1 b.c:2\n#:\tc.c:3  \n#:\nmsgid \"a\"\nmsgstr \"\"\n",
        {{.id = "a", .references = {"a.c:1", "b.c:2", "c.c:3"}, .line = 4}});
    row("flags, split at commas", "#, fuzzy, c-format\nmsgid \"a\"\nmsgstr \"b\"\n",
        {{.id = "a", .translation = "b", .flags = {"fuzzy", "c-format"}, .line = 2}}, 1);
    row("flags without blanks, with more blanks and empty pieces", "#,fuzzy,,  no-wrap ,\t\nmsgid \"a\"\nmsgstr \"\"\n",
        {{.id = "a", .flags = {"fuzzy", "no-wrap"}, .line = 2}}, 1);
    row("a flag that only begins like fuzzy", "#, fuzzyish\nmsgid \"a\"\nmsgstr \"\"\n",
        {{.id = "a", .flags = {"fuzzyish"}, .line = 2}}, 0);
    row("comments belong to the entry after them", R"po(# first
msgid "a"
msgstr "b"
#. second
#, fuzzy
msgid "c"
msgstr "d"
)po",
        {{.id = "a", .translation = "b", .comments = {"first"}, .line = 2},
         {.id = "c", .translation = "d", .extracted = {"second"}, .flags = {"fuzzy"}, .line = 6}},
        1);
    row("previous strings after #| are left out", R"po(#, fuzzy
#| msgctxt "old"
#| msgid "Old"
#| " text"
msgctxt "new"
msgid "New"
msgstr "Neu"
)po",
        {{.context = "new", .hasContext = true, .id = "New", .translation = "Neu", .flags = {"fuzzy"}, .line = 6}}, 1);
    row("an obsolete entry is kept and marked", R"po(# gone
#, fuzzy
#~ msgctxt "918210: 54 bytes"
#~ msgid ""
#~ "Old\n"
#~ "text"
#~ msgstr "Alt"
)po",
        {{.context = "918210: 54 bytes",
          .hasContext = true,
          .id = "Old\ntext",
          .translation = "Alt",
          .comments = {"gone"},
          .flags = {"fuzzy"},
          .obsolete = true,
          .line = 4}},
        1);
    row("a last line of #| or #~ alone", "msgid \"a\"\nmsgstr \"b\"\n#~\n#| ",
        {{.id = "a", .translation = "b", .line = 1}});
    row("an obsolete entry's previous strings after #~| are left out", R"po(#~| msgid "older"
#~ msgid "old"
#~ msgstr "alt"
)po",
        {{.id = "old", .translation = "alt", .obsolete = true, .line = 2}});
    row("comments after #~ belong to the obsolete entry", "#~ #, fuzzy\n#~ msgid \"o\"\n#~ msgstr \"p\"\n",
        {{.id = "o", .translation = "p", .flags = {"fuzzy"}, .obsolete = true, .line = 2}}, 1);
    row("an obsolete entry with plural forms is left out", R"po(# dropped with it
#~ msgid "one file"
#~ msgid_plural "%d files"
#~ msgstr[0] "eine Datei"
#~ msgstr[1] "%d Dateien"

msgid "a"
msgstr "b"
)po",
        {{.id = "a", .translation = "b", .line = 7}});
    row("a byte-order mark before the first line", "\xEF\xBB\xBFmsgid \"a\"\nmsgstr \"b\"\n",
        {{.id = "a", .translation = "b", .line = 1}});
    row("CR LF line ends", CrLf(R"po(msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

# note
#. extracted
#: a.c:1
#, fuzzy
msgid ""
"two\n"
"lines"
msgstr "zwei"
)po"),
        {{.id = "", .translation = Utf8Header, .line = 1},
         {.id = "two\nlines",
          .translation = "zwei",
          .comments = {"note"},
          .extracted = {"extracted"},
          .references = {"a.c:1"},
          .flags = {"fuzzy"},
          .line = 9}},
        1);
    row("blank lines, also inside an entry, and trailing blanks",
        "\n\n# note   \nmsgid \"a\"  \t\n\n   \nmsgstr \"b\"   \n   \"c\" \n\n\n",
        {{.id = "a", .translation = "bc", .comments = {"note"}, .line = 4}});

    // A small script as msgcat --width=20 rewrote it: gettext 0.21, pasted unchanged.
    row("as msgcat --width=20 writes it", R"po(msgid ""
msgstr ""
"Project-Id-"
"Version: Kyrel "
"script\n"
"Language: de\n"
"MIME-Version: "
"1.0\n"
"Content-Type: "
"text/plain; "
"charset=UTF-8\n"
"Content-Transfer-"
"Encoding: 8bit\n"

#. Bank 2, message 1
msgctxt ""
"918210: 54 bytes"
msgid ""
"Welcome to Vrel, "
"traveller!<BR>\n"
"Rest a while."
msgstr ""
"Willkommen in "
"Vrel, Reisender!"
"<BR>\n"
"Ruh dich aus."

#. Bank 2, message 2
msgctxt ""
"918264: 12 bytes"
msgid "<COLOR>005Hi!"
msgstr "<COLOR>005Hallo!"

#. Bank 2, message 3
msgctxt ""
"918276: 9 bytes"
msgid "Go \"on\"."
msgstr ""
)po",
        {{.id = "", .translation = SmallHeader, .line = 1},
         {.context = "918210: 54 bytes",
          .hasContext = true,
          .id = "Welcome to Vrel, traveller!<BR>\nRest a while.",
          .translation = "Willkommen in Vrel, Reisender!<BR>\nRuh dich aus.",
          .extracted = {"Bank 2, message 1"},
          .line = 18},
         {.context = "918264: 12 bytes",
          .hasContext = true,
          .id = "<COLOR>005Hi!",
          .translation = "<COLOR>005Hallo!",
          .extracted = {"Bank 2, message 2"},
          .line = 31},
         {.context = "918276: 9 bytes",
          .hasContext = true,
          .id = "Go \"on\".",
          .extracted = {"Bank 2, message 3"},
          .line = 37}});
    // The same script as msgattrib --set-fuzzy wrote it.
    row("as msgattrib --set-fuzzy writes it", R"po(#, fuzzy
msgid ""
msgstr ""
"Project-Id-Version: Kyrel script\n"
"Language: de\n"
"MIME-Version: 1.0\n"
"Content-Type: text/plain; charset=UTF-8\n"
"Content-Transfer-Encoding: 8bit\n"

#. Bank 2, message 1
#, fuzzy
msgctxt "918210: 54 bytes"
msgid ""
"Welcome to Vrel, traveller!<BR>\n"
"Rest a while."
msgstr ""
"Willkommen in Vrel, Reisender!<BR>\n"
"Ruh dich aus."

#. Bank 2, message 2
#, fuzzy
msgctxt "918264: 12 bytes"
msgid "<COLOR>005Hi!"
msgstr "<COLOR>005Hallo!"

#. Bank 2, message 3
msgctxt "918276: 9 bytes"
msgid "Go \"on\"."
msgstr ""
)po",
        {{.id = "", .translation = SmallHeader, .flags = {"fuzzy"}, .line = 2},
         {.context = "918210: 54 bytes",
          .hasContext = true,
          .id = "Welcome to Vrel, traveller!<BR>\nRest a while.",
          .translation = "Willkommen in Vrel, Reisender!<BR>\nRuh dich aus.",
          .extracted = {"Bank 2, message 1"},
          .flags = {"fuzzy"},
          .line = 13},
         {.context = "918264: 12 bytes",
          .hasContext = true,
          .id = "<COLOR>005Hi!",
          .translation = "<COLOR>005Hallo!",
          .extracted = {"Bank 2, message 2"},
          .flags = {"fuzzy"},
          .line = 23},
         {.context = "918276: 9 bytes",
          .hasContext = true,
          .id = "Go \"on\".",
          .extracted = {"Bank 2, message 3"},
          .line = 28}},
        3);
}

void TestPoFile::write_data() {
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("a message on one line")
        << Entries{{.id = "Hi", .translation = "Hallo"}} << QByteArray(R"po(msgid "Hi"
msgstr "Hallo"
)po");
    QTest::newRow("the header: each line of its translation on a line of its own")
        << Entries{{.id = "", .translation = "Project-Id-Version: Kyrel script\n" + Utf8Header}}
        << QByteArray(R"po(msgid ""
msgstr ""
"Project-Id-Version: Kyrel script\n"
"Content-Type: text/plain; charset=UTF-8\n"
)po");
    QTest::newRow("a line end only at the end stays on the keyword's line")
        << Entries{{.id = "Hi\n", .translation = ""}} << QByteArray("msgid \"Hi\\n\"\nmsgstr \"\"\n");
    QTest::newRow("text after the last line end on a line of its own")
        << Entries{{.id = "a\n\nb", .translation = "\nc"}}
        << QByteArray("msgid \"\"\n\"a\\n\"\n\"\\n\"\n\"b\"\nmsgstr \"\"\n\"\\n\"\n\"c\"\n");
    QTest::newRow("quote, backslash and tab by name, other control characters in octal")
        << Entries{{.id = "a\"b\\c\td\re\x01"
                          "7f\x7F\x1B",
                    .translation = "\xC3\xA9"}}
        << QByteArray(R"po(msgid "a\"b\\c\td\015e\0017f\177\033"
msgstr "é"
)po");
    QTest::newRow("comments, references and flags before the context, entries a blank line apart")
        << Entries{{.id = "", .translation = Utf8Header},
                   {.context = "918210: 54 bytes",
                    .hasContext = true,
                    .id = "a",
                    .translation = "b",
                    .comments = {"note", "", " two"},
                    .extracted = {"Bank 2", ""},
                    .references = {"a.c:1", "b.c:2"},
                    .flags = {"fuzzy", "no-wrap"}},
                   {.context = "", .hasContext = true, .id = "c"}}
        << QByteArray(R"po(msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\n"

# note
#
#  two
#. Bank 2
#.
#: a.c:1 b.c:2
#, fuzzy, no-wrap
msgctxt "918210: 54 bytes"
msgid "a"
msgstr "b"

msgctxt ""
msgid "c"
msgstr ""
)po");
    QTest::newRow("an obsolete entry: #~ before keywords and strings, not before comments")
        << Entries{{.context = "x",
                    .hasContext = true,
                    .id = "a\nb",
                    .translation = "c",
                    .comments = {"old"},
                    .flags = {"fuzzy"},
                    .obsolete = true}}
        << QByteArray(R"po(# old
#, fuzzy
#~ msgctxt "x"
#~ msgid ""
#~ "a\n"
#~ "b"
#~ msgstr "c"
)po");
    QTest::newRow("a comment holding a line end on two lines")
        << Entries{{.id = "a", .comments = {"one\ntwo"}, .extracted = {"three\n"}}}
        << QByteArray("# one\n# two\n#. three\n#.\nmsgid \"a\"\nmsgstr \"\"\n");
}

QTEST_GUILESS_MAIN(TestPoFile)
#include "tst_pofile.moc"
