#include "codec/MessageReader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace kyrel {

namespace {

class MarkerGuard {
public:
    explicit MarkerGuard(CharTable& table) : m_table(table) {}
    ~MarkerGuard() { m_table.ClearPendingArgument(); }
    MarkerGuard(const MarkerGuard&) = delete;
    MarkerGuard& operator=(const MarkerGuard&) = delete;

private:
    CharTable& m_table;
};

// The count of decoded bytes at which a read stops: the view's cut, or the "Ending Value" where it is a whole number
// the count reaches first (no other number ever equals the count); the count's own limit in any case.
int CountLimit(const StopRule& rule) {
    if (rule.view == StopRule::View::Index)
        return IndexViewLimit;
    if (rule.byteCount && *rule.byteCount >= 1 && *rule.byteCount < MaxReadCount &&
        *rule.byteCount == static_cast<int>(*rule.byteCount))
        return static_cast<int>(*rule.byteCount);
    return MaxReadCount;
}

// The reader's one loop: where a read stops and which bytes are argument bytes. `show` is told each byte decoded,
// the end code included, and each argument byte taken; it builds the text, or nothing.
template <class Show>
std::optional<ReadExtent> Walk(std::span<const std::uint8_t> bytes, const ReaderState& state, const StopRule& rule,
                               Show& show) {
    if (state.ReadPos < 1 || state.ReadPos > LastReadablePosition)
        return std::nullopt;
    const std::size_t end = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), LastReadablePosition - state.ReadPos + 1));
    const int limit = CountLimit(rule);
    std::size_t at = 0;
    std::uint8_t argumentByte = state.ArgumentByte;
    int readCount = 0;
    bool terminated = false;
    while (at < end) {
        const std::uint8_t b = bytes[at];
        show.Code(b);
        if (b == EndCode) {
            terminated = true;
            break;
        }
        ++at;
        if (++readCount == limit)
            break;
        if (TakesArgument(b)) {
            if (at >= end)
                break;
            argumentByte = bytes[at++];
            show.Argument(argumentByte);
        }
    }
    ReadExtent extent;
    const auto stop = static_cast<std::int32_t>(state.ReadPos + static_cast<std::int64_t>(at));
    extent.state.NextMessagePos = stop + 1;
    extent.state.ViewStartPos = state.ReadPos;
    extent.state.ArgumentByte = argumentByte;
    extent.state.ReadPos = rule.view == StopRule::View::Byte ? state.ReadPos : stop;
    extent.kept = at + (terminated ? 1 : 0);
    return extent;
}

// The text as the pane shows it, and the table's marker set while an argument byte is due. Each byte's text is
// copied as the table's fixed-width block into a buffer on the stack, which goes into the string when it fills:
// most messages fit it, so their text is made once, at its own length.
class PaneText {
public:
    explicit PaneText(CharTable& table) : m_table(table) {}
    PaneText(const PaneText&) = delete;
    PaneText& operator=(const PaneText&) = delete;

    void Code(std::uint8_t b) {
        if (TakesArgument(b))
            m_table.SetPendingArgument();
        const CharTable::Block& block = m_table.BlockOf(b);
        if (block.size != 0) [[likely]] {
            Room(CharTable::BlockWidth);
            std::memcpy(m_out, block.head.data(), sizeof block.head);
            m_out += block.size;
        } else if (const std::u16string& shown = m_table.Lookup(b); shown.empty()) {
            Put(HexInParentheses(b));
        } else {
            Put(shown);
        }
    }
    void Argument(std::uint8_t b) {
        // An argument byte in decimal, no leading zeros: three digits at most.
        Room(3);
        if (b >= 100)
            *m_out++ = static_cast<char16_t>(u'0' + b / 100);
        if (b >= 10)
            *m_out++ = static_cast<char16_t>(u'0' + b / 10 % 10);
        *m_out++ = static_cast<char16_t>(u'0' + b % 10);
        m_table.ClearPendingArgument();
    }
    [[nodiscard]] std::u16string Take() {
        Flush();
        return std::move(m_text);
    }

private:
    void Room(std::size_t count) {
        if (static_cast<std::size_t>(m_block.data() + m_block.size() - m_out) < count)
            Flush();
    }
    void Put(std::u16string_view text) {
        Room(text.size());
        if (text.size() > m_block.size())
            m_text += text;
        else
            m_out = std::copy(text.begin(), text.end(), m_out);
    }
    void Flush() {
        m_text.append(m_block.data(), static_cast<std::size_t>(m_out - m_block.data()));
        m_out = m_block.data();
    }

    CharTable& m_table;
    std::array<char16_t, 512> m_block; // filled up to m_out; never read past it
    char16_t* m_out = m_block.data();
    std::u16string m_text;
};

struct NoText {
    void Code(std::uint8_t) {}
    void Argument(std::uint8_t) {}
};

} // namespace

std::size_t ReachOf(const StopRule& rule) {
    // The last decoded byte ends the read before its argument byte is taken.
    return static_cast<std::size_t>(2 * CountLimit(rule) - 1);
}

ReadResult DecodeMessage(std::span<const std::uint8_t> bytes, const ReaderState& state, CharTable& table,
                         const StopRule& rule) {
    MarkerGuard marker(table);
    table.ClearPendingArgument();

    ReadResult result;
    result.state = state;
    if (state.ReadPos < 1 || state.ReadPos > LastReadablePosition) {
        result.failure.code = state.ReadPos < 1 ? FailureCode::BeforeFile : FailureCode::PastLastReadable;
        result.failure.position = state.ReadPos;
        return result;
    }
    PaneText shown(table);
    const ReadExtent extent = *Walk(bytes, state, rule, shown);
    result.state = extent.state;
    result.text = shown.Take();
    result.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(extent.kept));
    return result;
}

std::optional<ReadExtent> WalkMessage(std::span<const std::uint8_t> bytes, const ReaderState& state,
                                      const StopRule& rule) {
    NoText none;
    return Walk(bytes, state, rule, none);
}

ShownText::ShownText(const CharTable& table) {
    for (std::size_t b = 0; b < 256; ++b) {
        const auto code = static_cast<std::uint8_t>(b);
        const std::u16string& own = table.Lookup(code);
        const std::u16string text = own.empty() ? HexInParentheses(code) : own;
        Piece& piece = m_codes[b];
        piece.fits = text.size() <= Width;
        if (piece.fits) {
            piece.size = static_cast<std::uint8_t>(text.size());
            std::copy(text.begin(), text.end(), piece.head.begin());
        } else {
            m_long.resize(256);
            m_long[b] = text;
            m_widest = std::max(m_widest, text.size());
        }
        // An argument byte in decimal, as AppendDecimal writes it: three digits at most.
        Piece& number = m_numbers[b];
        if (code >= 100)
            number.head[number.size++] = static_cast<char16_t>(u'0' + code / 100);
        if (code >= 10)
            number.head[number.size++] = static_cast<char16_t>(u'0' + code / 10 % 10);
        number.head[number.size++] = static_cast<char16_t>(u'0' + code % 10);
    }
}

std::optional<ShownRead> ShownText::Read(std::span<const std::uint8_t> bytes, const ReaderState& state,
                                         const StopRule& rule) {
    // Every byte kept shows at most the widest text, and each block copied may run Width past the last one's end.
    const std::size_t room = std::min(bytes.size(), ReachOf(rule)) * m_widest + Width;
    if (m_text.size() < room)
        m_text.resize(room);
    struct Blocks {
        ShownText& shown;
        char16_t* out;
        void Code(std::uint8_t b) {
            const Piece& piece = shown.m_codes[b];
            if (piece.fits) [[likely]] {
                std::memcpy(out, piece.head.data(), sizeof piece.head);
                out += piece.size;
            } else {
                out = std::copy(shown.m_long[b].begin(), shown.m_long[b].end(), out);
            }
        }
        void Argument(std::uint8_t b) {
            const Piece& piece = shown.m_numbers[b];
            std::memcpy(out, piece.head.data(), sizeof piece.head);
            out += piece.size;
        }
    } blocks{*this, m_text.data()};
    const std::optional<ReadExtent> extent = Walk(bytes, state, rule, blocks);
    if (!extent)
        return std::nullopt;
    return ShownRead{*extent, {m_text.data(), static_cast<std::size_t>(blocks.out - m_text.data())}};
}

ReadResult ReadMessage(const std::filesystem::path& path, const ReaderState& state, CharTable& table,
                       const StopRule& rule) {
    table.ClearPendingArgument();
    if (state.ReadPos < 1)
        return DecodeMessage({}, state, table, rule);
    // The index view's stretch is read onto the stack; only a byte view's longer count needs room from the heap. Either
    // is left as it is until the read fills it.
    std::array<std::uint8_t, 2 * IndexViewLimit> local;
    std::unique_ptr<std::uint8_t[]> large;
    std::span<std::uint8_t> into(local);
    if (const std::size_t reach = ReachOf(rule); reach > local.size()) {
        large = std::make_unique_for_overwrite<std::uint8_t[]>(reach);
        into = {large.get(), reach};
    } else {
        into = into.first(reach);
    }
    const StretchRead read = ReadStretchInto(path, state.ReadPos, into);
    if (read.ok() && state.ReadPos <= read.fileSize)
        return DecodeMessage(into.first(static_cast<std::size_t>(read.got)), state, table, rule);
    ReadResult failed;
    failed.state = state;
    failed.failure = read.ok() ? PastEndOf(path, state.ReadPos, read.fileSize) : read.failure;
    return failed;
}

MessageLength MeasureBytes(std::span<const std::uint8_t> bytes) {
    MessageLength length;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        length.bytes = static_cast<std::int64_t>(at) + 1;
        if (bytes[at] == EndCode) {
            length.terminated = true;
            break;
        }
        if (TakesArgument(bytes[at]) && at + 1 < bytes.size())
            length.bytes = static_cast<std::int64_t>(++at) + 1;
    }
    return length;
}

MessageLength MeasureMessage(const std::filesystem::path& path, std::int32_t start, std::int64_t atMost) {
    if (start < 1)
        return {0, false, {FailureCode::BeforeFile, {}, start}};
    const Stretch stretch = ReadStretch(path, start, atMost);
    if (!stretch.ok())
        return {0, false, stretch.failure};
    return MeasureBytes(stretch.bytes);
}

} // namespace kyrel
