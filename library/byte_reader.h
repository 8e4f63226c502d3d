#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

/// Bounds-checked reads from a file image held in memory. Nothing is ever read outside it: a read
/// that reaches past the end copies what there is and reports how much that was.
class ByteReader final {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t size() const { return data_.size(); }

    /// True when `size` bytes starting at `offset` lie inside the image.
    bool has(std::size_t offset, std::size_t size) const {
        return offset <= data_.size() && size <= data_.size() - offset;
    }

    /// A view of the `N` bytes at `offset`, or none when they do not all lie inside the image.
    template <std::size_t N>
    std::optional<std::span<const std::uint8_t, N>> view(std::size_t offset) const {
        if (!has(offset, N)) return std::nullopt;
        return std::span<const std::uint8_t, N>(data_.data() + offset, N);
    }

    /// Copies up to `out.size()` bytes from `offset` into `out` and returns how many were copied;
    /// fewer than asked means the image ended first. The rest of `out` is left as it was.
    std::size_t copy(std::size_t offset, std::span<std::uint8_t> out) const;

private:
    std::span<const std::uint8_t> data_;
};
