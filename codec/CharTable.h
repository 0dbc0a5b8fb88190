#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kyrel {

// Display texts of the game's 256 byte codes, plus one extra slot (index 256) that the reader uses
// as its pending-argument marker while the byte just read is a code followed by an argument byte.
class CharTable {
public:
    static constexpr int ArgumentMarker = 256;

    // Fills entries 0 to 255 with the texts the "ROM Text" pane shows and empties the marker.
    void BuildCharTable();

    // The display text of byte value b; empty when the game byte has no text of its own.
    [[nodiscard]] const std::u16string& Lookup(std::uint8_t b) const { return m_entries[b]; }

    // The same text as one fixed-width block, for a reader that copies whole blocks without looking at each
    // text's length: the first `size` characters count. A size of 0 where the text is empty or longer than a block.
    static constexpr std::size_t BlockWidth = 8; // the longest text of the built table, "<BORDER>"
    struct alignas(32) Block {
        std::array<char16_t, BlockWidth> head{};
        std::uint8_t size = 0;
    };
    [[nodiscard]] const Block& BlockOf(std::uint8_t b) const { return m_blocks[b]; }

    void SetPendingArgument() { m_entries[ArgumentMarker].assign(1, u'1'); }
    void ClearPendingArgument() { m_entries[ArgumentMarker].clear(); }
    [[nodiscard]] bool PendingArgument() const { return !m_entries[ArgumentMarker].empty(); }

private:
    std::array<std::u16string, 257> m_entries;
    std::array<Block, 256> m_blocks{};
};

// A table built once and shared, for reading display texts (its marker stays empty).
[[nodiscard]] const CharTable& BuiltCharTable();

// True for the six control codes that are followed by one argument byte.
[[nodiscard]] constexpr bool TakesArgument(std::uint8_t b) {
    return b == 0x6B || b == 0x6D || b == 0x77 || b == 0x78 || b == 0x79 || b == 0x7A;
}

inline constexpr std::uint8_t EndCode = 0x7F;

// How the "ROM Text" pane shows a byte without a text of its own: its hexadecimal value in parentheses, "(62)".
[[nodiscard]] std::u16string HexInParentheses(std::uint8_t b);

} // namespace kyrel
