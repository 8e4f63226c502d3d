#pragma once

#include <cstddef>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How names are compared and told apart. Names are 8-bit byte strings: component names as the
// directory holds them, file and folder names as the system gives them. Two foldings of letter
// case, each for one purpose:
// - Telling names apart folds the ASCII letters only: two names a person or a file system may
//   take for the same (duplicate names, file and folder names) differ in nothing else.
// - Ordering a list folds every Latin-1 letter, each byte read as a Latin-1 character, as the
//   window's lists order their entries.

/// `text` with the ASCII letters in lower case and every other byte as it is: the key under which
/// names that differ only in letter case are the same.
std::string foldedName(std::string_view text);

/// `text`, a UTF-8 text such as a file name, with the ASCII letters and the Latin-1 capitals
/// (U+00C0 to U+00DE but U+00D7) in lower case: the key under which a file system that ignores
/// letter case takes two names for one.
std::string foldedUtf8Name(std::string_view text);

/// Compares two names as the window's lists order them: code by code after folding letter case,
/// each byte read as a Latin-1 character, a name that is a prefix of another first. Negative,
/// zero or positive like `strcmp`; names equal but for case compare as zero, so a stable sort
/// keeps them in the order they came.
int compareNamesIgnoringCase(std::string_view a, std::string_view b);

/// True when `a` sorts before `b` by `compareNamesIgnoringCase`: ascending, ignoring case.
inline bool nameSortsBefore(std::string_view a, std::string_view b) {
    return compareNamesIgnoringCase(a, b) < 0;
}

/// Gives out names that no two of which are the same ignoring case (`foldedName`, or a key of the
/// caller's): a name asked
/// for while it is free is given as it is, and a name already given becomes `NAME~2`, `NAME~3`,
/// ..., the first of those that is neither given nor reserved.
class DistinctNames final {
public:
    /// The key under which two names are the same.
    using Key = std::string (*)(std::string_view);

    /// Names are the same when `key` gives the same for them (by default, ignoring ASCII case).
    explicit DistinctNames(Key key = foldedName) : key_(key) {}

    /// No limit on the length of a name given.
    static constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

    /// Marks `name` as given, so that it is never given again.
    void claim(std::string_view name);

    /// Keeps `name` free for whoever asks for it by that name: no `~N` name becomes it. Used for
    /// a set of names that each ask for themselves, so that a suffixed name never takes the
    /// plain name of a later one.
    void reserve(std::string_view name);

    /// Whether `name`, ignoring case, has been given or claimed.
    bool isGiven(std::string_view name) const;

    /// `name` when it is free, otherwise the first free `name~N` from N = 2, and marks it given.
    /// With a `capacity`, the suffix replaces the last characters of `name` so that the result
    /// is at most that long (`capacity` must leave room for a suffix).
    std::string take(std::string_view name, std::size_t capacity = kUnlimited);

private:
    Key key_;
    std::set<std::string> given_;
    std::set<std::string> reserved_;
};

/// A name finding by name can reach, at a place of the caller's (a slot or a list position).
struct NamedPlace {
    std::size_t place;
    std::string_view name;
};

/// Two names finding by name, or a person reading a list, cannot tell apart: the one at `at`
/// and the one at `other`, both indices into the names given.
struct NameClash {
    enum class Kind {
        Duplicate,  ///< the same name: finding by name gives `other` and never this one
        CaseOnly,   ///< a name that differs from `other` only in letter case
    };
    Kind kind;
    std::size_t at;
    std::size_t other;
};

/// The clashes among `names`, given in the order of their places. Of equal names, finding by
/// name gives the first when `firstIsFound` and the last otherwise; each other one is a
/// Duplicate whose `other` is the one found. Of distinct names that differ only in letter case,
/// each after the first to appear is a CaseOnly clash at its first place, whose `other` is the
/// first place of the first. Ordered by `at`, a Duplicate before a CaseOnly clash at the same
/// place.
std::vector<NameClash> nameClashes(std::span<const NamedPlace> names, bool firstIsFound);

/// Whether `typed` is a shell-style pattern: it holds `*`, `?` or `[`.
bool isNamePattern(std::string_view typed);

/// Whether `name` matches the shell-style pattern `pattern` byte by byte: `*` any run of bytes,
/// `?` any one byte, `[abc]`, `[a-z]` and `[!abc]` (or `[^abc]`) one byte of a set, `\` the next
/// byte as it is. With `ignoringCase`, ASCII letters match either case (as `foldedName`).
bool matchesNamePattern(std::string_view pattern, std::string_view name, bool ignoringCase);

/// What a name a person typed finds among the names of a list (a library's components).
struct NameLookup {
    enum class Kind {
        Exact,         ///< names equal to it byte for byte
        IgnoringCase,  ///< the one name equal to it but for letter case
        Pattern,       ///< the names the pattern matches, case first as typed, else ignoring it
        None,          ///< nothing; `close` holds the names that come close
    };
    Kind kind = Kind::None;
    /// The places (indices into the names given) found, in the order of the names given.
    std::vector<std::size_t> found;
    /// For None: names that come close, closest first, each distinct name once, at most three.
    std::vector<std::size_t> close;
};

/// Looks `typed` up among `names`: an exact match first; else, when the names equal to it but for
/// letter case are all one name, that name; else, for a pattern, the names it matches; else
/// nothing, with the names that differ from it by few letters, or only in case, as close.
NameLookup lookUpName(std::span<const std::string_view> names, std::string_view typed);
