#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kyrel {

// The encoder's cursor, current byte and line-break state, kept by the main window beside its other state.
struct EncoderState {
    std::int32_t EncodePos = 0;
    std::uint8_t EncodedByte = 0;
    // Which byte "<BR>" gives: 0 before any break, 1 after the first, 2 after a "<P>".
    std::uint8_t BreakMode = 0;
};

// A tag's argument field that is not a number from 0 to 255.
struct EncodeError {
    std::u16string tag;    // the tag as typed, for example "<DELAY>"
    std::int32_t position; // 0-based index of the field's first character in the text
    int line;              // 1-based line of the field, for the user
    int column;            // 1-based column of the field on that line
    std::u16string field;  // the field as typed (up to three characters)

    // One sentence for the user, in UTF-8.
    [[nodiscard]] std::string Describe() const;
};

// Receives each byte as soon as it is chosen; returning false stops the encoding there.
using ByteConsumer = std::function<bool(std::uint8_t)>;

// Turns typed text into message bytes: tags, dictionary entries (longest first), single characters, and the
// end code 0x7F. Characters without an entry are skipped. Stops at an argument field that is not a number
// from 0 to 255 and returns it; the bytes handed over before it have been handed over.
[[nodiscard]] std::optional<EncodeError> EncodeMessage(const std::u16string& text, EncoderState& state,
                                                       const ByteConsumer& consume);

struct [[nodiscard]] EncodedMessage {
    std::vector<std::uint8_t> bytes;
    std::optional<EncodeError> error; // when set, bytes holds only what came before the bad field
    [[nodiscard]] bool ok() const { return !error; }
};

// Encodes the whole text first, so that a write can be refused before any byte reaches the file.
[[nodiscard]] EncodedMessage EncodeToBytes(const std::u16string& text);

} // namespace kyrel
