// The whole script out and back in, against the least the same work could cost: exporting every message the
// index arrow reaches as a PO file, and importing a translation of every one of them.
#include "bench/BenchRom.h"
#include "bench/FloorReporter.h"
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageScan.h"
#include "codec/PoFile.h"
#include "codec/RomFile.h"
#include "codec/TypedText.h"
#include "editor/MessageSession.h"
#include "editor/TextForms.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include <fcntl.h>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace kyrel;
using kyrel::bench::BenchRom;

namespace {

constexpr int ListedMessages = Bank1LastIndex + LastIndex;
const std::array<std::int32_t, 2> BankStarts = {Bank1Start, Bank2Start};

QString FromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// ---- the export ---------------------------------------------------------------------------------------------

void ExportScript(benchmark::State& state) {
    CharTable table;
    table.BuildCharTable();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        const Script::Exported exported = Script::Export(BenchRom::Shared().Path(), BankStarts, table, now);
        if (!exported.failure.ok() || exported.messages != ListedMessages) {
            state.SkipWithError("the export did not hold every message");
            return;
        }
        benchmark::DoNotOptimize(exported.file.data());
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ExportScript)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The Messages window's scan, then each message's typed form made from its bytes, read in one piece: what any
// export of the script must do before it writes a line.
void ExportScript_Floor(benchmark::State& state) {
    CharTable table;
    table.BuildCharTable();
    for (auto _ : state) {
        const MessageScan scan = ScanMessages(BenchRom::Shared().Path(), BankStarts, table);
        const Stretch bytes = ReadStretch(BenchRom::Shared().Path(), Bank1Start,
                                          scan.messages.back().position + scan.messages.back().bytes - Bank1Start);
        std::size_t typed = 0;
        for (const ListedMessage& message : scan.messages) {
            const auto from = static_cast<std::size_t>(message.position - Bank1Start);
            typed +=
                TypedTextOf(std::span(bytes.bytes).subspan(from, static_cast<std::size_t>(message.bytes))).text.size();
        }
        if (scan.messages.size() != ListedMessages) {
            state.SkipWithError("the floor did not list every message");
            return;
        }
        benchmark::DoNotOptimize(typed);
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ExportScript_Floor)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// ---- the import ---------------------------------------------------------------------------------------------

// A translation of every message into its own text, and a copy of the ROM whose messages hold only blanks and
// their end codes, put back before each import so that every translation is written.
struct Translations {
    std::filesystem::path rom;
    std::filesystem::path script;
    std::vector<std::uint8_t> blanked;
    std::vector<std::u16string> texts;
    std::vector<ListedMessage> messages;
};

const Translations& Translated() {
    static const Translations translations = [] {
        Translations made;
        made.rom = BenchRom::Shared().Copy("import.smc");
        CharTable table;
        table.BuildCharTable();
        const std::string exported =
            Script::Export(made.rom, BankStarts, table, QDateTime::currentDateTimeUtc()).file.toStdString();
        made.messages = ScanMessages(made.rom, BankStarts, table).messages;
        std::vector<PoEntry> entries = ReadPo(exported).entries;
        for (PoEntry& entry : entries) {
            if (!entry.hasContext)
                continue;
            entry.translation = entry.id;
            made.texts.push_back(TextForms::ForEncoder(QString::fromStdString(entry.translation)));
        }
        made.script = made.rom.parent_path() / "all.po";
        std::ofstream(made.script, std::ios::binary) << WritePo(entries);
        made.blanked = ReadStretch(made.rom, 1, std::int64_t(1) << 30).bytes;
        for (const ListedMessage& message : made.messages) {
            const auto from = static_cast<std::size_t>(message.position - 1);
            std::fill_n(made.blanked.begin() + static_cast<std::ptrdiff_t>(from), message.bytes - 1, 0x59);
        }
        return made;
    }();
    return translations;
}

// Outside the timing: the ROM's messages blanked again.
void Blank(benchmark::State& state, const Translations& translations) {
    state.PauseTiming();
    std::ofstream(translations.rom, std::ios::binary)
        .write(reinterpret_cast<const char*>(translations.blanked.data()),
               static_cast<std::streamsize>(translations.blanked.size()));
    state.ResumeTiming();
}

void ImportScript(benchmark::State& state) {
    const Translations& translations = Translated();
    MessageSession session;
    session.SetRomPath(FromPath(translations.rom));
    for (auto _ : state) {
        Blank(state, translations);
        const Script::ImportPlan plan = session.PlanImport(FromPath(translations.script));
        const RunsResult written = session.Import(plan, QStringLiteral("all.po"));
        if (!written.ok() || plan.Changing() != ListedMessages) {
            state.SkipWithError("the import did not write every translation");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ImportScript)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The PO file read in one piece, every translation (already taken out of it) encoded, and each message's bytes
// written with one open of the ROM: what any import must do.
void ImportScript_Floor(benchmark::State& state) {
    const Translations& translations = Translated();
    std::vector<char> script;
    for (auto _ : state) {
        Blank(state, translations);
        std::ifstream in(translations.script, std::ios::binary);
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const int fd = ::open(translations.rom.c_str(), O_RDWR | O_CLOEXEC);
        bool written = fd >= 0;
        for (std::size_t i = 0; i < translations.messages.size(); ++i) {
            const EncodedMessage encoded = EncodeToBytes(translations.texts[i]);
            const off_t at = translations.messages[i].position - 1;
            written = written && ::pwrite(fd, encoded.bytes.data(), encoded.bytes.size(), at) ==
                                     static_cast<ssize_t>(encoded.bytes.size());
        }
        ::close(fd);
        if (!written) {
            state.SkipWithError("the floor could not write");
            return;
        }
        benchmark::DoNotOptimize(script.data());
    }
    state.SetItemsProcessed(state.iterations() * ListedMessages);
}
BENCHMARK(ImportScript_Floor)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (!bench::InitializeBenchmarks(&argc, argv))
        return 1;
    return bench::RunBenchmarks({
        {"ExportScript", "ExportScript_Floor", 2.0, 0},
        {"ImportScript", "ImportScript_Floor", 3.0, 0},
    });
}
