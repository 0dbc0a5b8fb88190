// Fuzz target for the reader: any file contents, any start position, either view, any "Ending Value", and up
// to three reads in a row as the index spinner makes them. Decoding the bytes and reading them from a file must
// agree. Besides never crashing, a read that works must stop
// where the stop rules say, show what the decoding loop shows, and leave the pending-argument marker empty; a
// read that fails must hand the editor's positions back unchanged.
//
// Input layout: one flag byte, the start (4 bytes), a tiling length (2), the argument byte held before the read
// (1), the "Ending Value" (8), the other positions held before the read (4), then the file's bytes.
#include "codec/CharTable.h"
#include "codec/MessageReader.h"
#include "fuzz/FuzzInput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

enum Flags : std::uint8_t {
    ByteView = 1 << 0,
    HasFini = 1 << 1,
    FiniKind = 3 << 2, // small whole number, any double, a half, or near the count's cap
    RawStart = 1 << 4, // the start as given, negative and huge ones included; else a position in or just past the file
    Tile = 1 << 5,     // repeat the file's bytes to a length, for the 1000 and 32767 limits
    MarkerSet = 1 << 6,
    Step = 1 << 7, // read on from the next message twice more
};

// The file that ReadMessage opens, to check that it decodes what DecodeMessage decodes from the same bytes: one
// file in the temporary folder for the whole run, rewritten for every input.
class TemporaryRom {
public:
    TemporaryRom() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("kyrel-fuzz-" + std::to_string(random()) + ".smc");
    }
    ~TemporaryRom() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }

    void Fill(const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::perror("cannot write the temporary ROM");
            std::abort();
        }
    }

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

const CharTable& ReferenceTable() {
    static const CharTable table = [] {
        CharTable built;
        built.BuildCharTable();
        return built;
    }();
    return table;
}

KYREL_FUZZ_UNTRACED std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// What the pane shows for each byte value, and for each value as an argument.
struct Shown {
    std::u16string code[256];
    std::u16string argument[256];
};

const Shown& ShownTexts() {
    static const Shown shown = [] {
        Shown s;
        for (int b = 0; b < 256; ++b) {
            const std::u16string& text = ReferenceTable().Lookup(static_cast<std::uint8_t>(b));
            char hex[8];
            std::snprintf(hex, sizeof hex, "(%X)", b);
            s.code[b] = text.empty() ? Ascii(hex) : text;
            s.argument[b] = Ascii(std::to_string(b));
        }
        return s;
    }();
    return shown;
}

// Walks along the reader's text, piece by piece.
class TextCursor {
public:
    explicit TextCursor(const std::u16string& text) : m_text(text) {}

    KYREL_FUZZ_UNTRACED void Expect(const std::u16string& piece) {
        KYREL_FUZZ_CHECK(m_text.size() - m_pos >= piece.size());
        for (std::size_t i = 0; i < piece.size(); ++i)
            KYREL_FUZZ_CHECK(m_text[m_pos + i] == piece[i]);
        m_pos += piece.size();
    }
    [[nodiscard]] bool AtEnd() const { return m_pos == m_text.size(); }

private:
    const std::u16string& m_text;
    std::size_t m_pos = 0;
};

// The decoding loop worked out over the bytes in memory; the reader's text must be exactly what it shows.
struct Expected {
    std::int64_t stop = 0; // the terminator's position, or the first position not decoded
    bool terminated = false;
    std::uint8_t argument = 0;
};

KYREL_FUZZ_UNTRACED Expected Decode(const std::vector<std::uint8_t>& file, std::int64_t start, const StopRule& rule,
                                    std::uint8_t argumentBefore, const std::u16string& text) {
    const Shown& shown = ShownTexts();
    const auto size = static_cast<std::int64_t>(file.size());
    TextCursor cursor(text);
    Expected e;
    e.argument = argumentBefore;
    std::int64_t pos = start;
    int count = 0;
    while (pos >= 1 && pos <= size) {
        const std::uint8_t b = file[static_cast<std::size_t>(pos - 1)];
        cursor.Expect(shown.code[b]);
        if (b == EndCode) {
            e.terminated = true;
            break;
        }
        ++pos;
        ++count;
        if (rule.view == StopRule::View::Byte && rule.byteCount && count == *rule.byteCount)
            break;
        if (rule.view == StopRule::View::Index && count == IndexViewLimit)
            break;
        if (count == MaxReadCount)
            break;
        if (TakesArgument(b)) {
            if (pos > size)
                break;
            e.argument = file[static_cast<std::size_t>(pos - 1)];
            ++pos;
            cursor.Expect(shown.argument[e.argument]);
        }
    }
    KYREL_FUZZ_CHECK(cursor.AtEnd());
    e.stop = pos;
    return e;
}

// The stop table, checked on the positions the reader reported, walking the file from the start to the stop.
KYREL_FUZZ_UNTRACED void CheckStopRules(const std::vector<std::uint8_t>& file, std::int64_t start, const StopRule& rule,
                                        const ReaderState& after) {
    const auto size = static_cast<std::int64_t>(file.size());
    KYREL_FUZZ_CHECK(after.ViewStartPos == start);
    const std::int64_t stop = static_cast<std::int64_t>(after.NextMessagePos) - 1;
    if (rule.view == StopRule::View::Byte)
        KYREL_FUZZ_CHECK(after.ReadPos == start);
    else
        KYREL_FUZZ_CHECK(after.ReadPos == stop);
    KYREL_FUZZ_CHECK(stop >= start);
    KYREL_FUZZ_CHECK(stop <= size + 1);

    // Count the bytes decoded before the stop; each argument code takes the byte after it along.
    int decoded = 0;
    for (std::int64_t pos = start; pos < stop;) {
        const std::uint8_t b = file[static_cast<std::size_t>(pos - 1)];
        KYREL_FUZZ_CHECK(b != EndCode); // a decoded end code ends the read on itself
        ++decoded;
        ++pos;
        if (TakesArgument(b) && pos < stop)
            ++pos;
    }
    const int limit = rule.view == StopRule::View::Index ? IndexViewLimit : MaxReadCount;
    KYREL_FUZZ_CHECK(decoded <= limit);
    const bool wholeFini = rule.view == StopRule::View::Byte && rule.byteCount && *rule.byteCount >= 1 &&
                           *rule.byteCount <= limit && *rule.byteCount == static_cast<int>(*rule.byteCount);
    if (wholeFini)
        KYREL_FUZZ_CHECK(decoded <= *rule.byteCount);

    // Inside the file and not on an end code (the terminator, or one that a limit left unread), only a limit
    // stops a read.
    if (stop <= size && file[static_cast<std::size_t>(stop - 1)] != EndCode)
        KYREL_FUZZ_CHECK(decoded == limit || (wholeFini && decoded == *rule.byteCount));
}

struct Read {
    ReaderState state;
    bool ok = false;
};

Read CheckOneRead(TemporaryRom& rom, const std::vector<std::uint8_t>& file, const ReaderState& before,
                  const StopRule& rule, bool markerSet, bool measure) {
    // The editor keeps one table for its whole life; so does this run.
    static CharTable table = ReferenceTable();
    const std::int64_t start = before.ReadPos;
    const bool inFile = start >= 1 && start <= static_cast<std::int64_t>(file.size());

    // Reading the file and decoding its bytes agree: the same text, positions and bytes, or the same refusal.
    // Writing the file costs more than all the rest, so one input in eight has it.
    static unsigned calls = 0;
    std::optional<ReadResult> read;
    if (++calls % 8 == 0) {
        rom.Fill(file);
        if (markerSet)
            table.SetPendingArgument();
        read = ReadMessage(rom.Path(), before, table, rule);
        KYREL_FUZZ_CHECK(!table.PendingArgument());
        KYREL_FUZZ_CHECK(read->ok() == inFile);
        if (!read->ok()) {
            KYREL_FUZZ_CHECK(read->state == before);
            KYREL_FUZZ_CHECK(read->text.empty());
            return {before, false};
        }
    }
    if (!inFile)
        return {before, false};

    if (markerSet)
        table.SetPendingArgument();
    const auto bytes = std::span(file).subspan(static_cast<std::size_t>(start - 1));
    const ReadResult result = DecodeMessage(bytes, before, table, rule);
    KYREL_FUZZ_CHECK(!table.PendingArgument());
    KYREL_FUZZ_CHECK(result.ok());
    if (read)
        KYREL_FUZZ_CHECK(result.text == read->text && result.state == read->state && result.bytes == read->bytes);

    // The list's reads stop and show exactly as the pane's: the walk without text, and the block-copied text.
    const std::optional<ReadExtent> walked = WalkMessage(bytes, before, rule);
    KYREL_FUZZ_CHECK(walked && walked->state == result.state && walked->kept == result.bytes.size());
    ShownText shown(table);
    const std::optional<ShownRead> listed = shown.Read(bytes, before, rule);
    KYREL_FUZZ_CHECK(listed && listed->extent.state == result.state && listed->text == result.text);

    CheckStopRules(file, start, rule, result.state);
    const Expected expected = Decode(file, start, rule, before.ArgumentByte, result.text);
    KYREL_FUZZ_CHECK(result.state.NextMessagePos == expected.stop + 1);
    KYREL_FUZZ_CHECK(result.state.ArgumentByte == expected.argument);
    // The bytes kept with the read are the file's from the start to where it stopped.
    const auto kept = static_cast<std::int64_t>(result.bytes.size());
    KYREL_FUZZ_CHECK(kept == expected.stop - start + (expected.terminated ? 1 : 0));
    KYREL_FUZZ_CHECK(std::equal(result.bytes.begin(), result.bytes.end(), bytes.begin()));

    if (!measure)
        return {result.state, true};
    // The writer measures the same message: a read that met its terminator covers exactly those bytes.
    const MessageLength length = MeasureBytes(bytes);
    KYREL_FUZZ_CHECK(length.ok());
    KYREL_FUZZ_CHECK(length.bytes >= 1 && start + length.bytes - 1 <= static_cast<std::int64_t>(file.size()));
    if (length.terminated)
        KYREL_FUZZ_CHECK(file[static_cast<std::size_t>(start + length.bytes - 2)] == EndCode);
    if (expected.terminated) {
        KYREL_FUZZ_CHECK(length.terminated);
        KYREL_FUZZ_CHECK(start + length.bytes == result.state.NextMessagePos);
    }
    return {result.state, true};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TemporaryRom rom;
    FuzzInput input(data, size);

    const std::uint8_t flags = input.Byte();
    const std::uint32_t rawStart = input.U32();
    std::uint32_t tileLength = input.U16();
    const std::uint8_t argumentBefore = input.Byte();
    const double rawFini = input.Double();
    const std::uint32_t otherPositions = input.U32();

    std::vector<std::uint8_t> file(input.Rest(), input.Rest() + input.RestSize());
    if (flags & Tile) {
        // A file long enough for the 32767-byte cap costs a thousand small ones; keep those to one length in 16.
        if (tileLength > 2047 && (tileLength & 0xF) != 0xF)
            tileLength &= 0x7FF;
        const std::size_t pattern = file.size();
        file.resize(tileLength);
        for (std::size_t i = pattern; i < file.size(); ++i)
            file[i] = pattern ? file[i % pattern] : 0;
    }

    StopRule rule = flags & ByteView ? StopRule::ByteView(std::nullopt) : StopRule::IndexView();
    if (flags & HasFini) {
        std::int16_t small;
        std::memcpy(&small, &rawFini, sizeof small);
        switch ((flags & FiniKind) >> 2) {
        case 0:
            rule.byteCount = small;
            break;
        case 1:
            rule.byteCount = rawFini;
            break;
        case 2:
            rule.byteCount = small + 0.5;
            break;
        default:
            rule.byteCount = MaxReadCount + static_cast<double>(small);
            break;
        }
    }

    ReaderState state;
    state.ReadPos = flags & RawStart ? static_cast<std::int32_t>(rawStart)
                                     : static_cast<std::int32_t>(1 + rawStart % (file.size() + 2));
    state.NextMessagePos = static_cast<std::int32_t>(otherPositions);
    state.ViewStartPos = static_cast<std::int32_t>(~otherPositions);
    state.ArgumentByte = argumentBefore;

    const int reads = flags & Step ? 3 : 1;
    for (int i = 0; i < reads; ++i) {
        const Read read = CheckOneRead(rom, file, state, rule, flags & MarkerSet, i == 0);
        if (!read.ok)
            break;
        // The index spinner moves on to where the next message starts.
        KYREL_FUZZ_CHECK(read.state.NextMessagePos > state.ReadPos);
        state = read.state;
        state.ReadPos = read.state.NextMessagePos;
    }
    return 0;
}
