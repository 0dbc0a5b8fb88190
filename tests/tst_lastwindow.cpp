// The program ends when its last window closes, not before: an About box, splash screen or Other Characters window
// left open keeps it running after the main window closed. The Messages window closes with the main window: its
// rows open messages in it.
//
// Qt only ends the program from inside its event loop: closing the last window that counts posts a quit request
// to the application. Each test runs the event loop, closes the windows from inside it one at a time, and after
// each closing delivers the posted events at once, so a quit request shows up right after the closing that made it.

#include "editor/GameDialog.h"
#include "editor/MessageList.h"
#include "windows/About.h"
#include "windows/Other.h"
#include "windows/Splash.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Counts the quit requests that reach the application, and lets them through.
class QuitRequests : public QObject {
public:
    QuitRequests() { qApp->installEventFilter(this); }
    ~QuitRequests() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::Quit)
            ++count;
        return false;
    }
};

using Opener = std::function<QWidget*(GameDialog&)>;
using Closer = std::function<void(QWidget*)>;

void Press(QWidget* window, const char* button) {
    QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

} // namespace

Q_DECLARE_METATYPE(Opener)
Q_DECLARE_METATYPE(Closer)

class TestLastWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void closingTheOnlyWindowEnds();
    void mainWindowClosesFirst_data();
    void mainWindowClosesFirst();
    void splashOutlivesTheAboutBox();
};

void TestLastWindow::cleanup() {
    for (QWidget* window : QApplication::topLevelWidgets())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!About::Instance());
    QVERIFY(!Splash::Instance());
    QVERIFY(!Other::Instance());
    QVERIFY(!MessageList::Instance());
}

// The yardstick for the test below: with nothing else open, closing the main window ends the program.
void TestLastWindow::closingTheOnlyWindowEnds() {
    QVERIFY(QApplication::quitOnLastWindowClosed());
    QMainWindow main;
    main.show();
    QuitRequests quits;
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);

    QTimer::singleShot(0, this, [&] {
        main.close();
        QCoreApplication::sendPostedEvents();
        if (quits.count == 0)
            QCoreApplication::exit(1); // the program would have kept running
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(quits.count, 1);
    QCOMPARE(lastClosed.size(), 1);
    QCOMPARE(quitting.size(), 1);
}

void TestLastWindow::mainWindowClosesFirst_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<Closer>("close");
    QTest::addColumn<bool>("outlives"); // the window opened stays open, and the program runs on

    QTest::newRow("About box, closed by OK") << Opener([](GameDialog&) { return About::ShowInstance(); })
                                             << Closer([](QWidget* about) { Press(about, "cmdOK"); }) << true;
    QTest::newRow("splash screen, closed by Ok") << Opener([](GameDialog&) { return Splash::ShowInstance(); })
                                                 << Closer([](QWidget* splash) { Press(splash, "Command1"); }) << true;
    QTest::newRow("Other Characters, closed by its close box")
        << Opener([](GameDialog&) { return Other::ShowInstance(); }) << Closer([](QWidget* other) { other->close(); })
        << true;
    const auto messages = [](GameDialog& main) {
        main.ViewMessages_Click();
        return MessageList::Instance();
    };
    QTest::newRow("Messages window: closes with it, and the program ends")
        << Opener(messages) << Closer([](QWidget* list) { list->close(); }) << false;
    QTest::newRow("Messages window and About box: the About box alone stays") << Opener([messages](GameDialog& main) {
        messages(main);
        return About::ShowInstance();
    }) << Closer([](QWidget* about) { Press(about, "cmdOK"); }) << true;
}

void TestLastWindow::mainWindowClosesFirst() {
    QFETCH(Opener, open);
    QFETCH(Closer, close);
    QFETCH(bool, outlives);

    GameDialog main;
    main.show();
    QPointer<QWidget> window = open(main);
    QVERIFY(window);
    QuitRequests quits;
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);

    int quitsAfterMain = -1;
    qsizetype lastClosedAfterMain = -1;
    bool openAfterMain = false;
    bool listAfterMain = true;
    QTimer::singleShot(0, this, [&] {
        main.close();
        QCoreApplication::sendPostedEvents();
        quitsAfterMain = quits.count;
        lastClosedAfterMain = lastClosed.size();
        openAfterMain = window && window->isVisible();
        listAfterMain = MessageList::Instance() != nullptr;
        if (window && window->isVisible())
            close(window);
        QCoreApplication::sendPostedEvents();
        if (quits.count == 0)
            QCoreApplication::exit(1); // the program would have kept running
    });
    QCOMPARE(QApplication::exec(), 0);

    QCOMPARE(quitsAfterMain, outlives ? 0 : 1);
    QCOMPARE(lastClosedAfterMain, outlives ? 0 : 1);
    QCOMPARE(openAfterMain, outlives);
    QVERIFY2(!listAfterMain, "the Messages window outlived the main window");
    QCOMPARE(quits.count, 1);
    QCOMPARE(lastClosed.size(), 1);
    QCOMPARE(quitting.size(), 1);
}

// The splash screen opened from the About box keeps the program running after both the main window and the About
// box closed.
void TestLastWindow::splashOutlivesTheAboutBox() {
    QMainWindow main;
    main.show();
    QPointer<About> about = About::ShowInstance();
    Press(about, "Command1");
    QPointer<Splash> splash = Splash::Instance();
    QVERIFY(splash);
    QuitRequests quits;

    QList<int> quitsAfterEachClosing;
    bool splashOpenBeforeLast = false;
    QTimer::singleShot(0, this, [&] {
        main.close();
        QCoreApplication::sendPostedEvents();
        quitsAfterEachClosing << quits.count;
        if (about)
            Press(about, "cmdOK");
        QCoreApplication::sendPostedEvents();
        quitsAfterEachClosing << quits.count;
        splashOpenBeforeLast = splash && splash->isVisible();
        if (splash)
            Press(splash, "Command1");
        QCoreApplication::sendPostedEvents();
        quitsAfterEachClosing << quits.count;
        if (quits.count == 0)
            QCoreApplication::exit(1);
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(quitsAfterEachClosing, QList<int>({0, 0, 1}));
    QVERIFY(splashOpenBeforeLast);
}

QTEST_MAIN(TestLastWindow)
#include "tst_lastwindow.moc"
