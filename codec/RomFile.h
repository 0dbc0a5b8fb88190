#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace kyrel {

// Outcome of a file operation: an empty error text means it worked.
struct [[nodiscard]] Status {
    std::string error;
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Byte access to a ROM file at 1-based positions (position 1 is the first byte, copier header included).
// The file is edited in place: it is never created, truncated or grown.
class RomFile {
public:
    enum class Access { Read, ReadWrite };

    RomFile() = default;
    RomFile(const RomFile&) = delete;
    RomFile& operator=(const RomFile&) = delete;
    ~RomFile();

    // Opens an existing file; ReadWrite neither truncates nor creates it.
    Status Open(const std::filesystem::path& path, Access access);
    [[nodiscard]] bool IsOpen() const { return m_file != nullptr; }
    // Size in bytes, as found when the file was opened.
    [[nodiscard]] std::int64_t Size() const { return m_size; }

    // The byte at a 1-based position; nothing when the position lies outside the file or the read failed
    // (ReadError() then says why). Bytes come from a block read at the first position asked for, so a run of
    // sequential reads costs one positioned read of the file per block.
    [[nodiscard]] std::optional<std::uint8_t> ReadByte(std::int64_t position) {
        // A byte of the block read last is served here, without a call: the reader asks for every byte alone.
        if (position >= m_blockStart && position - m_blockStart < m_blockLength)
            return m_block[static_cast<std::size_t>(position - m_blockStart)];
        return ReadOutsideBlock(position);
    }
    [[nodiscard]] const std::string& ReadError() const { return m_readError; }

    // Writes one byte at a 1-based position inside the file; refuses positions outside it.
    Status WriteByte(std::int64_t position, std::uint8_t value);

    // Closes the file, reporting data that could not be flushed.
    Status Close();

private:
    [[nodiscard]] std::string PathText() const;
    [[nodiscard]] std::string Describe(const std::string& what, int err) const;
    [[nodiscard]] std::optional<std::uint8_t> ReadOutsideBlock(std::int64_t position);
    bool SeekTo(std::int64_t position);
    bool FillBlock(std::int64_t position);

    // The stream is unbuffered: reads are served from m_block, and a write goes to the file as it is made.
    std::FILE* m_file = nullptr;
    std::filesystem::path::string_type m_pathText; // kept as text: a path object would split it into parts
    std::int64_t m_size = 0;
    std::int64_t m_streamPos = -1; // 1-based position the stream will read or write next, -1 when unknown
    bool m_lastWasWrite = false;
    std::string m_readError;
    std::array<std::uint8_t, 4096> m_block;
    std::int64_t m_blockStart = 0;  // 1-based position of m_block[0]
    std::int64_t m_blockLength = 0; // bytes of m_block that hold the file's bytes
    bool m_filledBefore = false;    // the first block read after opening is a short one
};

// Opens the file, writes one byte at a 1-based position and closes it again.
Status WriteRomByte(const std::filesystem::path& path, std::int32_t position, std::uint8_t value);

struct [[nodiscard]] SizeResult {
    std::int64_t size = 0;
    std::string error;
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// The size of a file that can be opened for reading.
SizeResult RomFileSize(const std::filesystem::path& path);

} // namespace kyrel
