#pragma once

#include <cstdint>
#include <string>

namespace kyrel {

// Why a file operation, a read or a write did not work. The codec names the case and keeps the values its
// sentence needs; the editor makes the sentence the user reads.
enum class FailureCode : std::uint8_t {
    None,
    NotRegularFile,    // path
    CannotOpen,        // path, osError
    CannotRead,        // path, osError
    CannotWrite,       // path, osError
    CannotCut,         // path, osError
    BeforeFile,        // position: before the first byte of every file
    PastEnd,           // position, path, size: the file ends before it
    PastLastReadable,  // position: past LastReadablePosition
    PastLastWritable,  // position, count: the bytes would run past LastWritablePosition
    NoRoom,            // position, count, path, size: the bytes would run past the end of the file
    Shortened,         // path, size: another program shortened the file during the write
    SizeChanged,       // path: another program changed the file's size during the write
    ChangedSinceWrite, // position, path: the file no longer holds a byte the write put there
};

struct Failure {
    FailureCode code = FailureCode::None;
    std::string path;          // the file's name, UTF-8
    std::int64_t position = 0; // a 1-based file position
    std::int64_t count = 0;    // bytes wanted
    std::int64_t size = 0;     // the file's size in bytes
    int osError = 0;           // the system's error number

    [[nodiscard]] bool ok() const { return code == FailureCode::None; }
    friend bool operator==(const Failure&, const Failure&) = default;
};

} // namespace kyrel
