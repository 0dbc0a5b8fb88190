#include "editor/WriteHistory.h"

#include <algorithm>

std::int64_t WriteHistory::Change::Bytes() const {
    std::int64_t bytes = 0;
    for (const kyrel::ByteRun& run : runs)
        bytes += static_cast<std::int64_t>(run.before.size());
    return bytes;
}

void WriteHistory::Add(Change change) {
    if (!change.runs.empty())
        m_changes.push_back(std::move(change));
}

WriteHistory::Undo WriteHistory::UndoNewest(const std::filesystem::path& path, const kyrel::ByteWatcher& watcher) {
    if (m_changes.empty())
        return {};
    Change& newest = m_changes.back();
    Undo undo{newest, {}};
    if (newest.IsImport()) {
        undo.result = kyrel::ReplaceRuns(path, newest.runs, true);
    } else {
        const kyrel::ByteRun& run = newest.runs.front();
        const kyrel::WriteResult restored =
            kyrel::RestoreBytes(path, static_cast<std::int32_t>(run.start), run.after, run.before, watcher);
        const bool whole = restored.written == static_cast<std::int64_t>(run.before.size());
        undo.result = {whole ? 1u : 0u, restored.written, restored.written > 0, restored.failure};
    }

    // The runs back in place leave the change; the part of a run that went back is the file's again.
    const auto whole = static_cast<std::ptrdiff_t>(undo.result.runs);
    std::int64_t partBytes = undo.result.bytes;
    for (std::ptrdiff_t i = 0; i < whole; ++i)
        partBytes -= static_cast<std::int64_t>(newest.runs[static_cast<std::size_t>(i)].before.size());
    newest.runs.erase(newest.runs.begin(), newest.runs.begin() + whole);
    if (newest.runs.empty()) {
        m_changes.pop_back();
    } else if (partBytes > 0) {
        kyrel::ByteRun& part = newest.runs.front();
        std::copy_n(part.before.begin(), partBytes, part.after.begin());
    }
    return undo;
}
