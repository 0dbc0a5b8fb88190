#include "codec/RomWriter.h"

#include "codec/RomFile.h"

#include <algorithm>
#include <vector>

namespace kyrel {

namespace {

// The file ends at `end` bytes now but the write made it reach `position`: the stretch between is the fill the
// system put before the byte. Finds where that run of zero bytes begins, so that cutting there takes the file
// back to no more than the length another program left it.
std::int64_t StartOfFill(const RomFile& file, std::int64_t position) {
    std::vector<std::uint8_t> block(64 * 1024);
    std::int64_t cut = position; // the byte written goes too
    while (cut > 1) {
        const std::int64_t from = std::max<std::int64_t>(1, cut - static_cast<std::int64_t>(block.size()));
        const auto length = static_cast<std::size_t>(cut - from);
        if (!file.Read(from, std::span(block).first(length)).ok())
            break;
        std::size_t zeros = 0;
        while (zeros < length && block[length - 1 - zeros] == 0)
            ++zeros;
        cut -= static_cast<std::int64_t>(zeros);
        if (zeros < length)
            break;
    }
    return cut - 1;
}

// One byte, with its own open and close; refuses a position the file no longer reaches.
Status WriteRomByte(const std::filesystem::path& path, std::int64_t position, std::uint8_t value,
                    const ByteWatcher& watcher) {
    if (watcher)
        watcher(position, ByteStep::BeforeOpen);
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::ReadWrite); !opened.ok())
        return opened;
    const SizeResult before = file.Size();
    if (!before.ok())
        return {before.error};
    if (position > before.size)
        return {"\"" + file.Name() + "\" now has only " + ByteCount(before.size) +
                ": another program shortened it during the write."};
    if (watcher)
        watcher(position, ByteStep::BeforeWrite);
    if (Status written = file.WriteByte(position, value); !written.ok())
        return written;
    const SizeResult after = file.Size();
    if (!after.ok())
        return {after.error};
    if (after.size != before.size && after.size <= position) {
        // Shortened between the look and the byte: the byte lengthened the file again, or went with the cut.
        // A file left ending just on the byte looks the same, so that byte goes too. A byte that lies inside the
        // shortened file stays, and the next byte's look stops the write where the file now ends.
        if (after.size == position)
            (void)file.Truncate(StartOfFill(file, position));
        return {"Another program changed the size of \"" + file.Name() + "\" during the write."};
    }
    return file.Close();
}

} // namespace

WriteResult CheckMessageWrite(const std::filesystem::path& path, std::int32_t start, std::int64_t count) {
    const std::int64_t last = start + count - 1;
    if (start < 1)
        return {0, "Position " + std::to_string(start) + " is before the first byte of the file."};
    if (last > LastWritablePosition)
        return {0, "The new text needs " + ByteCount(count) + " from position " + std::to_string(start) +
                       ", which runs past position " + std::to_string(LastWritablePosition) +
                       ", the last one the editor can write to."};
    // Opened for writing, so a file that cannot take the first byte is refused before it.
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::ReadWrite); !opened.ok())
        return {0, opened.error};
    const SizeResult size = file.Size();
    if (!size.ok())
        return {0, size.error};
    if (last > size.size)
        return {0, "The new text needs " + ByteCount(count) + " from position " + std::to_string(start) + ", but \"" +
                       PathText(path) + "\" has only " + ByteCount(size.size) + "."};
    return {};
}

WriteResult WriteMessageBytes(const std::filesystem::path& path, std::int32_t start,
                              std::span<const std::uint8_t> bytes, const ByteWatcher& watcher) {
    if (WriteResult refused = CheckMessageWrite(path, start, static_cast<std::int64_t>(bytes.size())); !refused.ok())
        return refused;
    WriteResult result;
    for (const std::uint8_t b : bytes) {
        if (Status written = WriteRomByte(path, start + result.written, b, watcher); !written.ok()) {
            result.error = written.error;
            break;
        }
        ++result.written;
    }
    return result;
}

WriteResult RestoreBytes(const std::filesystem::path& path, std::int32_t start, std::span<const std::uint8_t> written,
                         std::span<const std::uint8_t> original, const ByteWatcher& watcher) {
    const Stretch now = ReadStretch(path, start, static_cast<std::int64_t>(written.size()));
    if (!now.ok())
        return {0, now.error};
    const auto differs = std::mismatch(now.bytes.begin(), now.bytes.end(), written.begin(), written.end());
    if (differs.first != now.bytes.end() || now.bytes.size() < written.size()) {
        const std::int64_t position = start + (differs.first - now.bytes.begin());
        return {0, "Position " + std::to_string(position) + " of \"" + PathText(path) +
                       "\" no longer holds the byte the write put there: another program changed the file."};
    }
    return WriteMessageBytes(path, start, original, watcher);
}

} // namespace kyrel
