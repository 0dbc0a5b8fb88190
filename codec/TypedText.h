#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kyrel {

// A byte of a read that typed text cannot produce, so a copy of the message leaves it out.
struct LeftOutByte {
    std::int64_t position = 0; // file position
    std::uint8_t value = 0;
    std::u16string shown; // as the "ROM Text" pane shows it: "(62)", "<TOP>", or an argument code's tag

    friend bool operator==(const LeftOutByte&, const LeftOutByte&) = default;
};

struct [[nodiscard]] TypedText {
    // The message as the encoder reads it; line ends are CR LF and only there to be read by people.
    std::u16string text;
    std::vector<LeftOutByte> leftOut; // in file order
    bool complete = false;            // the bytes end with the message's end code
};

// Writes the bytes of a read (in file order from firstPosition, argument bytes included) as text that the
// encoder turns back into bytes the reader shows as it showed these: tags for the control codes, line-break
// tags followed by a line end, arguments three digits wide, no end code at the end. Where blanks would run to
// four (the encoder's tab) or a "<" would start a tag with the text after it, a line end keeps them apart.
TypedText TypedTextOf(std::span<const std::uint8_t> bytes, std::int64_t firstPosition);

} // namespace kyrel
