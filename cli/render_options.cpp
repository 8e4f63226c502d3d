#include "render_options.h"

#include <exception>

namespace {

/// Larger pictures would only exhaust memory: 16384 pixels a side is beyond any screen.
constexpr int kMaxSide = 16384;

}  // namespace

std::optional<std::pair<int, int>> parseSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    try {
        std::size_t used = 0;
        const int width = std::stoi(text.substr(0, x), &used);
        if (used != x) return std::nullopt;
        const std::string rest = text.substr(x + 1);
        const int height = std::stoi(rest, &used);
        if (used != rest.size()) return std::nullopt;
        if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
        return std::pair{width, height};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
