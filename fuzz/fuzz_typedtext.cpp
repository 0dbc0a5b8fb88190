// Fuzz target for the typed form of a read's bytes (what "Copy as New Text" puts on the clipboard).
//
// After a first flag byte, the input is one of two things:
// - Bytes: each input byte is a code, any of the 256 values (or, with the flag "letters", one of the letters and
//   glyphs that entries and tags are made of); an argument code takes the next input byte as its argument, and
//   the end code follows unless the flags cut the message short, as a read stopped by a limit.
//   Encoding the copy gives exactly these bytes; for a cut read, these bytes and the end code (and, for a read cut
//   right after an argument code, whose copy gives it the argument 127, one end code more).
// - Typed text (flag "typed"): each input byte picks a piece of text that a user may type (characters, dictionary
//   entries, tags with their fields, line ends, characters without an entry, but no "$"), and the text is encoded.
//   The copy of the bytes holds no raw-byte tag and encodes to the same bytes again.
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/TypedText.h"
#include "fuzz/FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

enum Flags : std::uint8_t {
    Typed = 1 << 0,   // the input picks pieces of typed text, not bytes
    Cut = 1 << 1,     // no end code after the last byte, as a read cut by a limit
    Letters = 1 << 2, // each byte is one of the letters and glyphs that dictionary entries and tags are made of
};

// Small letters, blanks and the glyphs of "(A)", "'s " and the tags: runs of them make the encoder read one entry
// or tag where the bytes hold several.
constexpr std::uint8_t LetterCodes[] = {
    0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B,
    0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x00, 0x01, 0x02, 0x04, 0x07, 0x0F, 0x11, 0x13, 0x15, 0x17,
    0x18, 0x41, 0x45, 0x46, 0x4F, 0x50, 0x51, 0x59, 0x59, 0x59, 0x8A, 0x89, 0x90, 0x93, 0xA5, 0xA6, 0xCE, 0xD0,
};

// Every text the encoder takes as one byte, the tags, and what it skips; argument tags get their field apart.
const std::vector<std::u16string>& Pieces() {
    static const std::vector<std::u16string> pieces = [] {
        // No "$": the text of a user who types no raw-byte tag.
        std::vector<std::u16string> list = {u"<BR>", u"<P>", u"<E>", u"<TAB>", u"<CHOICE>", u"<TOP>", u"\r\n",
                                            u"~",    u"\t",  u"{",   u"]",     u"    ",     u"<BR",   u"<br>"};
        const CharTable& table = BuiltCharTable();
        for (int b = 0; b < 256; ++b) {
            const std::u16string& text = table.Lookup(static_cast<std::uint8_t>(b));
            // Line breaks and the tab come as line ends and tags above, argument tags with their field below.
            if (!text.empty() && text.find_first_of(u"\r\n\t") == std::u16string::npos &&
                !TakesArgument(static_cast<std::uint8_t>(b)))
                list.push_back(text);
        }
        return list;
    }();
    return pieces;
}

std::u16string TypedTextOfInput(FuzzInput& input) {
    std::u16string text;
    while (!input.AtEnd()) {
        const std::uint8_t pick = input.Byte();
        if (pick >= 0xF0) {
            // An argument tag and its field, three digits wide.
            static constexpr const char16_t* tags[] = {u"<BORDER>", u"<ALIGN>", u"<COLOR>",
                                                       u"<DELAY>",  u"<SOUND>", u"<SPEED>"};
            const std::uint8_t argument = input.Byte();
            text += tags[pick % std::size(tags)];
            text += {static_cast<char16_t>(u'0' + argument / 100), static_cast<char16_t>(u'0' + argument / 10 % 10),
                     static_cast<char16_t>(u'0' + argument % 10)};
            continue;
        }
        text += Pieces()[(pick << 8 | input.Byte()) % Pieces().size()];
    }
    return text;
}

void CheckTypedText(FuzzInput& input) {
    const std::u16string text = TypedTextOfInput(input);
    const EncodedMessage encoded = EncodeToBytes(text);
    if (!encoded.ok())
        return; // letters that spell an argument tag, and no number after it: nothing is written
    const TypedText copy = TypedTextOf(encoded.bytes);
    KYREL_FUZZ_CHECK(copy.complete);
    KYREL_FUZZ_CHECK(copy.text.find(u"<$") == std::u16string::npos);
    const EncodedMessage again = EncodeToBytes(copy.text);
    KYREL_FUZZ_CHECK(again.ok() && again.bytes == encoded.bytes);
}

void CheckBytes(FuzzInput& input, bool cut, bool letters) {
    std::vector<std::uint8_t> bytes;
    bool endsWithEndCode = false;      // as a code, not as an argument
    bool endsWithArgumentCode = false; // cut off from its argument
    while (!input.AtEnd()) {
        const std::uint8_t pick = input.Byte();
        const std::uint8_t b = letters ? LetterCodes[pick % std::size(LetterCodes)] : pick;
        bytes.push_back(b);
        endsWithEndCode = b == EndCode;
        endsWithArgumentCode = TakesArgument(b) && input.AtEnd() && cut;
        if (TakesArgument(b) && !endsWithArgumentCode)
            bytes.push_back(input.Byte());
    }
    if (!cut) {
        bytes.push_back(EndCode);
        endsWithEndCode = true;
        endsWithArgumentCode = false;
    }

    const TypedText copy = TypedTextOf(bytes);
    KYREL_FUZZ_CHECK(copy.complete == endsWithEndCode);
    std::vector<std::uint8_t> written = bytes;
    if (!copy.complete)
        written.push_back(EndCode);
    if (endsWithArgumentCode)
        written.push_back(EndCode);
    const EncodedMessage encoded = EncodeToBytes(copy.text);
    KYREL_FUZZ_CHECK(encoded.ok());
    KYREL_FUZZ_CHECK(encoded.bytes == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    if (flags & Typed)
        CheckTypedText(input);
    else
        CheckBytes(input, (flags & Cut) != 0, (flags & Letters) != 0);
    return 0;
}
