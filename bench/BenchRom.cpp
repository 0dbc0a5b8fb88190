#include "bench/BenchRom.h"

#include "bench/TypicalText.h"
#include "codec/MessageReader.h"
#include "tests/support/SyntheticRom.h"

#include <random>
#include <stdexcept>
#include <string>

namespace kyrel::bench {

BenchRom::BenchRom() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; m_folder.empty(); ++attempt) {
        const auto candidate = base / ("kyrel-bench-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate))
            m_folder = candidate;
        else if (attempt > 100)
            throw std::runtime_error("cannot make a temporary folder for the benchmark ROM");
    }
    m_path = m_folder / "bench.smc";

    testing::SyntheticRom rom;
    const std::int32_t bankStarts[] = {Bank1Start, Bank2Start};
    const auto& lines = TypicalLines();
    for (int bank = 0; bank < 2; ++bank) {
        std::int32_t position = bankStarts[bank];
        for (int i = 0; i < MessagesPerBank; ++i) {
            const std::int32_t next = rom.PutText(position, lines[(i + bank * 7) % lines.size()]);
            m_messages[bank].push_back({position, next - position});
            position = next;
        }
    }
    if (const Status saved = rom.Save(m_path); !saved.ok())
        throw std::runtime_error(testing::Shown(saved.failure));
}

BenchRom::~BenchRom() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::filesystem::path BenchRom::Copy(const std::string& name) const {
    const auto copy = m_folder / name;
    std::filesystem::copy_file(m_path, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

} // namespace kyrel::bench
