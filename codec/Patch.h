#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kyrel {

// Patches for sharing an edited ROM without the ROM itself: BPS (checksummed, any size, may shrink the file) and
// IPS (no checksums, offsets up to 16 MiB, never shrinks). Everything works on bytes in memory.

// The largest target a BPS patch may ask for. A patch names its target's size up front, and one bad byte there
// could otherwise ask for gigabytes; 256 MiB is far beyond any cartridge of the console.
inline constexpr std::uint64_t MaxBpsTargetSize = 256ull * 1024 * 1024;

// The last offset an IPS record can start at, and the one it cannot: its three bytes would read as "EOF".
inline constexpr std::uint64_t IpsLastOffset = 0xFFFFFF;
inline constexpr std::uint64_t IpsEofOffset = 0x454F46;
// The furthest an IPS record reaches: the last offset and the largest size. No IPS patch grows a file past it.
inline constexpr std::uint64_t IpsReach = IpsLastOffset + 0xFFFF;

// The copier header some ROM files carry in front of the cartridge image.
inline constexpr std::size_t CopierHeaderSize = 512;

// Why a patch did not apply. `at`, `expected` and `actual` of the result carry the values named here.
enum class ApplyCode {
    Ok,
    BadMagic,         // it does not start with "BPS1" or "PATCH"
    Truncated,        // it ends inside a number, an action, a record or before "EOF"; at: where that began
    NumberTooLarge,   // a BPS number does not fit 64 bits; at: its first byte
    SourceSize,       // the source has another size than the patch was made for; expected, actual: the sizes
    TargetTooLarge,   // the target would be larger than the limit; expected: the limit, actual: the size asked for;
                      // at: the IPS record or size that asks for it
    PatchCrc,         // the patch is damaged; expected: the CRC-32 it holds of itself, actual: its bytes' CRC-32
    SourceCrc,        // the source is another file of the right size; expected: from the patch, actual: the source's
    ActionOutOfRange, // an action reads outside the source or ahead of the target written so far; at: the action
    OutputOverrun,    // an action writes past the target's size; at: the action
    OutputShort,      // the actions end before the target is whole; expected: its size, actual: the bytes written
    TargetCrc,        // the result is not what the patch was made to give; expected: from the patch, actual: result's
    BadRecord,        // an IPS run-length record of no bytes; at: the record
    TrailingBytes,    // bytes follow IPS "EOF" that are not the 3-byte size some patchers read; at: the first
};

struct [[nodiscard]] PatchApplied {
    std::vector<std::uint8_t> target; // the patched bytes; empty unless ok()
    ApplyCode code = ApplyCode::Ok;
    std::uint64_t at = 0; // offset into the patch
    std::uint64_t expected = 0;
    std::uint64_t actual = 0;
    [[nodiscard]] bool ok() const { return code == ApplyCode::Ok; }
};
using BpsApplied = PatchApplied;
using IpsApplied = PatchApplied;

enum class PatchFormat { Bps, Ips };

// Why no patch was made. The values named here are in the result.
enum class MakeCode {
    Ok,
    NothingToPatch, // the two files are identical
    IpsPastReach,   // a change lies past offset 0xFFFFFF, beyond any IPS record; offset: the first such change
    IpsShrinks,     // the edited file is shorter, which IPS cannot express; originalSize, editedSize
    TooLarge,       // the edited file is larger than MaxBpsTargetSize; editedSize
    VerifyFailed,   // the patch, applied to the original, did not give the edited file; offset, verifyCode
};

struct [[nodiscard]] IpsMade {
    std::vector<std::uint8_t> patch; // empty unless ok()
    MakeCode code = MakeCode::Ok;
    std::uint64_t offset = 0;
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    [[nodiscard]] bool ok() const { return code == MakeCode::Ok; }
};

// The BPS patch that turns `source` into `target`, without metadata. Bytes equal at the same offset are read from
// the source, runs of one byte repeated are copied from the target written so far, stretches found elsewhere in the
// source (moved or shifted) are copied from there, and the rest is carried in the patch.
[[nodiscard]] std::vector<std::uint8_t> MakeBps(std::span<const std::uint8_t> source,
                                                std::span<const std::uint8_t> target);

// Applies a BPS patch with every check it allows: the patch's own CRC-32 first (a damaged download), then the
// source's size and CRC-32 (the wrong file), then each action's bounds, then the target's CRC-32. A target larger
// than `maxTargetSize` is refused before anything is written; memory grows only with what the actions write.
[[nodiscard]] BpsApplied ApplyBps(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                                  std::uint64_t maxTargetSize = MaxBpsTargetSize);

// The IPS patch that turns `source` into `target`: a record for each stretch of changes (a gap of fewer unchanged
// bytes than a record's 5-byte head is written along), a run-length record where one byte repeated is long enough
// to gain, and records for every byte past the source's end. Refused when the target is shorter (IpsShrinks) or a
// change lies past 0xFFFFFF (IpsPastReach). A record that would start at 0x454F46 starts one byte earlier instead.
[[nodiscard]] IpsMade MakeIps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// Applies an IPS patch, growing the file with zeros for records past its end. Memory is bounded by the format (no
// record reaches past IpsReach); a caller may bound it lower: growing the file past `maxTargetSize` is refused.
// Three bytes after "EOF" are taken as the new size, as some patchers do.
[[nodiscard]] IpsApplied ApplyIps(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                                  std::uint64_t maxTargetSize = IpsReach);

// The outcome of trying a new patch on the original.
struct [[nodiscard]] PatchCheck {
    MakeCode code = MakeCode::Ok;         // Ok or VerifyFailed
    ApplyCode verifyCode = ApplyCode::Ok; // what applying it reported; Ok when it applied but gave other bytes
    std::uint64_t offset = 0;             // the first byte that differs from the edited file (or the shorter size)
    [[nodiscard]] bool ok() const { return code == MakeCode::Ok; }
};

// Applies the patch to the original as a player's patcher would (a BPS made without the copier header to the
// original without it, the header put back after) and compares the result with the edited file byte for byte.
// For BPS the patch's three CRC-32 values are checked on the way.
[[nodiscard]] PatchCheck CheckPatch(std::span<const std::uint8_t> patch, PatchFormat format, bool headerLeftOut,
                                    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited);

struct [[nodiscard]] PatchMade {
    std::vector<std::uint8_t> patch; // empty unless ok()
    PatchFormat format = PatchFormat::Bps;
    bool headerLeftOut = false; // BPS of the files without their (equal) copier headers
    bool headersDiffer = false; // both files have a copier header, but not the same one: BPS of the whole files
    MakeCode code = MakeCode::Ok;
    std::uint64_t offset = 0;
    std::uint64_t originalSize = 0;
    std::uint64_t editedSize = 0;
    ApplyCode verifyCode = ApplyCode::Ok;
    [[nodiscard]] bool ok() const { return code == MakeCode::Ok; }
};

// The patch the editor offers for sharing. BPS leaves out a copier header both files share, so that one patch
// serves players with and without it (players' patchers drop those 512 bytes of a headered file before applying
// a BPS); IPS addresses the file as it stands. Every patch is applied to the original and compared with
// the edited file before it is returned (CheckPatch): a patch that would not give the edited file is never given.
[[nodiscard]] PatchMade MakePatch(std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited,
                                  PatchFormat format);

// Whether a file of this size is 512 bytes more than a whole number of 32 KiB: a cartridge image with a copier
// header, as players' patchers tell one.
[[nodiscard]] bool HasCopierHeaderSize(std::uint64_t size);

} // namespace kyrel
