// The codec against the least its work could cost: decoding every message of both banks as the index
// spinner steps through them, encoding a long "New Text", and writing a 1000-byte message byte by byte.
// Each benchmark has a floor beside it; the ratios are printed at the end.
#include "bench/BenchRom.h"
#include "bench/FloorReporter.h"
#include "bench/TypicalText.h"
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/RomWriter.h"
#include "tests/support/SyntheticRom.h"

#include <benchmark/benchmark.h>

#include <array>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace kyrel;
using kyrel::bench::BenchRom;
using kyrel::bench::MessageSpan;

namespace {

// About 64 KiB of typed text; every character is ASCII, so characters and bytes are the same count.
const std::u16string& NewText() {
    static const std::u16string text = bench::LongText(64 * 1024);
    return text;
}

constexpr int WrittenMessageLength = 1000;

// A 1000-byte message: the start of the long text's encoding, closed with the end code.
const std::vector<std::uint8_t>& WrittenMessage() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> encoded = EncodeToBytes(NewText()).bytes;
        encoded.resize(WrittenMessageLength - 1);
        encoded.push_back(EndCode);
        return encoded;
    }();
    return bytes;
}

// ---- decoding ---------------------------------------------------------------------------------------------

// As the index spinner does: each message is read on its own, from where the read before it stopped, with
// its own open and close of the file.
void DecodeBanks(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    CharTable table;
    table.BuildCharTable();
    for (auto _ : state) {
        for (int bank : {1, 2}) {
            ReaderState positions;
            positions.ReadPos = rom.Messages(bank).front().start;
            for (const MessageSpan& message : rom.Messages(bank)) {
                const ReadResult result = ReadMessage(rom.Path(), positions, table, StopRule::IndexView());
                if (!result.ok() || result.state.NextMessagePos != message.start + message.length) {
                    state.SkipWithError("a message did not read as written");
                    return;
                }
                benchmark::DoNotOptimize(result.text.data());
                positions = result.state;
                positions.ReadPos = positions.NextMessagePos;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 2 * BenchRom::MessagesPerBank);
}
BENCHMARK(DecodeBanks)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The same bytes with the same number of opens: open, one positioned read of the whole message, close.
void DecodeBanks_Floor(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    std::array<unsigned char, 4096> buffer{};
    for (auto _ : state) {
        for (int bank : {1, 2}) {
            for (const MessageSpan& message : rom.Messages(bank)) {
                const int fd = ::open(rom.Path().c_str(), O_RDONLY);
                const ssize_t got = ::pread(fd, buffer.data(), static_cast<std::size_t>(message.length),
                                            static_cast<off_t>(message.start - 1));
                ::close(fd);
                if (got != message.length) {
                    state.SkipWithError("the floor could not read a message");
                    return;
                }
                benchmark::DoNotOptimize(buffer.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 2 * BenchRom::MessagesPerBank);
}
BENCHMARK(DecodeBanks_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The system calls the reader makes, made directly: open (regular files only, so the kind is asked of the open
// file), its size, one read of the stretch the index view can reach, close. What DecodeBanks costs beyond this
// is the program's own work.
void DecodeBanks_SameCalls(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    std::vector<unsigned char> buffer(ReachOf(StopRule::IndexView()));
    struct stat info {};
    for (auto _ : state) {
        for (int bank : {1, 2}) {
            for (const MessageSpan& message : rom.Messages(bank)) {
                const int fd = ::open(rom.Path().c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
                const bool looked = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
                const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(message.start - 1));
                ::close(fd);
                if (!looked || got < message.length) {
                    state.SkipWithError("the same calls could not read a message");
                    return;
                }
                benchmark::DoNotOptimize(buffer.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 2 * BenchRom::MessagesPerBank);
}
BENCHMARK(DecodeBanks_SameCalls)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

// ---- encoding ---------------------------------------------------------------------------------------------

void SetTextRate(benchmark::State& state) {
    state.counters["MB"] =
        benchmark::Counter(static_cast<double>(NewText().size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void EncodeLongText(benchmark::State& state) {
    const std::u16string& text = NewText();
    for (auto _ : state) {
        EncodedMessage message = EncodeToBytes(text);
        if (!message.ok()) {
            state.SkipWithError("the long text does not encode");
            return;
        }
        benchmark::DoNotOptimize(message.bytes.data());
    }
    SetTextRate(state);
}
BENCHMARK(EncodeLongText)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// One plain pass over the same characters: each one looked up in a table of single characters and its byte
// appended, without dictionary or tags.
void EncodeLongText_Floor(benchmark::State& state) {
    static const std::array<std::int16_t, 128> single = [] {
        std::array<std::int16_t, 128> table{};
        table.fill(-1);
        for (int i = 0; i < 26; ++i) {
            table[static_cast<std::size_t>('A' + i)] = static_cast<std::int16_t>(0x00 + i);
            table[static_cast<std::size_t>('a' + i)] = static_cast<std::int16_t>(0x1A + i);
        }
        for (int i = 0; i < 10; ++i)
            table[static_cast<std::size_t>('0' + i)] = static_cast<std::int16_t>(0x34 + i);
        const std::pair<char, std::int16_t> marks[] = {{'?', 0x3F},  {'-', 0x40}, {'.', 0x41}, {',', 0x42}, {'(', 0x45},
                                                       {')', 0x46},  {'*', 0x49}, {'^', 0x4D}, {'<', 0x4F}, {'>', 0x50},
                                                       {'\'', 0x51}, {' ', 0x59}, {'|', 0x5F}, {'!', 0x61}};
        for (auto [c, code] : marks)
            table[static_cast<std::size_t>(c)] = code;
        return table;
    }();
    const std::u16string& text = NewText();
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(text.size() + 1);
        for (char16_t c : text) {
            const std::int16_t code = c < 128 ? single[c] : -1;
            if (code >= 0)
                bytes.push_back(static_cast<std::uint8_t>(code));
        }
        bytes.push_back(EndCode);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetTextRate(state);
}
BENCHMARK(EncodeLongText_Floor)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// ---- writing ----------------------------------------------------------------------------------------------

const std::filesystem::path& WriteTarget() {
    static const std::filesystem::path path = BenchRom::Shared().Copy("write.smc");
    return path;
}

// Every byte with its own open, write and close, as "Write New Text" stores a message.
void WriteMessage(benchmark::State& state) {
    const auto& path = WriteTarget();
    const auto& bytes = WrittenMessage();
    const std::int32_t start = Bank1Start;
    for (auto _ : state) {
        if (const WriteResult written = WriteMessageBytes(path, start, bytes); !written.ok()) {
            state.SkipWithError(kyrel::testing::Shown(written.failure).c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * WrittenMessageLength);
}
BENCHMARK(WriteMessage)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The same 1000 bytes with the least the operating system offers: open, positioned write, close.
void WriteMessage_Floor(benchmark::State& state) {
    const auto& path = WriteTarget();
    const auto& bytes = WrittenMessage();
    const std::int32_t start = Bank1Start;
    for (auto _ : state) {
        for (int i = 0; i < WrittenMessageLength; ++i) {
            const int fd = ::open(path.c_str(), O_RDWR);
            const ssize_t put = ::pwrite(fd, &bytes[static_cast<std::size_t>(i)], 1, static_cast<off_t>(start - 1 + i));
            const int closed = ::close(fd);
            if (put != 1 || closed != 0) {
                state.SkipWithError("the floor could not write a byte");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * WrittenMessageLength);
}
BENCHMARK(WriteMessage_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The system calls the writer makes, made directly: one open and size for the check before the first byte,
// then for each byte open, the size, a one-byte positioned write, the size again (to see that nothing else
// changed the file meanwhile), close.
void WriteMessage_SameCalls(benchmark::State& state) {
    const auto& path = WriteTarget();
    const auto& bytes = WrittenMessage();
    const std::int32_t start = Bank1Start;
    struct stat info {};
    const int flags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    for (auto _ : state) {
        const int check = ::open(path.c_str(), flags);
        bool sized = ::fstat(check, &info) == 0;
        ::close(check);
        for (int i = 0; i < WrittenMessageLength; ++i) {
            const int fd = ::open(path.c_str(), flags);
            sized = sized && ::fstat(fd, &info) == 0;
            const ssize_t put = ::pwrite(fd, &bytes[static_cast<std::size_t>(i)], 1, static_cast<off_t>(start - 1 + i));
            sized = sized && ::fstat(fd, &info) == 0;
            const int closed = ::close(fd);
            if (!sized || put != 1 || closed != 0) {
                state.SkipWithError("the same calls could not write a byte");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * WrittenMessageLength);
}
BENCHMARK(WriteMessage_SameCalls)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

} // namespace

int main(int argc, char** argv) {
    if (!bench::InitializeBenchmarks(&argc, argv))
        return 1;
    return bench::RunBenchmarks({
        {"DecodeBanks", "DecodeBanks_Floor", 2.0, 0},
        {"DecodeBanks", "DecodeBanks_SameCalls", 1.35, 0},
        {"EncodeLongText", "EncodeLongText_Floor", 10.0, 0},
        {"WriteMessage", "WriteMessage_Floor", 1.5, 0},
        {"WriteMessage", "WriteMessage_SameCalls", 0, 0},
    });
}
