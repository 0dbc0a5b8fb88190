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

using kyrel::FailureCode;

// A file opened for reading or writing, or why not: only a regular file is kept, and the kind is asked of the
// opened file, so a file swapped for something else after a look cannot slip in. The same look gives the size.
struct Opened {
    int fd = -1;
    std::int64_t size = 0;
    FailureCode code = FailureCode::None;
    int osError = 0;
};

int OsError(int err) {
    return err ? err : EIO;
}

kyrel::Failure Named(FailureCode code, std::string name, int osError) {
    kyrel::Failure failure{code, std::move(name)};
    failure.osError = osError;
    return failure;
}

Opened OpenRegular(const std::filesystem::path& path, bool write) {
    errno = 0;
    const int fd = OpenFile(path, write);
    if (fd < 0) {
        if (errno == EISDIR)
            return {-1, 0, FailureCode::NotRegularFile, 0};
        return {-1, 0, FailureCode::CannotOpen, OsError(errno)};
    }
    StatBuffer st{};
    if (StatFile(fd, &st) != 0) {
        const int err = errno;
        CloseFile(fd);
        return {-1, 0, FailureCode::CannotOpen, OsError(err)};
    }
    if (!IsRegular(st)) {
        CloseFile(fd);
        return {-1, 0, FailureCode::NotRegularFile, 0};
    }
    return {fd, static_cast<std::int64_t>(st.st_size)};
}

// Reads until `into` is full or the file ends, from a 0-based offset: how many bytes, or -1 with errno set.
long long ReadFully(int fd, std::int64_t offset, std::span<std::uint8_t> into) {
    std::size_t done = 0;
    while (done < into.size()) {
        errno = 0;
        const long long got =
            ReadAt(fd, into.data() + done, into.size() - done, offset + static_cast<std::int64_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

// The one read of a stretch of a file of `size` bytes: up to atMost bytes from a 1-based position, none past the end.
std::size_t StretchLength(std::int64_t size, std::int64_t position, std::int64_t atMost) {
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>(size - position + 1, 0, std::max<std::int64_t>(atMost, 0)));
}

// Closes a descriptor when a read is done; a read has nothing to lose at the close.
class Closer {
public:
    explicit Closer(int fd) : m_fd(fd) {}
    ~Closer() { CloseFile(m_fd); }
    Closer(const Closer&) = delete;
    Closer& operator=(const Closer&) = delete;

private:
    int m_fd;
};

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
    return Named(code, m_name, OsError(err));
}

Status RomFile::Open(const std::filesystem::path& path, Access access) {
    (void)Close();
    m_name = PathText(path);
    const Opened opened = OpenRegular(path, access == Access::ReadWrite);
    if (opened.fd < 0)
        return {Named(opened.code, m_name, opened.osError)};
    m_fd = opened.fd;
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
    const long long got = ReadFully(m_fd, position - 1, into);
    if (got < 0)
        return {0, Failed(FailureCode::CannotRead, errno)};
    return {static_cast<std::int64_t>(got), {}};
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

namespace {

// The one read of an opened file's stretch into the buffer, as much of it as the file holds from the position.
StretchRead ReadOpened(const Opened& opened, const std::filesystem::path& path, std::int64_t position,
                       std::span<std::uint8_t> into) {
    const long long got =
        ReadFully(opened.fd, position - 1, into.first(StretchLength(opened.size, position, std::ssize(into))));
    if (got < 0) {
        const int err = errno;
        return {0, opened.size, Named(FailureCode::CannotRead, PathText(path), OsError(err))};
    }
    return {static_cast<std::int64_t>(got), opened.size, {}};
}

} // namespace

// The file is named only when a read fails: a read that works copies no path, as the index arrows make one a click.
Stretch ReadStretch(const std::filesystem::path& path, std::int64_t position, std::int64_t atMost) {
    Stretch stretch;
    const Opened opened = OpenRegular(path, false);
    if (opened.fd < 0) {
        stretch.failure = Named(opened.code, PathText(path), opened.osError);
        return stretch;
    }
    const Closer closer(opened.fd);
    stretch.bytes.resize(StretchLength(opened.size, position, atMost));
    const StretchRead read = ReadOpened(opened, path, position, stretch.bytes);
    stretch.bytes.resize(static_cast<std::size_t>(read.got));
    stretch.fileSize = read.fileSize;
    stretch.failure = read.failure;
    return stretch;
}

StretchRead ReadStretchInto(const std::filesystem::path& path, std::int64_t position, std::span<std::uint8_t> into) {
    const Opened opened = OpenRegular(path, false);
    if (opened.fd < 0)
        return {0, 0, Named(opened.code, PathText(path), opened.osError)};
    const Closer closer(opened.fd);
    return ReadOpened(opened, path, position, into);
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
