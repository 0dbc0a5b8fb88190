#include "codec/Patch.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

namespace kyrel {

namespace {

constexpr std::array<std::uint8_t, 4> BpsMagic = {'B', 'P', 'S', '1'};
constexpr std::array<std::uint8_t, 5> IpsMagic = {'P', 'A', 'T', 'C', 'H'};
constexpr std::array<std::uint8_t, 3> IpsEof = {'E', 'O', 'F'};

// The three CRC-32 values that end a BPS patch.
constexpr std::size_t BpsFooterSize = 12;
// The magic and the three numbers of the smallest header, one byte each.
constexpr std::size_t BpsSmallestHead = 4 + 3;

enum BpsCommand : std::uint64_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

// Below this many bytes equal at the same offset, inside changed bytes, a SourceRead and the TargetRead after it
// cost more than carrying the bytes in the TargetRead.
constexpr std::size_t MinSourceRead = 3;
// A TargetCopy of a repeated byte costs up to 6 bytes (its number, a cursor move of up to 4 bytes, the next
// TargetRead's number); from 8 bytes on it always gains.
constexpr std::size_t MinTargetRun = 8;
// New bytes are looked up in the source only once a TargetRead has this many: most edits are shorter, and those
// never pay for the source's index.
constexpr std::size_t SearchAfter = 8;
// The source is indexed by the 8 bytes at every 8th offset, so a copy of 23 bytes and more is always found.
constexpr std::size_t IndexStride = 8;
constexpr std::size_t MinSourceCopy = 16;

// An IPS record's offset and size, what a new record costs beyond its bytes.
constexpr std::size_t IpsRecordHead = 5;
// A run-length record: offset, size 0, count, the byte.
constexpr std::size_t IpsRunRecord = 8;
constexpr std::size_t IpsMaxRecord = 0xFFFF;

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
}

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// How many bytes from the start `a` and `b` have in common, at most `limit`; eight at a time where the machine
// lets the first differing byte be found from the difference of two words.
std::size_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (n + 8 <= limit) {
            if (const std::uint64_t diff = Load64(a + n) ^ Load64(b + n))
                return n + static_cast<std::size_t>(std::countr_zero(diff)) / 8;
            n += 8;
        }
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

// How many bytes from `p` on are `value`, at most `limit`.
std::size_t RunLength(const std::uint8_t* p, std::size_t limit, std::uint8_t value) {
    std::size_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t all = 0x0101010101010101ull * value;
        while (n + 8 <= limit) {
            if (const std::uint64_t diff = Load64(p + n) ^ all)
                return n + static_cast<std::size_t>(std::countr_zero(diff)) / 8;
            n += 8;
        }
    }
    while (n < limit && p[n] == value)
        ++n;
    return n;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Whether the patch begins as a patch of this kind would, as far as it goes.
bool BeginsLike(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> magic) {
    const std::size_t n = std::min(patch.size(), magic.size());
    return std::equal(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(n), magic.begin());
}

PatchApplied Failure(ApplyCode code, std::uint64_t at, std::uint64_t expected = 0, std::uint64_t actual = 0) {
    PatchApplied failed;
    failed.code = code;
    failed.at = at;
    failed.expected = expected;
    failed.actual = actual;
    return failed;
}

// ---- BPS --------------------------------------------------------------------------------------------------

void PutNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

// A cursor move: the distance doubled, its lowest bit set when it goes backwards.
void PutMove(std::vector<std::uint8_t>& out, std::uint64_t from, std::uint64_t to) {
    PutNumber(out, to >= from ? (to - from) << 1 : ((from - to) << 1) | 1);
}

// The source indexed lazily by the 8 bytes at every IndexStride-th offset: one slot per hash, the last offset wins.
class SourceIndex {
public:
    explicit SourceIndex(std::span<const std::uint8_t> source) : m_source(source) {}

    // The offset of an indexed stretch of the source whose 8 bytes are those at `p`, if there is one.
    std::optional<std::size_t> Find(const std::uint8_t* p) {
        if (m_slots.empty())
            Build();
        const std::uint64_t key = Load64(p);
        const std::uint32_t slot = m_slots[Hash(key)];
        if (slot == 0 || Load64(m_source.data() + slot - 1) != key)
            return std::nullopt;
        return slot - 1;
    }

private:
    void Build() {
        const std::size_t blocks = m_source.size() / IndexStride;
        m_bits = 10;
        while (m_bits < 22 && (std::size_t{1} << m_bits) < 2 * blocks)
            ++m_bits;
        m_slots.assign(std::size_t{1} << m_bits, 0);
        // Slots hold offset + 1, so 0 stays free; offsets past what 32 bits hold are left out.
        const std::size_t last = std::min<std::size_t>(m_source.size(), 0xFFFFFFF0u);
        for (std::size_t at = 0; at + 8 <= last; at += IndexStride)
            m_slots[Hash(Load64(m_source.data() + at))] = static_cast<std::uint32_t>(at + 1);
    }

    [[nodiscard]] std::size_t Hash(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - m_bits));
    }

    std::span<const std::uint8_t> m_source;
    std::vector<std::uint32_t> m_slots;
    int m_bits = 0;
};

class BpsWriter {
public:
    BpsWriter(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
        : m_source(source), m_target(target) {
        m_out.reserve(4096);
        m_out.insert(m_out.end(), BpsMagic.begin(), BpsMagic.end());
        PutNumber(m_out, source.size());
        PutNumber(m_out, target.size());
        PutNumber(m_out, 0); // no metadata
    }

    void ReadSource(std::size_t length) { Action(SourceRead, length); }

    void ReadTarget(std::size_t from, std::size_t length) {
        Action(TargetRead, length);
        m_out.insert(m_out.end(), m_target.begin() + static_cast<std::ptrdiff_t>(from),
                     m_target.begin() + static_cast<std::ptrdiff_t>(from + length));
    }

    void CopySource(std::size_t from, std::size_t length) {
        Action(SourceCopy, length);
        PutMove(m_out, m_sourceCursor, from);
        m_sourceCursor = from + length;
    }

    void CopyTarget(std::size_t from, std::size_t length) {
        Action(TargetCopy, length);
        PutMove(m_out, m_targetCursor, from);
        m_targetCursor = from + length;
    }

    std::vector<std::uint8_t> Finish() {
        PutLittleEndian32(m_out, Crc32(m_source));
        PutLittleEndian32(m_out, Crc32(m_target));
        PutLittleEndian32(m_out, Crc32(m_out));
        return std::move(m_out);
    }

private:
    void Action(std::uint64_t command, std::size_t length) { PutNumber(m_out, ((length - 1) << 2) | command); }

    std::span<const std::uint8_t> m_source;
    std::span<const std::uint8_t> m_target;
    std::vector<std::uint8_t> m_out;
    std::uint64_t m_sourceCursor = 0;
    std::uint64_t m_targetCursor = 0;
};

// Reads BPS numbers off the actions' part of a patch.
class NumberReader {
public:
    NumberReader(std::span<const std::uint8_t> patch, std::size_t pos, std::size_t end)
        : m_patch(patch), m_pos(pos), m_end(end) {}

    // Ok, Truncated or NumberTooLarge.
    ApplyCode Read(std::uint64_t& value) {
        constexpr std::uint64_t max = ~std::uint64_t{0};
        value = 0;
        std::uint64_t shift = 1;
        for (;;) {
            if (m_pos >= m_end)
                return ApplyCode::Truncated;
            const std::uint8_t x = m_patch[m_pos++];
            const std::uint64_t digit = x & 0x7F;
            if (digit != 0 && digit > (max - value) / shift)
                return ApplyCode::NumberTooLarge;
            value += digit * shift;
            if (x & 0x80)
                return ApplyCode::Ok;
            if (shift > (max >> 7))
                return ApplyCode::NumberTooLarge;
            shift <<= 7;
            if (value > max - shift)
                return ApplyCode::NumberTooLarge;
            value += shift;
        }
    }

    [[nodiscard]] std::size_t Pos() const { return m_pos; }
    [[nodiscard]] std::size_t Left() const { return m_end - m_pos; }
    void Skip(std::size_t count) { m_pos += count; }

private:
    std::span<const std::uint8_t> m_patch;
    std::size_t m_pos;
    std::size_t m_end;
};

// Moves a copy's cursor by a BPS move; false when it would leave [0, limit). The cursor is never past `limit`.
bool Move(std::uint64_t encoded, std::uint64_t& cursor, std::uint64_t limit) {
    const std::uint64_t distance = encoded >> 1;
    if (encoded & 1 ? distance > cursor : distance >= limit - cursor)
        return false;
    const std::uint64_t moved = encoded & 1 ? cursor - distance : cursor + distance;
    if (moved >= limit)
        return false;
    cursor = moved;
    return true;
}

// ---- IPS --------------------------------------------------------------------------------------------------

class IpsWriter {
public:
    explicit IpsWriter(std::span<const std::uint8_t> target) : m_target(target) {
        m_out.insert(m_out.end(), IpsMagic.begin(), IpsMagic.end());
    }

    // The target's bytes [from, to) in records of at most 0xFFFF bytes.
    void Literal(std::size_t from, std::size_t to) {
        while (from < to) {
            const std::size_t start = from == IpsEofOffset ? from - 1 : from;
            const std::size_t size = std::min(to - start, IpsMaxRecord);
            Head(start, size);
            m_out.insert(m_out.end(), m_target.begin() + static_cast<std::ptrdiff_t>(start),
                         m_target.begin() + static_cast<std::ptrdiff_t>(start + size));
            from = start + size;
        }
    }

    // The target's bytes [from, to), all `value`, in run-length records.
    void Run(std::size_t from, std::size_t to, std::uint8_t value) {
        while (from < to) {
            std::size_t start = from;
            if (start == IpsEofOffset) {
                if (m_target[start - 1] != value) {
                    Literal(start, start + 1); // starts one earlier, with the byte before
                    ++from;
                    continue;
                }
                --start;
            }
            const std::size_t count = std::min(to - start, IpsMaxRecord);
            Head(start, 0);
            m_out.push_back(static_cast<std::uint8_t>(count >> 8));
            m_out.push_back(static_cast<std::uint8_t>(count));
            m_out.push_back(value);
            from = start + count;
        }
    }

    std::vector<std::uint8_t> Finish() {
        m_out.insert(m_out.end(), IpsEof.begin(), IpsEof.end());
        return std::move(m_out);
    }

private:
    void Head(std::size_t offset, std::size_t size) {
        m_out.push_back(static_cast<std::uint8_t>(offset >> 16));
        m_out.push_back(static_cast<std::uint8_t>(offset >> 8));
        m_out.push_back(static_cast<std::uint8_t>(offset));
        m_out.push_back(static_cast<std::uint8_t>(size >> 8));
        m_out.push_back(static_cast<std::uint8_t>(size));
    }

    std::span<const std::uint8_t> m_target;
    std::vector<std::uint8_t> m_out;
};

// Where the target, at least as long as the source, first differs from it at `from` or after: a byte past the
// source's end always does. The target's size or more when nothing does.
std::size_t NextChange(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target, std::size_t from) {
    if (from >= source.size())
        return from;
    return from + MatchLength(source.data() + from, target.data() + from, source.size() - from);
}

bool Changed(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target, std::size_t at) {
    return at >= source.size() || source[at] != target[at];
}

// The records of one stretch [from, to) of changed bytes: a run of one byte goes in a run-length record where
// that is smaller than carrying it, counting the head of the record the bytes after it then need.
void PutStretch(IpsWriter& writer, std::span<const std::uint8_t> target, std::size_t from, std::size_t to) {
    std::size_t literalFrom = from;
    std::size_t at = from;
    while (at < to) {
        const std::uint8_t value = target[at];
        const std::size_t run = RunLength(target.data() + at, to - at, value);
        const bool before = at > literalFrom;
        const bool after = at + run < to;
        const std::size_t worth =
            IpsRunRecord - IpsRecordHead + 1 + (before ? IpsRecordHead : 0) + (after ? IpsRecordHead : 0);
        if (run >= worth) {
            writer.Literal(literalFrom, at);
            writer.Run(at, at + run, value);
            literalFrom = at + run;
        }
        at += run;
    }
    writer.Literal(literalFrom, to);
}

} // namespace

bool HasCopierHeaderSize(std::uint64_t size) {
    return size % 32768 == CopierHeaderSize;
}

std::vector<std::uint8_t> MakeBps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    BpsWriter writer(source, target);
    SourceIndex index(source);
    const std::size_t n = target.size();
    const std::size_t common = std::min(source.size(), n);
    std::size_t pos = 0;
    std::size_t pending = 0; // new bytes ending at pos, for the next TargetRead
    const auto flush = [&] {
        if (pending > 0)
            writer.ReadTarget(pos - pending, pending);
        pending = 0;
    };
    while (pos < n) {
        const std::size_t same = pos < common ? MatchLength(source.data() + pos, target.data() + pos, common - pos) : 0;
        if (same >= MinSourceRead || (same > 0 && (pending == 0 || pos + same == n))) {
            flush();
            writer.ReadSource(same);
            pos += same;
            continue;
        }
        if (pos > 0 && target[pos] == target[pos - 1]) {
            const std::size_t run = RunLength(target.data() + pos, n - pos, target[pos - 1]);
            if (run >= MinTargetRun) {
                flush();
                writer.CopyTarget(pos - 1, run);
                pos += run;
                continue;
            }
        }
        if (pending >= SearchAfter && pos + 8 <= n) {
            if (const auto found = index.Find(target.data() + pos)) {
                const std::size_t from = *found;
                const std::size_t ahead = 8 + MatchLength(source.data() + from + 8, target.data() + pos + 8,
                                                          std::min(source.size() - from, n - pos) - 8);
                std::size_t back = 0;
                while (back < pending && back < from && source[from - back - 1] == target[pos - back - 1])
                    ++back;
                if (ahead + back >= MinSourceCopy) {
                    pending -= back;
                    pos -= back;
                    flush();
                    writer.CopySource(from - back, ahead + back);
                    pos += ahead + back;
                    continue;
                }
            }
        }
        ++pending;
        ++pos;
    }
    flush();
    return writer.Finish();
}

BpsApplied ApplyBps(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                    std::uint64_t maxTargetSize) {
    if (!BeginsLike(patch, BpsMagic))
        return Failure(ApplyCode::BadMagic, 0);
    if (patch.size() < BpsSmallestHead + BpsFooterSize)
        return Failure(ApplyCode::Truncated, 0);
    const std::size_t end = patch.size() - BpsFooterSize;
    const std::uint32_t patchCrc = LittleEndian32(patch.data() + patch.size() - 4);
    if (const std::uint32_t actual = Crc32(patch.first(patch.size() - 4)); actual != patchCrc)
        return Failure(ApplyCode::PatchCrc, patch.size() - 4, patchCrc, actual);

    NumberReader reader(patch, BpsMagic.size(), end);
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    std::uint64_t metadataSize = 0;
    for (std::uint64_t* field : {&sourceSize, &targetSize, &metadataSize}) {
        const std::size_t at = reader.Pos();
        if (const ApplyCode code = reader.Read(*field); code != ApplyCode::Ok)
            return Failure(code, at);
    }
    if (metadataSize > reader.Left())
        return Failure(ApplyCode::Truncated, reader.Pos());
    reader.Skip(static_cast<std::size_t>(metadataSize));
    if (sourceSize != source.size())
        return Failure(ApplyCode::SourceSize, 0, sourceSize, source.size());
    if (targetSize > maxTargetSize)
        return Failure(ApplyCode::TargetTooLarge, 0, maxTargetSize, targetSize);
    const std::uint32_t sourceCrc = LittleEndian32(patch.data() + end);
    if (const std::uint32_t actual = Crc32(source); actual != sourceCrc)
        return Failure(ApplyCode::SourceCrc, end, sourceCrc, actual);

    // Room for what an ordinary patch writes at once; a patch that claims more grows the target as it writes.
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(targetSize, source.size() + patch.size())));
    std::uint64_t sourceCursor = 0;
    std::uint64_t targetCursor = 0;
    while (reader.Left() > 0) {
        const std::size_t at = reader.Pos();
        std::uint64_t data = 0;
        if (const ApplyCode code = reader.Read(data); code != ApplyCode::Ok)
            return Failure(code, at);
        const std::uint64_t length = (data >> 2) + 1;
        const std::size_t written = out.size();
        if (length > targetSize - written)
            return Failure(ApplyCode::OutputOverrun, at);
        const auto size = static_cast<std::size_t>(length);
        switch (data & 3) {
        case SourceRead:
            if (written > source.size() || length > source.size() - written)
                return Failure(ApplyCode::ActionOutOfRange, at);
            out.insert(out.end(), source.begin() + static_cast<std::ptrdiff_t>(written),
                       source.begin() + static_cast<std::ptrdiff_t>(written + size));
            break;
        case TargetRead:
            if (length > reader.Left())
                return Failure(ApplyCode::Truncated, at);
            out.insert(out.end(), patch.begin() + static_cast<std::ptrdiff_t>(reader.Pos()),
                       patch.begin() + static_cast<std::ptrdiff_t>(reader.Pos() + size));
            reader.Skip(size);
            break;
        case SourceCopy: {
            std::uint64_t move = 0;
            if (const ApplyCode code = reader.Read(move); code != ApplyCode::Ok)
                return Failure(code, at);
            if (!Move(move, sourceCursor, source.size()) || length > source.size() - sourceCursor)
                return Failure(ApplyCode::ActionOutOfRange, at);
            const auto from = source.begin() + static_cast<std::ptrdiff_t>(sourceCursor);
            out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(size));
            sourceCursor += length;
            break;
        }
        case TargetCopy: {
            std::uint64_t move = 0;
            if (const ApplyCode code = reader.Read(move); code != ApplyCode::Ok)
                return Failure(code, at);
            // Only bytes already written can be read: the cursor stays behind the end, and both advance together.
            if (!Move(move, targetCursor, written))
                return Failure(ApplyCode::ActionOutOfRange, at);
            out.resize(written + size);
            auto from = static_cast<std::size_t>(targetCursor);
            if (written - from >= size)
                std::memcpy(out.data() + written, out.data() + from, size);
            else
                for (std::size_t i = 0; i < size; ++i)
                    out[written + i] = out[from + i];
            targetCursor += length;
            break;
        }
        }
    }
    if (out.size() != targetSize)
        return Failure(ApplyCode::OutputShort, end, targetSize, out.size());
    const std::uint32_t targetCrc = LittleEndian32(patch.data() + end + 4);
    if (const std::uint32_t actual = Crc32(out); actual != targetCrc)
        return Failure(ApplyCode::TargetCrc, end + 4, targetCrc, actual);
    BpsApplied applied;
    applied.target = std::move(out);
    return applied;
}

IpsMade MakeIps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    IpsMade made;
    made.sourceSize = source.size();
    made.targetSize = target.size();
    if (target.size() < source.size()) {
        made.code = MakeCode::IpsShrinks;
        return made;
    }
    IpsWriter writer(target);
    const std::size_t n = target.size();
    std::size_t from = NextChange(source, target, 0);
    while (from < n) {
        // The stretch goes on over gaps too short to be worth a record's head.
        std::size_t to = from;
        for (;;) {
            while (to < n && Changed(source, target, to))
                ++to;
            const std::size_t next = NextChange(source, target, to);
            if (next >= n || next - to >= IpsRecordHead)
                break;
            to = next;
        }
        if (to - 1 > IpsLastOffset) {
            made.code = MakeCode::IpsPastReach;
            made.offset = NextChange(source, target, std::max<std::size_t>(from, IpsLastOffset + 1));
            return made;
        }
        PutStretch(writer, target, from, to);
        from = NextChange(source, target, to);
    }
    made.patch = writer.Finish();
    return made;
}

IpsApplied ApplyIps(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                    std::uint64_t maxTargetSize) {
    if (!BeginsLike(patch, IpsMagic))
        return Failure(ApplyCode::BadMagic, 0);
    if (patch.size() < IpsMagic.size())
        return Failure(ApplyCode::Truncated, 0);
    std::vector<std::uint8_t> out(source.begin(), source.end());
    // A record may grow the file up to the limit, never past it (a source larger than the limit is only not grown).
    const auto grow = [&](std::size_t size) {
        if (size <= out.size())
            return true;
        if (size > maxTargetSize)
            return false;
        out.resize(size);
        return true;
    };
    const auto byteAt = [&](std::size_t at) { return static_cast<std::size_t>(patch[at]); };
    std::size_t pos = IpsMagic.size();
    for (;;) {
        if (patch.size() - pos < IpsEof.size())
            return Failure(ApplyCode::Truncated, pos);
        if (StartsWith(patch.subspan(pos), IpsEof)) {
            pos += IpsEof.size();
            break;
        }
        const std::size_t at = pos;
        if (patch.size() - pos < IpsRecordHead)
            return Failure(ApplyCode::Truncated, at);
        const std::size_t offset = byteAt(pos) << 16 | byteAt(pos + 1) << 8 | byteAt(pos + 2);
        const std::size_t size = byteAt(pos + 3) << 8 | byteAt(pos + 4);
        pos += IpsRecordHead;
        if (size == 0) {
            if (patch.size() - pos < 3)
                return Failure(ApplyCode::Truncated, at);
            const std::size_t count = byteAt(pos) << 8 | byteAt(pos + 1);
            const std::uint8_t value = patch[pos + 2];
            pos += 3;
            if (count == 0)
                return Failure(ApplyCode::BadRecord, at);
            if (!grow(offset + count))
                return Failure(ApplyCode::TargetTooLarge, at, maxTargetSize, offset + count);
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(offset), count, value);
        } else {
            if (patch.size() - pos < size)
                return Failure(ApplyCode::Truncated, at);
            if (!grow(offset + size))
                return Failure(ApplyCode::TargetTooLarge, at, maxTargetSize, offset + size);
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(pos), size,
                        out.begin() + static_cast<std::ptrdiff_t>(offset));
            pos += size;
        }
    }
    if (patch.size() - pos == 3) {
        const std::size_t size = byteAt(pos) << 16 | byteAt(pos + 1) << 8 | byteAt(pos + 2);
        if (!grow(size))
            return Failure(ApplyCode::TargetTooLarge, pos, maxTargetSize, size);
        out.resize(size);
    } else if (pos != patch.size())
        return Failure(ApplyCode::TrailingBytes, pos);
    IpsApplied applied;
    applied.target = std::move(out);
    return applied;
}

PatchCheck CheckPatch(std::span<const std::uint8_t> patch, PatchFormat format, bool headerLeftOut,
                      std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited) {
    PatchCheck check;
    const auto failed = [&](ApplyCode code, std::uint64_t offset) {
        check.code = MakeCode::VerifyFailed;
        check.verifyCode = code;
        check.offset = offset;
        return check;
    };
    // The header a BPS leaves out is put back in front of what the patch gives.
    std::span<const std::uint8_t> header;
    if (format == PatchFormat::Bps && headerLeftOut) {
        if (original.size() < CopierHeaderSize)
            return failed(ApplyCode::Ok, 0);
        header = original.first(CopierHeaderSize);
    }
    const PatchApplied applied =
        format == PatchFormat::Bps ? ApplyBps(patch, original.subspan(header.size())) : ApplyIps(patch, original);
    if (!applied.ok())
        return failed(applied.code, 0);
    const std::size_t size = header.size() + applied.target.size();
    const std::size_t common = std::min(size, edited.size());
    std::size_t same = MatchLength(header.data(), edited.data(), std::min(header.size(), common));
    if (same == header.size())
        same += MatchLength(applied.target.data(), edited.data() + same, common - same);
    if (same < common || size != edited.size())
        return failed(ApplyCode::Ok, same);
    return check;
}

PatchMade MakePatch(std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited, PatchFormat format) {
    PatchMade made;
    made.format = format;
    made.originalSize = original.size();
    made.editedSize = edited.size();
    if (original.size() == edited.size() &&
        MatchLength(original.data(), edited.data(), original.size()) == original.size()) {
        made.code = MakeCode::NothingToPatch;
        return made;
    }
    if (format == PatchFormat::Bps) {
        std::span<const std::uint8_t> source = original;
        std::span<const std::uint8_t> target = edited;
        if (HasCopierHeaderSize(original.size()) && HasCopierHeaderSize(edited.size())) {
            if (std::equal(original.begin(), original.begin() + CopierHeaderSize, edited.begin())) {
                made.headerLeftOut = true;
                source = original.subspan(CopierHeaderSize);
                target = edited.subspan(CopierHeaderSize);
            } else {
                made.headersDiffer = true;
            }
        }
        if (target.size() > MaxBpsTargetSize) {
            made.code = MakeCode::TooLarge;
            return made;
        }
        made.patch = MakeBps(source, target);
    } else {
        IpsMade ips = MakeIps(original, edited);
        if (!ips.ok()) {
            made.code = ips.code;
            made.offset = ips.offset;
            return made;
        }
        made.patch = std::move(ips.patch);
    }
    if (const PatchCheck check = CheckPatch(made.patch, format, made.headerLeftOut, original, edited); !check.ok()) {
        made.patch.clear();
        made.code = check.code;
        made.verifyCode = check.verifyCode;
        made.offset = check.offset;
    }
    return made;
}

} // namespace kyrel
