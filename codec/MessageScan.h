#pragma once

#include "codec/CharTable.h"
#include "codec/MessageReader.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kyrel {

// How far the index up arrow goes: it stops at this message of bank 1, and the counter wraps after 672.
inline constexpr int Bank1LastIndex = 75;
inline constexpr int LastIndex = 672;

// One message as the index up arrow reaches it.
struct ListedMessage {
    int bank = 0;
    int index = 0;             // 1 for the bank's first message
    std::int32_t position = 0; // where the read that shows it starts
    std::int64_t bytes = 0;    // the message's length: end code and argument bytes included
    std::u16string text;       // as the "ROM Text" pane shows it, line breaks as CR LF

    friend bool operator==(const ListedMessage&, const ListedMessage&) = default;
};

struct [[nodiscard]] MessageScan {
    std::vector<ListedMessage> messages; // bank 1, then bank 2, each in index order
    Failure failure;                     // why nothing could be listed
    [[nodiscard]] bool ok() const { return failure.ok(); }
};

// How many bytes from a bank's first position stepping through `count` messages can need: each step is a read
// of the message shown and the nested read where the one before stopped, each at most one index-view read.
[[nodiscard]] std::size_t ScanReach(int count);

// The messages of one bank, as choosing the bank and then clicking the index up arrow shows them: message 1 is
// read at the bank's first position, and each further message where the arrow's step goes (the nested read
// from where the last read stopped, then the read from the position that set), under the index view's cut after
// 1000 bytes. `bytes` begin at the bank's first position `start` and end where the file ends, or anywhere past
// ScanReach(count). Stops after `count` messages, or where a read would begin past the end of the file.
void ScanBank(std::span<const std::uint8_t> bytes, std::int32_t start, int bank, int count, CharTable& table,
              std::vector<ListedMessage>& into);

// Every message the index up arrow reaches in the two banks, whose first positions are `bankStarts`: 75 of
// bank 1 and 672 of bank 2, fewer where the file ends first. One read of each bank's stretch of the file, which
// is closed again before this returns. An error when the file cannot be read, or holds neither bank.
MessageScan ScanMessages(const std::filesystem::path& path, const std::array<std::int32_t, 2>& bankStarts,
                         CharTable& table);

} // namespace kyrel
