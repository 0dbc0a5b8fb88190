// Fuzz target for the patches. Each input is used three ways.
//
// As two files: after a first byte that chooses how, the rest is split where the next two bytes say. Either the
// two parts are the original and the edited file, or the second part is a list of edits of the first (bytes set,
// put in, taken out, runs of one byte, stretches copied from elsewhere), as an editor's changes look. A BPS of the
// two applies to the original and gives the edited file; an IPS does too when the edited file is no shorter, and
// is refused as shrinking otherwise; MakePatch of each format passes its own check or refuses with the right code.
//
// As a hostile patch: the whole input goes to ApplyBps and ApplyIps, applied to the original and to an empty file.
// A refusal is fine; a crash, a read or write out of bounds, or a result larger than the limit is not. The limit is
// 1 MiB, so that the runs stay quick; tst_patch sees the editor's limits refused.
//
// As a hostile patch whose own checksum is right: the input's last four bytes replaced by the CRC-32 of the others,
// so that the fuzzer gets past that check into the actions.
#include "codec/Patch.h"
#include "fuzz/FuzzInput.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The hostile patches may write no more than this: 16 MiB of zeros for every IPS that names a far offset would
// take most of the time.
constexpr std::uint64_t Limit = 1 << 20;

// The original with the edits the list describes, four bytes an edit: what, where (two bytes), a value.
KYREL_FUZZ_UNTRACED Bytes Edited(std::span<const std::uint8_t> original, FuzzInput& edits) {
    Bytes bytes(original.begin(), original.end());
    while (!edits.AtEnd()) {
        const std::uint8_t what = edits.Byte();
        const std::size_t where = edits.U16();
        const std::uint8_t value = edits.Byte();
        const std::size_t at = bytes.empty() ? 0 : where % bytes.size();
        switch (what % 5) {
        case 0:
            if (!bytes.empty())
                bytes[at] = value;
            break;
        case 1:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), value);
            break;
        case 2:
            if (!bytes.empty())
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 3: {
            const std::size_t length = std::min<std::size_t>(what / 5 % 64 + 1, bytes.size() - at);
            std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length, value);
            break;
        }
        default: {
            // A stretch of up to 64 bytes copied from where the value points, overlapping or not.
            if (bytes.empty())
                break;
            const std::size_t from = value * bytes.size() / 256;
            const std::size_t length = std::min({std::size_t{what} % 64 + 1, bytes.size() - at, bytes.size() - from});
            const Bytes stretch(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
            std::copy(stretch.begin(), stretch.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        }
        }
    }
    return bytes;
}

KYREL_FUZZ_UNTRACED bool Same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

KYREL_FUZZ_UNTRACED void CheckMade(std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited) {
    const Bytes bps = MakeBps(original, edited);
    const BpsApplied fromBps = ApplyBps(bps, original);
    KYREL_FUZZ_CHECK(fromBps.ok());
    KYREL_FUZZ_CHECK(Same(fromBps.target, edited));

    const bool shrinks = edited.size() < original.size();
    const IpsMade ips = MakeIps(original, edited);
    KYREL_FUZZ_CHECK(ips.code == (shrinks ? MakeCode::IpsShrinks : MakeCode::Ok));
    if (ips.ok()) {
        const IpsApplied fromIps = ApplyIps(ips.patch, original);
        KYREL_FUZZ_CHECK(fromIps.ok());
        KYREL_FUZZ_CHECK(Same(fromIps.target, edited));
    }

    const bool identical = Same(original, edited);
    for (const PatchFormat format : {PatchFormat::Bps, PatchFormat::Ips}) {
        const PatchMade made = MakePatch(original, edited, format);
        const MakeCode expected = identical                               ? MakeCode::NothingToPatch
                                  : format == PatchFormat::Ips && shrinks ? MakeCode::IpsShrinks
                                                                          : MakeCode::Ok;
        KYREL_FUZZ_CHECK(made.code == expected);
        KYREL_FUZZ_CHECK(made.patch.empty() == !made.ok());
    }
}

void ApplyHostile(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> original) {
    for (const std::span<const std::uint8_t> source : {original, std::span<const std::uint8_t>()}) {
        const BpsApplied bps = ApplyBps(patch, source, Limit);
        KYREL_FUZZ_CHECK(bps.target.size() <= Limit);
        KYREL_FUZZ_CHECK(bps.ok() || bps.target.empty());
        const IpsApplied ips = ApplyIps(patch, source, Limit);
        KYREL_FUZZ_CHECK(ips.target.size() <= std::max<std::uint64_t>(source.size(), Limit));
        KYREL_FUZZ_CHECK(ips.ok() || ips.target.empty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t how = input.Byte();
    const std::size_t split = input.U16();
    const std::span<const std::uint8_t> rest(input.Rest(), input.RestSize());
    const std::span<const std::uint8_t> first = rest.first(std::min(split, rest.size()));
    const std::span<const std::uint8_t> second = rest.subspan(first.size());
    if (how & 1) {
        FuzzInput edits(second.data(), second.size());
        CheckMade(first, Edited(first, edits));
    } else {
        CheckMade(first, second);
    }

    const std::span<const std::uint8_t> whole(data, size);
    ApplyHostile(whole, first);
    if (size >= 4) {
        Bytes sealed(whole.begin(), whole.end());
        const auto crc = static_cast<std::uint32_t>(crc32_z(0, sealed.data(), size - 4));
        for (std::size_t i = 0; i < 4; ++i)
            sealed[size - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
        ApplyHostile(sealed, first);
    }
    return 0;
}
