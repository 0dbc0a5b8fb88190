// The codec end to end on a real file whose name is not ASCII, with no Qt: it builds the same way for Linux and,
// cross-compiled, for Windows, and both builds must print the same line. It decodes the first messages of both
// banks, writes a new text over one and reads it back, and sees a write past the end and a missing file refused.
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "tests/support/SyntheticRom.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace kyrel;

namespace {

std::string Failed(const std::string& what) {
    return "codec check FAILED: " + what;
}

// FNV-1a over the decoded texts, so that one line tells whether both builds decoded the same.
std::uint32_t Hash(std::uint32_t hash, const std::u16string& text) {
    for (const char16_t c : text) {
        hash = (hash ^ (c & 0xFF)) * 16777619u;
        hash = (hash ^ (c >> 8)) * 16777619u;
    }
    return hash;
}

std::string Check(const fs::path& folder) {
    const fs::path rom = folder / fs::path(u8"Fëhler ROM ✓.smc");
    if (!testing::MakeDemoRom().Save(rom).ok())
        return Failed("cannot save the demo ROM");

    CharTable table;
    table.BuildCharTable();
    std::uint32_t hash = 2166136261u;
    int messages = 0;
    for (const std::int32_t bankStart : {Bank1Start, Bank2Start}) {
        ReaderState state;
        state.ReadPos = bankStart;
        for (int i = 0; i < 5; ++i, ++messages) {
            const ReadResult read = ReadMessage(rom, state, table, StopRule::IndexView());
            if (!read.ok())
                return Failed(testing::Shown(read.failure));
            hash = Hash(hash, read.text);
            state = read.state;
            state.ReadPos = state.NextMessagePos;
        }
    }

    const EncodedMessage message = EncodeToBytes(u"Hello<BR>World<COLOR>002!");
    const WriteResult written = WriteMessageBytes(rom, Bank1Start, message.bytes);
    if (!message.ok() || !written.ok())
        return Failed(testing::Shown(written.failure));
    ReaderState start;
    start.ReadPos = Bank1Start;
    const ReadResult back = ReadMessage(rom, start, table, StopRule::IndexView());
    if (!back.ok() || back.text != u"Hello\r\nWorld<COLOR>2!\r\n\r\n")
        return Failed("the text written does not read back");

    const SizeResult size = RomFileSize(rom);
    const WriteResult pastEnd =
        WriteMessageBytes(rom, static_cast<std::int32_t>(size.size) - 1, std::vector<std::uint8_t>{0x1A, 0x1B, 0x7F});
    if (!size.ok() || pastEnd.ok() || pastEnd.written != 0 || RomFileSize(rom).size != size.size)
        return Failed("a write past the end was not refused");

    const SizeResult missing = RomFileSize(folder / fs::path(u8"Nicht da ✓.smc"));
    if (missing.failure.code != FailureCode::CannotOpen ||
        missing.failure.path.find("Nicht da \xE2\x9C\x93.smc") == std::string::npos)
        return Failed("a missing file is not named in its failure: " + testing::Shown(missing.failure));

    char line[160];
    std::snprintf(line, sizeof line,
                  "codec check passed: %d messages read (hash %08X), %zu bytes written and read back, "
                  "write past the end refused, names outside ASCII",
                  messages, static_cast<unsigned>(hash), message.bytes.size());
    return line;
}

} // namespace

int main() {
    std::random_device random;
    const fs::path folder = fs::temp_directory_path() / ("kyrel-check-" + std::to_string(random()));
    std::error_code error;
    fs::create_directory(folder, error);
    const std::string result = error ? Failed("cannot make a temporary folder") : Check(folder);
    fs::remove_all(folder, error);
    std::puts(result.c_str());
    return result.rfind("codec check passed", 0) == 0 ? 0 : 1;
}
