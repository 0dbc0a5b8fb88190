#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

// The path as the file layer takes it: UTF-16 on Windows, the local 8-bit encoding elsewhere. Header-only, so
// that the tests of the file layer use the same conversion without linking the windows.
[[nodiscard]] inline std::filesystem::path ToFsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}
