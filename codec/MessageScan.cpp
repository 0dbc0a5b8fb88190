#include "codec/MessageScan.h"

#include "codec/RomFile.h"

namespace kyrel {

std::size_t ScanReach(int count) {
    const std::size_t read = ReachOf(StopRule::IndexView());
    // A step moves at most two reads on, each one byte past the last it decoded.
    return static_cast<std::size_t>(count) * 2 * (read + 1) + read;
}

namespace {

void ScanBankShowing(std::span<const std::uint8_t> bytes, std::int32_t start, int bank, int count, ShownText& shownText,
                     std::vector<ListedMessage>& into) {
    const StopRule rule = StopRule::IndexView();
    auto offsetOf = [&](std::int32_t position) { return static_cast<std::size_t>(position - start); };
    // The rows need the text of each message shown, and only the positions of the reads between: those are
    // walked for their positions alone.
    ReaderState positions;
    positions.ReadPos = start;
    for (int index = 1; index <= count; ++index) {
        // The window's read from here would find no byte: the arrow shows nothing more.
        if (positions.ReadPos < start || offsetOf(positions.ReadPos) >= bytes.size())
            return;
        const std::span<const std::uint8_t> from = bytes.subspan(offsetOf(positions.ReadPos));
        const std::optional<ShownRead> shown = shownText.Read(from, positions, rule);
        if (!shown)
            return;
        const ReadExtent& read = shown->extent;
        // A read that ended at an end code holds one byte more than it moved on: the end code it stays on.
        const bool whole = read.kept == static_cast<std::size_t>(read.state.ReadPos - positions.ReadPos) + 1;
        // A message cut by the index view is longer than what was shown of it.
        const std::int64_t length = whole ? static_cast<std::int64_t>(read.kept) : MeasureBytes(from).bytes;
        into.push_back({bank, index, positions.ReadPos, length, std::u16string(shown->text)});
        positions = read.state;

        // The up arrow's step: setting the counter reads again from where the last read stopped, and the arrow
        // then moves on to where that read says the next message starts. On an end code that nested read
        // decodes only the end code, so it is worked out without reading.
        if (offsetOf(positions.ReadPos) < bytes.size() && bytes[offsetOf(positions.ReadPos)] == EndCode) {
            positions.NextMessagePos = positions.ReadPos + 1;
        } else if (offsetOf(positions.ReadPos) < bytes.size()) {
            const std::optional<ReadExtent> nested =
                WalkMessage(bytes.subspan(offsetOf(positions.ReadPos)), positions, rule);
            if (!nested)
                return;
            positions = nested->state;
        }
        positions.ReadPos = positions.NextMessagePos;
    }
}

} // namespace

void ScanBank(std::span<const std::uint8_t> bytes, std::int32_t start, int bank, int count, CharTable& table,
              std::vector<ListedMessage>& into) {
    ShownText shownText(table);
    // No read goes through the table, so its marker is left empty as after one.
    table.ClearPendingArgument();
    ScanBankShowing(bytes, start, bank, count, shownText, into);
}

MessageScan ScanMessages(const std::filesystem::path& path, const std::array<std::int32_t, 2>& bankStarts,
                         CharTable& table) {
    MessageScan scan;
    ShownText shownText(table);
    table.ClearPendingArgument();
    // Why the first bank that has no message has none: the reason when neither has one.
    Failure noBank;
    for (int bank = 1; bank <= 2; ++bank) {
        const std::int32_t start = bankStarts[static_cast<std::size_t>(bank - 1)];
        const int count = bank == 1 ? Bank1LastIndex : LastIndex;
        if (start < 1) {
            if (noBank.ok())
                noBank = {FailureCode::BeforeFile, {}, start};
            continue;
        }
        const Stretch stretch = ReadStretch(path, start, static_cast<std::int64_t>(ScanReach(count)));
        if (!stretch.ok())
            return {{}, stretch.failure};
        if (start > stretch.fileSize) {
            if (noBank.ok())
                noBank = PastEndOf(path, start, stretch.fileSize);
            continue;
        }
        scan.messages.reserve(scan.messages.size() + static_cast<std::size_t>(count));
        ScanBankShowing(stretch.bytes, start, bank, count, shownText, scan.messages);
    }
    if (scan.messages.empty())
        scan.failure = noBank;
    return scan;
}

} // namespace kyrel
