#include "windows/Splash.h"

#include "windows/ProgramIdentity.h"
#include "windows/ShrinkToFit.h"
#include "windows/SingleWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

QPointer<Splash> s_open;

struct Placement {
    QWidget* control;
    const char* name;
    QRect rect;
};

} // namespace

Splash* Splash::ShowInstance() {
    return ShowSingleWindow(s_open, [] {
        auto* splash = new Splash;
        splash->Form_Load();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = splash->frameGeometry();
            frame.moveCenter(screen->geometry().center());
            splash->move(frame.topLeft());
        }
        return splash;
    });
}

Splash* Splash::Instance() {
    return OpenSingleWindow(s_open);
}

Splash::Splash() : m_picture(QStringLiteral(":/pictures/SplashPicture.png")) {
    // Frameless: no caption and no buttons in a title bar. A tool window, unlike a splash-type one, is given the
    // keyboard focus, which "Ok" needs for Enter and Space.
    SetUpSingleWindow(this, Qt::FramelessWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(ProgramIcon());
    setFixedSize(256, 191);

    Label1 = new QLabel(QStringLiteral("Kyrel: Script Editor"), this);
    Version = new QLabel(this);
    Version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Command1 = new QPushButton(QStringLiteral("Ok"), this); // made last, so it lies over both labels

    const Placement layout[] = {
        {Label1, "Label1", {8, 176, 97, 17}},
        {Command1, "Command1", {104, 168, 65, 17}},
        {Version, "Version", {144, 176, 105, 17}},
    };
    for (const Placement& place : layout) {
        place.control->setObjectName(QString::fromLatin1(place.name));
        place.control->setGeometry(place.rect);
    }
    ShrinkToFit(Label1);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Splash::Command1_Click);
}

void Splash::Form_Load() {
    Version->setText(QStringLiteral("Ver ") + ProgramVersionText());
}

// There is no cancel button: Esc leaves the splash screen open.
void Splash::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The artwork is the window's background, unscaled; the strip below it keeps the plain background colour.
void Splash::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void Splash::Command1_Click() {
    close();
}
