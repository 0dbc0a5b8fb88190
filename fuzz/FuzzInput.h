#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kyrel::fuzz {

// Takes values off the front of a fuzz input; past its end every value reads as zero, so any input is usable.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    std::uint16_t U16() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | (static_cast<std::uint32_t>(U16()) << 16);
    }

    double Double() {
        std::uint8_t raw[sizeof(double)];
        for (auto& b : raw)
            b = Byte();
        double value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }

    // Whatever the fields before it left over.
    [[nodiscard]] const std::uint8_t* Rest() const { return m_data + Consumed(); }
    [[nodiscard]] std::size_t RestSize() const { return m_size - Consumed(); }
    [[nodiscard]] bool AtEnd() const { return m_pos >= m_size; }

private:
    [[nodiscard]] std::size_t Consumed() const { return m_pos < m_size ? m_pos : m_size; }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// For the properties' own work: it is no coverage for the fuzzer to chase, and tracing it would slow every run.
#define KYREL_FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

// A broken property: report it and abort, so that libFuzzer keeps the input that showed it.
#define KYREL_FUZZ_CHECK(condition)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

} // namespace kyrel::fuzz
