// Where the main window opens: inside the screen's available area, moved no further than that needs. Run on a
// 1280x1024 screen at scale factor 2, where the window's usual place runs off the right and bottom edges.
#include "editor/GameDialog.h"
#include "windows/KeepOnScreen.h"

#include <QScreen>
#include <QStyle>
#include <QTest>

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    void fitInside_data();
    void fitInside();
    void mainWindowLiesOnItsScreen();
};

void TestPlacement::fitInside_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("fits: stays") << QRect(239, 200, 550, 405) << screen << QPoint(239, 200);
    QTest::newRow("fits exactly in the corner") << QRect(730, 619, 550, 405) << screen << QPoint(730, 619);
    QTest::newRow("runs off the right") << QRect(900, 200, 550, 405) << screen << QPoint(730, 200);
    QTest::newRow("runs off the bottom") << QRect(239, 700, 550, 405) << screen << QPoint(239, 619);
    QTest::newRow("scale 2: off right and bottom")
        << QRect(239, 190, 550, 415) << QRect(0, 0, 640, 512) << QPoint(90, 97);
    QTest::newRow("above and left of the area") << QRect(-40, -10, 550, 405) << screen << QPoint(0, 0);
    QTest::newRow("below a panel") << QRect(239, 10, 550, 405) << QRect(0, 32, 1280, 992) << QPoint(239, 32);
    QTest::newRow("second screen on the right")
        << QRect(1500, 800, 550, 405) << QRect(1280, 0, 1024, 768) << QPoint(1500, 363);
    QTest::newRow("wider and taller: top-left shows")
        << QRect(239, 190, 550, 415) << QRect(0, 0, 400, 300) << QPoint(0, 0);
    QTest::newRow("taller only: top shows, left stays")
        << QRect(20, 190, 550, 415) << QRect(0, 0, 800, 300) << QPoint(20, 0);
}

void TestPlacement::fitInside() {
    QFETCH(QRect, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    QCOMPARE(FitInside(frame, available), expected);
}

void TestPlacement::mainWindowLiesOnItsScreen() {
    GameDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect available = dialog.screen()->availableGeometry();
    const QRect frame = dialog.frameGeometry();
    // The window's usual place does not fit this screen, so the test means something only if that is so.
    QVERIFY2(239 + frame.width() > available.right(), "the screen is large enough for the window as it is");
    QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("window %1,%2 %3x%4 on a screen of %5x%6")
                                                       .arg(frame.x())
                                                       .arg(frame.y())
                                                       .arg(frame.width())
                                                       .arg(frame.height())
                                                       .arg(available.width())
                                                       .arg(available.height())));
    // Moved just enough: up to the right edge, give or take the window border that was guessed before it showed.
    QVERIFY2(available.right() - frame.right() <= dialog.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth),
             qPrintable(QString::number(frame.right())));
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
