#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kyrel::bench {

// Where one message lies in the ROM file: its first position and its length, end code included.
struct MessageSpan {
    std::int32_t start = 0;
    std::int32_t length = 0;
};

// A synthetic ROM file whose two banks each hold 672 messages of typical text (as many as the index counter
// names), kept in a temporary folder of its own for as long as the object lives.
class BenchRom {
public:
    static constexpr int MessagesPerBank = 672;

    BenchRom();
    ~BenchRom();
    // The one ROM a benchmark program reads, made on first use and removed when the program ends.
    [[nodiscard]] static const BenchRom& Shared() {
        static const BenchRom rom;
        return rom;
    }
    BenchRom(const BenchRom&) = delete;
    BenchRom& operator=(const BenchRom&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    // A copy of the file under another name in the same folder, for benchmarks that write into it.
    [[nodiscard]] std::filesystem::path Copy(const std::string& name) const;
    // Bank 1 or 2, in file order.
    [[nodiscard]] const std::vector<MessageSpan>& Messages(int bank) const { return m_messages[bank - 1]; }

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_path;
    std::vector<MessageSpan> m_messages[2];
};

} // namespace kyrel::bench
