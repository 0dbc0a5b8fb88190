// Making a patch for sharing, against the least the same work could cost: the BPS patch of a 1 MiB ROM (with its
// copier header) of which about 5% of the bytes were edited in scattered stretches, beside reading the two files and
// taking the CRC-32 of each, which any BPS maker must do.
#include "bench/FloorReporter.h"
#include "codec/Patch.h"
#include "codec/RomFile.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kyrel;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t RomSize = 1024 * 1024 + CopierHeaderSize;

// The original ROM and its edited copy, in a temporary folder of their own for as long as the program runs.
class PatchFiles {
public:
    static const PatchFiles& Shared() {
        static const PatchFiles files;
        return files;
    }
    PatchFiles(const PatchFiles&) = delete;
    PatchFiles& operator=(const PatchFiles&) = delete;
    ~PatchFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    [[nodiscard]] const std::filesystem::path& Original() const { return m_original; }
    [[nodiscard]] const std::filesystem::path& Edited() const { return m_edited; }
    [[nodiscard]] std::size_t Changed() const { return m_changed; }

private:
    PatchFiles() {
        std::random_device seed;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; m_folder.empty(); ++attempt) {
            const auto candidate = base / ("kyrel-bench-patch-" + std::to_string(seed()));
            if (std::filesystem::create_directory(candidate))
                m_folder = candidate;
            else if (attempt > 100)
                throw std::runtime_error("cannot make a temporary folder for the patch benchmark");
        }
        m_original = m_folder / "original.smc";
        m_edited = m_folder / "edited.smc";

        // A ROM of 4 KiB blocks as cartridges hold them: compressed data (noise), empty space (zeros or 0xFF) and
        // text-like bytes, behind a copier header.
        std::mt19937 random(20261208);
        Bytes rom(RomSize, 0);
        for (std::size_t at = CopierHeaderSize; at < RomSize; at += 4096) {
            const auto kind = random() % 4;
            for (std::size_t i = at; i < std::min(RomSize, at + 4096); ++i)
                rom[i] = static_cast<std::uint8_t>(kind == 0   ? random()
                                                   : kind == 1 ? 0
                                                   : kind == 2 ? 0xFF
                                                               : random() % 0x60);
        }
        // Stretches of 1 to 64 bytes at random places until 5% of the ROM is new: three in four new text, one in
        // four a run of one byte (a cleared or filled stretch).
        Bytes edited = rom;
        while (m_changed < (RomSize - CopierHeaderSize) / 20) {
            const std::size_t length = 1 + random() % 64;
            const std::size_t at = CopierHeaderSize + random() % (RomSize - CopierHeaderSize - length);
            const bool run = random() % 4 == 0;
            const auto value = static_cast<std::uint8_t>(random());
            for (std::size_t k = 0; k < length; ++k)
                edited[at + k] = run ? value : static_cast<std::uint8_t>(random());
            m_changed += length;
        }
        Save(m_original, rom);
        Save(m_edited, edited);
    }

    static void Save(const std::filesystem::path& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            throw std::runtime_error("cannot write a file for the patch benchmark");
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_original;
    std::filesystem::path m_edited;
    std::size_t m_changed = 0;
};

// Both files read whole, with the codec's one open, read and close each.
bool ReadBoth(Stretch& original, Stretch& edited) {
    const PatchFiles& files = PatchFiles::Shared();
    original = ReadStretch(files.Original(), 1, RomSize);
    edited = ReadStretch(files.Edited(), 1, RomSize);
    return original.ok() && edited.ok() && original.bytes.size() == RomSize && edited.bytes.size() == RomSize;
}

void SetRomRate(benchmark::State& state) {
    state.counters["MB"] = benchmark::Counter(2.0 * RomSize / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// As the editor makes it: the two files read, the BPS made without their shared header and applied to the original
// to check it before it is handed out.
void MakeBpsPatch(benchmark::State& state) {
    std::size_t patchSize = 0;
    for (auto _ : state) {
        Stretch original;
        Stretch edited;
        if (!ReadBoth(original, edited)) {
            state.SkipWithError("cannot read the two files");
            return;
        }
        const PatchMade made = MakePatch(original.bytes, edited.bytes, PatchFormat::Bps);
        if (!made.ok() || !made.headerLeftOut) {
            state.SkipWithError("the patch was not made as the editor makes it");
            return;
        }
        benchmark::DoNotOptimize(made.patch.data());
        patchSize = made.patch.size();
    }
    SetRomRate(state);
    state.counters["patch_bytes"] = static_cast<double>(patchSize);
    state.counters["new_bytes"] = static_cast<double>(PatchFiles::Shared().Changed());
}
BENCHMARK(MakeBpsPatch)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

// The patch alone, without the check: what making it costs beyond reading and checksums.
void MakeBpsPatch_Unchecked(benchmark::State& state) {
    for (auto _ : state) {
        Stretch original;
        Stretch edited;
        if (!ReadBoth(original, edited)) {
            state.SkipWithError("cannot read the two files");
            return;
        }
        const std::span<const std::uint8_t> source(original.bytes);
        const std::span<const std::uint8_t> target(edited.bytes);
        const Bytes patch = MakeBps(source.subspan(CopierHeaderSize), target.subspan(CopierHeaderSize));
        benchmark::DoNotOptimize(patch.data());
    }
    SetRomRate(state);
}
BENCHMARK(MakeBpsPatch_Unchecked)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

// The editor's patch of the two files already in memory: the share of the work that is not reading.
void MakeBpsPatch_InMemory(benchmark::State& state) {
    Stretch original;
    Stretch edited;
    if (!ReadBoth(original, edited)) {
        state.SkipWithError("cannot read the two files");
        return;
    }
    for (auto _ : state) {
        const PatchMade made = MakePatch(original.bytes, edited.bytes, PatchFormat::Bps);
        if (!made.ok()) {
            state.SkipWithError("the patch was not made");
            return;
        }
        benchmark::DoNotOptimize(made.patch.data());
    }
    SetRomRate(state);
}
BENCHMARK(MakeBpsPatch_InMemory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

// The CRC-32 of both files already in memory: the floor of the patch in memory.
void MakeBpsPatch_InMemory_Floor(benchmark::State& state) {
    Stretch original;
    Stretch edited;
    if (!ReadBoth(original, edited)) {
        state.SkipWithError("cannot read the two files");
        return;
    }
    for (auto _ : state) {
        const uLong source = crc32_z(0, original.bytes.data(), original.bytes.size());
        const uLong target = crc32_z(0, edited.bytes.data(), edited.bytes.size());
        benchmark::DoNotOptimize(source);
        benchmark::DoNotOptimize(target);
    }
    SetRomRate(state);
}
BENCHMARK(MakeBpsPatch_InMemory_Floor)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", bench::Fastest);

// The least a BPS maker does: read both files and take the CRC-32 of each.
void MakeBpsPatch_Floor(benchmark::State& state) {
    for (auto _ : state) {
        Stretch original;
        Stretch edited;
        if (!ReadBoth(original, edited)) {
            state.SkipWithError("cannot read the two files");
            return;
        }
        const uLong source = crc32_z(0, original.bytes.data(), original.bytes.size());
        const uLong target = crc32_z(0, edited.bytes.data(), edited.bytes.size());
        benchmark::DoNotOptimize(source);
        benchmark::DoNotOptimize(target);
    }
    SetRomRate(state);
}
BENCHMARK(MakeBpsPatch_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", bench::Fastest);

} // namespace

int main(int argc, char** argv) {
    if (!bench::InitializeBenchmarks(&argc, argv))
        return 1;
    return bench::RunBenchmarks({
        {"MakeBpsPatch", "MakeBpsPatch_Floor", 3.0, 0},
        {"MakeBpsPatch_Unchecked", "MakeBpsPatch_Floor", 0, 0},
        {"MakeBpsPatch_InMemory", "MakeBpsPatch_InMemory_Floor", 0, 0},
    });
}
