#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

namespace kyrel::testing {

namespace {

// The immutable flag stops root too, where the file system has it.
bool SetImmutable(const QString& path, bool on) {
    return QProcess::execute(QStringLiteral("chattr"), {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
}

// Puts what the kind says in the place of what stands at the path: nothing, a folder or a pipe.
bool Replace(const QString& path, FileKind kind) {
    QFile::remove(path);
    QDir().rmdir(path);
    if (QFileInfo::exists(path))
        return false;
    if (kind == FileKind::Directory)
        return QDir().mkdir(path);
    return kind != FileKind::Pipe || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

QString SaveRom(const QString& path, const SyntheticRom& rom) {
    if (!rom.Save(FsPath(path)).ok())
        qFatal("cannot save a test ROM");
    return path;
}

std::vector<std::uint8_t> RomBytes(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) // a pipe would wait for a writer
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

OddFile::OddFile(const QString& path, FileKind kind) : m_path(path) {
    const auto take = [&](QFileDevice::Permissions left) {
        m_taken = QFile::permissions(path);
        return QFile::setPermissions(path, left);
    };
    if (kind == FileKind::Regular) {
        m_made = QFileInfo(path).isFile();
    } else if (kind == FileKind::Unreadable) {
        m_made = take({});
        if (m_made && QFile(path).open(QIODevice::ReadOnly))
            m_skip = "this user reads files whatever their permissions say (root)";
    } else if (kind == FileKind::ReadOnly) {
        m_made = take(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (m_made && QFile(path).open(QIODevice::ReadWrite))
            m_immutable = SetImmutable(path, true);
        if (m_made && QFile(path).open(QIODevice::ReadWrite))
            m_skip = "this user writes to read-only files, and they cannot be made immutable here";
    } else {
        m_made = Replace(path, kind);
    }
}

void OddFile::Restore() {
    if (m_immutable)
        SetImmutable(m_path, false);
    if (m_taken)
        QFile::setPermissions(m_path, *m_taken);
    m_immutable = false;
    m_taken.reset();
}

} // namespace kyrel::testing
