#include "codec/RomFile.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

// The few calls that differ between systems. Windows takes wide paths and has no positioned read or write, but
// no file there can block an open either; elsewhere a named pipe would block a plain open until a writer came.
namespace {
#ifdef _WIN32
using StatBuffer = struct _stat64;
int OpenFile(const std::filesystem::path& path, bool write) {
    return _wopen(path.c_str(), _O_BINARY | _O_NOINHERIT | (write ? _O_RDWR : _O_RDONLY));
}
int StatFile(int fd, StatBuffer* st) {
    return _fstat64(fd, st);
}
bool IsRegular(const StatBuffer& st) {
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
long long ReadAt(int fd, void* into, std::size_t count, std::int64_t offset) {
    if (_lseeki64(fd, offset, SEEK_SET) < 0)
        return -1;
    return _read(fd, into, static_cast<unsigned>(count > 0x40000000 ? 0x40000000 : count));
}
long long WriteAt(int fd, const void* from, std::size_t count, std::int64_t offset) {
    if (_lseeki64(fd, offset, SEEK_SET) < 0)
        return -1;
    return _write(fd, from, static_cast<unsigned>(count));
}
int TruncateFile(int fd, std::int64_t size) {
    errno = _chsize_s(fd, size);
    return errno ? -1 : 0;
}
int CloseFile(int fd) {
    return _close(fd);
}
#else
using StatBuffer = struct stat;
int OpenFile(const std::filesystem::path& path, bool write) {
    return ::open(path.c_str(), O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (write ? O_RDWR : O_RDONLY));
}
int StatFile(int fd, StatBuffer* st) {
    return ::fstat(fd, st);
}
bool IsRegular(const StatBuffer& st) {
    return S_ISREG(st.st_mode);
}
long long ReadAt(int fd, void* into, std::size_t count, std::int64_t offset) {
    return ::pread(fd, into, count, static_cast<off_t>(offset));
}
long long WriteAt(int fd, const void* from, std::size_t count, std::int64_t offset) {
    return ::pwrite(fd, from, count, static_cast<off_t>(offset));
}
int TruncateFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size));
}
int CloseFile(int fd) {
    return ::close(fd);
}
#endif
} // namespace

namespace kyrel {

std::string PathText(const std::filesystem::path& path) {
#ifdef _WIN32
    // The library's own conversion throws on a name with a lone surrogate; this one puts U+FFFD there.
    const std::wstring& wide = path.native();
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
#else
    return path.native();
#endif
}

RomFile::~RomFile() {
    if (m_fd >= 0)
        CloseFile(m_fd);
}

Failure RomFile::Failed(FailureCode code, int err) const {
    Failure failure{code, m_name};
    failure.osError = err ? err : EIO;
    return failure;
}

Status RomFile::Open(const std::filesystem::path& path, Access access) {
    (void)Close();
    m_name = PathText(path);
    errno = 0;
    const int fd = OpenFile(path, access == Access::ReadWrite);
    if (fd < 0) {
        if (errno == EISDIR)
            return {{FailureCode::NotRegularFile, m_name}};
        return {Failed(FailureCode::CannotOpen, errno)};
    }
    // The kind is asked of the opened file, so a file swapped for something else after a look cannot slip in.
    StatBuffer st{};
    if (StatFile(fd, &st) != 0) {
        const int err = errno;
        CloseFile(fd);
        return {Failed(FailureCode::CannotOpen, err)};
    }
    if (!IsRegular(st)) {
        CloseFile(fd);
        return {{FailureCode::NotRegularFile, m_name}};
    }
    m_fd = fd;
    return {};
}

SizeResult RomFile::Size() const {
    StatBuffer st{};
    errno = 0;
    if (StatFile(m_fd, &st) != 0)
        return {0, Failed(FailureCode::CannotRead, errno)};
    return {static_cast<std::int64_t>(st.st_size), {}};
}

SizeResult RomFile::Read(std::int64_t position, std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (done < into.size()) {
        errno = 0;
        const long long got =
            ReadAt(m_fd, into.data() + done, into.size() - done, position - 1 + static_cast<std::int64_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {0, Failed(FailureCode::CannotRead, errno)};
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return {static_cast<std::int64_t>(done), {}};
}

Status RomFile::WriteByte(std::int64_t position, std::uint8_t value) const {
    return Write(position, std::span(&value, 1));
}

Status RomFile::Write(std::int64_t position, std::span<const std::uint8_t> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const long long put =
            WriteAt(m_fd, bytes.data() + done, bytes.size() - done, position - 1 + static_cast<std::int64_t>(done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return {Failed(FailureCode::CannotWrite, errno)};
        done += static_cast<std::size_t>(put);
    }
    return {};
}

Status RomFile::Truncate(std::int64_t size) const {
    errno = 0;
    if (TruncateFile(m_fd, size) != 0)
        return {Failed(FailureCode::CannotCut, errno)};
    return {};
}

Status RomFile::Close() {
    if (m_fd < 0)
        return {};
    errno = 0;
    const int rc = CloseFile(m_fd);
    m_fd = -1;
    if (rc != 0)
        return {Failed(FailureCode::CannotWrite, errno)};
    return {};
}

Stretch ReadStretch(const std::filesystem::path& path, std::int64_t position, std::int64_t atMost) {
    Stretch stretch;
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::Read); !opened.ok()) {
        stretch.failure = opened.failure;
        return stretch;
    }
    const SizeResult size = file.Size();
    if (!size.ok()) {
        stretch.failure = size.failure;
        return stretch;
    }
    stretch.fileSize = size.size;
    stretch.bytes.resize(static_cast<std::size_t>(
        std::clamp<std::int64_t>(size.size - position + 1, 0, std::max<std::int64_t>(atMost, 0))));
    const SizeResult got = file.Read(position, stretch.bytes);
    stretch.bytes.resize(static_cast<std::size_t>(got.size));
    stretch.failure = got.failure;
    return stretch;
}

Failure PastEndOf(const std::filesystem::path& path, std::int64_t position, std::int64_t size) {
    Failure failure{FailureCode::PastEnd, PathText(path), position};
    failure.size = size;
    return failure;
}

SizeResult RomFileSize(const std::filesystem::path& path) {
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::Read); !opened.ok())
        return {0, opened.failure};
    return file.Size();
}

RomLayout LayoutOfSize(std::int64_t size) {
    constexpr std::int64_t KiB = 1024;
    constexpr std::int64_t CopierHeader = 512;
    if (size % KiB == CopierHeader)
        return RomLayout::Headered;
    return size > 0 && size % KiB == 0 ? RomLayout::WithoutHeader : RomLayout::OddSize;
}

} // namespace kyrel
