#pragma once

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
    // (ReadError() then says why). Sequential reads go through the stream's buffer without seeking.
    [[nodiscard]] std::optional<std::uint8_t> ReadByte(std::int64_t position);
    [[nodiscard]] const std::string& ReadError() const { return m_readError; }

    // Writes one byte at a 1-based position inside the file; refuses positions outside it.
    Status WriteByte(std::int64_t position, std::uint8_t value);

    // Closes the file, reporting data that could not be flushed.
    Status Close();

private:
    [[nodiscard]] std::string Describe(const std::string& what, int err) const;
    bool SeekTo(std::int64_t position);

    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
    std::int64_t m_size = 0;
    std::int64_t m_streamPos = -1; // 1-based position the stream will read next, -1 when unknown
    bool m_lastWasWrite = false;
    std::string m_readError;
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
