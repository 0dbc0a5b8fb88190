// What a screen reader finds in each window: every control it can reach has a name, also those without a caption.
#include "codec/CharTable.h"
#include "editor/GameDialog.h"
#include "windows/About.h"
#include "windows/Other.h"

#include <QAccessible>
#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

using Opener = std::function<QWidget*()>;

struct Reached {
    QStringList names;
    QStringList nameless;
};

// Walks the accessibility tree as a screen reader does, skipping what is not shown. Focusable controls and
// buttons (the spinner arrows take no focus but take clicks) need a name.
void Walk(QAccessibleInterface* node, const QString& path, Reached& reached) {
    if (!node || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name).trimmed();
    const bool control = node->state().focusable || node->role() == QAccessible::PushButton;
    if (control && name.isEmpty())
        reached.nameless << path;
    if (control && !name.isEmpty())
        reached.names << name;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        const QObject* object = child ? child->object() : nullptr;
        const QString step = object && !object->objectName().isEmpty() ? object->objectName()
                             : object ? QString::fromLatin1(object->metaObject()->className())
                                      : QString::number(i);
        Walk(child, path + QLatin1Char('/') + step, reached);
    }
}

GameDialog* MainWindow(bool byteView) {
    auto* dialog = new GameDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (byteView)
        dialog->findChild<QAction*>(QStringLiteral("ViewByByte"))->trigger();
    dialog->show();
    return dialog;
}

} // namespace

Q_DECLARE_METATYPE(Opener)

class TestAccessibleNames : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void everyControlHasAName_data();
    void everyControlHasAName();
    void otherLettersTellTheirBytes();
};

void TestAccessibleNames::cleanup() {
    for (QWidget* window : QApplication::topLevelWidgets())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAccessibleNames::everyControlHasAName_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QStringList>("someNames");

    QTest::newRow("main window, index view")
        << Opener([] { return MainWindow(false); })
        << QStringList{"Bank", "Bank up", "Bank down", "Index", "Index up", "Index down", "ROM Text", "New Text"};
    QTest::newRow("main window, byte view")
        << Opener([] { return MainWindow(true); })
        << QStringList{"Starting Value", "Ending Value", "Write to OffSet", "Refresh View"};
    QTest::newRow("About") << Opener([]() -> QWidget* { return About::ShowInstance(); })
                           << QStringList{"OK", "Show Splash Screen"};
    QTest::newRow("Other Characters") << Opener([]() -> QWidget* { return Other::ShowInstance(); })
                                      << QStringList{"\u00BB", "{[", "\u00A4", "\u00A1"};
}

void TestAccessibleNames::everyControlHasAName() {
    QFETCH(Opener, open);
    QFETCH(QStringList, someNames);

    QWidget* window = open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    Reached reached;
    Walk(QAccessible::queryAccessibleInterface(window), window->objectName(), reached);
    QVERIFY2(reached.nameless.isEmpty(), qPrintable(QStringLiteral("no name: ") + reached.nameless.join(", ")));
    for (const QString& name : someNames)
        QVERIFY2(reached.names.contains(name),
                 qPrintable(name + QStringLiteral(" not among: ") + reached.names.join(", ")));
}

// Read row by row, the Other Characters buttons follow their glyphs' bytes. Each tells its byte and, as its name,
// the byte's text in the "ROM Text" pane: the seven whose glyphs all show as the same sign differ only by the byte.
void TestAccessibleNames::otherLettersTellTheirBytes() {
    Other* other = Other::ShowInstance();
    QVERIFY(QTest::qWaitForWindowExposed(other));
    QList<QPushButton*> letters = other->findChildren<QPushButton*>(QStringLiteral("Letter"));
    QCOMPARE(letters.size(), Other::LetterCount);
    std::sort(letters.begin(), letters.end(), [](const QPushButton* a, const QPushButton* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });

    const QRegularExpression hex(QStringLiteral("\\b0x([0-9A-F]{2})\\b"));
    int previous = -1;
    for (QPushButton* letter : letters) {
        QAccessibleInterface* told = QAccessible::queryAccessibleInterface(letter);
        const QString description = told->text(QAccessible::Description);
        const QRegularExpressionMatch match = hex.match(description);
        QVERIFY2(match.hasMatch(), qPrintable(letter->text() + QStringLiteral(": ") + description));
        const int byte = match.captured(1).toInt(nullptr, 16);
        QVERIFY2(byte > previous, qPrintable(description));
        QCOMPARE(told->text(QAccessible::Name),
                 QString::fromStdU16String(kyrel::BuiltCharTable().Lookup(std::uint8_t(byte))));
        previous = byte;
    }
}

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
