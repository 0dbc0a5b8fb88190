#include "editor/MessageSession.h"

#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "codec/TypedText.h"
#include "editor/Reports.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

// The pane shows the game's CR LF line breaks as plain line breaks.
QString ForDisplay(const std::u16string& text) {
    QString shown = QString::fromStdU16String(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace

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

QString MessageSession::LayoutWarning() const {
    const kyrel::SizeResult size = kyrel::RomFileSize(ToFsPath(m_romPath));
    if (!size.ok() || kyrel::LayoutOfSize(size.size) == kyrel::RomLayout::Headered)
        return {};
    return Reports::LayoutWarning(QDir::toNativeSeparators(m_romPath), kyrel::LayoutOfSize(size.size), size.size);
}

MessageSession::Read MessageSession::ReadMessage(const kyrel::StopRule& rule) {
    const kyrel::ReadResult result = kyrel::ReadMessage(ToFsPath(m_romPath), m_positions, m_charTable, rule);
    if (!result.ok())
        return {{}, QString::fromStdString(result.error)};
    m_readBytes = result.bytes;
    m_positions = result.state;
    return {ForDisplay(result.text), {}};
}

MessageSession::WritePlan MessageSession::PlanWrite(const QString& text) {
    WritePlan plan;
    plan.start = m_positions.ViewStartPos;
    const std::filesystem::path path = ToFsPath(m_romPath);
    // Encode and check everything before writing anything: a write that stopped midway would leave a message
    // without its end code, and the game would run on into the next one.
    const auto badField = kyrel::EncodeMessage(text.toStdU16String(), m_encoder, [&](std::uint8_t b) {
        plan.bytes.push_back(b);
        return true;
    });
    const auto needed = static_cast<std::int64_t>(plan.bytes.size());
    const kyrel::WriteResult refused =
        badField ? kyrel::WriteResult{0, badField->Describe()} : kyrel::CheckMessageWrite(path, plan.start, needed);
    if (!refused.ok()) {
        plan.refusal = Reports::WriteFailed(plan.start, refused, needed);
        return plan;
    }
    QStringList reasons;
    if (const QString leftOut = Reports::LeftOut(kyrel::DroppedCharacters(text.toStdU16String())); !leftOut.isEmpty())
        reasons << leftOut;
    if (const kyrel::SizeResult size = kyrel::RomFileSize(path); size.ok() && !m_layoutAgreed) {
        const kyrel::RomLayout layout = kyrel::LayoutOfSize(size.size);
        plan.asksLayout = layout != kyrel::RomLayout::Headered;
        if (plan.asksLayout)
            reasons << Reports::LayoutRisk(QDir::toNativeSeparators(m_romPath), layout);
    }
    const kyrel::MessageLength old = kyrel::MeasureMessage(path, plan.start, needed);
    if (old.ok() && old.terminated && needed > old.bytes)
        reasons << Reports::LongerText(needed, plan.start, old.bytes);
    if (!reasons.isEmpty())
        plan.question = Reports::WriteQuestion(reasons);
    return plan;
}

QString MessageSession::Write(const WritePlan& plan, const kyrel::ByteWatcher& watcher) {
    // Asked once: further writes into the same ROM go ahead as usual.
    m_layoutAgreed = m_layoutAgreed || plan.asksLayout;
    const std::filesystem::path path = ToFsPath(m_romPath);
    const auto needed = static_cast<std::int64_t>(plan.bytes.size());
    // What the write covers, so that it can be taken back; a file that cannot be read is not written either.
    const kyrel::Stretch before = kyrel::ReadStretch(path, plan.start, needed);
    if (!before.ok())
        return Reports::WriteFailed(plan.start, {0, before.error}, needed);
    const kyrel::WriteResult result = kyrel::WriteMessageBytes(path, plan.start, plan.bytes, watcher);
    const auto written = static_cast<std::size_t>(
        std::min<std::int64_t>(result.written, static_cast<std::int64_t>(before.bytes.size())));
    if (written > 0) {
        m_writes.push_back({plan.start,
                            {before.bytes.begin(), before.bytes.begin() + written},
                            {plan.bytes.begin(), plan.bytes.begin() + written}});
        emit RomChanged();
    }
    if (result.ok())
        return {};
    return Reports::WriteFailed(plan.start, result, needed);
}

std::optional<std::int32_t> MessageSession::UndoPosition() const {
    if (m_writes.empty())
        return std::nullopt;
    return m_writes.back().start;
}

QString MessageSession::UndoWrite(const kyrel::ByteWatcher& watcher) {
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
    return result.ok() ? QString() : Reports::UndoFailed(start, result, count);
}

void MessageSession::EndWrite() {
    m_encoder.BreakMode = 0;
    m_positions.ReadPos = m_positions.ViewStartPos;
}

MessageSession::Copy MessageSession::CopyAsNewText() const {
    const kyrel::TypedText copy = kyrel::TypedTextOf(m_readBytes);
    QString text = QString::fromStdU16String(copy.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString note;
    if (!copy.complete) {
        const auto needed = static_cast<std::int64_t>(kyrel::EncodeToBytes(copy.text).bytes.size());
        const kyrel::SizeResult size = kyrel::RomFileSize(ToFsPath(m_romPath));
        note = Reports::Copied(copy, m_positions.ViewStartPos, needed, size.ok() ? size.size : -1);
    }
    return {text, note};
}
