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
    void clientInside_data();
    void clientInside();
    void beside_data();
    void beside();
    void pushedUp_data();
    void pushedUp();
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

// The frame around the client area comes along: a window moved back onto the screen keeps its title bar and border
// on it, and its client area lies that much further in.
void TestPlacement::clientInside_data() {
    QTest::addColumn<QRect>("client");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1280, 1024);
    const QMargins frame(4, 30, 4, 4);
    QTest::newRow("no frame: as the frame would move")
        << QRect(900, 200, 550, 405) << QMargins() << screen << QPoint(730, 200);
    QTest::newRow("fits with its frame: stays") << QRect(239, 200, 550, 405) << frame << screen << QPoint(239, 200);
    QTest::newRow("pushed up: the title bar stays on the screen")
        << QRect(239, 10, 550, 405) << frame << screen << QPoint(239, 30);
    QTest::newRow("pushed up below a panel")
        << QRect(239, 10, 550, 405) << frame << QRect(0, 32, 1280, 992) << QPoint(239, 62);
    QTest::newRow("pushed right: the border stays on the screen")
        << QRect(-10, 200, 550, 405) << frame << screen << QPoint(4, 200);
    QTest::newRow("off right and bottom: the frame's far edges on the screen")
        << QRect(900, 700, 550, 405) << frame << screen << QPoint(726, 615);
    QTest::newRow("taller than the area: the title bar shows")
        << QRect(20, 190, 550, 415) << frame << QRect(0, 0, 800, 300) << QPoint(20, 30);
}

void TestPlacement::clientInside() {
    QFETCH(QRect, client);
    QFETCH(QMargins, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    QCOMPARE(ClientInside(client, frame, available), expected);
}

// The Messages window beside the main window, on the screen: the side with room, else covering the least of it.
void TestPlacement::beside_data() {
    QTest::addColumn<QRect>("other");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("expected");

    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("room on the right") << QRect(20, 100, 554, 435) << screen << QRect(574, 100, 648, 470);
    QTest::newRow("none on the right: on the left") << QRect(700, 100, 554, 435) << screen << QRect(52, 100, 648, 470);
    QTest::newRow("low on the screen: slid up along the side")
        << QRect(20, 600, 554, 405) << screen << QRect(574, 554, 648, 470);
    QTest::newRow("at its usual place: narrowed to the room on the right")
        << QRect(235, 178, 556, 427) << screen << QRect(791, 178, 489, 470);
    QTest::newRow("wide window: below it") << QRect(300, 50, 700, 400) << screen << QRect(300, 450, 648, 470);
    QTest::newRow("wide window low on the screen: above it")
        << QRect(300, 560, 700, 400) << screen << QRect(300, 90, 648, 470);
    QTest::newRow("second screen on the right")
        << QRect(1300, 100, 554, 435) << QRect(1280, 0, 1280, 1024) << QRect(1854, 100, 648, 470);
    // 800x600: no side has room even for 420x300, and the screen's top-left corner covers the least.
    QTest::newRow("800x600: covers the least of it")
        << QRect(239, 165, 554, 435) << QRect(0, 0, 800, 600) << QRect(0, 0, 648, 470);
    // Centred: both top corners cover as little, and the first of them, on the left, is taken.
    QTest::newRow("800x600, centred: the first of two that cover as little")
        << QRect(123, 83, 554, 435) << QRect(0, 0, 800, 600) << QRect(0, 0, 648, 470);
}

void TestPlacement::beside() {
    QFETCH(QRect, other);
    QFETCH(QRect, available);
    QFETCH(QRect, expected);
    QCOMPARE(Beside(other, QSize(648, 470), QSize(420, 300), available), expected);
}

// Before a window is shown the window system has told nothing of its frame (here it never does): the title bar Qt
// draws stands in for it, so a window pushed up keeps room for it above the client area.
void TestPlacement::pushedUp_data() {
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("with a title bar") << true;
    QTest::newRow("frameless: right to the top") << false;
}

void TestPlacement::pushedUp() {
    QFETCH(bool, titleBar);
    QWidget window(nullptr, titleBar ? Qt::Window : Qt::Window | Qt::FramelessWindowHint);
    const QRect available = window.screen()->availableGeometry();
    window.setGeometry(available.left() + 40, available.top() - 30, 200, 100);
    KeepOnScreen(&window);
    const int title = titleBar ? window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) : 0;
    QVERIFY(title > 0 || !titleBar);
    QCOMPARE(window.geometry(), QRect(available.left() + 40, available.top() + title, 200, 100));
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
