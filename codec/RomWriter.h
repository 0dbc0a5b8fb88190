#pragma once

#include "codec/Failure.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kyrel {

// The last position the editor's 32-bit positions can hold; no byte is written past it.
inline constexpr std::int64_t LastWritablePosition = 2147483647;

struct [[nodiscard]] WriteResult {
    std::int64_t written = 0; // bytes written from the start position on, in order
    Failure failure;          // why the write was refused or stopped; none when every byte was written
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// Refuses a write of `count` bytes from a 1-based position that could not be whole: a position before the file,
// past its end or past LastWritablePosition, or a path that is no regular file. No failure: it may go ahead.
[[nodiscard]] WriteResult CheckMessageWrite(const std::filesystem::path& path, std::int32_t start, std::int64_t count);

// The moments of one byte's write at which another program changing the file has different effects.
enum class ByteStep {
    BeforeOpen,  // the byte's own open is next, and the look at the size after it
    BeforeWrite, // the size was looked at and leaves room for the byte, which is written next
    BeforeRun,   // a run of a change is next, on the file already open: the look at the size, then its bytes
};

// Called with a byte's 1-based file position and the step its write has reached: lets a test act as another
// program at an exact moment of the write. The editor passes none.
using ByteWatcher = std::function<void(std::int64_t position, ByteStep step)>;

// Writes message bytes over the file from a 1-based position on, one byte at a time, opening and closing the
// file around each byte. A write that CheckMessageWrite refuses is refused before its first byte, so no
// message is left without its end code by a refusal. Another program may still shorten the file meanwhile: the
// size is asked of the open file before each byte, and a byte that extended the file anyway is cut off again;
// the write then stops there, so the file never ends longer than that program left it.
WriteResult WriteMessageBytes(const std::filesystem::path& path, std::int32_t start,
                              std::span<const std::uint8_t> bytes, const ByteWatcher& watcher = {});

// Puts back the bytes a write replaced: `original` over the file from `start` on, but only while the file still
// holds exactly `written` there, the bytes that write put in. Another program's change is refused before the first
// byte, naming the first position that differs; otherwise the bytes go in as WriteMessageBytes writes them.
WriteResult RestoreBytes(const std::filesystem::path& path, std::int32_t start, std::span<const std::uint8_t> written,
                         std::span<const std::uint8_t> original, const ByteWatcher& watcher = {});

// One stretch of a change to the file: from a 1-based position on, the bytes the file held there before the change
// and the bytes the change put there, as many.
struct ByteRun {
    std::int64_t start = 0;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;

    friend bool operator==(const ByteRun&, const ByteRun&) = default;
};

struct [[nodiscard]] RunsResult {
    std::size_t runs = 0;   // runs written whole, in order
    std::int64_t bytes = 0; // bytes of the runs written whole
    bool started = false;   // the checks passed and the first run's write began: a failure came midway
    Failure failure;        // why the change was refused or stopped; none when every run went in
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// Makes a change of many runs with one open of the file, for a change too large to open the file for each byte:
// each run's `after` goes over its `before`, or, taking the change back, each run's `before` over its `after`.
// Every run is checked before the first byte: it lies inside the file and the editor's positions, and the file
// still holds there what the change expects to replace (ChangedSinceWrite names the first byte that differs). The
// size is asked again before each run, so a file that another program shortened meanwhile is not grown.
RunsResult ReplaceRuns(const std::filesystem::path& path, std::span<const ByteRun> runs, bool takeBack = false,
                       const ByteWatcher& watcher = {});

} // namespace kyrel
