#include "codec/ScriptImport.h"

#include "codec/CharTable.h"

#include <charconv>
#include <limits>
#include <utility>

namespace kyrel {

namespace {

constexpr std::uint8_t Blank = 0x59;

// A decimal number from 1 to `largest` at the front of the text, as ScriptContext writes it; nothing when
// there is none. The text goes on after the digits.
std::optional<std::int64_t> TakeNumber(std::string_view& text, std::int64_t largest) {
    // from_chars would take a leading zero and, for a signed type, a minus sign.
    if (text.empty() || text.front() < '1' || text.front() > '9')
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value > largest)
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

} // namespace

std::string ScriptContext(std::int32_t position, std::int64_t bytes) {
    return std::to_string(position) + ": " + std::to_string(bytes) + " bytes";
}

std::optional<ScriptIdentity> ParseScriptContext(std::string_view context) {
    const auto position = TakeNumber(context, std::numeric_limits<std::int32_t>::max());
    if (!position || !context.starts_with(": "))
        return std::nullopt;
    context.remove_prefix(2);
    const auto bytes = TakeNumber(context, std::numeric_limits<std::int64_t>::max());
    if (!bytes || context != " bytes")
        return std::nullopt;
    return ScriptIdentity{static_cast<std::int32_t>(*position), *bytes};
}

TranslationPlan PlanTranslation(const std::u16string& encoderText, std::int64_t messageBytes) {
    TranslationPlan plan;
    EncodedMessage encoded = EncodeToBytes(encoderText);
    plan.dropped = std::move(encoded.dropped);
    if (!encoded.ok()) {
        plan.skip = TranslationSkip::BadArgument;
        plan.error = std::move(encoded.error);
        return plan;
    }
    plan.needed = static_cast<std::int64_t>(encoded.bytes.size());
    if (plan.needed > messageBytes) {
        plan.skip = TranslationSkip::TooLong;
        return plan;
    }
    // The first end code as the game reads it: a 0x7F after an argument code is that code's argument.
    std::size_t end = 0;
    while (end < encoded.bytes.size() && encoded.bytes[end] != EndCode)
        end += TakesArgument(encoded.bytes[end]) ? 2 : 1;
    if (end + 1 != encoded.bytes.size()) {
        plan.skip = TranslationSkip::EndCodeInside;
        return plan;
    }
    plan.bytes = std::move(encoded.bytes);
    plan.bytes.pop_back();
    plan.bytes.resize(static_cast<std::size_t>(messageBytes - 1), Blank);
    plan.bytes.push_back(EndCode);
    return plan;
}

} // namespace kyrel
