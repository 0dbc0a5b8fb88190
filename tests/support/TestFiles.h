#pragma once

#include "editor/FsPath.h"
#include "tests/support/SyntheticRom.h"

#include <QFile>
#include <QMetaType>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace kyrel::testing {

// The editor's own conversion of a path for the file layer.
inline std::filesystem::path FsPath(const QString& path) {
    return ToFsPath(path);
}

// Saves the ROM and gives its path; no test goes on without its file.
QString SaveRom(const QString& path, const SyntheticRom& rom);
// The whole content of a regular file, or nothing when there is none.
std::vector<std::uint8_t> RomBytes(const QString& path);

// What a test puts where the ROM should be.
enum class FileKind { Regular, Missing, Directory, Pipe, Unreadable, ReadOnly };

// Turns the path into a file of the kind while it lives: Missing removes what is there, Directory and Pipe put one
// in its place, Unreadable and ReadOnly take permissions away, Regular leaves a file as it is. At its end it gives
// them back, so that the file can be written again and the temporary folder removed.
class OddFile {
public:
    OddFile(const QString& path, FileKind kind);
    ~OddFile() { Restore(); }
    OddFile(const OddFile&) = delete;
    OddFile& operator=(const OddFile&) = delete;

    // False when the file system would not make it: the test fails.
    [[nodiscard]] bool Made() const { return m_made; }
    // Why the test cannot go on where permissions do not stop this user (root), else null: the test skips.
    [[nodiscard]] const char* Skip() const { return m_skip; }
    // Gives the permissions back early, for a test that goes on with the file.
    void Restore();

private:
    QString m_path;
    std::optional<QFileDevice::Permissions> m_taken; // the permissions before, while they are taken away
    bool m_immutable = false;
    bool m_made = false;
    const char* m_skip = nullptr;
};

} // namespace kyrel::testing

Q_DECLARE_METATYPE(kyrel::testing::FileKind)
