#include "codec/TypedText.h"

#include "codec/CharTable.h"

#include <string_view>

namespace kyrel {

namespace {

// The encoder's tags: a "<" of the message must not run on into one of them.
constexpr std::u16string_view Tags[] = {u"<TOP>",    u"<BR>",    u"<P>",     u"<E>",     u"<TAB>",   u"<CHOICE>",
                                        u"<BORDER>", u"<ALIGN>", u"<COLOR>", u"<DELAY>", u"<SOUND>", u"<SPEED>"};

constexpr std::u16string_view LineEnd = u"\r\n";
// The encoder takes four blanks in a row as the tab code.
constexpr int BlanksForTab = 4;

std::u16string ThreeDigits(std::uint8_t b) {
    return {static_cast<char16_t>(u'0' + b / 100), static_cast<char16_t>(u'0' + b / 10 % 10),
            static_cast<char16_t>(u'0' + b % 10)};
}

struct Piece {
    std::u16string text;
    bool lineEndAfter = false; // a line break of the message: a line end keeps the text readable like the pane
    bool lessThan = false;     // the "<" glyph, which the encoder could read as the start of a tag
};

bool IsLineBreak(std::uint8_t b) {
    return b == 0x73 || b == 0x75 || b == 0x76;
}

std::size_t LeadingBlanks(std::u16string_view text) {
    const std::size_t n = text.find_first_not_of(u' ');
    return n == std::u16string_view::npos ? text.size() : n;
}

std::size_t TrailingBlanks(std::u16string_view text) {
    const std::size_t n = text.find_last_not_of(u' ');
    return n == std::u16string_view::npos ? text.size() : text.size() - 1 - n;
}

bool StartsTag(std::u16string_view text) {
    for (std::u16string_view tag : Tags) {
        if (text.substr(0, tag.size()) == tag)
            return true;
    }
    return false;
}

} // namespace

TypedText TypedTextOf(std::span<const std::uint8_t> bytes, std::int64_t firstPosition) {
    TypedText typed;
    std::vector<Piece> pieces;
    const CharTable& table = BuiltCharTable();
    auto leaveOut = [&](std::size_t i, std::u16string shown) {
        typed.leftOut.push_back({firstPosition + static_cast<std::int64_t>(i), bytes[i], std::move(shown)});
    };

    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (TakesArgument(b)) {
            // A read cut right after the code did not take its argument: the tag alone would not encode.
            if (i + 1 == bytes.size()) {
                leaveOut(i, table.Lookup(b));
                continue;
            }
            pieces.push_back({table.Lookup(b) + ThreeDigits(bytes[i + 1])});
            ++i;
        } else if (IsLineBreak(b)) {
            pieces.push_back({u"<BR>", true});
        } else if (b == 0x7E) {
            pieces.push_back({u"<P>", true});
        } else if (b == EndCode) {
            if (i + 1 < bytes.size()) {
                pieces.push_back({u"<E>", true});
                continue;
            }
            typed.complete = true;
            // The encoder adds the end code itself, except after an "<E>"; and a text of nothing cannot be written.
            if (pieces.empty() || pieces.back().text == u"<E>")
                pieces.push_back({u"<E>"});
        } else if (b == 0x88) {
            pieces.push_back({u"<TAB>"});
        } else if (b == 0x74) {
            leaveOut(i, table.Lookup(b));
        } else if (table.Lookup(b).empty()) {
            leaveOut(i, HexInParentheses(b));
        } else {
            pieces.push_back({table.Lookup(b), false, b == 0x4F});
        }
    }

    std::u16string& text = typed.text;
    std::size_t blanks = 0; // blanks at the end of the text since the last line end
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        const std::size_t leading = LeadingBlanks(piece.text);
        if (leading > 0 && blanks + leading >= BlanksForTab) {
            text += LineEnd;
            blanks = 0;
        }
        text += piece.text;
        blanks = leading == piece.text.size() ? blanks + leading : TrailingBlanks(piece.text);
        bool lineEnd = piece.lineEndAfter;
        if (piece.lessThan) {
            // The longest tag has eight characters; the pieces after this one are enough to tell.
            std::u16string ahead = piece.text;
            for (std::size_t next = k + 1; next < pieces.size() && ahead.size() < 8; ++next)
                ahead += pieces[next].text;
            lineEnd = StartsTag(ahead);
        }
        if (lineEnd) {
            text += LineEnd;
            blanks = 0;
        }
    }
    return typed;
}

} // namespace kyrel
