#include "windows/Splash.h"

#include "windows/FittingFont.h"
#include "windows/ProgramIdentity.h"
#include "windows/SingleWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

namespace {

QPointer<Splash> s_open;

struct Placement {
    QWidget* control;
    const char* name;
    QRect rect;
};

} // namespace

Splash* Splash::ShowInstance() {
    QWidget* from = QApplication::activeWindow();
    Splash* splash = ShowSingleWindow(s_open, [] {
        auto* splash = new Splash;
        splash->Form_Load();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = splash->frameGeometry();
            frame.moveCenter(screen->geometry().center());
            splash->move(frame.topLeft());
        }
        return splash;
    });
    if (from != splash)
        splash->m_cameFrom = from;
    return splash;
}

Splash* Splash::Instance() {
    return OpenSingleWindow(s_open);
}

Splash::Splash() : m_picture(QStringLiteral(":/pictures/SplashPicture.png")) {
    // A fixed frame without a title bar. Window systems differ in whether they draw a border for a window without a
    // title, so the window draws its raised frame itself around its client area. A tool window, unlike a splash-type
    // one, is given the keyboard focus, which "Ok" needs for Enter and Space.
    SetUpSingleWindow(this, Qt::FramelessWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(ProgramIcon());
    setContentsMargins(FrameWidth, FrameWidth, FrameWidth, FrameWidth);
    setFixedSize(256 + 2 * FrameWidth, 191 + 2 * FrameWidth);

    Label1 = new QLabel(ProgramTitle(), this);
    Version = new QLabel(this);
    Version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Command1 = new QPushButton(tr("Ok"), this); // made last, so it lies over both labels

    const Placement layout[] = {
        {Label1, "Label1", {8, 176, 97, 17}},
        {Command1, "Command1", {104, 168, 65, 17}},
        {Version, "Version", {144, 176, 105, 17}},
    };
    for (const Placement& place : layout) {
        place.control->setObjectName(QString::fromLatin1(place.name));
        place.control->setGeometry(place.rect.translated(FrameWidth, FrameWidth));
    }
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Splash::Command1_Click);
}

void Splash::Form_Load() {
    Version->setText(tr("Ver %1").arg(ProgramVersionText()));
    // One font for the window's captions, small enough for each to fit its place.
    setFont(FittingFont(font(), {Label1, Version}));
}

// There is no cancel button: Esc leaves the splash screen open.
void Splash::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The artwork is the client area's background, unscaled; the strip below it keeps the plain background colour.
void Splash::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
    painter.drawPixmap(contentsRect().topLeft(), m_picture);
}

// The window that showed the splash screen, the About box for one, gets the focus back.
void Splash::Command1_Click() {
    close();
    if (m_cameFrom && m_cameFrom->isVisible())
        m_cameFrom->activateWindow();
}
