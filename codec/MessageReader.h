#pragma once

#include "codec/CharTable.h"
#include "codec/RomFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kyrel {

// First file positions of the two text banks.
inline constexpr std::int32_t Bank1Start = 483649;
inline constexpr std::int32_t Bank2Start = 918210;

// A read of at most this many decoded bytes: the reader's count is a 16-bit signed number.
inline constexpr int MaxReadCount = 32767;
// Index view cuts a message after this many decoded bytes.
inline constexpr int IndexViewLimit = 1000;

// When a read stops besides the end code.
struct StopRule {
    enum class View { Index, Byte };
    View view = View::Index;
    // Byte view: the number in the "Ending Value" box, compared exactly with the count of decoded bytes;
    // nothing when the box holds no number (the read then runs to the end code or the count's limit).
    std::optional<double> byteCount;

    [[nodiscard]] static StopRule IndexView() { return {View::Index, std::nullopt}; }
    [[nodiscard]] static StopRule ByteView(std::optional<double> fini) { return {View::Byte, fini}; }
};

// The editor's positions that a read takes and moves.
struct ReaderState {
    std::int32_t ReadPos = 0;
    std::int32_t NextMessagePos = 0;
    std::int32_t ViewStartPos = 0;
    std::uint8_t ArgumentByte = 0;

    friend bool operator==(const ReaderState&, const ReaderState&) = default;
};

struct [[nodiscard]] ReadResult {
    std::u16string text;             // the decoded display text, line breaks as CR LF
    std::vector<std::uint8_t> bytes; // the bytes decoded, argument bytes included, from ViewStartPos on
    ReaderState state;               // positions after the read; the caller's own stay as they were on a failure
    Failure failure;                 // none when the read worked
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// The last position a read may reach: the next-message position, one past the byte a read stops on, must
// still fit the editor's 32-bit positions.
inline constexpr std::int64_t LastReadablePosition = 2147483647 - 2;

// How many bytes from the start a read can need under a stop rule: each decoded byte may bring an argument byte.
[[nodiscard]] std::size_t ReachOf(const StopRule& rule);

// Decodes one message from the bytes that begin at state.ReadPos; `bytes` ends where the file ends (or
// anywhere past ReachOf(rule)). Stops at the end code, at the view's byte limit, at the end of the bytes or
// after MaxReadCount bytes. The table's pending-argument marker is empty again on every return.
ReadResult DecodeMessage(std::span<const std::uint8_t> bytes, const ReaderState& state, CharTable& table,
                         const StopRule& rule);

// Where a read stops, without its text: the positions DecodeMessage leaves and how many bytes it keeps.
struct ReadExtent {
    ReaderState state;
    std::size_t kept = 0; // ReadResult::bytes.size(): the bytes decoded, argument bytes and end code included
};

// Walks a message as DecodeMessage reads it, under the same stop rules, building no text: for reads whose text
// nobody sees. Nothing where DecodeMessage would refuse the position.
[[nodiscard]] std::optional<ReadExtent> WalkMessage(std::span<const std::uint8_t> bytes, const ReaderState& state,
                                                    const StopRule& rule);

struct ShownRead {
    ReadExtent extent;
    std::u16string_view text; // good until the next read through the same ShownText
};

// Reads as DecodeMessage does, for listing many messages: the same positions and text, with the table's texts
// copied as fixed-width blocks into one buffer kept from read to read, and no copy of the bytes. Built from one
// table; nothing where DecodeMessage would refuse the position.
class ShownText {
public:
    explicit ShownText(const CharTable& table);
    [[nodiscard]] std::optional<ShownRead> Read(std::span<const std::uint8_t> bytes, const ReaderState& state,
                                                const StopRule& rule);

private:
    static constexpr std::size_t Width = 8; // the longest text of the built table, "<BORDER>"
    struct alignas(32) Piece {
        std::array<char16_t, Width> head{};
        std::uint8_t size = 0;
        bool fits = true; // false for a text longer than Width, kept whole in m_long
    };
    std::array<Piece, 256> m_codes;
    std::array<Piece, 256> m_numbers;   // an argument byte as a decimal number
    std::vector<std::u16string> m_long; // texts longer than Width by byte value; empty when none is
    std::size_t m_widest = Width;
    std::vector<char16_t> m_text;
};

// Reads the stretch of the file that the stop rule can reach in one read and decodes it. Opens the file once
// and closes it before returning; an error (no such file, not a regular file, a position outside the file)
// leaves the caller's positions as they were.
ReadResult ReadMessage(const std::filesystem::path& path, const ReaderState& state, CharTable& table,
                       const StopRule& rule);

struct [[nodiscard]] MessageLength {
    std::int64_t bytes = 0;  // bytes up to and including the end code, argument bytes counted
    bool terminated = false; // false when no end code came within the bytes looked at
    Failure failure;
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// Measures the message at the front of the bytes.
[[nodiscard]] MessageLength MeasureBytes(std::span<const std::uint8_t> bytes);

// Measures the message that starts at a 1-based position, looking at no more than `atMost` bytes: enough to
// tell whether a new text of that many bytes runs into the message after it.
MessageLength MeasureMessage(const std::filesystem::path& path, std::int32_t start, std::int64_t atMost);

} // namespace kyrel
