#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Compares two pad numbers as KiCad orders them: runs of digits by their value (so "2" comes
/// before "10" and "A2" before "A10"), everything else character by character ignoring the case
/// of ASCII letters. Negative, zero or positive like `strcmp`; "01" and "1" compare equal.
int comparePadNumbers(std::string_view a, std::string_view b);

/// What a change of pad numbers looks like to a person: "pads 1 2 3 4 6 become 1 2 3 4 5".
/// `before[i]` is the number pad i had and `after[i]` the one it gets; a run of three or more
/// pads whose numbers both count up by one (with the same letters before them) is written
/// "1-4". An empty number is written "". Empty when nothing changes.
std::string describeRenumbering(const std::vector<std::string>& before,
                                const std::vector<std::string>& after);
