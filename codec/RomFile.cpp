#include "codec/RomFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace kyrel {

RomFile::~RomFile() {
    if (m_file)
        std::fclose(m_file);
}

std::string RomFile::Describe(const std::string& what, int err) const {
    return what + " \"" + m_path.string() + "\": " + std::generic_category().message(err);
}

Status RomFile::Open(const std::filesystem::path& path, Access access) {
    if (m_file)
        (void)Close();
    m_path = path;
    m_size = 0;
    m_streamPos = -1;
    m_readError.clear();

    // A directory opens like a file on some systems and then fails on every read; refuse it up front.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return {Describe("Cannot open", EISDIR)};

    errno = 0;
    m_file = std::fopen(path.c_str(), access == Access::Read ? "rb" : "r+b");
    if (!m_file)
        return {Describe("Cannot open", errno ? errno : EIO)};

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

std::optional<std::uint8_t> RomFile::ReadByte(std::int64_t position) {
    if (!m_file || position < 1 || position > m_size)
        return std::nullopt;
    // Switching from writing to reading needs a positioning call on a C stream.
    if (m_lastWasWrite)
        m_streamPos = -1;
    m_lastWasWrite = false;
    errno = 0;
    if (!SeekTo(position)) {
        m_readError = Describe("Cannot read", errno ? errno : EIO);
        return std::nullopt;
    }
    const int c = std::fgetc(m_file);
    if (c == EOF) {
        m_readError = Describe("Cannot read", std::ferror(m_file) && errno ? errno : EIO);
        m_streamPos = -1;
        return std::nullopt;
    }
    ++m_streamPos;
    return static_cast<std::uint8_t>(c);
}

Status RomFile::WriteByte(std::int64_t position, std::uint8_t value) {
    if (!m_file)
        return {"The file \"" + m_path.string() + "\" is not open"};
    if (position < 1 || position > m_size)
        return {"Position " + std::to_string(position) + " lies outside \"" + m_path.string() + "\", which has " +
                std::to_string(m_size) + " bytes"};
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
