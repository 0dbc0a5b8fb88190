#pragma once

#include "codec/RomWriter.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <vector>

// What each change to the ROM since it was chosen replaced, newest last, so that Undo Write can take the newest
// back: a write of new text over one message, or an import of a script over many. Kept in memory only.
class WriteHistory {
public:
    struct Change {
        QString script;                   // the imported script's file name; empty for a write
        std::vector<kyrel::ByteRun> runs; // in file order; a write has one

        [[nodiscard]] bool IsImport() const { return !script.isEmpty(); }
        [[nodiscard]] std::int32_t Start() const { return static_cast<std::int32_t>(runs.front().start); }
        [[nodiscard]] std::int64_t Bytes() const;
    };

    // What taking the newest change back did: the change as it was, and how far the undo got.
    struct Undo {
        Change change;
        kyrel::RunsResult result;
    };

    void Clear() { m_changes.clear(); }
    // A change with no run is no change.
    void Add(Change change);
    // The newest change not yet taken back; nullptr when there is none.
    [[nodiscard]] const Change* Newest() const { return m_changes.empty() ? nullptr : &m_changes.back(); }

    // Puts back the bytes the newest change replaced, if the file still holds what it put there; a write byte by
    // byte as it was written, an import with one open of the file. What an undo that stopped midway put back is
    // no longer part of the change, so the next undo takes back the rest.
    [[nodiscard]] Undo UndoNewest(const std::filesystem::path& path, const kyrel::ByteWatcher& watcher = {});

private:
    std::vector<Change> m_changes;
};
