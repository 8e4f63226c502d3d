#include "in_memory_check.h"

#include "library.h"
#include "library_format.h"
#include "name_rules.h"

#include <string>

std::vector<Finding> checkLibrary(const Library& library) {
    std::vector<Finding> findings;
    if (const auto writable = library.checkWritable(); !writable) {
        // More components than slots is a finding of its own; any other refusal is a save's.
        if (library.size() > kSlotCount) {
            findings.push_back({FindingKind::TooManyComponents, {}, {}, {}, writable.reason, true});
        } else {
            findings.push_back({FindingKind::SaveRefused,
                                {},
                                {},
                                {},
                                "a save is refused: " + writable.reason,
                                true});
        }
    }
    const auto& components = library.components();
    std::vector<std::string> listed(components.size());
    std::vector<NamedPlace> names;
    names.reserve(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto& entry = components[i]->entry();
        listed[i] = entry.displayName();
        if (entry.isFindableByName()) names.push_back({i, listed[i]});
    }
    // Finding by name gives the first from the head.
    for (const NameClash& clash : nameClashes(names, true)) {
        const std::size_t at = names[clash.at].place;
        const std::size_t other = names[clash.other].place;
        if (clash.kind == NameClash::Kind::Duplicate) {
            findings.push_back({FindingKind::DuplicateName,
                                at,
                                listed[at],
                                {},
                                "the same name as position " + std::to_string(other) +
                                    ", which finding by name gives instead: this one can never "
                                    "be found",
                                false});
        } else {
            findings.push_back(
                {FindingKind::DuplicateNameCase,
                 at,
                 listed[at],
                 {},
                 "differs only in letter case from the name at position " + std::to_string(other),
                 false});
        }
    }
    return findings;
}
