#pragma once

#include "codec/MessageEncoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kyrel {

// A translation script is a PO file with one entry for each game message. Its msgctxt names the message:
// "918210: 54 bytes", its 1-based file position and its length in bytes, end code and argument bytes included.
struct ScriptIdentity {
    std::int32_t position = 0;
    std::int64_t bytes = 0;

    friend bool operator==(const ScriptIdentity&, const ScriptIdentity&) = default;
};

// The msgctxt of the message at a position (1 or more) with a length (1 or more).
[[nodiscard]] std::string ScriptContext(std::int32_t position, std::int64_t bytes);

// The message a msgctxt names, when it is exactly what ScriptContext writes: decimal digits without sign or
// leading zeros, a position from 1 to the largest 32-bit one, a length from 1 on. Nothing for any other text.
[[nodiscard]] std::optional<ScriptIdentity> ParseScriptContext(std::string_view context);

enum class TranslationSkip {
    None,          // bytes holds what goes over the message
    BadArgument,   // an argument field that is no number from 0 to 255: see error
    TooLong,       // the translation needs more bytes than the message has: see needed
    EndCodeInside, // an end code before the last byte would split the message in two, and every message after
                   // it would be found one index on
};

struct [[nodiscard]] TranslationPlan {
    TranslationSkip skip = TranslationSkip::None;
    // With None: exactly the message's length. The translation's bytes without their end code, blanks up to one
    // byte short of the length, then the end code: the message keeps its start, its length and its end.
    std::vector<std::uint8_t> bytes;
    std::int64_t needed = 0;          // the translation's bytes, its end code included; 0 with BadArgument
    std::optional<EncodeError> error; // with BadArgument
    std::u16string dropped;           // characters without a code, which the bytes leave out: DroppedCharacters
};

// Decides what a script's translation makes of a message `messageBytes` long. The text is in the encoder's form
// (line ends CR LF) and is encoded as "Write New Text" encodes it.
TranslationPlan PlanTranslation(const std::u16string& encoderText, std::int64_t messageBytes);

} // namespace kyrel
