// Fuzz target for the encoder. Each input is used twice.
//
// As typed text (UTF-16 code units after a first byte 0xFF; otherwise one character per byte: printable ASCII,
// CR, LF and tab stand for themselves, the other values for the game's glyphs, characters outside the Basic
// Multilingual Plane and lone surrogates): the encoding ends with the end code or stops at an argument field
// that is no number from 0 to 255, reported where it stands (after an argument tag or a raw-byte tag of an
// argument code); the bytes handed over never leave an argument code without its argument; a consumer that
// refuses a byte gets exactly the bytes before it.
//
// As a choice of entries and tags: the text is put together from the texts the reader shows for the codes the
// encoder produces, from tags with their argument fields, and from raw-byte tags "<$XX>" (in either case, with a
// field after an argument code), while the bytes the game should get are put together alongside, by the tag rules
// and their line-break states, which a raw-byte tag leaves as they are. Encoding that text must give bytes that
// read back as the same text, and, when every entry is followed by a character that no dictionary entry
// holds (so taking the longest entry first cannot join neighbours), exactly the bytes put together.
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

std::u16string Units(std::initializer_list<char16_t> units) {
    return std::u16string(units);
}

// What the byte values outside printable ASCII stand for in the one-character-per-byte form.
const std::vector<std::u16string>& SpecialCharacters() {
    static const std::vector<std::u16string> specials = {
        u"\r\n",
        u"\r",
        u"\n",
        u"\t",
        u"\u00BB",
        u"\u00AB",
        u"\u201D",
        u"\u00A4",
        u"\u00A1",
        Units({0xD83D}),         // a high surrogate alone
        Units({0xDE00}),         // a low surrogate alone
        Units({0xD83D, 0xDE00}), // U+1F600, a pair
        Units({0xDBFF, 0xDFFF}), // U+10FFFF
        Units({0xDE00, 0xD83D}), // a pair the wrong way round
        u"\uFFFD",
        u"\uFFFF",
        u"\u00A0",
        u"\u00E9",
        u"\u2028",
        Units({0x0000}),
        u"    ",
    };
    return specials;
}

std::u16string TypedText(FuzzInput& input, bool codeUnits) {
    std::u16string text;
    if (codeUnits) {
        while (!input.AtEnd())
            text += static_cast<char16_t>(input.U16());
        return text;
    }
    while (!input.AtEnd()) {
        const std::uint8_t b = input.Byte();
        if ((b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n' || b == '\t')
            text += static_cast<char16_t>(b);
        else
            text += SpecialCharacters()[b % SpecialCharacters().size()];
    }
    return text;
}

constexpr std::u16string_view ArgumentTags[] = {u"<BORDER>", u"<ALIGN>", u"<COLOR>",
                                                u"<DELAY>",  u"<SOUND>", u"<SPEED>"};
constexpr std::uint8_t ArgumentCodes[] = {0x6B, 0x6D, 0x77, 0x78, 0x79, 0x7A};

// An argument field as the user may type it: three characters, digits with blanks around them, 0 to 255.
KYREL_FUZZ_UNTRACED bool GoodField(std::u16string_view field) {
    if (field.size() != 3)
        return false;
    std::size_t first = 0;
    while (first < 3 && field[first] == u' ')
        ++first;
    std::size_t last = 3;
    while (last > first && field[last - 1] == u' ')
        --last;
    if (first == last)
        return false;
    int value = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (field[i] < u'0' || field[i] > u'9')
            return false;
        value = value * 10 + (field[i] - u'0');
    }
    return value <= 255;
}

// A field cut short by the end of the text is still read, as far as it goes.
KYREL_FUZZ_UNTRACED bool GoodShortField(std::u16string_view field) {
    if (field.size() == 3)
        return GoodField(field);
    std::u16string padded(field);
    padded.resize(3, u' ');
    return GoodField(padded);
}

// The byte of a raw-byte tag "<$XX>", two hexadecimal digits in either case.
KYREL_FUZZ_UNTRACED std::optional<std::uint8_t> RawByte(std::u16string_view tag) {
    auto digit = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    };
    if (tag.size() != 5 || tag[0] != u'<' || tag[1] != u'$' || tag[4] != u'>' || digit(tag[2]) < 0 || digit(tag[3]) < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(digit(tag[2]) * 16 + digit(tag[3]));
}

// Argument codes always come with their argument byte.
KYREL_FUZZ_UNTRACED bool ArgumentsComplete(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (TakesArgument(bytes[i])) {
            if (i + 1 == bytes.size())
                return false;
            ++i;
        }
    }
    return true;
}

void CheckTypedText(const std::u16string& text, std::uint8_t refuseChoice) {
    const EncodedMessage whole = EncodeToBytes(text);
    KYREL_FUZZ_CHECK(whole.bytes.size() <= text.size() + 1); // every byte but the end code takes a character
    KYREL_FUZZ_CHECK(ArgumentsComplete(whole.bytes));
    if (whole.ok()) {
        KYREL_FUZZ_CHECK(!whole.bytes.empty() && whole.bytes.back() == EndCode);
    } else {
        const EncodeError& error = *whole.error;
        const auto position = static_cast<std::size_t>(error.position);
        KYREL_FUZZ_CHECK(error.position >= 0 && position <= text.size());
        bool knownTag = false;
        for (std::u16string_view tag : ArgumentTags)
            knownTag = knownTag || error.tag == tag;
        const std::optional<std::uint8_t> raw = RawByte(error.tag);
        KYREL_FUZZ_CHECK(knownTag || (raw && TakesArgument(*raw)));
        KYREL_FUZZ_CHECK(position >= error.tag.size());
        KYREL_FUZZ_CHECK(text.compare(position - error.tag.size(), error.tag.size(), error.tag) == 0);
        KYREL_FUZZ_CHECK(error.field == text.substr(position, 3));
        KYREL_FUZZ_CHECK(!GoodShortField(error.field));

        int line = 1;
        std::size_t lineStart = 0;
        for (std::size_t i = 0; i < position; ++i) {
            if (text[i] == u'\n') {
                ++line;
                lineStart = i + 1;
            }
        }
        KYREL_FUZZ_CHECK(error.line == line);
        KYREL_FUZZ_CHECK(error.column == static_cast<int>(position - lineStart) + 1);
    }
    // The one pass that gives the bytes names the characters left out as the separate look does.
    KYREL_FUZZ_CHECK(whole.dropped == DroppedCharacters(text));

    // The consumer's way: the same bytes in the same order, and a refusal stops the encoding right there.
    const std::size_t refuseAt = 1 + refuseChoice % (whole.bytes.size() + 1); // past the last: never refuses
    std::vector<std::uint8_t> received;
    EncoderState state;
    state.BreakMode = 2; // nothing carries over from an encoding before
    const auto result = EncodeMessage(text, state, [&](std::uint8_t b) {
        received.push_back(b);
        return received.size() != refuseAt;
    });
    KYREL_FUZZ_CHECK(state.BreakMode <= 2);
    if (refuseAt <= whole.bytes.size()) {
        KYREL_FUZZ_CHECK(!result);
        KYREL_FUZZ_CHECK(received.size() == refuseAt);
        KYREL_FUZZ_CHECK(std::equal(received.begin(), received.end(), whole.bytes.begin()));
    } else {
        KYREL_FUZZ_CHECK(received == whole.bytes);
        KYREL_FUZZ_CHECK(result.has_value() == !whole.ok());
        if (result)
            KYREL_FUZZ_CHECK(result->position == whole.error->position);
        else
            KYREL_FUZZ_CHECK(static_cast<std::size_t>(state.EncodePos) >= text.size());
    }
}

// --- Text put together from entries and tags ---

struct Entry {
    std::u16string text;
    std::uint8_t code;
};

// Every code the encoder produces for a character or a group of characters, with the text the reader shows for
// it; four spaces, which the reader shows as a tab, stand for the tab code.
const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = [] {
        CharTable table;
        table.BuildCharTable();
        std::vector<Entry> list;
        auto add = [&](int first, int last) {
            for (int code = first; code <= last; ++code) {
                const auto b = static_cast<std::uint8_t>(code);
                list.push_back({b == 0x88 ? std::u16string(u"    ") : table.Lookup(b), b});
            }
        };
        add(0x00, 0x3D); // letters and digits
        add(0x3F, 0x46); // ? - . , "... " » ( )
        add(0x49, 0x4D); // * {[ ]} ” ^
        add(0x4F, 0x51); // < > '
        add(0x58, 0x61); // ¤, blank, «, (A) (B) (X) (Y), |, ¡, !
        add(0x6A, 0x6A); // Vrel
        add(0x88, 0xE8); // blanks, 's and the dictionary
        for (const Entry& entry : list)
            if (entry.text.empty())
                std::abort();
        return list;
    }();
    return entries;
}

// Characters that begin no dictionary entry and appear in none: after one of them the next entry starts afresh.
constexpr std::pair<char16_t, std::uint8_t> Breakers[] = {
    {u'0', 0x34},      {u'1', 0x35},      {u'2', 0x36}, {u'3', 0x37},      {u'4', 0x38}, {u'5', 0x39},
    {u'6', 0x3A},      {u'7', 0x3B},      {u'8', 0x3C}, {u'9', 0x3D},      {u'?', 0x3F}, {u'-', 0x40},
    {u',', 0x42},      {u'\u00BB', 0x44}, {u'*', 0x49}, {u'\u201D', 0x4C}, {u'^', 0x4D}, {u'>', 0x50},
    {u'\u00A4', 0x58}, {u'\u00AB', 0x5A}, {u'|', 0x5F}, {u'\u00A1', 0x60}, {u'!', 0x61},
};

// The bytes as text again, the way Compose writes it: the reader's texts for entries, tags for control codes.
// A byte without a text is one the encoder produces only for a raw-byte tag; there it reads back as "(62)".
KYREL_FUZZ_UNTRACED std::optional<std::u16string> ReadBack(const std::vector<std::uint8_t>& bytes, bool rawTags) {
    static const CharTable table = [] {
        CharTable built;
        built.BuildCharTable();
        return built;
    }();
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (TakesArgument(b)) {
            if (i + 1 == bytes.size())
                return std::nullopt;
            for (std::size_t k = 0; k < std::size(ArgumentCodes); ++k)
                if (ArgumentCodes[k] == b)
                    text += ArgumentTags[k];
            const std::string digits = std::to_string(bytes[++i]);
            text += std::u16string(3 - digits.size(), u'0');
            for (char d : digits)
                text += static_cast<char16_t>(d);
        } else if (b == 0x73 || b == 0x75 || b == 0x76) {
            text += u"<BR>";
        } else if (b == 0x7E) {
            text += u"<P>";
        } else if (b == EndCode) {
            text += u"<E>";
        } else if (b == 0x68) {
            text += u"<CHOICE>";
        } else if (b == 0x88) {
            text += u"    ";
        } else if (table.Lookup(b).empty()) {
            if (!rawTags)
                return std::nullopt; // a byte the encoder should never produce
            text += HexInParentheses(b);
        } else {
            text += table.Lookup(b);
        }
    }
    return text;
}

struct Composed {
    std::u16string text;             // what is encoded
    std::u16string readBack;         // the same text with tabs as four blanks, dropped tags left out, fields widened
    std::vector<std::uint8_t> bytes; // what the game should get
    bool lastIsEndTag = false;       // the last byte comes from an "<E>"
    bool exact = true;               // no entry was left without a breaker before another entry
    bool rawTags = false;            // a raw-byte tag asked for a byte without a text
};

Composed Compose(FuzzInput& input) {
    Composed c;
    int breakMode = 0;
    bool pendingJoin = false;                                       // the last entry had no breaker after it
    const std::size_t tagChoices = 6 + std::size(ArgumentTags) + 1; // the last: a raw-byte tag
    const std::size_t choices = Entries().size() + tagChoices;

    auto hand = [&](std::uint8_t b) {
        c.bytes.push_back(b);
        c.lastIsEndTag = false;
    };
    auto both = [&](std::u16string_view text) {
        c.text += text;
        c.readBack += text;
    };

    for (int units = 0; units < 400 && !input.AtEnd(); ++units) {
        const std::size_t pick = input.U16() % choices;
        if (pick < Entries().size()) {
            const Entry& entry = Entries()[pick];
            if (pendingJoin)
                c.exact = false;
            both(entry.text);
            hand(entry.code);
            // A "<" needs a breaker always, or it could start a tag with what follows.
            const std::uint8_t breaker = input.Byte();
            pendingJoin = false;
            if (breaker < 0xF0 || entry.code == 0x4F) {
                const auto& [character, code] = Breakers[breaker % std::size(Breakers)];
                both(std::u16string(1, character));
                hand(code);
            } else {
                pendingJoin = true;
            }
            continue;
        }
        // Tags: "<" appears in no entry, so an entry never runs on into a tag.
        pendingJoin = false;
        const std::size_t tag = pick - Entries().size();
        switch (tag) {
        case 0: // "<BR>"
            both(u"<BR>");
            hand(breakMode == 0 ? 0x75 : breakMode == 1 ? 0x76 : 0x73);
            if (breakMode == 0)
                breakMode = 1;
            break;
        case 1:
            both(u"<P>");
            hand(0x7E);
            breakMode = 2;
            break;
        case 2:
            both(u"<E>");
            hand(EndCode);
            c.lastIsEndTag = true;
            breakMode = 0;
            break;
        case 3:
            c.text += u"<TAB>";
            c.readBack += u"    ";
            hand(0x88);
            break;
        case 4:
            both(u"<CHOICE>");
            hand(0x68);
            break;
        case 5:
            both(u"<TOP>");
            if (breakMode == 0) {
                c.readBack.resize(c.readBack.size() - 5); // dropped
            } else {
                for (std::uint8_t b : {0x4F, 0x13, 0x0E, 0x0F, 0x50}) // written as its five characters
                    hand(b);
            }
            break;
        default: {
            std::uint8_t code;
            if (tag == tagChoices - 1) {
                // Any byte at all, and nothing else: the break mode stays and a 0x7F is no "<E>".
                code = input.Byte();
                const char16_t* hex = input.Byte() & 1 ? u"0123456789abcdef" : u"0123456789ABCDEF";
                c.text += {u'<', u'$', hex[code >> 4], hex[code & 0x0F], u'>'};
                c.rawTags = true;
                if (!TakesArgument(code)) {
                    c.readBack += *ReadBack({code}, true);
                    hand(code);
                    break;
                }
            } else {
                code = ArgumentCodes[tag - 6];
                c.text += ArgumentTags[tag - 6];
            }
            const std::uint8_t value = input.Byte();
            const std::uint8_t style = input.Byte();
            std::u16string digits;
            for (char d : std::to_string(value))
                digits += static_cast<char16_t>(d);
            std::u16string field;
            switch (style % 4) {
            case 0:
                field = std::u16string(3 - digits.size(), u'0') + digits;
                break;
            case 1:
                field = digits + std::u16string(3 - digits.size(), u' ');
                break;
            case 2:
                field = std::u16string(3 - digits.size(), u' ') + digits;
                break;
            default: // leading zeros and blanks together where there is room
                field = digits.size() == 1 ? u" 0" + digits : digits + std::u16string(3 - digits.size(), u' ');
                break;
            }
            // At the very end of the text the field may be cut short.
            if (style >= 0x80 && input.AtEnd())
                field = digits;
            c.text += field;
            c.readBack += *ReadBack({code, value}, true);
            hand(code);
            hand(value);
            break;
        }
        }
    }
    if (!c.lastIsEndTag)
        c.bytes.push_back(EndCode);
    return c;
}

void CheckComposedText(FuzzInput& input) {
    const Composed composed = Compose(input);
    const EncodedMessage encoded = EncodeToBytes(composed.text);
    KYREL_FUZZ_CHECK(encoded.ok());
    KYREL_FUZZ_CHECK(!encoded.bytes.empty() && encoded.bytes.back() == EndCode);

    // Whatever the entries the longest-first rule chose, they read back as the text.
    std::vector<std::uint8_t> body(encoded.bytes.begin(), encoded.bytes.end() - 1);
    const std::optional<std::u16string> readBack = ReadBack(body, composed.rawTags);
    KYREL_FUZZ_CHECK(readBack.has_value());
    KYREL_FUZZ_CHECK(*readBack + (composed.lastIsEndTag ? u"<E>" : u"") == composed.readBack);

    if (composed.exact)
        KYREL_FUZZ_CHECK(encoded.bytes == composed.bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        // A first byte of 0xFF marks the rest as UTF-16 code units; any other input is one character per byte.
        const bool codeUnits = size > 0 && data[0] == 0xFF;
        FuzzInput input(data + (codeUnits ? 1 : 0), size - (codeUnits ? 1 : 0));
        const std::u16string text = TypedText(input, codeUnits);
        CheckTypedText(text, size > 0 ? data[size - 1] : 0);
    }
    {
        FuzzInput input(data, size);
        CheckComposedText(input);
    }
    return 0;
}
