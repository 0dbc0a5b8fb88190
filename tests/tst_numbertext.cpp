// The number boxes' text: parsing what the user typed, rounding to a position, and writing numbers back.
#include "codec/NumberText.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace kyrel;

namespace {
const QVariant NoNumber;
} // namespace

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected"); // a double, or invalid for no number

        QTest::newRow("whole") << "201" << QVariant(201.0);
        QTest::newRow("zero") << "0" << QVariant(0.0);
        QTest::newRow("leading zeros") << "007" << QVariant(7.0);
        QTest::newRow("bank start") << "483649" << QVariant(483649.0);
        QTest::newRow("blanks around") << "  42  " << QVariant(42.0);
        QTest::newRow("one blank each side") << " 12 " << QVariant(12.0);
        QTest::newRow("tabs around, as pasted") << "\t5\t" << QVariant(5.0);
        QTest::newRow("minus") << "-3" << QVariant(-3.0);
        QTest::newRow("plus") << "+3" << QVariant(3.0);
        QTest::newRow("point") << "2.5" << QVariant(2.5);
        QTest::newRow("point first") << ".5" << QVariant(0.5);
        QTest::newRow("point last") << "5." << QVariant(5.0);
        QTest::newRow("negative fraction") << "-0.25" << QVariant(-0.25);
        QTest::newRow("exponent") << "1e3" << QVariant(1000.0);
        QTest::newRow("capital exponent") << "1E3" << QVariant(1000.0);
        QTest::newRow("exponent with plus") << "1e+2" << QVariant(100.0);
        QTest::newRow("negative exponent") << "2.5e-1" << QVariant(0.25);
        QTest::newRow("empty") << "" << NoNumber;
        QTest::newRow("blanks only") << "   " << NoNumber;
        QTest::newRow("letters") << "abc" << NoNumber;
        QTest::newRow("digits then letters") << "12abc" << NoNumber;
        QTest::newRow("hexadecimal") << "0x10" << NoNumber;
        QTest::newRow("comma") << "1,5" << NoNumber;
        QTest::newRow("two points") << "1.2.3" << NoNumber;
        QTest::newRow("inner blank") << "1 2" << NoNumber;
        QTest::newRow("inf") << "inf" << NoNumber;
        QTest::newRow("minus inf") << "-inf" << NoNumber;
        QTest::newRow("infinity") << "Infinity" << NoNumber;
        QTest::newRow("nan") << "nan" << NoNumber;
        QTest::newRow("too large") << "1e400" << NoNumber;
        QTest::newRow("too small, reads as zero") << "1e-400" << QVariant(0.0);
        QTest::newRow("negative too small") << "-1e-400" << QVariant(0.0);
        QTest::newRow("many zeros after the point") << "0." + QString(400, u'0') + "1" << QVariant(0.0);
        QTest::newRow("many digits and a negative exponent") << "1" + QString(400, u'0') + "e-500" << QVariant(1e-100);
        QTest::newRow("many digits, too small") << "1" + QString(400, u'0') + "e-800" << QVariant(0.0);
        QTest::newRow("many digits, too large") << "1" + QString(400, u'0') << NoNumber;
        QTest::newRow("too large despite a negative exponent") << "1" + QString(400, u'0') + "e-10" << NoNumber;
        QTest::newRow("plus alone") << "+" << NoNumber;
        QTest::newRow("minus alone") << "-" << NoNumber;
        QTest::newRow("point alone") << "." << NoNumber;
        QTest::newRow("exponent without digits") << "1e" << NoNumber;
        QTest::newRow("fractional exponent") << "1e1.5" << NoNumber;
        QTest::newRow("two signs") << "+-1" << NoNumber;
        QTest::newRow("two plus signs") << "++1" << NoNumber;
        QTest::newRow("largest double as formatted")
            << "179769313486231" + QString(294, u'0') << QVariant(1.79769313486231e308);
        QTest::newRow("rounded past the largest double") << "179769313486232" + QString(294, u'0') << NoNumber;
    }

    void parse() {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        const std::optional<double> value = ParseNumber(text.toStdU16String());
        QCOMPARE(value.has_value(), expected.isValid());
        // Exact: the boxes compare their numbers exactly, so a near miss would be a different number.
        if (value)
            QVERIFY2(*value == expected.toDouble(), qPrintable(QString::number(*value, 'g', 17)));
    }

    void round_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QVariant>("expected"); // an int, or invalid for outside the 32-bit range

        QTest::newRow("1.5 up to even") << 1.5 << QVariant(2);
        QTest::newRow("2.5 down to even") << 2.5 << QVariant(2);
        QTest::newRow("3.5 up to even") << 3.5 << QVariant(4);
        QTest::newRow("0.5 down to even") << 0.5 << QVariant(0);
        QTest::newRow("-0.5 up to even") << -0.5 << QVariant(0);
        QTest::newRow("-1.5 down to even") << -1.5 << QVariant(-2);
        QTest::newRow("below half") << 2.4999 << QVariant(2);
        QTest::newRow("above half") << 2.6 << QVariant(3);
        QTest::newRow("whole") << 483649.0 << QVariant(483649);
        QTest::newRow("largest") << 2147483647.0 << QVariant(2147483647);
        QTest::newRow("largest plus a bit") << 2147483647.4 << QVariant(2147483647);
        QTest::newRow("rounds past the largest") << 2147483647.5 << NoNumber;
        QTest::newRow("past the largest") << 2147483648.0 << NoNumber;
        QTest::newRow("smallest") << -2147483648.0 << QVariant(int(std::numeric_limits<std::int32_t>::min()));
        QTest::newRow("smallest minus a half")
            << -2147483648.5 << QVariant(int(std::numeric_limits<std::int32_t>::min()));
        QTest::newRow("below the smallest") << -2147483649.0 << NoNumber;
        QTest::newRow("huge") << 1e300 << NoNumber;
    }

    void round() {
        QFETCH(double, value);
        QFETCH(QVariant, expected);
        const std::optional<std::int32_t> rounded = RoundToInt32(value);
        QCOMPARE(rounded.has_value(), expected.isValid());
        if (rounded)
            QCOMPARE(int(*rounded), expected.toInt());
    }

    void format_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("whole") << 201.0 << "201";
        QTest::newRow("fraction") << 2.5 << "2.5";
        QTest::newRow("bank start") << 483649.0 << "483649";
        QTest::newRow("start plus 1000") << 918210.0 + 1000.0 << "919210";
        QTest::newRow("2.3 - 1") << 2.3 - 1 << "1.3";
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
        QTest::newRow("a third") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("1e15") << 1e15 << "1000000000000000";
        QTest::newRow("1e20") << 1e20 << "100000000000000000000";
        QTest::newRow("whole beyond 15 digits") << 123456789012345678.0 << "123456789012346000";
        QTest::newRow("largest position") << 2147483647.0 << "2147483647";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative whole") << -7.0 << "-7";
        QTest::newRow("negative fraction") << -2.5 << "-2.5";
        // Rounding up to 1.79769313486232e308 would pass the largest double; the text must still be a number.
        const QString largest = QStringLiteral("179769313486231") + QString(294, u'0');
        QTest::newRow("largest double") << std::numeric_limits<double>::max() << largest;
        QTest::newRow("negative largest double") << -std::numeric_limits<double>::max() << u'-' + largest;
        QTest::newRow("just below the largest double")
            << std::nextafter(std::numeric_limits<double>::max(), 0.0) << largest;
    }

    void format() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdU16String(FormatNumber(value)), expected);
    }

    // What a handler writes into a box reads back as the same number.
    void formatThenParse_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("201") << 201.0;
        QTest::newRow("2.5") << 2.5;
        QTest::newRow("483649") << 483649.0;
        QTest::newRow("-7") << -7.0;
        QTest::newRow("-0.75") << -0.75;
        QTest::newRow("0.125") << 0.125;
        QTest::newRow("1e15") << 1e15;
        QTest::newRow("1e20") << 1e20;
        QTest::newRow("1e-5") << 1e-5;
        QTest::newRow("1.5e-7") << 1.5e-7;
        QTest::newRow("smallest") << 5e-324;
    }

    void formatThenParse() {
        QFETCH(double, value);
        const std::optional<double> parsed = ParseNumber(FormatNumber(value));
        QVERIFY(parsed.has_value());
        QVERIFY2(*parsed == value, qPrintable(QString::number(*parsed, 'g', 17)));
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
