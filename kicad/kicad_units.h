#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The length of one library unit, in nanometres: the finest step a KiCad file can write (its
/// millimetre values carry at most six decimals). Keeping lengths as whole nanometres makes every
/// conversion exact, so the same input always gives the same text.
struct KicadUnit {
    /// One mil, 0.0254 mm, the unit the DOS program's libraries are drawn in.
    static constexpr std::int64_t kDefaultNanometres = 25400;
    /// The largest unit taken, one metre: beyond it a library coordinate no longer fits a KiCad
    /// board.
    static constexpr std::int64_t kMaxNanometres = 1'000'000'000;

    std::int64_t nanometres = kDefaultNanometres;

    friend bool operator==(const KicadUnit&, const KicadUnit&) = default;
};

/// A length of `units` library units in nanometres.
constexpr std::int64_t toNanometres(std::int64_t units, KicadUnit unit) {
    return units * unit.nanometres;
}

/// The KiCad y of a library y in nanometres: KiCad's y axis points down, the library's up.
constexpr std::int64_t toKicadYNanometres(std::int64_t libraryY, KicadUnit unit) {
    return -libraryY * unit.nanometres;
}

/// Nanometres as a KiCad millimetre value: at most six decimals, trailing zeros dropped, no
/// exponent, "0" for zero (never "-0"). 25400 gives "0.0254", -1270000 gives "-1.27".
std::string formatMillimetres(std::int64_t nanometres);

/// A library length in KiCad millimetres.
std::string formatUnits(std::int64_t units, KicadUnit unit);

/// Reads a decimal millimetre text such as "0.0254", "-1.27", "3", ".5" or "1e-3" into whole
/// nanometres, rounding half away from zero past the sixth decimal. None for anything else
/// (empty, stray characters, out of the 64-bit range).
std::optional<std::int64_t> parseMillimetres(std::string_view text);

/// The unit for a `--unit-mm` text: a positive length of at least one nanometre and at most one
/// metre. None otherwise.
std::optional<KicadUnit> parseUnit(std::string_view millimetres);

/// The nearest whole number of library units to `nanometres` (half away from zero), or none when
/// it falls outside the signed 16-bit range of the library's fields.
std::optional<std::int32_t> toLibraryUnits(std::int64_t nanometres, KicadUnit unit);
