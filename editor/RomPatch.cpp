#include "editor/RomPatch.h"

#include "codec/MessageScan.h"
#include "codec/RomFile.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// The whole file, or nothing when it is larger than any patch may be.
kyrel::Stretch ReadWhole(const std::filesystem::path& path, bool& tooLarge, std::uint64_t& size) {
    const kyrel::SizeResult found = kyrel::RomFileSize(path);
    if (!found.ok())
        return {{}, 0, found.failure};
    size = static_cast<std::uint64_t>(found.size);
    tooLarge = size > kyrel::MaxBpsTargetSize;
    if (tooLarge)
        return {};
    return kyrel::ReadStretch(path, 1, found.size);
}

using Listed = std::map<std::pair<int, int>, std::pair<std::int64_t, std::int64_t>>; // (bank, index): start, length

Listed List(const std::filesystem::path& path, const std::array<std::int32_t, 2>& bankStarts, kyrel::CharTable& table) {
    Listed listed;
    for (const kyrel::ListedMessage& message : kyrel::ScanMessages(path, bankStarts, table).messages)
        listed[{message.bank, message.index}] = {message.position, message.bytes};
    return listed;
}

} // namespace

RomPatch::Made RomPatch::Make(const std::filesystem::path& original, const std::filesystem::path& edited,
                              kyrel::PatchFormat format, const std::array<std::int32_t, 2>& bankStarts,
                              kyrel::CharTable& table) {
    Made made;
    made.patch.format = format;
    std::error_code error;
    if (std::filesystem::equivalent(original, edited, error)) {
        made.sameFile = true;
        return made;
    }
    bool tooLarge = false;
    kyrel::Stretch before = ReadWhole(original, tooLarge, made.patch.originalSize);
    kyrel::Stretch after;
    if (!tooLarge && before.ok())
        after = ReadWhole(edited, tooLarge, made.patch.editedSize);
    if (tooLarge) {
        made.patch.code = kyrel::MakeCode::TooLarge;
        return made;
    }
    if (!before.ok() || !after.ok()) {
        made.failure = before.ok() ? after.failure : before.failure;
        return made;
    }
    made.patch = kyrel::MakePatch(before.bytes, after.bytes, format);
    if (!made.patch.ok())
        return made;

    // What differs, byte by byte; bytes past the end of the shorter file all do.
    const std::vector<std::uint8_t>& a = before.bytes;
    const std::vector<std::uint8_t>& b = after.bytes;
    const std::size_t longest = std::max(a.size(), b.size());
    auto differs = [&](std::size_t at) { return at >= a.size() || at >= b.size() || a[at] != b[at]; };
    std::vector<bool> inMessage(longest, false);
    const Listed was = List(original, bankStarts, table);
    const Listed is = List(edited, bankStarts, table);
    auto mark = [&](const Listed& listed) {
        for (const auto& [key, span] : listed)
            for (std::int64_t at = span.first - 1; at < span.first - 1 + span.second && at < std::int64_t(longest);
                 ++at)
                inMessage[static_cast<std::size_t>(at)] = true;
    };
    mark(was);
    mark(is);
    auto changed = [&](const std::pair<std::int64_t, std::int64_t>& span) {
        for (std::int64_t at = span.first - 1; at < span.first - 1 + span.second; ++at)
            if (differs(static_cast<std::size_t>(at)))
                return true;
        return false;
    };
    // A message differs when the walk finds it elsewhere, of another length, or holding other bytes.
    Listed both = was;
    both.insert(is.begin(), is.end());
    for (const auto& [key, span] : both) {
        const auto then = was.find(key);
        const auto now = is.find(key);
        const bool differ = then == was.end() || now == is.end() || then->second != now->second || changed(span);
        made.messages[static_cast<std::size_t>(key.first - 1)] += differ ? 1 : 0;
    }
    for (std::size_t at = 0; at < longest; ++at)
        made.outside += !inMessage[at] && differs(at) ? 1 : 0;
    return made;
}
