#include "codec/RomFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace kyrel {

namespace {
constexpr std::int64_t FirstBlockSize = 256;
} // namespace

RomFile::~RomFile() {
    if (m_file)
        std::fclose(m_file);
}

std::string RomFile::PathText() const {
    return std::filesystem::path(m_pathText).string();
}

std::string RomFile::Describe(const std::string& what, int err) const {
    return what + " \"" + PathText() + "\": " + std::generic_category().message(err);
}

Status RomFile::Open(const std::filesystem::path& path, Access access) {
    if (m_file)
        (void)Close();
    m_pathText = path.native();
    m_size = 0;
    m_streamPos = -1;
    m_lastWasWrite = false;
    m_blockLength = 0;
    m_filledBefore = false;
    m_readError.clear();

    // A read asks the path first: a directory opens like a file for reading on some systems and then fails on
    // every read. The same look gives a plain file's size. A write needs no such look: no system opens a
    // directory for writing, so that is told only when the open fails.
    std::error_code ec = std::make_error_code(std::errc::not_supported);
    std::uintmax_t plainSize = 0;
    if (access == Access::Read) {
        plainSize = std::filesystem::file_size(path, ec);
        if (ec == std::errc::is_a_directory)
            return {Describe("Cannot open", EISDIR)};
    }

    errno = 0;
    m_file = std::fopen(path.c_str(), access == Access::Read ? "rb" : "r+b");
    if (!m_file) {
        int err = errno ? errno : EIO;
        std::error_code ignored;
        if (access == Access::ReadWrite && std::filesystem::is_directory(path, ignored))
            err = EISDIR;
        return {Describe("Cannot open", err)};
    }
    // Unbuffered, a positioning call only positions (a buffered stream may read a block around the position
    // first), a block read lands straight in m_block, and a byte written reaches the file at once.
    (void)std::setvbuf(m_file, nullptr, _IONBF, 0);

    if (!ec) {
        m_size = static_cast<std::int64_t>(plainSize);
        return {};
    }
    // Ask the stream where the file ends.
    if (std::fseek(m_file, 0, SEEK_END) != 0) {
        const int err = errno ? errno : EIO;
        std::fclose(m_file);
        m_file = nullptr;
        return {Describe("Cannot read", err)};
    }
    const long size = std::ftell(m_file);
    if (size < 0) {
        const int err = errno ? errno : EIO;
        std::fclose(m_file);
        m_file = nullptr;
        return {Describe("Cannot read", err)};
    }
    m_size = size;
    m_streamPos = m_size + 1;
    return {};
}

bool RomFile::SeekTo(std::int64_t position) {
    if (m_streamPos == position)
        return true;
    if (std::fseek(m_file, static_cast<long>(position - 1), SEEK_SET) != 0)
        return false;
    m_streamPos = position;
    return true;
}

bool RomFile::FillBlock(std::int64_t position) {
    m_blockLength = 0;
    // Switching from writing to reading needs a positioning call on a C stream.
    if (m_lastWasWrite)
        m_streamPos = -1;
    m_lastWasWrite = false;
    errno = 0;
    if (!SeekTo(position)) {
        m_readError = Describe("Cannot read", errno ? errno : EIO);
        return false;
    }
    // Most messages are a few dozen bytes, so the first read after opening asks for a little more than that;
    // a read that goes on gets whole blocks.
    const std::int64_t blockSize = m_filledBefore ? static_cast<std::int64_t>(m_block.size()) : FirstBlockSize;
    m_filledBefore = true;
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(blockSize, m_size - position + 1));
    const std::size_t got = std::fread(m_block.data(), 1, wanted, m_file);
    if (got == 0) {
        m_readError = Describe("Cannot read", std::ferror(m_file) && errno ? errno : EIO);
        m_streamPos = -1;
        return false;
    }
    m_blockStart = position;
    m_blockLength = static_cast<std::int64_t>(got);
    m_streamPos = position + m_blockLength;
    return true;
}

std::optional<std::uint8_t> RomFile::ReadOutsideBlock(std::int64_t position) {
    if (!m_file || position < 1 || position > m_size || !FillBlock(position))
        return std::nullopt;
    return m_block[0];
}

Status RomFile::WriteByte(std::int64_t position, std::uint8_t value) {
    if (!m_file)
        return {"The file \"" + PathText() + "\" is not open"};
    if (position < 1 || position > m_size)
        return {"Position " + std::to_string(position) + " lies outside \"" + PathText() + "\", which has " +
                std::to_string(m_size) + " bytes"};
    // The block read before may hold the old byte.
    m_blockLength = 0;
    if (!m_lastWasWrite)
        m_streamPos = -1;
    m_lastWasWrite = true;
    errno = 0;
    if (!SeekTo(position) || std::fputc(value, m_file) == EOF) {
        m_streamPos = -1;
        return {Describe("Cannot write to", errno ? errno : EIO)};
    }
    ++m_streamPos;
    return {};
}

Status RomFile::Close() {
    if (!m_file)
        return {};
    errno = 0;
    const int rc = std::fclose(m_file);
    m_file = nullptr;
    m_streamPos = -1;
    m_blockLength = 0;
    if (rc != 0)
        return {Describe("Cannot write to", errno ? errno : EIO)};
    return {};
}

Status WriteRomByte(const std::filesystem::path& path, std::int32_t position, std::uint8_t value) {
    RomFile file;
    if (auto opened = file.Open(path, RomFile::Access::ReadWrite); !opened.ok())
        return opened;
    Status written = file.WriteByte(position, value);
    Status closed = file.Close();
    return written.ok() ? closed : written;
}

SizeResult RomFileSize(const std::filesystem::path& path) {
    RomFile file;
    if (auto opened = file.Open(path, RomFile::Access::Read); !opened.ok())
        return {0, opened.error};
    return {file.Size(), {}};
}

} // namespace kyrel
