#pragma once

#include "windows/ProgramVersion.h"

#include <QIcon>
#include <QString>

// The program's title, "Kyrel: Script Editor", as the About box, the splash screen and the desktop show it.
[[nodiscard]] QString ProgramTitle();

// The major, minor and revision numbers joined by ".", without padding: "1.1.0".
[[nodiscard]] QString ProgramVersionText();

// The red bevelled K, the window icon of the main window, the About box and the Other Characters window.
[[nodiscard]] QIcon ProgramIcon();
