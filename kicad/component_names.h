#pragma once

#include "field_codes.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// A user's own short names, read from a text file of lines `KICAD_NAME<TAB>SHORT`. Blank lines
/// and lines starting with `#` are skipped. KICAD_NAME is a footprint's name, or LIBRARY:NAME to
/// pick one footprint of one .pretty folder; SHORT is 1 to 13 printable ASCII characters.
struct NameOverrides {
    std::map<std::string, std::string> shortNames;

    /// The short name given for `footprint` of `library` (the folder's name without .pretty,
    /// empty for a single file): LIBRARY:NAME first, then NAME.
    std::optional<std::string> find(std::string_view library, std::string_view footprint) const;
};

/// The overrides in `text`, or an error naming the first bad line.
struct NameOverridesResult {
    std::optional<NameOverrides> overrides;
    std::string error;
};
NameOverridesResult parseNameOverrides(std::string_view text);

/// One footprint to be named.
struct NameRequest {
    std::string library;  // the .pretty folder's name without the extension, or empty
    std::string footprint;
};

/// The short name chosen for each request, in the order given, or the reason none could be.
struct NamingResult {
    std::vector<std::string> names;
    std::string error;
    explicit operator bool() const { return error.empty(); }
};

/// Shortens KiCad footprint names to component names of at most 13 bytes:
///  1. a user's override wins, as given;
///  2. a name that fits (at most 13 printable ASCII characters) is kept;
///  3. otherwise characters outside printable ASCII become `_`, then these steps run in turn
///     until it fits: drop `_NNNNMetric` size codes, write Vertical V, Horizontal H,
///     HandSolder HS, ThermalVias TV, and drop the unit `mm` after a number; drop body and pad
///     sizes (`_3.9x4.9mm`, `_EP3.45x3.45mm`); drop the prefix (up to a `_` or `-`) that every
///     footprint of the same folder shares; drop the pitch (`_P1.27mm`); cut to 13;
///  4. a name equal to one already taken, ignoring case (an override, an earlier footprint, or a
///     name of `existing` that differs in case), gets `~2`, `~3`, ... in place of its last
///     characters.
/// A name exactly equal to one of `existing` is kept, so that importing a footprint twice is
/// refused by the copy rule rather than hidden under a new name. Two overrides that collide,
/// ignoring case, are an error, as they would leave two components a user cannot tell apart.
NamingResult shortenNames(const std::vector<NameRequest>& requests,
                          const std::vector<std::string>& existing,
                          const NameOverrides& overrides = {});

/// The shortening of steps 2 and 3 for one name, given its folder's common prefix.
std::string compactName(std::string_view name, std::string_view commonPrefix);

/// The longest prefix ending in `_` or `-` that all of `names` share, when there are at least
/// two and the prefix leaves every name something; otherwise empty.
std::string commonNamePrefix(const std::vector<std::string_view>& names);
