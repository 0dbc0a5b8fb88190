// Fuzz target for the PO reader and writer. The input is the file.
//
// The reader returns on any bytes: a failure at a line of the file, or entries. What it accepts, the writer writes
// and the reader reads again as the same entries, each at the line of its msgid keyword in the written file; the
// second file written is the first. The flags and references read hold no blanks at their ends, the flags no comma,
// which the writer needs to write them back the same.
#include "codec/PoFile.h"
#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace kyrel;

namespace {

KYREL_FUZZ_UNTRACED std::vector<PoEntry> WithoutLines(std::vector<PoEntry> entries) {
    for (PoEntry& entry : entries)
        entry.line = 0;
    return entries;
}

KYREL_FUZZ_UNTRACED bool Trimmed(const std::string& item) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    return !item.empty() && !blank(item.front()) && !blank(item.back()) && item.find('\n') == std::string::npos;
}

// The 1-based line of each msgid keyword in a file that WritePo wrote.
KYREL_FUZZ_UNTRACED std::vector<int> MsgidLines(std::string_view file) {
    std::vector<int> lines;
    int line = 1;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = std::min(file.find('\n', start), file.size());
        const std::string_view text = file.substr(start, end - start);
        if (text.starts_with("msgid ") || text.starts_with("#~ msgid "))
            lines.push_back(line);
        ++line;
        start = end + 1;
    }
    return lines;
}

KYREL_FUZZ_UNTRACED void CheckWritten(const std::vector<PoEntry>& entries) {
    for (const PoEntry& entry : entries) {
        KYREL_FUZZ_CHECK(entry.line >= 1);
        KYREL_FUZZ_CHECK(std::all_of(entry.flags.begin(), entry.flags.end(), [](const std::string& flag) {
            return Trimmed(flag) && flag.find(',') == std::string::npos;
        }));
        KYREL_FUZZ_CHECK(std::all_of(entry.references.begin(), entry.references.end(), [](const std::string& r) {
            return Trimmed(r) && r.find_first_of(" \t\r\f\v") == std::string::npos;
        }));
    }

    const std::string written = WritePo(entries);
    const PoRead again = ReadPo(written);
    KYREL_FUZZ_CHECK(again.ok());
    KYREL_FUZZ_CHECK(WithoutLines(again.entries) == WithoutLines(entries));
    std::vector<int> lines;
    for (const PoEntry& entry : again.entries)
        lines.push_back(entry.line);
    KYREL_FUZZ_CHECK(lines == MsgidLines(written));
    KYREL_FUZZ_CHECK(WritePo(again.entries) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const PoRead read = ReadPo(file);
    if (!read.ok()) {
        KYREL_FUZZ_CHECK(read.entries.empty());
        KYREL_FUZZ_CHECK(read.failure->problem != PoProblem::TooLarge);
        const auto lines = 1 + std::count(file.begin(), file.end(), '\n');
        KYREL_FUZZ_CHECK(read.failure->line >= 1 && read.failure->line <= lines);
        return 0;
    }
    CheckWritten(read.entries);
    return 0;
}
