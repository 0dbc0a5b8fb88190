#pragma once

#include <QApplication>

#include <memory>

// Constructs the application object, which opens the display. If no display can be opened (none set, none
// reachable, or no window-system plugin that loads), it prints one line of ours instead of Qt's advice to
// reinstall and ends the process with status 1. Qt's messages held back meanwhile are passed on afterwards.
[[nodiscard]] std::unique_ptr<QApplication> StartApplication(int& argc, char** argv);
