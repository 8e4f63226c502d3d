#pragma once

#include "canvas.h"
#include "field_codes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

/// The 48 colours a primitive is drawn in, indexed by its layer byte. Entry 0 is the panel's
/// background and the hole of every Via; entry 13, the MultiLayer's, is the disc of every Via.
class LayerPalette final {
public:
    static constexpr std::size_t kSize = 48;

    constexpr LayerPalette() {
        constexpr std::array<Rgb, 16> kLayers = {
            0xAAAAAA, 0xFF5555, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0x5555FF, 0xFFFF55,
            0xFF55FF, 0x5555FF, 0x55FFFF, 0xAA5500, 0xAA00AA, 0xAA0000, 0xFFFFFF, 0xFFFFFF,
        };
        // Layers 16 to 31, and again 32 to 47, take the sixteen colours of a text-mode screen.
        constexpr std::array<Rgb, 16> kSixteen = {
            0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
            0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
        };
        for (std::size_t i = 0; i < 16; ++i) {
            colours_[i] = kLayers[i];
            colours_[16 + i] = kSixteen[i];
            colours_[32 + i] = kSixteen[i];
        }
    }

    /// The colour of a primitive on `layer`, or none for a layer byte of 48 or more, which has no
    /// entry; such a primitive is not drawn.
    constexpr std::optional<Rgb> layerColour(std::uint8_t layer) const {
        if (layer >= kSize) return std::nullopt;
        return colours_[layer];
    }

    constexpr Rgb background() const { return colours_[0]; }
    constexpr Rgb multiLayer() const { return colours_[kMultiLayer]; }

private:
    std::array<Rgb, kSize> colours_{};
};
