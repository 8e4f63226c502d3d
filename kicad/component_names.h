#pragma once

#include "field_codes.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
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

/// One line of a names file: the footprint (NAME, or LIBRARY:NAME) and its component name.
struct NameMapping {
    std::string kicadName;
    std::string shortName;
};

/// The text of a names file: `text` (a names file, possibly empty) with `mappings` merged in. A
/// line whose KiCad name is mapped again takes the new short name in its place, a line whose
/// short name is given to another footprint (ignoring case) goes, new mappings follow in the
/// order given; comments, blank lines and other lines stay as they are.
std::string mergeNameMappings(std::string_view text, const std::vector<NameMapping>& mappings);

/// The footprint names to give components back on export, from a names file's overrides: each
/// short name with the name of its footprint (the part after `LIBRARY:`). Of two footprints
/// given one short name, the first is kept.
std::map<std::string, std::string> footprintNamesByShortName(const NameOverrides& overrides);

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
///  2. a name that fits (at most 13 printable ASCII characters, once other bytes are `_`) is
///     kept;
///  3. otherwise it is cut into words (at `_`, and at `-` inside words that are not sizes,
///     pitches or pin counts), variant words are abbreviated (Horizontal H, TabDown TD,
///     Pin1Left 1L, ...), "mm" and trailing zeros after numbers dropped, and the words that
///     tell least go first until it fits: `NNNNMetric` codes, words every footprint of the
///     folder shares, dimensions, a leading word without digits (a maker's name), other words,
///     the pitch; pin counts, variant words and the package are cut (words without digits,
///     longest first) before they are dropped;
///  4. where two footprints would get the same name ignoring case, each tries its other short
///     forms, which keep in turn one of the words the first form dropped, so that the word that
///     tells them apart stays; only a footprint none of whose forms is free gets `~2`, `~3`, ...
///     in place of the last characters of its first form.
/// A name exactly equal to one of `existing` is kept, so that importing a footprint twice is
/// refused by the copy rule rather than hidden under a new name. Two overrides that collide,
/// ignoring case, are an error, as they would leave two components a user cannot tell apart.
NamingResult shortenNames(const std::vector<NameRequest>& requests,
                          const std::vector<std::string>& existing,
                          const NameOverrides& overrides = {});

/// The short forms of one name, best first, given the words its folder shares (step 2 and 3,
/// and the other forms of step 4); one form when the name fits.
std::vector<std::string> nameCandidates(std::string_view name,
                                        const std::set<std::string>& sharedWords);

/// The best short form of one name.
std::string compactName(std::string_view name, const std::set<std::string>& sharedWords = {});

/// The words (as `nameCandidates` cuts names) that every one of `names` holds, when there are at
/// least two names; otherwise none.
std::set<std::string> sharedNameWords(const std::vector<std::string_view>& names);
