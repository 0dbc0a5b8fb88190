#include "codec/TypedText.h"

#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"

#include <string_view>
#include <utility>
#include <vector>

namespace kyrel {

namespace {

constexpr std::u16string_view LineEnd = u"\r\n";
constexpr std::u16string_view EndTag = u"<E>";
constexpr std::uint8_t LessThan = 0x4F;

// The copy is built from pieces: one byte of the message, or an argument code with its argument, each with the
// text that gives it.
struct Piece {
    std::u16string text;
    std::vector<std::uint8_t> bytes;
    std::uint8_t breakMode = 0; // the encoder's BreakMode where the piece begins
    bool lineEndAfter = false;  // a line break of the message, or a "<" that would run on into a tag
    std::size_t start = 0;      // where the piece stands in the copy
};

// A byte handed over and the index of the character at which the encoder's step began.
using Step = std::pair<std::uint8_t, std::size_t>;

struct Steps {
    std::vector<Step> bytes; // the end code of the end rule left out
    std::uint8_t breakMode = 0;
    bool ok = false;
};

// What the encoder makes of a stretch of text when it begins at a BreakMode. Every encoding starts at 0, so a
// tag in front that the rules answer with BreakMode 1 or 2 sets it; its byte is left out.
Steps EncodeFrom(std::u16string_view stretch, std::uint8_t breakMode) {
    const std::u16string_view lead = breakMode == 1 ? u"<BR>" : breakMode == 2 ? u"<P>" : u"";
    std::u16string text(lead);
    text += stretch;
    Steps steps;
    EncoderState state;
    const auto error = EncodeMessage(text, state, [&](std::uint8_t b) {
        const auto at = static_cast<std::size_t>(state.EncodePos);
        if (at >= lead.size() && at < text.size())
            steps.bytes.push_back({b, at - lead.size()});
        return true;
    });
    steps.ok = !error;
    steps.breakMode = state.BreakMode;
    return steps;
}

// The steps that give exactly the pieces' bytes, each piece in one step that begins where the piece begins.
std::vector<Step> StepsOf(std::span<const Piece> pieces, std::size_t origin) {
    std::vector<Step> steps;
    for (const Piece& piece : pieces) {
        for (std::uint8_t b : piece.bytes)
            steps.push_back({b, piece.start - origin});
    }
    return steps;
}

std::u16string ThreeDigits(std::uint8_t b) {
    return {static_cast<char16_t>(u'0' + b / 100), static_cast<char16_t>(u'0' + b / 10 % 10),
            static_cast<char16_t>(u'0' + b % 10)};
}

std::u16string RawByteTag(std::uint8_t b) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    return {u'<', u'$', digits[b >> 4], digits[b & 0x0F], u'>'};
}

bool IsLineBreak(std::uint8_t b) {
    return b == 0x73 || b == 0x75 || b == 0x76 || b == 0x7E;
}

// The form a user would type: the tags of the line breaks and of the tab code, the end code inside the bytes as
// "<E>", and otherwise the text the "ROM Text" pane shows.
std::u16string ReadableForm(std::uint8_t b) {
    if (b == 0x7E)
        return u"<P>";
    if (IsLineBreak(b))
        return u"<BR>";
    if (b == EndCode)
        return std::u16string(EndTag);
    if (b == 0x88)
        return u"<TAB>";
    return BuiltCharTable().Lookup(b);
}

// Whether the next piece can follow the text without a line end: encoding again from a piece far enough back
// that no step before it reads as far as the new text, everything from there on still gives its own bytes.
bool Joins(const std::u16string& text, std::span<const Piece> run, const Piece& next) {
    std::size_t from = run.size() - 1;
    while (from > 0 && text.size() - run[from].start < LongestStep)
        --from;
    const std::size_t origin = run[from].start;
    Piece placed = next;
    placed.start = text.size();
    std::vector<Step> wanted = StepsOf(run.subspan(from), origin);
    const std::vector<Step> own = StepsOf(std::span(&placed, 1), origin);
    wanted.insert(wanted.end(), own.begin(), own.end());

    const Steps steps = EncodeFrom(text.substr(origin) + next.text, run[from].breakMode);
    return steps.ok && steps.bytes == wanted;
}

// Whether a "<" would be read together with the pieces after it, as the start of a tag.
bool StartsTag(std::span<const Piece> from) {
    std::u16string ahead;
    for (std::size_t i = 0; i < from.size() && ahead.size() < LongestStep; ++i)
        ahead += from[i].text;
    const Steps steps = EncodeFrom(ahead, from.front().breakMode);
    const bool alone = !steps.bytes.empty() && steps.bytes.front() == Step{LessThan, 0} &&
                       (steps.bytes.size() > 1 ? steps.bytes[1].second == 1 : ahead.size() == 1);
    return !alone;
}

} // namespace

TypedText TypedTextOf(std::span<const std::uint8_t> bytes) {
    TypedText typed;
    std::vector<Piece> pieces;
    std::uint8_t breakMode = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        if (b == EndCode && i + 1 == bytes.size()) {
            typed.complete = true;
            break;
        }
        Piece piece;
        piece.breakMode = breakMode;
        piece.bytes = {b};
        if (TakesArgument(b)) {
            const std::uint8_t argument = i + 1 < bytes.size() ? bytes[i + 1] : EndCode;
            piece.bytes.push_back(argument);
            piece.text = BuiltCharTable().Lookup(b) + ThreeDigits(argument);
            i += 2;
        } else {
            piece.text = ReadableForm(b);
            piece.lineEndAfter = IsLineBreak(b) || b == EndCode;
            i += 1;
        }
        Steps alone = EncodeFrom(piece.text, breakMode);
        if (!alone.ok || alone.bytes != StepsOf(std::span(&piece, 1), 0)) {
            // Argument codes always take their own tag, so the raw-byte tag here needs no field.
            piece.text = RawByteTag(b);
            alone = EncodeFrom(piece.text, breakMode);
        }
        breakMode = alone.breakMode;
        pieces.push_back(std::move(piece));
    }
    // The encoder adds the end code itself, except after an "<E>"; and a text of nothing cannot be written.
    if (typed.complete && (pieces.empty() || pieces.back().text == EndTag))
        pieces.push_back({std::u16string(EndTag), {EndCode}, breakMode});

    // A line end belongs to no entry and no tag, so the encoder reads what follows it afresh; every piece gives its
    // bytes alone, so a line end before it always works, and it is written only where joining would not.
    std::u16string& text = typed.text;
    std::size_t runStart = 0; // the first piece after the last line end
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        Piece& piece = pieces[k];
        if (k > 0 &&
            (pieces[k - 1].lineEndAfter || !Joins(text, std::span(pieces).subspan(runStart, k - runStart), piece))) {
            text += LineEnd;
            runStart = k;
        }
        piece.start = text.size();
        text += piece.text;
        if (piece.bytes.front() == LessThan && piece.text.size() == 1)
            piece.lineEndAfter = StartsTag(std::span(pieces).subspan(k));
    }
    return typed;
}

} // namespace kyrel
