#pragma once

#include "codec/RomFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kyrel::testing {

// Size of a headered ROM image of 8 Mbit: 1 MiB plus the 512-byte copier header.
inline constexpr std::size_t HeaderedRomSize = 1024 * 1024 + 512;

// Builds ROM images in memory, at 1-based file positions like the editor's, and saves them.
class SyntheticRom {
public:
    explicit SyntheticRom(std::size_t size = HeaderedRomSize, std::uint8_t fill = 0x00);

    // Places raw bytes from a 1-based position on; returns the position after the last one.
    std::int32_t Put(std::int32_t position, const std::vector<std::uint8_t>& bytes);
    // Encodes the text as the editor would (it must encode without error) and places it.
    std::int32_t PutText(std::int32_t position, const std::u16string& text);
    // Places the texts one after another; returns the position after the last.
    std::int32_t PutTexts(std::int32_t position, const std::vector<std::u16string>& texts);

    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    [[nodiscard]] std::uint8_t At(std::int32_t position) const { return m_bytes.at(position - 1); }

    Status Save(const std::filesystem::path& path) const;

private:
    std::vector<std::uint8_t> m_bytes;
};

// Bytes written as hexadecimal pairs separated by blanks, such as "07 1E 7F"; throws on anything else.
std::vector<std::uint8_t> HexBytes(std::string_view hex);
// The bytes as upper-case hexadecimal pairs separated by single spaces, the form HexBytes reads.
std::string HexText(const std::vector<std::uint8_t>& bytes);

// A failure's code by name and its values on one line ("PastEnd path=rom.smc position=9 count=0 size=8 error=0"),
// for a test's or a tool's own output.
std::string Shown(const Failure& failure);

// The demo ROM: English messages of our own at the two bank starts.
SyntheticRom MakeDemoRom();

} // namespace kyrel::testing
