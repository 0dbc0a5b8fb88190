#pragma once

#include "codec/CharTable.h"
#include "codec/Failure.h"
#include "codec/Patch.h"

#include <array>
#include <cstdint>
#include <filesystem>

// A patch from the unchanged original ROM to the ROM as the editor's file holds it now, for sharing the work
// without the ROM, and what differs between the two.
class RomPatch {
public:
    struct Made {
        kyrel::Failure failure; // a file could not be read
        bool sameFile = false;  // the original chosen is the edited ROM itself
        kyrel::PatchMade patch; // the patch, checked on the original, or why none was made
        // Messages of bank 1 and bank 2 that differ, as the Messages window lists them in the two files, and
        // bytes that differ outside every listed message.
        std::array<int, 2> messages{};
        std::int64_t outside = 0;

        [[nodiscard]] bool Refused() const { return !failure.ok() || sameFile || !patch.ok(); }
    };

    [[nodiscard]] static Made Make(const std::filesystem::path& original, const std::filesystem::path& edited,
                                   kyrel::PatchFormat format, const std::array<std::int32_t, 2>& bankStarts,
                                   kyrel::CharTable& table);
};
