#pragma once

#include "codec/Failure.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kyrel {

// Outcome of a file operation.
struct [[nodiscard]] Status {
    Failure failure;
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

struct [[nodiscard]] SizeResult {
    std::int64_t size = 0;
    Failure failure;
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// The path as UTF-8, for messages; never throws, whatever the name holds.
[[nodiscard]] std::string PathText(const std::filesystem::path& path);

// An open ROM file, read and written at 1-based positions (position 1 is the first byte, copier header
// included). Only regular files are opened, and opening never waits: a pipe or a device chosen by mistake is
// refused at once instead of freezing the editor. The file is never created, and this class never grows it.
class RomFile {
public:
    enum class Access { Read, ReadWrite };

    RomFile() = default;
    RomFile(const RomFile&) = delete;
    RomFile& operator=(const RomFile&) = delete;
    ~RomFile();

    Status Open(const std::filesystem::path& path, Access access);
    // The size now, asked of the open file each time: another program may change it while the editor works.
    [[nodiscard]] SizeResult Size() const;
    // Reads up to into.size() bytes from a position; fewer where the file ends. Returns how many were read.
    [[nodiscard]] SizeResult Read(std::int64_t position, std::span<std::uint8_t> into) const;
    // Writes one byte at a position inside the file (the caller has checked the size).
    Status WriteByte(std::int64_t position, std::uint8_t value) const;
    // Writes bytes from a position inside the file on (the caller has checked the size).
    Status Write(std::int64_t position, std::span<const std::uint8_t> bytes) const;
    // Cuts the file to a size.
    Status Truncate(std::int64_t size) const;
    Status Close();

    [[nodiscard]] const std::string& Name() const { return m_name; }

private:
    [[nodiscard]] Failure Failed(FailureCode code, int err) const;

    int m_fd = -1;
    std::string m_name; // UTF-8
};

struct [[nodiscard]] Stretch {
    std::vector<std::uint8_t> bytes;
    std::int64_t fileSize = 0;
    Failure failure;
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// Opens the file, reads up to atMost bytes from a 1-based position (fewer where the file ends, none past it) and
// closes it again: one read, as a message needs.
[[nodiscard]] Stretch ReadStretch(const std::filesystem::path& path, std::int64_t position, std::int64_t atMost);

struct [[nodiscard]] StretchRead {
    std::int64_t got = 0; // bytes read into the caller's buffer
    std::int64_t fileSize = 0;
    Failure failure;
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// ReadStretch into the caller's buffer, for reads made many times in a row: up to into.size() bytes.
[[nodiscard]] StretchRead ReadStretchInto(const std::filesystem::path& path, std::int64_t position,
                                          std::span<std::uint8_t> into);

// A position that a file of `size` bytes ends before.
[[nodiscard]] Failure PastEndOf(const std::filesystem::path& path, std::int64_t position, std::int64_t size);

// The size of a regular file that can be opened for reading.
[[nodiscard]] SizeResult RomFileSize(const std::filesystem::path& path);

// What a file's size tells of its layout. Cartridge images are whole multiples of 1 KiB, and the editor's positions
// count the 512-byte copier header in front of them; a file without it puts every message 512 bytes earlier.
enum class RomLayout {
    Headered,      // 512 bytes more than a whole number of KiB: the file the positions are made for
    WithoutHeader, // a whole number of KiB: the cartridge image without its copier header
    OddSize,       // neither: no cartridge image has that size
};
[[nodiscard]] RomLayout LayoutOfSize(std::int64_t size);

} // namespace kyrel
