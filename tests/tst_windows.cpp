// The About box, the splash screen and the Other Characters window, driven through their real controls.

#include "windows/About.h"
#include "windows/Other.h"
#include "windows/ProgramIdentity.h"
#include "windows/Splash.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

template <class T> T* Find(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

QPushButton* Letter(QWidget* window, int index) {
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>(QStringLiteral("Letter"));
    for (QPushButton* button : buttons) {
        if (button->property("index").toInt() == index)
            return button;
    }
    return nullptr;
}

// Delivers the deletions that closing a window posts, as the event loop would.
void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Shows a window, or returns the open one (ShowInstance, Instance).
using Opener = std::function<QWidget*()>;
// Closes a window the way the user would.
using Closer = std::function<void(QWidget*)>;

// The types of the chunks of a PNG file, in file order.
QList<QByteArray> PngChunks(const QByteArray& png) {
    QList<QByteArray> chunks;
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const auto byteAt = [&png](qsizetype offset) { return quint32(quint8(png.at(offset))); };
        const quint32 length = byteAt(at) << 24 | byteAt(at + 1) << 16 | byteAt(at + 2) << 8 | byteAt(at + 3);
        chunks << png.mid(at + 4, 4);
        at += 12 + qsizetype(length);
    }
    return chunks;
}

// The 256-colour (8 bits a pixel) entry of the given size in a Windows icon file, decoded; a null image if the
// file has none.
QImage IcoEntry(const QString& path, int size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ico = file.readAll();
    const auto word = [&ico](qsizetype offset) {
        return int(quint8(ico.at(offset))) | int(quint8(ico.at(offset + 1))) << 8;
    };
    const int count = ico.size() >= 6 ? word(4) : 0;
    for (int entry = 0; entry < count && 6 + 16 * entry + 16 <= ico.size(); ++entry) {
        const qsizetype at = 6 + 16 * entry;
        if (int(quint8(ico.at(at))) != size || int(quint8(ico.at(at + 1))) != size || word(at + 6) != 8)
            continue;
        QImageReader reader(path, "ico");
        if (!reader.jumpToImage(entry))
            return {};
        return reader.read();
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Opener)
Q_DECLARE_METATYPE(Closer)

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void pictureFiles_data();
    void pictureFiles();
    void iconIsTheRedLetter_data();
    void iconIsTheRedLetter();

    void windowKind_data();
    void windowKind();
    void secondShowKeepsTheOpenWindow_data();
    void secondShowKeepsTheOpenWindow();
    void closingDestroys_data();
    void closingDestroys();

    void aboutTexts_data();
    void aboutTexts();
    void aboutFocusAndTabOrder();
    void aboutKeys_data();
    void aboutKeys();
    void showSplashScreenKeepsAboutOpen();
    void showSplashScreenAgainDoesNotReload();

    void labelsShowTheirWholeText_data();
    void labelsShowTheirWholeText();
    void splashTexts_data();
    void splashTexts();
    void splashIsCentred();
    void splashDrawsItsPicture();
    void splashFocusStaysOnOk();
    void splashKeys_data();
    void splashKeys();
    void splashOkClosesOnlyTheSplash();
    void splashGivesTheFocusBack_data();
    void splashGivesTheFocusBack();

    void otherLetters_data();
    void otherLetters();
    void otherTabOrder();
    void pressingALetterChangesNothing_data();
    void pressingALetterChangesNothing();
    void otherKeysCloseNothing_data();
    void otherKeysCloseNothing();
};

void TestWindows::cleanup() {
    const QPointer<QWidget> windows[] = {About::Instance(), Splash::Instance(), Other::Instance()};
    for (QWidget* window : windows) {
        if (window)
            window->close();
    }
    DeleteClosedWindows();
    for (const QPointer<QWidget>& window : windows)
        QVERIFY2(window.isNull(), "a closed window was not destroyed");
    QVERIFY(!About::Instance());
    QVERIFY(!Splash::Instance());
    QVERIFY(!Other::Instance());
}

// The pictures as stored: the icons with a palette of at most 256 colours and a transparency chunk, the splash
// picture in 24-bit colour with no transparency (PNG colour type 2, 8 bits a channel, no tRNS chunk).
void TestWindows::pictureFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colourType");
    QTest::addColumn<bool>("hasMask");

    QTest::newRow("program icon") << ":/pictures/ProgramIcon.png" << QSize(32, 32) << 3 << true;
    QTest::newRow("About picture") << ":/pictures/AboutPicture.png" << QSize(64, 64) << 3 << true;
    QTest::newRow("splash picture") << ":/pictures/SplashPicture.png" << QSize(256, 169) << 2 << false;
}

void TestWindows::pictureFiles() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, colourType);
    QFETCH(bool, hasMask);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray png = file.readAll();
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    const auto byteAt = [&png](int offset) { return int(quint8(png.at(offset))); };
    QCOMPARE(QSize(byteAt(16) << 24 | byteAt(17) << 16 | byteAt(18) << 8 | byteAt(19),
                   byteAt(20) << 24 | byteAt(21) << 16 | byteAt(22) << 8 | byteAt(23)),
             size);
    QCOMPARE(byteAt(24), 8); // bits per channel, or per palette index
    QCOMPARE(byteAt(25), colourType);
    const QList<QByteArray> chunks = PngChunks(png);
    QCOMPARE(chunks.value(0), QByteArray("IHDR"));
    QCOMPARE(chunks.value(chunks.size() - 1), QByteArray("IEND"));
    QCOMPARE(chunks.contains("PLTE"), colourType == 3);
    QCOMPARE(chunks.contains("tRNS"), hasMask);
}

// A mask, not soft edges: every pixel is fully shown or fully transparent, the corners are transparent, and the
// letter that covers the middle is red.
void TestWindows::iconIsTheRedLetter_data() {
    QTest::addColumn<QImage>("picture");
    QTest::newRow("program icon") << QImage(QStringLiteral(":/pictures/ProgramIcon.png"));
    QTest::newRow("About picture") << QImage(QStringLiteral(":/pictures/AboutPicture.png"));
    QTest::newRow("32 x 32, 256 colours, in the Windows icon file") << IcoEntry(QStringLiteral(KYREL_ICO_FILE), 32);
}

void TestWindows::iconIsTheRedLetter() {
    QFETCH(QImage, picture);
    QVERIFY(!picture.isNull());
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int shown = 0;
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(qAlpha(pixel) == 0 || qAlpha(pixel) == 255, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            if (qAlpha(pixel) == 255) {
                ++shown;
                if (qRed(pixel) > qGreen(pixel) + 40 && qRed(pixel) > qBlue(pixel) + 40)
                    ++red;
            }
        }
    }
    const int last = image.width() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
    QVERIFY2(shown > image.width() * image.height() / 4, "the letter is large");
    QVERIFY2(red > shown * 3 / 4, "the letter is red");

    QVERIFY(ProgramIcon().availableSizes().contains(QSize(32, 32)));
}

void TestWindows::windowKind_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QSize>("clientSize");
    QTest::addColumn<bool>("hasTitleBar");

    QTest::newRow("About") << Opener([] { return About::ShowInstance(); }) << QSize(382, 237) << true;
    QTest::newRow("Splash") << Opener([] { return Splash::ShowInstance(); }) << QSize(256, 191) << false;
    QTest::newRow("Other") << Opener([] { return Other::ShowInstance(); }) << QSize(278, 117) << true;
}

// Modeless, without an owner, out of the taskbar (a tool window), fixed in size, destroyed on closing, and counted
// among the windows that keep the program running.
void TestWindows::windowKind() {
    QFETCH(Opener, open);
    QFETCH(QSize, clientSize);
    QFETCH(bool, hasTitleBar);

    QWidget* window = open();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->parentWidget(), nullptr);
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->windowType(), Qt::Tool);
    QCOMPARE(window->contentsRect().size(), clientSize);
    QCOMPARE(window->minimumSize(), window->size());
    QCOMPARE(window->maximumSize(), window->size());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(window->testAttribute(Qt::WA_QuitOnClose));

    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(bool(flags & Qt::FramelessWindowHint), !hasTitleBar);
    if (hasTitleBar) {
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
    }
}

void TestWindows::secondShowKeepsTheOpenWindow_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QByteArray>("label");

    QTest::newRow("About") << Opener([] { return About::ShowInstance(); }) << QByteArray("lblVersion");
    QTest::newRow("Splash") << Opener([] { return Splash::ShowInstance(); }) << QByteArray("Version");
    QTest::newRow("Other") << Opener([] { return Other::ShowInstance(); }) << QByteArray("Letter");
}

// Showing an open window brings that one forward; there is never a second one, and its load step does not run
// again, so a label changed since is left as it is.
void TestWindows::secondShowKeepsTheOpenWindow() {
    QFETCH(Opener, open);
    QFETCH(QByteArray, label);

    QWidget* first = open();
    QObject* control = first->findChild<QObject*>(QString::fromLatin1(label));
    QVERIFY(control);
    control->setProperty("text", QStringLiteral("changed by hand"));
    const int windowsBefore = int(QApplication::topLevelWidgets().size());

    QWidget* second = open();
    QCOMPARE(second, first);
    QVERIFY(second->isVisible());
    QCOMPARE(control->property("text").toString(), QStringLiteral("changed by hand"));
    QCOMPARE(int(QApplication::topLevelWidgets().size()), windowsBefore);
}

void TestWindows::closingDestroys_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<Closer>("close");
    QTest::addColumn<Opener>("instance");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QString>("freshText");

    const auto click = [](const char* name) {
        return Closer([name](QWidget* window) { QTest::mouseClick(Find<QPushButton>(window, name), Qt::LeftButton); });
    };
    const Closer closeBox = [](QWidget* window) { window->close(); };
    const Opener showAbout = [] { return About::ShowInstance(); };
    const Opener showSplash = [] { return Splash::ShowInstance(); };
    const Opener showOther = [] { return Other::ShowInstance(); };
    const Opener about = [] { return About::Instance(); };
    const Opener splash = [] { return Splash::Instance(); };
    const Opener other = [] { return Other::Instance(); };

    QTest::newRow("About by OK") << showAbout << click("cmdOK") << about << QByteArray("lblVersion") << "Version 1.1.0";
    QTest::newRow("About by its close box")
        << showAbout << closeBox << about << QByteArray("lblVersion") << "Version 1.1.0";
    QTest::newRow("Splash by Ok") << showSplash << click("Command1") << splash << QByteArray("Version") << "Ver 1.1.0";
    // findChild finds the first Letter made, index 0.
    QTest::newRow("Other by its close box") << showOther << closeBox << other << QByteArray("Letter") << "{";
}

// Closing destroys the window; the next show makes it anew, with its load step run again.
void TestWindows::closingDestroys() {
    QFETCH(Opener, open);
    QFETCH(Closer, close);
    QFETCH(Opener, instance);
    QFETCH(QByteArray, label);
    QFETCH(QString, freshText);

    QPointer<QWidget> window = open();
    QCOMPARE(instance(), window.data());
    QWidget* control = Find<QWidget>(window, label.constData());
    QVERIFY(control);
    QCOMPARE(control->property("text").toString(), freshText);
    control->setProperty("text", QStringLiteral("changed by hand"));

    close(window);
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QCOMPARE(instance(), nullptr);
    DeleteClosedWindows();
    QVERIFY(window.isNull());

    QWidget* again = open();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(instance(), again);
    QCOMPARE(Find<QWidget>(again, label.constData())->property("text").toString(), freshText);
}

void TestWindows::aboutTexts_data() {
    QTest::addColumn<QByteArray>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");

    QTest::newRow("title") << QByteArray("lblTitle") << "Kyrel: Script Editor" << QRect(72, 48, 259, 16);
    QTest::newRow("version") << QByteArray("lblVersion") << "Version 1.1.0" << QRect(64, 80, 259, 15);
    QTest::newRow("description, ending in a blank")
        << QByteArray("lblDescription")
        << "This program was made for editing the text in Kyrel: Quillmere, in the format of *.smc "
        << QRect(64, 104, 259, 30);
    QTest::newRow("caution") << QByteArray("lblDisclaimer")
                             << "Caution: Be advised that this is not 100% error proof. Back up any and all files you "
                                "modify in case you need to restore the original"
                             << QRect(8, 176, 258, 39);
    QTest::newRow("splash button") << QByteArray("Command1") << "Show Splash Screen" << QRect(280, 168, 81, 33);
    QTest::newRow("OK button") << QByteArray("cmdOK") << "OK" << QRect(280, 208, 84, 23);
}

void TestWindows::aboutTexts() {
    QFETCH(QByteArray, control);
    QFETCH(QString, text);
    QFETCH(QRect, place);

    About* about = About::ShowInstance();
    QCOMPARE(about->windowTitle(), QStringLiteral("About Kyrel: Script Editor"));
    QWidget* widget = Find<QWidget>(about, control.constData());
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->geometry(), place);

    // The picture is shown at its own size, 64 x 64, in the top left corner.
    QLabel* picture = Find<QLabel>(about, "picIcon");
    QVERIFY(picture);
    QCOMPARE(picture->pixmap().size(), QSize(64, 64));
    QCOMPARE(picture->geometry(), QRect(8, 0, 64, 64));
}

// The focus starts on "OK"; the labels and the picture take none, so Tab goes between the two buttons.
void TestWindows::aboutFocusAndTabOrder() {
    About* about = About::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(about));
    QPushButton* ok = Find<QPushButton>(about, "cmdOK");
    QPushButton* showSplash = Find<QPushButton>(about, "Command1");
    QCOMPARE(QApplication::focusWidget(), ok);
    QVERIFY(ok->isDefault());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), showSplash);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), showSplash);

    // Once the focus leaves the box, the default frame goes back to "OK", also from "Show Splash Screen".
    QWidget standIn;
    standIn.show();
    standIn.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&standIn));
    QVERIFY(ok->isDefault());
    QVERIFY(!showSplash->isDefault());
}

void TestWindows::aboutKeys_data() {
    QTest::addColumn<QByteArray>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("aboutStaysOpen");
    QTest::addColumn<bool>("splashOpens");

    QTest::newRow("Esc on OK") << QByteArray("cmdOK") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("Esc on Show Splash Screen") << QByteArray("Command1") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("Enter on OK") << QByteArray("cmdOK") << int(Qt::Key_Return) << false << false;
    QTest::newRow("keypad Enter on OK") << QByteArray("cmdOK") << int(Qt::Key_Enter) << false << false;
    QTest::newRow("Space on OK") << QByteArray("cmdOK") << int(Qt::Key_Space) << false << false;
    QTest::newRow("Enter on Show Splash Screen") << QByteArray("Command1") << int(Qt::Key_Return) << true << true;
    QTest::newRow("keypad Enter on Show Splash Screen") << QByteArray("Command1") << int(Qt::Key_Enter) << true << true;
    QTest::newRow("Space on Show Splash Screen") << QByteArray("Command1") << int(Qt::Key_Space) << true << true;
}

// Esc closes the box wherever the focus is; Enter presses "OK", unless "Show Splash Screen" has the focus.
void TestWindows::aboutKeys() {
    QFETCH(QByteArray, focus);
    QFETCH(int, key);
    QFETCH(bool, aboutStaysOpen);
    QFETCH(bool, splashOpens);

    About* about = About::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(about));
    QPushButton* button = Find<QPushButton>(about, focus.constData());
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());

    QTest::keyClick(button, Qt::Key(key));
    QCOMPARE(About::Instance() != nullptr, aboutStaysOpen);
    QCOMPARE(Splash::Instance() != nullptr, splashOpens);
}

void TestWindows::showSplashScreenKeepsAboutOpen() {
    About* about = About::ShowInstance();
    QVERIFY(!Splash::Instance());
    QTest::mouseClick(Find<QPushButton>(about, "Command1"), Qt::LeftButton);

    Splash* splash = Splash::Instance();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QCOMPARE(Find<QLabel>(splash, "Version")->text(), QStringLiteral("Ver 1.1.0"));
    QCOMPARE(About::Instance(), about);
    QVERIFY(about->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), splash);
}

void TestWindows::showSplashScreenAgainDoesNotReload() {
    About* about = About::ShowInstance();
    QPushButton* showSplash = Find<QPushButton>(about, "Command1");
    QTest::mouseClick(showSplash, Qt::LeftButton);
    Splash* splash = Splash::Instance();
    QVERIFY(splash);
    Find<QLabel>(splash, "Version")->setText(QStringLiteral("changed by hand"));
    about->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(about));

    QTest::mouseClick(showSplash, Qt::LeftButton);
    QCOMPARE(Splash::Instance(), splash);
    QCOMPARE(Find<QLabel>(splash, "Version")->text(), QStringLiteral("changed by hand"));
    QCOMPARE(About::Instance(), about);
    QTRY_COMPARE(QApplication::activeWindow(), splash);
}

void TestWindows::labelsShowTheirWholeText_data() {
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QByteArray>("label");

    const Opener about = [] { return About::ShowInstance(); };
    const Opener splash = [] { return Splash::ShowInstance(); };
    for (const char* label : {"lblTitle", "lblVersion", "lblDescription", "lblDisclaimer"})
        QTest::addRow("About %s", label) << about << QByteArray(label);
    for (const char* label : {"Label1", "Version"})
        QTest::addRow("Splash %s", label) << splash << QByteArray(label);
}

// Every label's text fits its fixed box, no word and no line cut off, in the one font of all the window's labels.
void TestWindows::labelsShowTheirWholeText() {
    QFETCH(Opener, open);
    QFETCH(QByteArray, label);

    QWidget* window = open();
    QLabel* control = Find<QLabel>(window, label.constData());
    QVERIFY(control);
    for (const QLabel* other : window->findChildren<QLabel*>()) {
        if (other->pixmap().isNull())
            QCOMPARE(other->font(), control->font());
    }
    const QFontMetricsF metrics(control->font());
    if (control->wordWrap()) {
        QVERIFY2(control->heightForWidth(control->width()) <= control->height(),
                 qPrintable(QStringLiteral("needs %1 pixels, has %2")
                                .arg(control->heightForWidth(control->width()))
                                .arg(control->height())));
    } else {
        QVERIFY(metrics.horizontalAdvance(control->text()) <= control->width());
        QVERIFY(metrics.height() <= control->height());
    }
}

void TestWindows::splashTexts_data() {
    QTest::addColumn<QByteArray>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("title") << QByteArray("Label1") << "Kyrel: Script Editor";
    QTest::newRow("version") << QByteArray("Version") << "Ver 1.1.0";
    QTest::newRow("button") << QByteArray("Command1") << "Ok";
}

void TestWindows::splashTexts() {
    QFETCH(QByteArray, control);
    QFETCH(QString, text);

    Splash* splash = Splash::ShowInstance();
    QWidget* widget = Find<QWidget>(splash, control.constData());
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
    QVERIFY(widget->isVisible());
}

void TestWindows::splashIsCentred() {
    Splash* splash = Splash::ShowInstance();
    const QPoint offset = splash->frameGeometry().center() - splash->screen()->geometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off centre by (%1, %2)").arg(offset.x()).arg(offset.y())));
}

// The artwork fills the top 256 x 169 pixels of the client area unscaled; the strip below keeps the plain background
// colour. Around the client area the window draws a raised frame: light at the top left, dark at the bottom right.
void TestWindows::splashDrawsItsPicture() {
    Splash* splash = Splash::ShowInstance();
    const QRect client = splash->contentsRect();
    QVERIFY(client.left() > 0 && client.top() > 0);
    QCOMPARE(client.topLeft(), QPoint(splash->width() - 1, splash->height() - 1) - client.bottomRight());
    const QImage window = splash->grab().toImage();
    const int background = qGray(splash->palette().color(QPalette::Window).rgb());
    QVERIFY(qGray(window.pixel(0, 0)) > background);
    QVERIFY(qGray(window.pixel(window.width() - 1, window.height() - 1)) < background);

    const QImage shown = splash->grab(client).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(QStringLiteral(":/pictures/SplashPicture.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(256, 191));
    for (const QPoint point : {QPoint(0, 0), QPoint(128, 30), QPoint(40, 120), QPoint(200, 100), QPoint(255, 168)})
        QCOMPARE(shown.pixel(point), picture.pixel(point));
    QCOMPARE(QColor(shown.pixel(2, 185)), splash->palette().color(QPalette::Window));
}

// "Ok" is the only control that takes the focus.
void TestWindows::splashFocusStaysOnOk() {
    Splash* splash = Splash::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(splash));
    QPushButton* ok = Find<QPushButton>(splash, "Command1");
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);
}

void TestWindows::splashKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << false;
}

// "Ok" is neither default nor cancel button: Esc does nothing; Enter and Space press "Ok" because it has the focus.
void TestWindows::splashKeys() {
    QFETCH(int, key);
    QFETCH(bool, staysOpen);

    Splash* splash = Splash::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(splash));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(Splash::Instance() != nullptr, staysOpen);
    if (staysOpen)
        QCOMPARE(Splash::Instance(), splash);
}

void TestWindows::splashOkClosesOnlyTheSplash() {
    About* about = About::ShowInstance();
    QTest::mouseClick(Find<QPushButton>(about, "Command1"), Qt::LeftButton);
    Splash* splash = Splash::Instance();
    QVERIFY(splash);

    QTest::mouseClick(Find<QPushButton>(splash, "Command1"), Qt::LeftButton);
    QVERIFY(!Splash::Instance());
    QCOMPARE(About::Instance(), about);
    QVERIFY(about->isVisible());
}

void TestWindows::otherLetters_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    // Read row by row, the buttons follow the byte values of the glyphs in the game's text.
    const struct {
        int index;
        const char* caption;
    } rows[3][8] = {
        {{21, ">>"}, {0, "{"}, {1, "}"}, {2, "\""}, {3, "^"}, {4, "v"}, {5, "<"}, {6, ">"}},
        {{7, "h"}, {8, "h"}, {9, "h"}, {10, "h"}, {11, "h"}, {12, "h"}, {13, "h"}, {14, "<<"}},
        {{-1, ""}, {15, "(A)"}, {16, "(B)"}, {17, "(X)"}, {18, "(Y)"}, {19, "|"}, {20, "\u00A1"}, {-1, ""}},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 8; ++column) {
            if (rows[row][column].index < 0)
                continue;
            QTest::addRow("Letter %d", rows[row][column].index)
                << rows[row][column].index << QString::fromUtf8(rows[row][column].caption) << row << column;
        }
    }
}

// Each button: its caption, 25 x 25 pixels in its 32-pixel cell of the 3 x 8 grid; the two corner cells of the
// third row stay empty.
void TestWindows::otherLetters() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(int, row);
    QFETCH(int, column);

    Other* other = Other::ShowInstance();
    QCOMPARE(other->windowTitle(), QStringLiteral("Other Characters"));
    QCOMPARE(other->findChildren<QPushButton*>(QStringLiteral("Letter")).size(), 22);
    QPushButton* letter = Letter(other, index);
    QVERIFY(letter);
    QCOMPARE(letter->text(), caption);
    QCOMPARE(letter->geometry(), QRect(15 + 32 * column, 14 + 32 * row, 25, 25));
    QVERIFY(letter->isVisible());

    for (const QPoint emptyCell : {QPoint(15 + 12, 14 + 64 + 12), QPoint(15 + 7 * 32 + 12, 14 + 64 + 12)})
        QCOMPARE(other->childAt(emptyCell), nullptr);
}

// The focus starts on Letter 0 and Tab follows the indexes, so the first cell of the top row, Letter 21, comes last.
void TestWindows::otherTabOrder() {
    Other* other = Other::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(other));
    QCOMPARE(QApplication::focusWidget(), Letter(other, 0));
    for (int index = 1; index <= 22; ++index) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Letter(other, index % 22));
    }
}

void TestWindows::pressingALetterChangesNothing_data() {
    QTest::addColumn<int>("index");
    for (int index = 0; index < Other::LetterCount; ++index)
        QTest::addRow("Letter %d", index) << index;
}

// Display only: a pressed button inserts no text anywhere, opens nothing, closes nothing and changes no caption.
void TestWindows::pressingALetterChangesNothing() {
    QFETCH(int, index);

    QLineEdit standIn(QStringLiteral("New Text"));
    standIn.show();
    QVERIFY(QTest::qWaitForWindowActive(&standIn));
    standIn.setCursorPosition(3);

    Other* other = Other::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(other));
    QStringList captions;
    for (int i = 0; i < Other::LetterCount; ++i)
        captions << Letter(other, i)->text();
    const QList<QWidget*> windowsBefore = QApplication::topLevelWidgets();

    QPushButton* letter = Letter(other, index);
    QSignalSpy clicks(letter, &QPushButton::clicked);
    QTest::mouseClick(letter, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1); // the press did arrive

    QCOMPARE(Other::Instance(), other);
    QVERIFY(other->isVisible());
    QCOMPARE(QApplication::topLevelWidgets(), windowsBefore);
    QCOMPARE(other->windowTitle(), QStringLiteral("Other Characters"));
    for (int i = 0; i < Other::LetterCount; ++i)
        QCOMPARE(Letter(other, i)->text(), captions.at(i));
    QCOMPARE(standIn.text(), QStringLiteral("New Text"));
    QCOMPARE(standIn.cursorPosition(), 3);
    QVERIFY(!About::Instance());
    QVERIFY(!Splash::Instance());
    QCOMPARE(QApplication::focusWidget(), letter);
}

void TestWindows::otherKeysCloseNothing_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

// No default and no cancel button: no key closes the window.
void TestWindows::otherKeysCloseNothing() {
    QFETCH(int, key);
    Other* other = Other::ShowInstance();
    QVERIFY(QTest::qWaitForWindowActive(other));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(Other::Instance(), other);
    QVERIFY(other->isVisible());
}

void TestWindows::splashGivesTheFocusBack_data() {
    QTest::addColumn<bool>("fromAbout");
    QTest::newRow("shown from the About box") << true;
    QTest::newRow("shown from another window") << false;
}

// When "Ok" closes the splash screen, the window that showed it is active again, not some other open window.
void TestWindows::splashGivesTheFocusBack() {
    QFETCH(bool, fromAbout);

    QWidget standIn;
    standIn.show();
    About* about = About::ShowInstance();
    QWidget* from = fromAbout ? static_cast<QWidget*>(about) : &standIn;
    from->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(from));
    if (fromAbout)
        QTest::mouseClick(Find<QPushButton>(about, "Command1"), Qt::LeftButton);
    else
        Splash::ShowInstance();
    Splash* splash = Splash::Instance();
    QVERIFY(splash);
    QTRY_COMPARE(QApplication::activeWindow(), splash);
    // Another window was the last one active before the splash screen, so it would be the platform's own choice.
    (fromAbout ? &standIn : static_cast<QWidget*>(about))->activateWindow();
    splash->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), splash);

    QTest::mouseClick(Find<QPushButton>(splash, "Command1"), Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), from);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
