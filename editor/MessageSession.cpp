#include "editor/MessageSession.h"

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
    m_writes.clear();
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

MessageSession::WritePlan MessageSession::PlanWrite(const std::u16string& text) {
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
        m_writes.push_back({plan.start,
                            {before.bytes.begin(), before.bytes.begin() + written},
                            {plan.bytes.begin(), plan.bytes.begin() + written}});
        emit RomChanged();
    }
    return result;
}

std::optional<std::int32_t> MessageSession::UndoPosition() const {
    if (m_writes.empty())
        return std::nullopt;
    return m_writes.back().start;
}

MessageSession::Undo MessageSession::UndoWrite(const kyrel::ByteWatcher& watcher) {
    if (m_writes.empty())
        return {};
    WriteRecord& last = m_writes.back();
    const kyrel::WriteResult result =
        kyrel::RestoreBytes(ToFsPath(m_romPath), last.start, last.after, last.before, watcher);
    const auto restored = static_cast<std::size_t>(result.written);
    const auto count = static_cast<std::int64_t>(last.before.size());
    const std::int32_t start = last.start;
    if (restored == last.before.size()) {
        m_writes.pop_back();
    } else if (restored > 0) {
        // The file now holds the old bytes up to where the undo stopped: a second undo starts from there.
        std::copy(last.before.begin(), last.before.begin() + static_cast<std::ptrdiff_t>(restored), last.after.begin());
    }
    if (restored > 0)
        emit RomChanged();
    return {start, count, result};
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
