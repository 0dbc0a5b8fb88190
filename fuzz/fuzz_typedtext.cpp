// Fuzz target for the typed form of a read's bytes (what "Copy as New Text" puts on the clipboard).
//
// The bytes are random messages: after a first flag byte, each input byte is a code, an argument code takes the
// next input byte as its argument, and the end code follows unless the flags cut the message short. With the
// flag "typed", each byte picks one of the codes that have a typed form. Properties:
// - the left-out list names exactly the bytes without a typed form (and an argument code cut off from its
//   argument), and leaving those bytes out of the message first gives the same text (unless that leaves an end
//   code inside the bytes at their end);
// - for a whole message without such bytes, the encoder takes the text without an error, and the reader shows
//   the encoded bytes exactly as it shows the message, message by message; the reads keep the bytes they decoded;
// - the encoder's bytes are a fixed point: their typed form is the same text, which encodes to the same bytes.
#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/TypedText.h"
#include "fuzz/FuzzInput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

using namespace kyrel;
using kyrel::fuzz::FuzzInput;

namespace {

enum Flags : std::uint8_t {
    Typed = 1 << 0, // only codes that have a typed form
    Cut = 1 << 1,   // no end code after the last byte, as a read cut by a limit
};

KYREL_FUZZ_UNTRACED bool HasTypedForm(std::uint8_t b) {
    return b != 0x74 && !BuiltCharTable().Lookup(b).empty();
}

const std::vector<std::uint8_t>& TypedCodes() {
    static const std::vector<std::uint8_t> codes = [] {
        std::vector<std::uint8_t> list;
        for (int b = 0; b < 256; ++b) {
            if (HasTypedForm(static_cast<std::uint8_t>(b)))
                list.push_back(static_cast<std::uint8_t>(b));
        }
        return list;
    }();
    return codes;
}

// What the reader shows for the bytes, message by message, as byte view reads them from each message's start.
KYREL_FUZZ_UNTRACED std::vector<std::u16string> Shown(const std::vector<std::uint8_t>& bytes) {
    static CharTable table = BuiltCharTable();
    std::vector<std::u16string> messages;
    std::vector<std::uint8_t> kept;
    ReaderState state;
    state.ReadPos = 1;
    while (state.ReadPos <= static_cast<std::int64_t>(bytes.size())) {
        const auto from = std::span(bytes).subspan(static_cast<std::size_t>(state.ReadPos - 1));
        const ReadResult read = DecodeMessage(from, state, table, StopRule::ByteView(std::nullopt));
        KYREL_FUZZ_CHECK(read.ok());
        messages.push_back(read.text);
        kept.insert(kept.end(), read.bytes.begin(), read.bytes.end());
        state.ReadPos = read.state.NextMessagePos;
    }
    KYREL_FUZZ_CHECK(kept == bytes);
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();

    std::vector<std::uint8_t> bytes;
    std::vector<std::int64_t> untyped; // where the bytes without a typed form are
    bool endsWithEndCode = false;      // as a code, not as an argument
    while (!input.AtEnd()) {
        const std::uint8_t pick = input.Byte();
        const std::uint8_t b = flags & Typed ? TypedCodes()[pick % TypedCodes().size()] : pick;
        if (TakesArgument(b) && input.AtEnd() && (flags & Cut)) {
            untyped.push_back(static_cast<std::int64_t>(bytes.size()));
            bytes.push_back(b);
            endsWithEndCode = false;
            break;
        }
        if (!HasTypedForm(b))
            untyped.push_back(static_cast<std::int64_t>(bytes.size()));
        bytes.push_back(b);
        endsWithEndCode = b == EndCode;
        if (TakesArgument(b))
            bytes.push_back(input.Byte());
    }
    if (!(flags & Cut)) {
        bytes.push_back(EndCode);
        endsWithEndCode = true;
    }

    constexpr std::int64_t First = 1000;
    const TypedText copy = TypedTextOf(bytes, First);
    KYREL_FUZZ_CHECK(copy.complete == endsWithEndCode);
    KYREL_FUZZ_CHECK(copy.leftOut.size() == untyped.size());
    std::vector<std::uint8_t> kept;
    std::size_t next = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (next < untyped.size() && untyped[next] == static_cast<std::int64_t>(i)) {
            KYREL_FUZZ_CHECK(copy.leftOut[next].position == First + untyped[next]);
            KYREL_FUZZ_CHECK(copy.leftOut[next].value == bytes[i]);
            ++next;
            continue;
        }
        kept.push_back(bytes[i]);
    }
    if (!untyped.empty()) {
        const TypedText without = TypedTextOf(kept, First);
        KYREL_FUZZ_CHECK(without.leftOut.empty());
        // Unless leaving them out makes an end code inside the bytes their last one.
        if (without.complete == copy.complete)
            KYREL_FUZZ_CHECK(without.text == copy.text);
    }
    if (!endsWithEndCode)
        return 0;

    const EncodedMessage encoded = EncodeToBytes(copy.text);
    KYREL_FUZZ_CHECK(encoded.ok());
    KYREL_FUZZ_CHECK(Shown(encoded.bytes) == Shown(kept));

    const TypedText again = TypedTextOf(encoded.bytes, First);
    KYREL_FUZZ_CHECK(again.leftOut.empty() && again.complete);
    KYREL_FUZZ_CHECK(again.text == copy.text);
    const EncodedMessage twice = EncodeToBytes(again.text);
    KYREL_FUZZ_CHECK(twice.bytes == encoded.bytes);
    return 0;
}
