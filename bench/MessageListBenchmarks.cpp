// The "Messages" window's work against the least it could cost: listing both banks as the index up arrow
// reaches them (75 messages of bank 1 and 672 of bank 2), and narrowing the 747 rows for one keystroke in the
// search box. Each benchmark has a floor beside it; the ratios are printed at the end.
#include "bench/BenchRom.h"
#include "bench/FloorReporter.h"
#include "codec/CharTable.h"
#include "codec/MessageScan.h"
#include "codec/RomFile.h"
#include "editor/MessageListModel.h"
#include "editor/TextForms.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace kyrel;
using kyrel::bench::BenchRom;

namespace {

constexpr int ListedMessages = Bank1LastIndex + LastIndex;

// ---- the scan -----------------------------------------------------------------------------------------------

void ScanBanks(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    CharTable table;
    table.BuildCharTable();
    for (auto _ : state) {
        const MessageScan scan = ScanMessages(rom.Path(), {Bank1Start, Bank2Start}, table);
        if (!scan.ok() || scan.messages.size() != ListedMessages ||
            scan.messages.back().position != rom.Messages(2).back().start) {
            state.SkipWithError("the scan did not list the messages as written");
            return;
        }
        benchmark::DoNotOptimize(scan.messages.data());
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ScanBanks)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The same bytes read the same way (open, the size, one positioned read of each bank's stretch, close), and the
// end code of each message found, its argument bytes stepped over: what any list of the messages must do.
void ScanBanks_Floor(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    std::vector<unsigned char> buffer;
    struct stat info {};
    for (auto _ : state) {
        int found = 0;
        for (const auto& [start, count] : {std::pair{Bank1Start, Bank1LastIndex}, std::pair{Bank2Start, LastIndex}}) {
            const int fd = ::open(rom.Path().c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            const bool looked = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
            buffer.resize(static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(ScanReach(count)), info.st_size - start + 1)));
            const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(start - 1));
            ::close(fd);
            if (!looked || got != static_cast<ssize_t>(buffer.size())) {
                state.SkipWithError("the floor could not read a bank");
                return;
            }
            std::size_t at = 0;
            for (int message = 0; message < count && at < buffer.size(); ++message, ++found) {
                while (at < buffer.size() && buffer[at] != EndCode)
                    at += TakesArgument(buffer[at]) ? 2 : 1;
                ++at;
            }
        }
        if (found != ListedMessages) {
            state.SkipWithError("the floor did not find every message");
            return;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ScanBanks_Floor)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The scan's decoding alone, from both banks' stretches already in memory: what ScanBanks costs beyond reading.
void ScanBanks_InMemory(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    CharTable table;
    table.BuildCharTable();
    std::vector<std::uint8_t> stretches[2];
    for (int bank = 1; bank <= 2; ++bank)
        stretches[bank - 1] = ReadStretch(rom.Path(), bank == 1 ? Bank1Start : Bank2Start,
                                          static_cast<std::int64_t>(ScanReach(bank == 1 ? Bank1LastIndex : LastIndex)))
                                  .bytes;
    for (auto _ : state) {
        std::vector<ListedMessage> messages;
        messages.reserve(ListedMessages);
        ScanBank(stretches[0], Bank1Start, 1, Bank1LastIndex, table, messages);
        ScanBank(stretches[1], Bank2Start, 2, LastIndex, table, messages);
        if (messages.size() != ListedMessages) {
            state.SkipWithError("the scan did not list the messages as written");
            return;
        }
        benchmark::DoNotOptimize(messages.data());
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ScanBanks_InMemory)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// ---- the search ---------------------------------------------------------------------------------------------

const std::vector<ListedMessage>& Listed() {
    static const std::vector<ListedMessage> messages = [] {
        CharTable table;
        table.BuildCharTable();
        return ScanMessages(BenchRom::Shared().Path(), {Bank1Start, Bank2Start}, table).messages;
    }();
    return messages;
}

// The user types "the" and takes the "e" back, over and over: every iteration is one keystroke, and every one
// changes which rows are shown.
const std::array<QString, 2> Typed = {QStringLiteral("th"), QStringLiteral("the")};

void FilterKeystroke(benchmark::State& state) {
    MessageListModel messages;
    messages.SetMessages(Listed());
    MessageFilter filter(&messages);
    std::size_t keystroke = 0;
    for (auto _ : state) {
        filter.SetFindText(Typed[keystroke++ % Typed.size()]);
        benchmark::DoNotOptimize(filter.rowCount());
    }
    if (messages.rowCount() != ListedMessages)
        state.SkipWithError("the list does not hold every message");
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(FilterKeystroke)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// A plain case-insensitive search of the typed text in each of the same 747 one-line texts, counting the matches.
void FilterKeystroke_Floor(benchmark::State& state) {
    std::vector<QString> texts;
    for (const ListedMessage& message : Listed())
        texts.push_back(QString::fromStdU16String(message.text)
                            .replace(QStringLiteral("\r\n"), QString(QChar(TextForms::LineBreakMark))));
    std::size_t keystroke = 0;
    for (auto _ : state) {
        const QString& typed = Typed[keystroke++ % Typed.size()];
        int matching = 0;
        for (const QString& text : texts)
            matching += text.contains(typed, Qt::CaseInsensitive) ? 1 : 0;
        benchmark::DoNotOptimize(matching);
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(FilterKeystroke_Floor)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

} // namespace

int main(int argc, char** argv) {
    if (!bench::InitializeBenchmarks(&argc, argv))
        return 1;
    return bench::RunBenchmarks({
        {"ScanBanks", "ScanBanks_Floor", 3.0, 0},
        {"ScanBanks_InMemory", "ScanBanks_Floor", 0, 0},
        {"FilterKeystroke", "FilterKeystroke_Floor", 3.0, 0},
    });
}
