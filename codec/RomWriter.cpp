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
        return {before.failure};
    if (position > before.size) {
        Failure shortened{FailureCode::Shortened, file.Name()};
        shortened.size = before.size;
        return {shortened};
    }
    if (watcher)
        watcher(position, ByteStep::BeforeWrite);
    if (Status written = file.WriteByte(position, value); !written.ok())
        return written;
    const SizeResult after = file.Size();
    if (!after.ok())
        return {after.failure};
    if (after.size != before.size && after.size <= position) {
        // Shortened between the look and the byte: the byte lengthened the file again, or went with the cut.
        // A file left ending just on the byte looks the same, so that byte goes too. A byte that lies inside the
        // shortened file stays, and the next byte's look stops the write where the file now ends.
        if (after.size == position)
            (void)file.Truncate(StartOfFill(file, position));
        return {{FailureCode::SizeChanged, file.Name()}};
    }
    return file.Close();
}

} // namespace

WriteResult CheckMessageWrite(const std::filesystem::path& path, std::int32_t start, std::int64_t count) {
    const std::int64_t last = start + count - 1;
    Failure refused;
    refused.position = start;
    refused.count = count;
    if (start < 1) {
        refused.code = FailureCode::BeforeFile;
        return {0, refused};
    }
    if (last > LastWritablePosition) {
        refused.code = FailureCode::PastLastWritable;
        return {0, refused};
    }
    // Opened for writing, so a file that cannot take the first byte is refused before it.
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::ReadWrite); !opened.ok())
        return {0, opened.failure};
    const SizeResult size = file.Size();
    if (!size.ok())
        return {0, size.failure};
    if (last > size.size) {
        refused.code = FailureCode::NoRoom;
        refused.path = file.Name();
        refused.size = size.size;
        return {0, refused};
    }
    return {};
}

WriteResult WriteMessageBytes(const std::filesystem::path& path, std::int32_t start,
                              std::span<const std::uint8_t> bytes, const ByteWatcher& watcher) {
    if (WriteResult refused = CheckMessageWrite(path, start, static_cast<std::int64_t>(bytes.size())); !refused.ok())
        return refused;
    WriteResult result;
    for (const std::uint8_t b : bytes) {
        if (Status written = WriteRomByte(path, start + result.written, b, watcher); !written.ok()) {
            result.failure = written.failure;
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
        return {0, now.failure};
    const auto differs = std::mismatch(now.bytes.begin(), now.bytes.end(), written.begin(), written.end());
    if (differs.first != now.bytes.end() || now.bytes.size() < written.size()) {
        Failure changed{FailureCode::ChangedSinceWrite, PathText(path)};
        changed.position = start + (differs.first - now.bytes.begin());
        return {0, changed};
    }
    return WriteMessageBytes(path, start, original, watcher);
}

RunsResult ReplaceRuns(const std::filesystem::path& path, std::span<const ByteRun> runs, bool takeBack,
                       const ByteWatcher& watcher) {
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::ReadWrite); !opened.ok())
        return {0, 0, false, opened.failure};
    const SizeResult size = file.Size();
    if (!size.ok())
        return {0, 0, false, size.failure};
    // The file's bytes under every run, read in one piece when the runs lie close enough together.
    constexpr std::int64_t OneRead = 16 * 1024 * 1024;
    std::int64_t first = 0;
    std::int64_t last = 0;
    for (const ByteRun& run : runs) {
        const auto count = static_cast<std::int64_t>(run.before.size());
        Failure refused{FailureCode::None, file.Name(), run.start, count, size.size};
        if (run.start < 1)
            refused.code = FailureCode::BeforeFile;
        else if (run.start + count - 1 > LastWritablePosition)
            refused.code = FailureCode::PastLastWritable;
        else if (run.start + count - 1 > size.size)
            refused.code = FailureCode::NoRoom;
        if (!refused.ok())
            return {0, 0, false, refused};
        first = first == 0 ? run.start : std::min(first, run.start);
        last = std::max(last, run.start + count - 1);
    }
    std::vector<std::uint8_t> held;
    const bool together = last - first < OneRead;
    if (together) {
        held.resize(static_cast<std::size_t>(last - first + 1));
        if (const SizeResult got = file.Read(first, held); !got.ok())
            return {0, 0, false, got.failure};
    }
    std::vector<std::uint8_t> one;
    for (const ByteRun& run : runs) {
        std::span<const std::uint8_t> now;
        if (together) {
            now = std::span(held).subspan(static_cast<std::size_t>(run.start - first), run.before.size());
        } else {
            one.resize(run.before.size());
            if (const SizeResult got = file.Read(run.start, one); !got.ok())
                return {0, 0, false, got.failure};
            now = one;
        }
        const std::vector<std::uint8_t>& expected = takeBack ? run.after : run.before;
        const auto differs = std::mismatch(now.begin(), now.end(), expected.begin(), expected.end());
        if (differs.first != now.end()) {
            Failure changed{FailureCode::ChangedSinceWrite, file.Name()};
            changed.position = run.start + (differs.first - now.begin());
            return {0, 0, false, changed};
        }
    }
    RunsResult result;
    result.started = true;
    for (const ByteRun& run : runs) {
        const std::vector<std::uint8_t>& bytes = takeBack ? run.before : run.after;
        if (watcher)
            watcher(run.start, ByteStep::BeforeRun);
        const SizeResult now = file.Size();
        if (!now.ok()) {
            result.failure = now.failure;
            return result;
        }
        if (run.start + static_cast<std::int64_t>(bytes.size()) - 1 > now.size) {
            result.failure = {FailureCode::Shortened, file.Name(), 0, 0, now.size};
            return result;
        }
        if (Status written = file.Write(run.start, bytes); !written.ok()) {
            result.failure = written.failure;
            return result;
        }
        ++result.runs;
        result.bytes += static_cast<std::int64_t>(bytes.size());
    }
    if (Status closed = file.Close(); !closed.ok())
        result.failure = closed.failure;
    return result;
}

} // namespace kyrel
