#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Little-endian field access on record bytes. Integers are built byte by byte, never by casting
// a struct onto the buffer, and are widened to 32 bits at once.

inline std::int32_t unsigned8At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return bytes[offset];
}

inline std::int32_t signed16At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const auto raw = static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    return static_cast<std::int16_t>(raw);
}

inline void putSigned16(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
    const auto raw = static_cast<std::uint16_t>(value);
    bytes[offset] = static_cast<std::uint8_t>(raw & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(raw >> 8);
}
