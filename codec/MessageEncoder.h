#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
};

// Receives each byte as soon as it is chosen; returning false stops the encoding there.
using ByteConsumer = std::function<bool(std::uint8_t)>;

// Turns typed text into message bytes: tags, dictionary entries (longest first), single characters, and the
// end code 0x7F. Characters without an entry are skipped. Stops at an argument field that is not a number
// from 0 to 255 and returns it; the bytes handed over before it have been handed over.
//
// "<$XX>", with exactly two hexadecimal digits in either case, gives the byte XX and nothing else: it leaves
// BreakMode as it is, and a "<$7F>" is no "<E>", so the end code still follows at the end of the text. When XX
// is an argument code, the three characters after the tag are its argument field, as after the code's own tag.
// Any other text after a "<" that is no tag is encoded as ordinary characters ("<$7F" gives the "<" glyph).
//
// While a byte is handed over, state.EncodePos is the index of the character at which its step began; the end
// code of the end rule comes with EncodePos at or past the end of the text.
[[nodiscard]] std::optional<EncodeError> EncodeMessage(const std::u16string& text, EncoderState& state,
                                                       const ByteConsumer& consume);

// The most characters that one step of the encoder reads: a tag of eight characters with its argument field.
// Text after that many characters cannot change what a step chooses.
inline constexpr std::size_t LongestStep = 11;

// The characters that encoding the text skips, giving no byte for them (a "~", a tab, a "{" or "]" whose entry
// does not match), other than the line ends CR and LF: each character once, in the order of its first skip; a
// character outside the Basic Multilingual Plane stands there whole, as its two halves, and half of such a
// pair alone as U+FFFD. Characters in an argument
// field belong to the field, and a "<TOP>" that gives no byte is a tag, not a skipped character. For a text with
// an argument field that is no number, only the characters before the encoding stops there.
[[nodiscard]] std::u16string DroppedCharacters(std::u16string_view text);

struct [[nodiscard]] EncodedMessage {
    std::vector<std::uint8_t> bytes;
    std::u16string dropped;           // the characters skipped, as DroppedCharacters gives them
    std::optional<EncodeError> error; // when set, bytes holds only what came before the bad field
    [[nodiscard]] bool ok() const { return !error; }
};

// Encodes the whole text in one pass, so that a write can be refused, or asked about, before any byte reaches
// the file: its bytes, the characters it leaves out and its first bad argument field together. Works on the
// editor's encoder state as EncodeMessage does.
[[nodiscard]] EncodedMessage EncodeToBytes(const std::u16string& text, EncoderState& state);
// The same from a fresh encoder state.
[[nodiscard]] EncodedMessage EncodeToBytes(const std::u16string& text);

} // namespace kyrel
