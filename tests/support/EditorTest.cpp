#include "tests/support/EditorTest.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

void EditorTest::init() {
    m_session = std::make_unique<EditorSession>();
    QVERIFY(m_session->Exposed());
}

void EditorTest::cleanup() {
    m_session.reset();
    QVERIFY(!QApplication::activeModalWidget());
}

void EditorTest::ShowToolTip(QWidget* widget, QPoint at, QString& said) {
    QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    QTRY_VERIFY(QToolTip::isVisible());
    const QFontMetrics metrics(QToolTip::font());
    const QStringList lines = QToolTip::text().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= 80 * metrics.averageCharWidth(), qPrintable(line));
    said = lines.join(QLatin1Char(' '));
}
