#include "editor/Script.h"

#include "codec/MessageReader.h"
#include "codec/MessageScan.h"
#include "codec/RomFile.h"
#include "codec/ScriptImport.h"
#include "codec/TypedText.h"
#include "editor/Reports.h"
#include "editor/TextForms.h"
#include "windows/ProgramIdentity.h"

#include <algorithm>
#include <map>
#include <span>

namespace {

// Every message the index arrow reaches, and the file's bytes from the first of them to the end of the last.
struct Listing {
    std::vector<Script::Message> messages;
    std::vector<std::uint8_t> bytes;
    std::int64_t first = 0; // the position of bytes[0]
    kyrel::Failure failure;

    [[nodiscard]] std::span<const std::uint8_t> BytesOf(const Script::Message& message) const {
        const auto from = static_cast<std::size_t>(message.position - first);
        return std::span(bytes).subspan(from, static_cast<std::size_t>(message.bytes));
    }
};

Listing List(const std::filesystem::path& rom, const std::array<std::int32_t, 2>& bankStarts, kyrel::CharTable& table) {
    Listing listing;
    const kyrel::MessageScan scan = kyrel::ScanMessages(rom, bankStarts, table);
    if (!scan.ok()) {
        listing.failure = scan.failure;
        return listing;
    }
    std::int64_t last = 0;
    listing.first = scan.messages.front().position;
    for (const kyrel::ListedMessage& listed : scan.messages) {
        listing.first = std::min<std::int64_t>(listing.first, listed.position);
        last = std::max(last, listed.position + listed.bytes - 1);
    }
    kyrel::Stretch stretch = kyrel::ReadStretch(rom, listing.first, last - listing.first + 1);
    if (!stretch.ok() || static_cast<std::int64_t>(stretch.bytes.size()) < last - listing.first + 1) {
        // The file changed between the two reads.
        listing.failure = stretch.ok() ? kyrel::PastEndOf(rom, last, stretch.fileSize) : stretch.failure;
        return listing;
    }
    listing.bytes = std::move(stretch.bytes);
    for (const kyrel::ListedMessage& listed : scan.messages) {
        Script::Message message{listed.bank, listed.index, listed.position, listed.bytes};
        const kyrel::MessageLength length = kyrel::MeasureBytes(listing.BytesOf(message));
        message.cut = !length.terminated || length.bytes != message.bytes;
        listing.messages.push_back(message);
    }
    return listing;
}

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

Script::Exported Script::Export(const std::filesystem::path& rom, const std::array<std::int32_t, 2>& bankStarts,
                                kyrel::CharTable& table, const QDateTime& now) {
    Exported exported;
    const Listing listing = List(rom, bankStarts, table);
    if (!listing.failure.ok()) {
        exported.failure = listing.failure;
        return exported;
    }
    std::vector<kyrel::PoEntry> entries;
    kyrel::PoEntry header;
    const QString date = now.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm+0000"));
    header.translation = Utf8(QStringLiteral("Project-Id-Version: Kyrel: Quillmere\n"
                                             "POT-Creation-Date: %1\n"
                                             "PO-Revision-Date: %1\n"
                                             "Last-Translator: \n"
                                             "Language-Team: \n"
                                             // Undetermined until a translation tool starts a translation.
                                             "Language: und\n"
                                             "MIME-Version: 1.0\n"
                                             "Content-Type: text/plain; charset=UTF-8\n"
                                             "Content-Transfer-Encoding: 8bit\n"
                                             "X-Generator: %2 %3\n")
                                  .arg(date, ProgramTitle(), ProgramVersionText()));
    entries.push_back(std::move(header));

    std::vector<std::int32_t> done;
    for (const Message& message : listing.messages) {
        // Two rows that start at one position (banks that overlap in an odd file) would be one entry twice.
        if (std::find(done.begin(), done.end(), message.position) != done.end())
            continue;
        done.push_back(message.position);
        kyrel::PoEntry entry;
        entry.hasContext = true;
        entry.context = kyrel::ScriptContext(message.position, message.bytes);
        entry.extracted.push_back(Utf8(message.cut ? Reports::ScriptCutNote(message.bank, message.index)
                                                   : Reports::ScriptNote(message.bank, message.index, message.bytes)));
        const kyrel::TypedText typed = kyrel::TypedTextOf(listing.BytesOf(message));
        // No msgid may be empty: that is the header's.
        entry.id = typed.text.empty() ? std::string("<E>") : Utf8(TextForms::AsLines(typed.text));
        entries.push_back(std::move(entry));
    }
    const std::string file = kyrel::WritePo(entries);
    exported.file = QByteArray(file.data(), static_cast<qsizetype>(file.size()));
    exported.messages = static_cast<int>(entries.size()) - 1;
    return exported;
}

int Script::ImportPlan::Changing() const {
    return static_cast<int>(
        std::count_if(translations.begin(), translations.end(), [](const Translation& t) { return t.changes; }));
}

std::int64_t Script::ImportPlan::BytesChanging() const {
    std::int64_t bytes = 0;
    for (const kyrel::ByteRun& run : runs)
        for (std::size_t at = 0; at < run.after.size(); ++at)
            bytes += run.before[at] != run.after[at] ? 1 : 0;
    return bytes;
}

Script::ImportPlan Script::PlanImport(std::string_view script, const std::filesystem::path& rom,
                                      const std::array<std::int32_t, 2>& bankStarts, kyrel::CharTable& table) {
    ImportPlan plan;
    kyrel::PoRead read = kyrel::ReadPo(script);
    if (!read.ok()) {
        plan.refused = read.failure;
        return plan;
    }
    const Listing listing = List(rom, bankStarts, table);
    if (!listing.failure.ok()) {
        plan.failure = listing.failure;
        return plan;
    }
    std::map<std::int32_t, const Message*> byPosition;
    for (const Message& message : listing.messages)
        byPosition.emplace(message.position, &message);

    std::vector<std::int32_t> translated;
    for (const kyrel::PoEntry& entry : read.entries) {
        const bool header = entry.id.empty() && !entry.hasContext;
        if (header || entry.obsolete || entry.translation.empty())
            continue;
        LeftOut left;
        left.line = entry.line;
        left.context = entry.context;
        const std::optional<kyrel::ScriptIdentity> identity =
            entry.hasContext ? kyrel::ParseScriptContext(entry.context) : std::nullopt;
        const auto found = identity ? byPosition.find(identity->position) : byPosition.end();
        if (entry.Fuzzy()) {
            left.reason = Reason::Fuzzy;
        } else if (found == byPosition.end() || found->second->bytes != identity->bytes) {
            left.reason = Reason::NoSuchMessage;
        } else {
            const Message& message = *found->second;
            left.message = message;
            if (std::find(translated.begin(), translated.end(), message.position) != translated.end()) {
                left.reason = Reason::Repeated;
            } else if (message.cut) {
                left.reason = Reason::CutMessage;
            } else {
                const std::u16string text = TextForms::ForEncoder(QString::fromStdString(entry.translation));
                kyrel::TranslationPlan planned = kyrel::PlanTranslation(text, message.bytes);
                switch (planned.skip) {
                case kyrel::TranslationSkip::None: {
                    translated.push_back(message.position);
                    Translation translation{entry.line, message, std::move(planned.bytes), std::move(planned.dropped)};
                    const std::span<const std::uint8_t> old = listing.BytesOf(message);
                    // Only the stretches that differ are written. A few equal bytes between two changes go along
                    // with them: one write costs more than the bytes it saves.
                    constexpr std::size_t Gap = 16;
                    for (std::size_t at = 0; at < old.size();) {
                        if (old[at] == translation.bytes[at]) {
                            ++at;
                            continue;
                        }
                        std::size_t end = at;
                        for (std::size_t equal = 0; end + equal < old.size() && equal < Gap;) {
                            if (old[end + equal] == translation.bytes[end + equal]) {
                                ++equal;
                            } else {
                                end += equal + 1;
                                equal = 0;
                            }
                        }
                        plan.runs.push_back({message.position + static_cast<std::int64_t>(at),
                                             {old.begin() + at, old.begin() + end},
                                             {translation.bytes.begin() + at, translation.bytes.begin() + end}});
                        plan.runTranslation.push_back(plan.translations.size());
                        translation.changes = true;
                        at = end;
                    }
                    plan.translations.push_back(std::move(translation));
                    continue;
                }
                case kyrel::TranslationSkip::BadArgument:
                    left.reason = Reason::BadArgument;
                    left.error = planned.error;
                    break;
                case kyrel::TranslationSkip::TooLong:
                    left.reason = Reason::TooLong;
                    left.needed = planned.needed;
                    break;
                case kyrel::TranslationSkip::EndCodeInside:
                    left.reason = Reason::EndCodeInside;
                    break;
                }
            }
        }
        plan.leftOut.push_back(std::move(left));
    }
    return plan;
}
