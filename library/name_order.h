#pragma once

#include <string_view>

/// Compares two names as the window's lists order them: code by code after folding letter case,
/// each byte read as a Latin-1 character, a name that is a prefix of another first. Negative,
/// zero or positive like `strcmp`; names equal but for case compare as zero, so a stable sort
/// keeps them in the order they came.
int compareNamesIgnoringCase(std::string_view a, std::string_view b);

/// True when `a` sorts before `b` by `compareNamesIgnoringCase`.
inline bool nameSortsBefore(std::string_view a, std::string_view b) {
    return compareNamesIgnoringCase(a, b) < 0;
}
