#include "codec/MessageReader.h"

#include <limits>

namespace kyrel {

namespace {

std::u16string HexInParentheses(std::uint8_t b) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text = u"(";
    if (b >= 0x10)
        text += digits[b >> 4];
    text += digits[b & 0x0F];
    text += u')';
    return text;
}

std::u16string Decimal(std::uint8_t b) {
    std::u16string text;
    for (char c : std::to_string(b))
        text += static_cast<char16_t>(c);
    return text;
}

// Positions past this one cannot be held by the editor's 32-bit positions (the next-message position is
// one more than the last position reached), so the reader treats the file as ending there.
constexpr std::int64_t LastUsablePosition = std::numeric_limits<std::int32_t>::max() - 2;

class MarkerGuard {
public:
    explicit MarkerGuard(CharTable& table) : m_table(table) {}
    ~MarkerGuard() { m_table.ClearPendingArgument(); }
    MarkerGuard(const MarkerGuard&) = delete;
    MarkerGuard& operator=(const MarkerGuard&) = delete;

private:
    CharTable& m_table;
};

} // namespace

ReadResult ReadMessage(const std::filesystem::path& path, const ReaderState& state, CharTable& table,
                       const StopRule& rule) {
    MarkerGuard marker(table);
    table.ClearPendingArgument();

    ReadResult result;
    result.state = state;
    if (state.ReadPos < 1) {
        result.error = "Position " + std::to_string(state.ReadPos) + " is before the first byte of the file";
        return result;
    }

    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::Read); !opened.ok()) {
        result.error = opened.error;
        return result;
    }
    const std::int64_t end = std::min<std::int64_t>(file.Size(), LastUsablePosition);
    if (state.ReadPos > file.Size()) {
        result.error = "Position " + std::to_string(state.ReadPos) + " is past the end of \"" + path.string() +
                       "\", which has " + std::to_string(file.Size()) + " bytes";
        return result;
    }

    std::int64_t readPos = state.ReadPos;
    std::uint8_t argumentByte = state.ArgumentByte;
    int readCount = 0;
    std::u16string text;
    // Most messages fit, so the text is rarely moved while it grows.
    text.reserve(256);
    result.bytes.reserve(256);

    // Reading past the file's end is not an error: the read stops there as at a byte limit.
    auto readAt = [&](std::int64_t position) -> std::optional<std::uint8_t> {
        if (position > end)
            return std::nullopt;
        return file.ReadByte(position);
    };

    for (;;) {
        const auto b = readAt(readPos);
        if (!b) {
            if (!file.ReadError().empty() && readPos <= end) {
                result.error = file.ReadError();
                return result;
            }
            break;
        }
        result.bytes.push_back(*b);
        if (TakesArgument(*b))
            table.SetPendingArgument();
        // Most texts are one letter; none is copied into a temporary on its way.
        const std::u16string& shown = table.Lookup(*b);
        if (shown.size() == 1)
            text.push_back(shown.front());
        else if (shown.empty())
            text += HexInParentheses(*b);
        else
            text += shown;
        if (*b == EndCode)
            break;
        ++readPos;
        ++readCount;
        if (rule.view == StopRule::View::Byte && rule.byteCount && static_cast<double>(readCount) == *rule.byteCount)
            break;
        if (rule.view == StopRule::View::Index && readCount == IndexViewLimit)
            break;
        if (readCount == MaxReadCount)
            break;
        if (table.PendingArgument()) {
            const auto argument = readAt(readPos);
            if (!argument) {
                if (!file.ReadError().empty() && readPos <= end) {
                    result.error = file.ReadError();
                    return result;
                }
                break;
            }
            argumentByte = *argument;
            result.bytes.push_back(argumentByte);
            ++readPos;
            text += Decimal(argumentByte);
            table.ClearPendingArgument();
        }
    }

    // Every exit of the loop marks where the next message starts: one past the byte the read stopped on.
    result.state.NextMessagePos = static_cast<std::int32_t>(readPos + 1);
    result.state.ViewStartPos = state.ReadPos;
    result.state.ArgumentByte = argumentByte;
    result.state.ReadPos = rule.view == StopRule::View::Byte ? state.ReadPos : static_cast<std::int32_t>(readPos);
    result.text = std::move(text);
    return result;
}

MessageLength MeasureMessage(const std::filesystem::path& path, std::int32_t start) {
    MessageLength length;
    RomFile file;
    if (Status opened = file.Open(path, RomFile::Access::Read); !opened.ok()) {
        length.error = opened.error;
        return length;
    }
    for (std::int64_t position = start; position >= 1 && position <= file.Size(); ++position) {
        const auto b = file.ReadByte(position);
        if (!b) {
            length.error = file.ReadError();
            return length;
        }
        ++length.bytes;
        if (*b == EndCode) {
            length.terminated = true;
            break;
        }
        if (TakesArgument(*b) && position < file.Size()) {
            ++position;
            ++length.bytes;
        }
    }
    return length;
}

} // namespace kyrel
