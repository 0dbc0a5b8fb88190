#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kyrel {

struct [[nodiscard]] TypedText {
    // The message as the encoder reads it; line ends are CR LF and only there to be read by people.
    std::u16string text;
    bool complete = false; // the bytes end with the message's end code
};

// Writes the bytes of a read (in file order, argument bytes included) as text that "Write New Text" turns back
// into exactly these bytes, followed by the end code when the read stopped before it. The text is what a user
// would type wherever the encoder makes the same bytes of it: the character table's texts, tags for the control
// codes, line-break tags followed by a line end, arguments three digits wide, no end code at the end, and a line
// end between two pieces that the encoder would otherwise read as one (the letters "b" and "e", two blanks, a "<"
// and the text after it). A raw-byte tag "<$XX>" stands only for a byte that typed text gives otherwise or not at
// all: a byte without a text of its own, 0x74, the second "!", "*", "¤" and "v" codes, and a line-break code out
// of the order in which the encoder gives them. The bytes of any typed text copy without a raw-byte tag.
//
// A read that stopped right after an argument code did not take its argument: the copy gives that code the
// argument 127, the end code's value, and the encoder ends the text with an end code of its own after it.
TypedText TypedTextOf(std::span<const std::uint8_t> bytes);

} // namespace kyrel
