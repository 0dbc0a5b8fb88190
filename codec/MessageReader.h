#pragma once

#include "codec/CharTable.h"
#include "codec/RomFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
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
    std::u16string text; // the decoded display text, line breaks as CR LF
    ReaderState state;   // positions after the read; the caller's own stay as they were on an error
    std::string error;   // empty when the read worked
    // The bytes the read decoded, in file order from ViewStartPos, argument bytes included: what the text came
    // from, since the text alone does not tell the bytes apart.
    std::vector<std::uint8_t> bytes;
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Decodes one message from the file, starting at state.ReadPos, and stops at the end code, at the view's
// byte limit, at the end of the file or after MaxReadCount bytes. Opens the file once and closes it before
// returning. The table's pending-argument marker is empty again on every return.
ReadResult ReadMessage(const std::filesystem::path& path, const ReaderState& state, CharTable& table,
                       const StopRule& rule);

struct [[nodiscard]] MessageLength {
    std::int64_t bytes = 0; // bytes up to and including the end code, argument bytes counted
    bool terminated = false; // false when the file ended first
    std::string error;
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Measures the message that starts at a 1-based position: how many bytes a write may replace without
// running into the message after it.
MessageLength MeasureMessage(const std::filesystem::path& path, std::int32_t start);

} // namespace kyrel
