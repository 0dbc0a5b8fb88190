#include "codec/CharTable.h"

#include <algorithm>

namespace kyrel {

namespace {
constexpr const char16_t* LineBreak = u"\r\n";
} // namespace

void CharTable::BuildCharTable() {
    for (auto& entry : m_entries)
        entry.clear();

    for (int i = 0; i < 26; ++i) {
        m_entries[0x00 + i] = std::u16string(1, char16_t(u'A' + i));
        m_entries[0x1A + i] = std::u16string(1, char16_t(u'a' + i));
    }
    for (int i = 0; i < 10; ++i)
        m_entries[0x34 + i] = std::u16string(1, char16_t(u'0' + i));

    // Punctuation and the game's special glyphs; several codes share one text.
    static constexpr const char16_t* punctuation[] = {
        u"!", u"?",      u"-",      u".",      u",",      u"... ",   u"\u00BB", u"(",      u")",
        u"*", u"*",      u"*",      u"{[",     u"]}",     u"\u201D", u"^",      u"v",      u"<",
        u">", u"'",      u"\u00A4", u"\u00A4", u"\u00A4", u"\u00A4", u"\u00A4", u"\u00A4", u"\u00A4",
        u" ", u"\u00AB", u"(A)",    u"(B)",    u"(X)",    u"(Y)",    u"|",      u"\u00A1", u"!",
    };
    static_assert(std::size(punctuation) == 0x62 - 0x3E);
    for (std::size_t i = 0; i < std::size(punctuation); ++i)
        m_entries[0x3E + i] = punctuation[i];

    // Control codes and layout.
    m_entries[0x68] = u"<CHOICE>";
    m_entries[0x6A] = u"Vrel";
    m_entries[0x6B] = u"<BORDER>";
    m_entries[0x6D] = u"<ALIGN>";
    m_entries[0x73] = LineBreak;
    m_entries[0x74] = u"<TOP>";
    m_entries[0x75] = LineBreak;
    m_entries[0x76] = LineBreak;
    m_entries[0x77] = u"<COLOR>";
    m_entries[0x78] = u"<DELAY>";
    m_entries[0x79] = u"<SOUND>";
    m_entries[0x7A] = u"<SPEED>";
    m_entries[0x7E] = LineBreak;
    m_entries[0x7F] = u"\r\n\r\n";
    m_entries[0x88] = u"\t";
    m_entries[0x89] = u"   ";
    m_entries[0x8A] = u"  ";
    m_entries[0x8B] = u"'s ";

    // The dictionary: syllables and words stored as one byte each, then the capitalised ones.
    static constexpr const char16_t* dictionary[] = {
        u"and ", u"are ", u"all ",  u"ain",  u"and",  u"at ", u"ast",   u"an",   u"at",   u"ble",  u"ba",   u"be",
        u"bo",   u"can ", u"che",   u"com",  u"ck",   u"des", u"di",    u"do",   u"en ",  u"er ",  u"ear",  u"ent",
        u"ed ",  u"en",   u"er",    u"ev",   u"for",  u"fro", u"give ", u"get",  u"go",   u"have", u"has",  u"her",
        u"hi",   u"ha",   u"ight ", u"ing ", u"in",   u"is",  u"it",    u"just", u"know", u"ly ",  u"la",   u"lo",
        u"man",  u"ma",   u"me",    u"mu",   u"n't ", u"non", u"not",   u"open", u"ound", u"out ", u"of",   u"on",
        u"or",   u"per",  u"ple",   u"pow",  u"pro",  u"re ", u"re",    u"some", u"se",   u"sh",   u"so",   u"st",
        u"ter ", u"thin", u"ter",   u"tha",  u"the",  u"thi", u"to",    u"tr",   u"up",   u"ver",  u"with", u"wa",
        u"we",   u"wh",   u"wi",    u"you",  u"Her",  u"Tha", u"The",   u"Thi",  u"You",
    };
    static_assert(std::size(dictionary) == 0xE9 - 0x8C);
    for (std::size_t i = 0; i < std::size(dictionary); ++i)
        m_entries[0x8C + i] = dictionary[i];

    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        const std::u16string& text = m_entries[b];
        Block& block = m_blocks[b];
        block = {};
        if (text.size() <= BlockWidth) {
            std::copy(text.begin(), text.end(), block.head.begin());
            block.size = static_cast<std::uint8_t>(text.size());
        }
    }
}

const CharTable& BuiltCharTable() {
    static const CharTable table = [] {
        CharTable built;
        built.BuildCharTable();
        return built;
    }();
    return table;
}

std::u16string HexInParentheses(std::uint8_t b) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text = u"(";
    if (b >= 0x10)
        text += digits[b >> 4];
    text += digits[b & 0x0F];
    text += u')';
    return text;
}

} // namespace kyrel
