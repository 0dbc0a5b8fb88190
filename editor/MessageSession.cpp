#include "editor/MessageSession.h"

#include "codec/MessageScan.h"
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "codec/TypedText.h"
#include "editor/TextForms.h"

#include <algorithm>

MessageSession::MessageSession(QObject* parent) : QObject(parent) {
    m_charTable.BuildCharTable();
    m_positions.NextMessagePos = 0;
    m_bankStart[1] = kyrel::Bank1Start;
    m_bankStart[2] = kyrel::Bank2Start;
}

void MessageSession::SetRomPath(const QString& path) {
    m_romPath = path;
    m_layoutAgreed = false;
    m_history.Clear();
    emit RomChanged();
}

std::optional<MessageSession::LayoutRisk> MessageSession::RomLayoutRisk() const {
    const kyrel::SizeResult size = kyrel::RomFileSize(ToFsPath(m_romPath));
    if (!size.ok() || kyrel::LayoutOfSize(size.size) == kyrel::RomLayout::Headered)
        return std::nullopt;
    return LayoutRisk{kyrel::LayoutOfSize(size.size), size.size};
}

MessageSession::Read MessageSession::ReadMessage(const kyrel::StopRule& rule) {
    const kyrel::ReadResult result = kyrel::ReadMessage(ToFsPath(m_romPath), m_positions, m_charTable, rule);
    if (!result.ok())
        return {{}, result.failure};
    m_readBytes = result.bytes;
    m_positions = result.state;
    return {TextForms::AsLines(result.text), {}};
}

MessageSession::WritePlan MessageSession::PlanWrite(const std::u16string& text, bool nameOverwritten) {
    WritePlan plan;
    plan.start = m_positions.ViewStartPos;
    const std::filesystem::path path = ToFsPath(m_romPath);
    // Encode and check everything before writing anything: a write that stopped midway would leave a message
    // without its end code, and the game would run on into the next one.
    kyrel::EncodedMessage encoded = kyrel::EncodeToBytes(text, m_encoder);
    plan.bytes = std::move(encoded.bytes);
    plan.badArgument = std::move(encoded.error);
    if (plan.badArgument)
        return plan;
    const auto needed = static_cast<std::int64_t>(plan.bytes.size());
    plan.refused = kyrel::CheckMessageWrite(path, plan.start, needed).failure;
    if (!plan.refused.ok())
        return plan;
    plan.dropped = std::move(encoded.dropped);
    if (const kyrel::SizeResult size = kyrel::RomFileSize(path); size.ok() && !m_layoutAgreed) {
        if (const kyrel::RomLayout layout = kyrel::LayoutOfSize(size.size); layout != kyrel::RomLayout::Headered)
            plan.layout = layout;
    }
    const kyrel::MessageLength old = kyrel::MeasureMessage(path, plan.start, needed);
    if (old.ok() && old.terminated && needed > old.bytes)
        plan.oldBytes = old.bytes;
    if (plan.oldBytes && nameOverwritten) {
        // The Messages window's walk: only a question this rare pays for it.
        kyrel::CharTable table = m_charTable;
        const kyrel::MessageScan scan = kyrel::ScanMessages(path, {BankStart(1), BankStart(2)}, table);
        for (const kyrel::ListedMessage& message : scan.messages) {
            if (message.position > plan.start && message.position < plan.start + needed)
                plan.overwritten.push_back({message.bank, message.index});
        }
    }
    return plan;
}

kyrel::WriteResult MessageSession::Write(const WritePlan& plan, const kyrel::ByteWatcher& watcher) {
    // Asked once: further writes into the same ROM go ahead as usual.
    m_layoutAgreed = m_layoutAgreed || plan.layout;
    const std::filesystem::path path = ToFsPath(m_romPath);
    const auto needed = static_cast<std::int64_t>(plan.bytes.size());
    // What the write covers, so that it can be taken back; a file that cannot be read is not written either.
    const kyrel::Stretch before = kyrel::ReadStretch(path, plan.start, needed);
    if (!before.ok())
        return {0, before.failure};
    const kyrel::WriteResult result = kyrel::WriteMessageBytes(path, plan.start, plan.bytes, watcher);
    const auto written = static_cast<std::size_t>(
        std::min<std::int64_t>(result.written, static_cast<std::int64_t>(before.bytes.size())));
    if (written > 0) {
        m_history.Add({{},
                       {{plan.start,
                         {before.bytes.begin(), before.bytes.begin() + written},
                         {plan.bytes.begin(), plan.bytes.begin() + written}}}});
        emit RomChanged();
    }
    return result;
}

std::optional<std::int32_t> MessageSession::UndoPosition() const {
    if (const WriteHistory::Change* newest = m_history.Newest())
        return newest->Start();
    return std::nullopt;
}

WriteHistory::Undo MessageSession::UndoWrite(const kyrel::ByteWatcher& watcher) {
    WriteHistory::Undo undo = m_history.UndoNewest(ToFsPath(m_romPath), watcher);
    if (undo.result.bytes > 0)
        emit RomChanged();
    return undo;
}

Script::Exported MessageSession::ExportScript(const QDateTime& now) {
    return Script::Export(ToFsPath(m_romPath), {m_bankStart[1], m_bankStart[2]}, m_charTable, now);
}

Script::ImportPlan MessageSession::PlanImport(const QString& scriptPath) {
    Script::ImportPlan plan;
    const std::filesystem::path path = ToFsPath(scriptPath);
    // A file too large for any script is refused before a byte of it is read.
    const kyrel::SizeResult size = kyrel::RomFileSize(path);
    if (size.ok() && size.size > static_cast<std::int64_t>(kyrel::MaxPoBytes)) {
        plan.refused = kyrel::PoFailure{kyrel::PoProblem::TooLarge, 0, {}};
        return plan;
    }
    const kyrel::Stretch script = size.ok() ? kyrel::ReadStretch(path, 1, size.size) : kyrel::Stretch{};
    if (!size.ok() || !script.ok()) {
        plan.failure = size.ok() ? script.failure : size.failure;
        return plan;
    }
    const std::string_view text(reinterpret_cast<const char*>(script.bytes.data()), script.bytes.size());
    return Script::PlanImport(text, ToFsPath(m_romPath), {m_bankStart[1], m_bankStart[2]}, m_charTable);
}

RomPatch::Made MessageSession::MakePatch(const QString& originalPath, kyrel::PatchFormat format) {
    return RomPatch::Make(ToFsPath(originalPath), ToFsPath(m_romPath), format, {m_bankStart[1], m_bankStart[2]},
                          m_charTable);
}

kyrel::RunsResult MessageSession::Import(const Script::ImportPlan& plan, const QString& scriptName) {
    const kyrel::RunsResult result = kyrel::ReplaceRuns(ToFsPath(m_romPath), plan.runs);
    // The runs written whole are one change; a run that stopped midway is left to the report.
    WriteHistory::Change change{scriptName,
                                {plan.runs.begin(), plan.runs.begin() + static_cast<std::ptrdiff_t>(result.runs)}};
    const bool changed = !change.runs.empty() || !result.ok(); // a run that stopped may have changed bytes
    m_history.Add(std::move(change));
    if (changed)
        emit RomChanged();
    return result;
}

void MessageSession::EndWrite() {
    m_encoder.BreakMode = 0;
    m_positions.ReadPos = m_positions.ViewStartPos;
}

MessageSession::Copy MessageSession::CopyAsNewText() const {
    const kyrel::TypedText typed = kyrel::TypedTextOf(m_readBytes);
    Copy copy{TextForms::AsLines(typed.text), typed.complete, m_positions.ViewStartPos};
    if (!typed.complete) {
        copy.needed = static_cast<std::int64_t>(kyrel::EncodeToBytes(typed.text).bytes.size());
        const kyrel::SizeResult size = kyrel::RomFileSize(ToFsPath(m_romPath));
        copy.fileSize = size.ok() ? size.size : -1;
    }
    return copy;
}
