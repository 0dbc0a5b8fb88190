#include "windows/About.h"

#include "windows/FittingFont.h"
#include "windows/ProgramIdentity.h"
#include "windows/SingleWindow.h"
#include "windows/Splash.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

QPointer<About> s_open;

struct Placement {
    QWidget* control;
    const char* name;
    QRect rect;
};

// The title, the description and the caution are always black.
void MakeBlack(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

// "Show Splash Screen" is too long for one line of its 81-pixel button, which is tall enough for two: the caption
// wraps, as a plain QPushButton's cannot.
class WrappingButton final : public QPushButton {
public:
    WrappingButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        style()->drawItemText(&painter, area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, option.palette,
                              isEnabled(), text(), QPalette::ButtonText);
    }
};

QWidget* MakeLine(QWidget* parent, int index, const QColor& colour) {
    auto* line = new QWidget(parent);
    line->setProperty("index", index);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

} // namespace

About* About::ShowInstance() {
    return ShowSingleWindow(s_open, [] {
        auto* about = new About;
        about->Form_Load();
        return about;
    });
}

About* About::Instance() {
    return OpenSingleWindow(s_open);
}

About::About() {
    SetUpSingleWindow(this, Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(ProgramIcon());
    setFixedSize(382, 237);

    picIcon = new QLabel(this);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/pictures/AboutPicture.png")));
    lblTitle = new QLabel(this);
    lblVersion = new QLabel(this);
    lblDescription =
        new QLabel(tr("This program was made for editing the text in Kyrel: Quillmere, in the format of *.smc "), this);
    Line1[0] = MakeLine(this, 0, Qt::white);
    Line1[1] = MakeLine(this, 1, QColor(128, 128, 128));
    lblDisclaimer = new QLabel(tr("Caution: Be advised that this is not 100% error proof. Back up any and "
                                  "all files you modify in case you need to restore the original"),
                               this);
    Command1 = new WrappingButton(tr("Show Splash Screen"), this);
    cmdOK = new QPushButton(tr("OK"), this);

    const Placement layout[] = {
        {picIcon, "picIcon", {8, 0, 64, 64}},
        {lblTitle, "lblTitle", {72, 48, 259, 16}},
        {lblVersion, "lblVersion", {64, 80, 259, 15}},
        {lblDescription, "lblDescription", {64, 104, 259, 30}},
        {Line1[0], "Line1", {6, 160, 372, 2}},
        {Line1[1], "Line1", {6, 160, 372, 1}},
        {lblDisclaimer, "lblDisclaimer", {8, 176, 258, 39}},
        {Command1, "Command1", {280, 168, 81, 33}},
        {cmdOK, "cmdOK", {280, 208, 84, 23}},
    };
    for (const Placement& place : layout) {
        place.control->setObjectName(QString::fromLatin1(place.name));
        place.control->setGeometry(place.rect);
    }
    for (QLabel* label : {lblTitle, lblDescription, lblDisclaimer})
        MakeBlack(label);
    for (QLabel* label : {lblTitle, lblVersion, lblDescription, lblDisclaimer})
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setWordWrap(true);
    lblDisclaimer->setWordWrap(true);

    // "OK" is the default button for Enter; a focused "Show Splash Screen" takes Enter for itself, as QDialog's
    // auto-default buttons do. The picture and the labels take no focus, so Tab goes between the two buttons.
    cmdOK->setDefault(true);
    QWidget* const tabOrder[] = {cmdOK, picIcon, lblDescription, lblDisclaimer, lblTitle, lblVersion, Command1};
    for (int i = 1; i < int(std::size(tabOrder)); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &About::cmdOK_Click);
    connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);
}

void About::Form_Load() {
    setWindowTitle(tr("About %1").arg(ProgramTitle()));
    lblVersion->setText(tr("Version %1").arg(ProgramVersionText()));
    lblTitle->setText(ProgramTitle());
    // One font for the window's captions, small enough for each to fit its place.
    setFont(FittingFont(font(), {lblTitle, lblVersion, lblDescription, lblDisclaimer}));
}

// Esc anywhere in the box presses "OK", the cancel button.
void About::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void About::cmdOK_Click() {
    close();
}

void About::Command1_Click() {
    Splash::ShowInstance();
}
