#include "windows/Other.h"

#include "windows/ProgramIdentity.h"
#include "windows/SingleWindow.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

QPointer<Other> s_open;

struct Cell {
    int row;    // 0 to 2
    int column; // 0 to 7
    const char* caption;
};

// Letter index -> grid cell and caption. Read row by row, the cells follow the glyphs' byte values, so index 21
// (byte 0x44) stands first in the top row, and the third row leaves its first and last cells empty.
const Cell letters[Other::LetterCount] = {
    {0, 1, "{"},   {0, 2, "}"}, {0, 3, "\""},     {0, 4, "^"},   {0, 5, "v"},   {0, 6, "<"},
    {0, 7, ">"},   {1, 0, "h"}, {1, 1, "h"},      {1, 2, "h"},   {1, 3, "h"},   {1, 4, "h"},
    {1, 5, "h"},   {1, 6, "h"}, {1, 7, "<<"},     {2, 1, "(A)"}, {2, 2, "(B)"}, {2, 3, "(X)"},
    {2, 4, "(Y)"}, {2, 5, "|"}, {2, 6, "\u00A1"}, {0, 0, ">>"},
};

constexpr int Left = 15;
constexpr int Top = 14;
constexpr int Pitch = 32;
constexpr int ButtonSize = 25;

} // namespace

Other* Other::ShowInstance() {
    return ShowSingleWindow(s_open, [] { return new Other; });
}

Other* Other::Instance() {
    return OpenSingleWindow(s_open);
}

Other::Other() {
    SetUpSingleWindow(this, Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(ProgramIcon());
    setWindowTitle(tr("Other Characters"));
    setFixedSize(278, 117);

    // Made in index order, so the tab order follows the indexes.
    for (int index = 0; index < LetterCount; ++index) {
        const Cell& cell = letters[index];
        Letter[index] = new QPushButton(QString::fromUtf8(cell.caption), this);
        Letter[index]->setObjectName(QStringLiteral("Letter"));
        Letter[index]->setProperty("index", index);
        Letter[index]->setGeometry(Left + cell.column * Pitch, Top + cell.row * Pitch, ButtonSize, ButtonSize);
    }
    Letter[0]->setFocus();

    // A screen reader names each button by the glyph it stands for, as the "ROM Text" pane shows it, and tells
    // the glyph's byte, since the seven glyphs of the second row all show as the same sign.
    const std::pair<const char*, int> glyphs[LetterCount] = {
        {"{[", 0x4A},     {"]}", 0x4B},     {"\u201D", 0x4C}, {"^", 0x4D},      {"v", 0x4E},      {"<", 0x4F},
        {">", 0x50},      {"\u00A4", 0x52}, {"\u00A4", 0x53}, {"\u00A4", 0x54}, {"\u00A4", 0x55}, {"\u00A4", 0x56},
        {"\u00A4", 0x57}, {"\u00A4", 0x58}, {"\u00AB", 0x5A}, {"(A)", 0x5B},    {"(B)", 0x5C},    {"(X)", 0x5D},
        {"(Y)", 0x5E},    {"|", 0x5F},      {"\u00A1", 0x60}, {"\u00BB", 0x44},
    };
    for (int index = 0; index < LetterCount; ++index) {
        Letter[index]->setAccessibleName(QString::fromUtf8(glyphs[index].first));
        Letter[index]->setAccessibleDescription(
            tr("Byte 0x%1 of the game's text").arg(QString::number(glyphs[index].second, 16).toUpper()));
    }
}

// No button is a cancel button: Esc leaves the window open.
void Other::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
