#include "codec/MessageEncoder.h"

#include "codec/CharTable.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kyrel {

namespace {

struct Entry {
    std::u16string_view text;
    std::uint8_t code;
};

// The dictionary, grouped by first character; within a group the longer entries come first, so the first
// entry that matches is the longest one that matches.
constexpr Entry Dictionary[] = {
    {u"Her", 0xE4},   {u"Tha", 0xE5},  {u"The", 0xE6},   {u"Thi", 0xE7},  {u"Vrel", 0x6A}, {u"You", 0xE8},
    {u"and ", 0x8C},  {u"are ", 0x8D}, {u"all ", 0x8E},  {u"ain", 0x8F},  {u"and", 0x90},  {u"at ", 0x91},
    {u"ast", 0x92},   {u"an", 0x93},   {u"at", 0x94},    {u"ble", 0x95},  {u"ba", 0x96},   {u"be", 0x97},
    {u"bo", 0x98},    {u"can ", 0x99}, {u"che", 0x9A},   {u"com", 0x9B},  {u"ck", 0x9C},   {u"des", 0x9D},
    {u"di", 0x9E},    {u"do", 0x9F},   {u"en ", 0xA0},   {u"er ", 0xA1},  {u"ear", 0xA2},  {u"ent", 0xA3},
    {u"ed ", 0xA4},   {u"en", 0xA5},   {u"er", 0xA6},    {u"ev", 0xA7},   {u"for", 0xA8},  {u"fro", 0xA9},
    {u"give ", 0xAA}, {u"get", 0xAB},  {u"go", 0xAC},    {u"have", 0xAD}, {u"has", 0xAE},  {u"her", 0xAF},
    {u"hi", 0xB0},    {u"ha", 0xB1},   {u"ight ", 0xB2}, {u"ing ", 0xB3}, {u"in", 0xB4},   {u"is", 0xB5},
    {u"it", 0xB6},    {u"just", 0xB7}, {u"know", 0xB8},  {u"ly ", 0xB9},  {u"la", 0xBA},   {u"lo", 0xBB},
    {u"man", 0xBC},   {u"ma", 0xBD},   {u"me", 0xBE},    {u"mu", 0xBF},   {u"n't ", 0xC0}, {u"non", 0xC1},
    {u"not", 0xC2},   {u"open", 0xC3}, {u"ound", 0xC4},  {u"out ", 0xC5}, {u"of", 0xC6},   {u"on", 0xC7},
    {u"or", 0xC8},    {u"per", 0xC9},  {u"ple", 0xCA},   {u"pow", 0xCB},  {u"pro", 0xCC},  {u"re ", 0xCD},
    {u"re", 0xCE},    {u"some", 0xCF}, {u"se", 0xD0},    {u"sh", 0xD1},   {u"so", 0xD2},   {u"st", 0xD3},
    {u"ter ", 0xD4},  {u"thin", 0xD5}, {u"ter", 0xD6},   {u"tha", 0xD7},  {u"the", 0xD8},  {u"thi", 0xD9},
    {u"to", 0xDA},    {u"tr", 0xDB},   {u"up", 0xDC},    {u"ver", 0xDD},  {u"with", 0xDE}, {u"wa", 0xDF},
    {u"we", 0xE0},    {u"wh", 0xE1},   {u"wi", 0xE2},    {u"you", 0xE3},  {u"... ", 0x43}, {u"(A)", 0x5B},
    {u"(B)", 0x5C},   {u"(X)", 0x5D},  {u"(Y)", 0x5E},   {u"{[", 0x4A},   {u"]}", 0x4B},   {u"    ", 0x88},
    {u"   ", 0x89},   {u"  ", 0x8A},   {u"'s ", 0x8B},
};
static_assert(std::size(Dictionary) == 105);

// Where the entries that begin with a character lie in Dictionary, so a step tries only those instead of all
// 105. Every entry begins with an ASCII character, and each character's entries stand together.
struct Group {
    std::uint8_t first = 0;
    std::uint8_t count = 0;
};

constexpr std::array<Group, 128> MakeGroups() {
    std::array<Group, 128> groups{};
    for (std::size_t i = 0; i < std::size(Dictionary); ++i) {
        Group& group = groups[Dictionary[i].text.front()];
        if (group.count == 0)
            group.first = static_cast<std::uint8_t>(i);
        ++group.count;
    }
    return groups;
}

constexpr std::array<Group, 128> Groups = MakeGroups();

constexpr bool GroupsStandTogether() {
    for (std::size_t i = 0; i < std::size(Dictionary); ++i) {
        const Group& group = Groups[Dictionary[i].text.front()];
        if (i < group.first || i >= static_cast<std::size_t>(group.first + group.count))
            return false;
    }
    return true;
}
static_assert(GroupsStandTogether(), "the entries with one first character must stand together, in the order tried");

std::optional<std::uint8_t> SingleCharacter(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return static_cast<std::uint8_t>(0x00 + (c - u'A'));
    if (c >= u'a' && c <= u'z')
        return static_cast<std::uint8_t>(0x1A + (c - u'a'));
    if (c >= u'0' && c <= u'9')
        return static_cast<std::uint8_t>(0x34 + (c - u'0'));
    switch (c) {
    case u'?':
        return 0x3F;
    case u'-':
        return 0x40;
    case u'.':
        return 0x41;
    case u',':
        return 0x42;
    case u'\u00BB':
        return 0x44;
    case u'(':
        return 0x45;
    case u')':
        return 0x46;
    case u'*':
        return 0x49;
    case u'\u201D':
        return 0x4C;
    case u'^':
        return 0x4D;
    case u'<':
        return 0x4F;
    case u'>':
        return 0x50;
    case u'\'':
        return 0x51;
    case u'\u00A4':
        return 0x58;
    case u' ':
        return 0x59;
    case u'\u00AB':
        return 0x5A;
    case u'|':
        return 0x5F;
    case u'\u00A1':
        return 0x60;
    case u'!':
        return 0x61;
    default:
        return std::nullopt;
    }
}

enum class Break { Keep, To1, To2, To0 };

struct Tag {
    std::u16string_view text;
    int needsBreakMode; // -1: any
    int code;           // -1: the tag is dropped
    Break breakAfter;
    bool argument;
};

// Tried in this order; "<BR>" has one row per break mode.
constexpr Tag Tags[] = {
    {u"<TOP>", 0, -1, Break::Keep, false},      {u"<BR>", 0, 0x75, Break::To1, false},
    {u"<BR>", 1, 0x76, Break::Keep, false},     {u"<BR>", 2, 0x73, Break::Keep, false},
    {u"<P>", -1, 0x7E, Break::To2, false},      {u"<E>", -1, 0x7F, Break::To0, false},
    {u"<TAB>", -1, 0x88, Break::Keep, false},   {u"<CHOICE>", -1, 0x68, Break::Keep, false},
    {u"<BORDER>", -1, 0x6B, Break::Keep, true}, {u"<ALIGN>", -1, 0x6D, Break::Keep, true},
    {u"<COLOR>", -1, 0x77, Break::Keep, true},  {u"<DELAY>", -1, 0x78, Break::Keep, true},
    {u"<SOUND>", -1, 0x79, Break::Keep, true},  {u"<SPEED>", -1, 0x7A, Break::Keep, true},
};

constexpr std::size_t RawTagLength = 5; // "<$XX>"

std::optional<int> HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return std::nullopt;
}

// "<$XX>" with exactly two hexadecimal digits; anything short of that is no tag.
std::optional<std::uint8_t> RawByteAt(std::u16string_view text, std::size_t pos) {
    if (text.size() - pos < RawTagLength || text[pos] != u'<' || text[pos + 1] != u'$' || text[pos + 4] != u'>')
        return std::nullopt;
    const auto high = HexDigit(text[pos + 2]);
    const auto low = HexDigit(text[pos + 3]);
    if (!high || !low)
        return std::nullopt;
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

constexpr std::size_t ArgumentFieldLength = 3;

// TypedTextOf relies on no step reading further than LongestStep characters.
constexpr bool StepsFitLongestStep() {
    for (const Entry& entry : Dictionary)
        if (entry.text.size() > LongestStep)
            return false;
    for (const Tag& tag : Tags)
        if (tag.text.size() + (tag.argument ? ArgumentFieldLength : 0) > LongestStep)
            return false;
    return RawTagLength + ArgumentFieldLength <= LongestStep;
}
static_assert(StepsFitLongestStep());

// Character by character, stopping at the first that differs: most tries fail at the second character, and a
// view comparison would order the two texts rather than only tell them apart.
bool MatchesAt(std::u16string_view text, std::size_t pos, std::u16string_view entry) {
    if (text.size() - pos < entry.size())
        return false;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (text[pos + i] != entry[i])
            return false;
    }
    return true;
}

// The three-character argument field: digits with blanks around them, 0 to 255.
std::optional<std::uint8_t> ParseArgumentField(std::u16string_view field) {
    std::size_t first = field.find_first_not_of(u' ');
    if (first == std::u16string_view::npos)
        return std::nullopt;
    std::size_t last = field.find_last_not_of(u' ');
    int value = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (field[i] < u'0' || field[i] > u'9')
            return std::nullopt;
        value = value * 10 + (field[i] - u'0');
    }
    if (value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

EncodeError MakeError(std::u16string_view text, std::u16string_view tag, std::size_t fieldPos,
                      std::u16string_view field) {
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < fieldPos; ++i) {
        if (text[i] == u'\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    const int column = static_cast<int>(fieldPos - lineStart) + 1;
    return {std::u16string(tag), static_cast<std::int32_t>(fieldPos), line, column, std::u16string(field)};
}

} // namespace

namespace {

// The encoding itself; `skipped`, when given, receives the index of every character that gave no byte because
// no rule took it.
std::optional<EncodeError> Encode(std::u16string_view text, EncoderState& state, const ByteConsumer& consume,
                                  std::vector<std::size_t>* skipped) {
    state.EncodePos = 0;
    state.EncodedByte = 0;
    state.BreakMode = 0;
    bool lastWasEndTag = false;
    bool stopped = false;

    auto handOver = [&](std::uint8_t b) {
        if (!stopped && !consume(b))
            stopped = true;
        return !stopped;
    };

    const std::size_t length = text.size();
    std::size_t pos = 0;
    while (pos < length) {
        state.EncodePos = static_cast<std::int32_t>(pos);
        const char16_t c = text[pos];
        std::optional<std::uint8_t> chosen;
        std::size_t k = 1;
        std::u16string_view argumentTag; // the tag as typed, when an argument field follows it
        bool endTag = false;

        bool tagMatched = false;
        if (c == u'<') {
            if (const auto raw = RawByteAt(text, pos)) {
                // One byte exactly as written, and nothing else: the break mode stays and the end rule holds.
                tagMatched = true;
                k = RawTagLength;
                chosen = *raw;
                if (TakesArgument(*raw))
                    argumentTag = text.substr(pos, RawTagLength);
            }
            for (std::size_t t = 0; t < std::size(Tags) && !tagMatched; ++t) {
                const Tag& tag = Tags[t];
                if (tag.needsBreakMode >= 0 && tag.needsBreakMode != state.BreakMode)
                    continue;
                if (!MatchesAt(text, pos, tag.text))
                    continue;
                tagMatched = true;
                k = tag.text.size();
                if (tag.code >= 0)
                    chosen = static_cast<std::uint8_t>(tag.code);
                switch (tag.breakAfter) {
                case Break::Keep:
                    break;
                case Break::To0:
                    state.BreakMode = 0;
                    break;
                case Break::To1:
                    state.BreakMode = 1;
                    break;
                case Break::To2:
                    state.BreakMode = 2;
                    break;
                }
                if (tag.argument)
                    argumentTag = tag.text;
                endTag = tag.code == EndCode;
            }
        }
        if (!tagMatched) {
            const Group group = c < Groups.size() ? Groups[c] : Group{};
            for (std::size_t i = group.first; i < static_cast<std::size_t>(group.first + group.count); ++i) {
                if (MatchesAt(text, pos, Dictionary[i].text)) {
                    chosen = Dictionary[i].code;
                    k = Dictionary[i].text.size();
                    break;
                }
            }
            if (!chosen)
                chosen = SingleCharacter(c);
            if (!chosen && skipped)
                skipped->push_back(pos);
        }

        if (chosen) {
            state.EncodedByte = *chosen;
            if (!argumentTag.empty()) {
                // Check the field before handing over the tag's byte, so a bad field leaves no code behind
                // that would swallow the next byte as its argument.
                const std::size_t fieldPos = pos + k;
                const std::u16string_view field = text.substr(std::min(fieldPos, length), ArgumentFieldLength);
                const auto argument = ParseArgumentField(field);
                if (!argument)
                    return MakeError(text, argumentTag, std::min(fieldPos, length), field);
                if (!handOver(*chosen) || !handOver(*argument))
                    return std::nullopt;
                k += ArgumentFieldLength;
            } else if (!handOver(*chosen)) {
                return std::nullopt;
            }
            lastWasEndTag = endTag;
        }
        state.EncodedByte = 0;
        pos += k;
    }
    state.EncodePos = static_cast<std::int32_t>(std::min<std::size_t>(pos, INT32_MAX));
    if (!lastWasEndTag)
        handOver(EndCode);
    return std::nullopt;
}

} // namespace

std::optional<EncodeError> EncodeMessage(const std::u16string& text, EncoderState& state, const ByteConsumer& consume) {
    return Encode(text, state, consume, nullptr);
}

namespace {

// The characters at the skipped indices, each once, as DroppedCharacters names them.
std::u16string NamedOnce(std::u16string_view text, const std::vector<std::size_t>& skipped) {
    std::u16string dropped;
    std::vector<char32_t> named;
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        const std::size_t at = skipped[i];
        const char16_t c = text[at];
        if (c == u'\r' || c == u'\n')
            continue;
        // A character outside the Basic Multilingual Plane is skipped as its two halves; it is named whole.
        std::u16string_view character = text.substr(at, 1);
        char32_t point = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < skipped.size() && skipped[i + 1] == at + 1 &&
            text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
            character = text.substr(at, 2);
            point = 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // Half of a pair alone is no character; two of them side by side in the list would read as one.
            character = u"\uFFFD";
            point = 0xFFFD;
        }
        if (std::find(named.begin(), named.end(), point) != named.end())
            continue;
        named.push_back(point);
        dropped += character;
    }
    return dropped;
}

} // namespace

std::u16string DroppedCharacters(std::u16string_view text) {
    std::vector<std::size_t> skipped;
    EncoderState state;
    (void)Encode(
        text, state, [](std::uint8_t) { return true; }, &skipped);
    return NamedOnce(text, skipped);
}

EncodedMessage EncodeToBytes(const std::u16string& text, EncoderState& state) {
    EncodedMessage message;
    // Every byte but the end code consumes at least one character, so this is room enough.
    message.bytes.reserve(text.size() + 1);
    std::vector<std::size_t> skipped;
    message.error = Encode(
        text, state,
        [&](std::uint8_t b) {
            message.bytes.push_back(b);
            return true;
        },
        &skipped);
    message.dropped = NamedOnce(text, skipped);
    return message;
}

EncodedMessage EncodeToBytes(const std::u16string& text) {
    EncoderState state;
    return EncodeToBytes(text, state);
}

} // namespace kyrel
