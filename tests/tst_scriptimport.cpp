// The decisions of a script import: which message a msgctxt names, and what a translation makes of the message's
// bytes, or why it is skipped.
#include "codec/ScriptImport.h"
#include "tests/support/SyntheticRom.h"

#include <QtTest>

#include <limits>

using namespace kyrel;
using kyrel::testing::HexText;

namespace {

const char* SkipName(TranslationSkip skip) {
    switch (skip) {
    case TranslationSkip::None:
        return "None";
    case TranslationSkip::BadArgument:
        return "BadArgument";
    case TranslationSkip::TooLong:
        return "TooLong";
    case TranslationSkip::EndCodeInside:
        return "EndCodeInside";
    }
    return "?";
}

} // namespace

class TestScriptImport : public QObject {
    Q_OBJECT

private slots:
    void context_data() {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("position");
        QTest::addColumn<qint64>("bytes");

        auto good = [](const char* context, int position, qint64 bytes) {
            QTest::addRow("\"%s\" names a message", context) << QByteArray(context) << true << position << bytes;
        };
        auto bad = [](const char* name, const QByteArray& context) {
            QTest::newRow(name) << context << false << 0 << qint64(0);
        };
        good("918210: 54 bytes", 918210, 54);
        good("1: 1 bytes", 1, 1);
        good("2147483647: 9223372036854775807 bytes", std::numeric_limits<std::int32_t>::max(),
             std::numeric_limits<qint64>::max());
        bad("empty", "");
        bad("no blank after the colon", "918210:54 bytes");
        bad("two blanks after the colon", "918210:  54 bytes");
        bad("no length", "918210: bytes");
        bad("no position", ": 54 bytes");
        bad("byte for bytes", "918210: 54 byte");
        bad("something after bytes", "918210: 54 bytes.");
        bad("a line end after bytes", "918210: 54 bytes\n");
        bad("a blank before the position", " 918210: 54 bytes");
        bad("a plus sign", "+918210: 54 bytes");
        bad("a minus sign on the position", "-1: 54 bytes");
        bad("a minus sign on the length", "918210: -54 bytes");
        bad("a leading zero", "0918210: 54 bytes");
        bad("a leading zero on the length", "918210: 054 bytes");
        bad("position 0", "0: 54 bytes");
        bad("length 0", "918210: 0 bytes");
        bad("a position past 32 bits", "2147483648: 54 bytes");
        bad("a length past 64 bits", "918210: 9223372036854775808 bytes");
        bad("hexadecimal", "0x10: 54 bytes");
        bad("a fraction", "918210.5: 54 bytes");
        bad("full-width digits", "\xEF\xBC\x99: 54 bytes");
        bad("a NUL after the digits", QByteArray("918210\0: 54 bytes", 17));
    }

    void context() {
        QFETCH(QByteArray, context);
        QFETCH(bool, valid);
        QFETCH(int, position);
        QFETCH(qint64, bytes);

        const std::optional<ScriptIdentity> identity = ParseScriptContext(context.toStdString());
        QCOMPARE(identity.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(identity->position, position);
        QCOMPARE(identity->bytes, bytes);
        // Exactly what the export writes for that message.
        QCOMPARE(QByteArray::fromStdString(ScriptContext(position, bytes)), context);
    }

    void plan_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("messageBytes");
        QTest::addColumn<QByteArray>("skip");
        QTest::addColumn<QString>("bytes"); // what goes over the message, when nothing is skipped
        QTest::addColumn<qint64>("needed");
        QTest::addColumn<QString>("dropped");

        auto row = [](const char* name, const QString& text, qint64 messageBytes, TranslationSkip skip,
                      const char* bytes, qint64 needed, const QString& dropped = {}) {
            QTest::newRow(name) << text << messageBytes << QByteArray(SkipName(skip)) << QString::fromLatin1(bytes)
                                << needed << dropped;
        };
        using enum TranslationSkip;
        row("fits and is padded with blanks", u"Hi!"_qs, 8, None, "07 22 61 59 59 59 59 7F", 4);
        row("fits exactly", u"Hi!"_qs, 4, None, "07 22 61 7F", 4);
        row("one byte longer than the message", u"Hi!"_qs, 3, TooLong, "", 4);
        row("a line break and a line end", u"Hi<BR>\r\nYo"_qs, 7, None, "07 22 75 18 28 59 7F", 6);
        row("an end code typed at the end fits", u"Hi<E>"_qs, 4, None, "07 22 59 7F", 3);
        row("an empty message's translation <E> into its one byte", u"<E>"_qs, 1, None, "7F", 1);
        row("an empty translation into one byte", QString(), 1, None, "7F", 1);
        row("an empty translation into a longer message", QString(), 3, None, "59 59 7F", 1);
        row("nothing fits into no bytes", QString(), 0, TooLong, "", 1);
        row("an argument of 127 is no end code", u"<DELAY>127Hi"_qs, 5, None, "78 7F 07 22 7F", 5);
        row("a raw argument code with 127 is no end code", u"<$77>127"_qs, 4, None, "77 7F 59 7F", 3);
        row("an argument of 127 last before the end", u"<COLOR>127"_qs, 3, None, "77 7F 7F", 3);
        row("<E> in the middle", u"Hi<E>Yo"_qs, 10, EndCodeInside, "", 6);
        row("<$7F> in the middle", u"Hi<$7F>Yo"_qs, 10, EndCodeInside, "", 6);
        row("<$7F> at the end, before the end code", u"Hi<$7F>"_qs, 10, EndCodeInside, "", 4);
        row("too long and an end code inside: too long", u"Hi<E>Yo"_qs, 5, TooLong, "", 6);
        row("a bad argument", u"Hi<COLOR>abc"_qs, 20, BadArgument, "", 0);
        row("a bad argument in a text too long", u"Hi there<DELAY>999"_qs, 2, BadArgument, "", 0);
        row("characters without a code are named and left out", u"Tom & Jerry~"_qs, 12, None,
            "13 28 26 59 59 09 A6 2B 32 59 59 7F", 10, u"&~"_qs);
        row("characters without a code in a text skipped", u"a~<E>b"_qs, 9, EndCodeInside, "", 4, u"~"_qs);
    }

    void plan() {
        QFETCH(QString, text);
        QFETCH(qint64, messageBytes);
        QFETCH(QByteArray, skip);
        QFETCH(QString, bytes);
        QFETCH(qint64, needed);
        QFETCH(QString, dropped);

        const TranslationPlan plan = PlanTranslation(text.toStdU16String(), messageBytes);
        QCOMPARE(QByteArray(SkipName(plan.skip)), skip);
        QCOMPARE(QString::fromStdString(HexText(plan.bytes)), bytes);
        QCOMPARE(plan.needed, needed);
        QCOMPARE(QString::fromStdU16String(plan.dropped), dropped);
        QCOMPARE(plan.error.has_value(), plan.skip == TranslationSkip::BadArgument);
        if (plan.skip == TranslationSkip::None)
            QCOMPARE(qint64(plan.bytes.size()), messageBytes);
    }

    // The error kept for the caller's sentence is the encoder's own.
    void badArgumentError() {
        const TranslationPlan plan = PlanTranslation(u"Hi\r\nthere<DELAY>x12", 40);
        QVERIFY(plan.error);
        QCOMPARE(QString::fromStdU16String(plan.error->tag), u"<DELAY>"_qs);
        QCOMPARE(plan.error->line, 2);
        QCOMPARE(plan.error->column, 13);
        QCOMPARE(QString::fromStdU16String(plan.error->field), u"x12"_qs);
    }
};

QTEST_GUILESS_MAIN(TestScriptImport)
#include "tst_scriptimport.moc"
