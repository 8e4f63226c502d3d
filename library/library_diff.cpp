#include "library_diff.h"

#include "library_text.h"
#include "name_rules.h"
#include "record_layout.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

/// A primitive's record bytes, the bytes past its record length zero: equal keys mean equal
/// primitives.
using RecordKey = std::array<std::uint8_t, kPrimitiveSize>;

RecordKey keyOf(const Primitive& p) {
    RecordKey key{};
    std::copy_n(p.bytes().begin(), p.recordLength(), key.begin());
    return key;
}

/// The bytes of the fields that place a primitive: its centre, or both ends of a Track or the
/// corners of a Fill. Every kind keeps them from byte 2 on.
std::size_t placeBytes(PrimitiveType kind) {
    return kind == PrimitiveType::Track || kind == PrimitiveType::Fill ? 8 : 4;
}

constexpr std::size_t kPlaceOffset = 2;

/// The kind and the place of a primitive, for pairing a changed primitive with its old self.
std::string placeKey(const Primitive& p) {
    const auto& bytes = p.bytes();
    const auto place = bytes.begin() + kPlaceOffset;
    return static_cast<char>(p.type()) +
           std::string(place, place + static_cast<std::ptrdiff_t>(placeBytes(*p.kind())));
}

/// Everything but the place, for pairing a moved primitive with its old self.
std::string movedKey(const Primitive& p) {
    RecordKey key = keyOf(p);
    std::fill_n(key.begin() + kPlaceOffset, placeBytes(*p.kind()), std::uint8_t{0});
    return std::string(key.begin(), key.end());
}

std::string point(std::int32_t x, std::int32_t y) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string whereOf(const Primitive& p) {
    const PrimitiveType kind = *p.kind();
    const std::string word(kindWord(kind));
    switch (kind) {
        case PrimitiveType::Arc:
            return word + " at " + point(p.arc().x, p.arc().y);
        case PrimitiveType::Fill: {
            const FillFields f = p.fill();
            return word + " from " + point(f.x1, f.y1) + " to " + point(f.x2, f.y2);
        }
        case PrimitiveType::Pad:
            return word + " at " + point(p.pad().x, p.pad().y);
        case PrimitiveType::Track: {
            const TrackFields f = p.track();
            return word + " from " + point(f.x1, f.y1) + " to " + point(f.x2, f.y2);
        }
        case PrimitiveType::String:
            return word + " at " + point(p.string().x, p.string().y);
        case PrimitiveType::Via:
            return word + " at " + point(p.via().x, p.via().y);
    }
    return word;
}

std::vector<FieldChange> fieldChanges(const std::vector<TextField>& a,
                                      const std::vector<TextField>& b) {
    std::vector<FieldChange> changes;
    auto find = [](const std::vector<TextField>& fields, const std::string& name) {
        return std::find_if(fields.begin(), fields.end(),
                            [&](const TextField& f) { return f.name == name; });
    };
    for (const TextField& field : a) {
        const auto other = find(b, field.name);
        if (other == b.end()) {
            changes.push_back({field.name, field.value, {}});
        } else if (other->value != field.value) {
            changes.push_back({field.name, field.value, other->value});
        }
    }
    for (const TextField& field : b) {
        if (find(a, field.name) == a.end()) changes.push_back({field.name, {}, field.value});
    }
    return changes;
}

/// Whether the second members of the pairs, taken in the order of the first, rise.
bool orderDiffers(std::vector<std::pair<std::size_t, std::size_t>> pairs) {
    std::sort(pairs.begin(), pairs.end());
    for (std::size_t i = 1; i < pairs.size(); ++i) {
        if (pairs[i].second < pairs[i - 1].second) return true;
    }
    return false;
}

/// The primitives of two components that differ, and whether those both hold differ in order.
struct PrimitiveComparison {
    std::vector<PrimitiveChange> changes;
    bool orderDiffers = false;
};

PrimitiveComparison comparePrimitives(const DiffComponent& a, const DiffComponent& b) {
    PrimitiveComparison result;
    const auto& pa = a.primitives;
    const auto& pb = b.primitives;
    // Equal primitives pair up first, the k-th of a kind on one side with the k-th on the other.
    auto keyed = [](const std::vector<const Primitive*>& primitives) {
        std::vector<std::pair<RecordKey, std::size_t>> keys;
        keys.reserve(primitives.size());
        for (std::size_t i = 0; i < primitives.size(); ++i)
            keys.emplace_back(keyOf(*primitives[i]), i);
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    const auto ka = keyed(pa);
    const auto kb = keyed(pb);
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    std::vector<std::size_t> leftA;
    std::vector<std::size_t> leftB;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < ka.size() || j < kb.size()) {
        if (j == kb.size() || (i < ka.size() && ka[i].first < kb[j].first)) {
            leftA.push_back(ka[i++].second);
        } else if (i == ka.size() || kb[j].first < ka[i].first) {
            leftB.push_back(kb[j++].second);
        } else {
            pairs.emplace_back(ka[i++].second, kb[j++].second);
        }
    }

    // What is left is reported in the order of the library text.
    auto inTextOrder = [](std::vector<std::size_t>& left, const DiffComponent& side) {
        std::unordered_map<const Primitive*, std::size_t> position;
        const auto canonical = canonicalOrder(*side.component);
        for (std::size_t k = 0; k < canonical.size(); ++k) position[canonical[k]] = k;
        std::sort(left.begin(), left.end(), [&](std::size_t x, std::size_t y) {
            return position[side.primitives[x]] < position[side.primitives[y]];
        });
    };
    inTextOrder(leftA, a);
    inTextOrder(leftB, b);

    std::vector<bool> takenB(pb.size(), false);
    auto pairBy = [&](auto keyFunction) {
        std::map<std::string, std::vector<std::size_t>> candidates;
        for (const std::size_t k : leftB) {
            if (!takenB[k]) candidates[keyFunction(*pb[k])].push_back(k);
        }
        std::vector<std::size_t> stillLeft;
        for (const std::size_t k : leftA) {
            auto found = candidates.find(keyFunction(*pa[k]));
            if (found == candidates.end() || found->second.empty()) {
                stillLeft.push_back(k);
                continue;
            }
            const std::size_t other = found->second.front();
            found->second.erase(found->second.begin());
            takenB[other] = true;
            pairs.emplace_back(k, other);
            result.changes.push_back(
                {PrimitiveChange::Kind::Changed,
                 whereOf(*pa[k]),
                 {},
                 fieldChanges(primitiveFields(*pa[k]), primitiveFields(*pb[other]))});
        }
        leftA = std::move(stillLeft);
    };
    pairBy(placeKey);
    pairBy(movedKey);

    for (const std::size_t k : leftA) {
        result.changes.push_back(
            {PrimitiveChange::Kind::Removed, whereOf(*pa[k]), primitiveElement(*pa[k]), {}});
    }
    for (const std::size_t k : leftB) {
        if (takenB[k]) continue;
        result.changes.push_back(
            {PrimitiveChange::Kind::Added, whereOf(*pb[k]), primitiveElement(*pb[k]), {}});
    }
    result.orderDiffers = orderDiffers(std::move(pairs));
    return result;
}

/// What a component is matched and compared by.
struct Prepared {
    const DiffComponent* side;
    std::string name;                   // the length byte and the stored name
    std::vector<RecordKey> primitives;  // sorted
    std::vector<TextField> entry;
};

std::vector<Prepared> prepare(const DiffSide& side) {
    std::vector<Prepared> prepared;
    prepared.reserve(side.size());
    for (const DiffComponent& c : side) {
        const DirectoryEntry& e = c.component->entry();
        const auto shown =
            std::min<std::size_t>(static_cast<std::size_t>(e.nameLength()), kTextCapacity);
        std::string name(1, static_cast<char>(e.nameLength()));
        name.append(e.bytes.begin() + entry_offset::kName,
                    e.bytes.begin() + static_cast<std::ptrdiff_t>(entry_offset::kName + shown));
        std::vector<RecordKey> keys;
        keys.reserve(c.primitives.size());
        for (const Primitive* p : c.primitives) keys.push_back(keyOf(*p));
        std::sort(keys.begin(), keys.end());
        prepared.push_back({&c, std::move(name), std::move(keys), entryFields(e)});
    }
    return prepared;
}

bool sameContent(const Prepared& a, const Prepared& b) {
    return a.primitives == b.primitives && a.entry == b.entry;
}

}  // namespace

DiffSide sideInFileOrder(const Library& library) {
    DiffSide side;
    const auto& components = library.components();
    side.reserve(components.size());
    // The loader puts each slot's component at the head, so the list runs from the last slot.
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        DiffComponent c{it->get(), {}};
        for (const Primitive& p : c.component->primitives()) c.primitives.push_back(&p);
        std::stable_sort(
            c.primitives.begin(), c.primitives.end(),
            [](const Primitive* x, const Primitive* y) { return x->readOrder() < y->readOrder(); });
        side.push_back(std::move(c));
    }
    return side;
}

DiffSide sideInListOrder(std::span<const Component* const> components) {
    DiffSide side;
    side.reserve(components.size());
    for (const Component* component : components) {
        DiffComponent c{component, {}};
        for (const Primitive& p : component->primitives()) c.primitives.push_back(&p);
        side.push_back(std::move(c));
    }
    return side;
}

LibraryDiff diffLibraries(const DiffSide& a, const DiffSide& b, bool compareOrder) {
    const std::vector<Prepared> pa = prepare(a);
    const std::vector<Prepared> pb = prepare(b);
    std::vector<std::optional<std::size_t>> matchA(pa.size());
    std::vector<bool> matchedB(pb.size(), false);

    // By name: of several components of one name, equal ones pair first, then the rest in order.
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t j = 0; j < pb.size(); ++j) byName[pb[j].name].push_back(j);
    for (const bool equalOnly : {true, false}) {
        for (std::size_t i = 0; i < pa.size(); ++i) {
            if (matchA[i]) continue;
            const auto group = byName.find(pa[i].name);
            if (group == byName.end()) continue;
            for (const std::size_t j : group->second) {
                if (matchedB[j] || (equalOnly && !sameContent(pa[i], pb[j]))) continue;
                matchA[i] = j;
                matchedB[j] = true;
                break;
            }
        }
    }
    // Renamed: the same primitives, and at least one, under another name.
    std::map<std::vector<RecordKey>, std::vector<std::size_t>> byPrimitives;
    for (std::size_t j = 0; j < pb.size(); ++j) {
        if (!matchedB[j] && !pb[j].primitives.empty()) byPrimitives[pb[j].primitives].push_back(j);
    }
    std::vector<bool> renamed(pa.size(), false);
    for (std::size_t i = 0; i < pa.size(); ++i) {
        if (matchA[i] || pa[i].primitives.empty()) continue;
        auto found = byPrimitives.find(pa[i].primitives);
        if (found == byPrimitives.end() || found->second.empty()) continue;
        matchA[i] = found->second.front();
        found->second.erase(found->second.begin());
        matchedB[*matchA[i]] = true;
        renamed[i] = true;
    }

    LibraryDiff diff;
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < pa.size(); ++i) {
        const Component* before = pa[i].side->component;
        if (!matchA[i]) {
            diff.components.push_back(
                {ComponentChange::Kind::Removed, before, nullptr, {}, {}, false});
            continue;
        }
        const std::size_t j = *matchA[i];
        pairs.emplace_back(i, j);
        ComponentChange change{
            renamed[i] ? ComponentChange::Kind::Renamed : ComponentChange::Kind::Changed,
            before,
            pb[j].side->component,
            {},
            {},
            false};
        change.entry = fieldChanges(pa[i].entry, pb[j].entry);
        PrimitiveComparison primitives = comparePrimitives(*pa[i].side, *pb[j].side);
        change.primitives = std::move(primitives.changes);
        change.orderDiffers = compareOrder && primitives.orderDiffers;
        if (renamed[i] || !change.entry.empty() || !change.primitives.empty() ||
            change.orderDiffers) {
            diff.components.push_back(std::move(change));
        }
    }
    for (std::size_t j = 0; j < pb.size(); ++j) {
        if (!matchedB[j]) {
            diff.components.push_back(
                {ComponentChange::Kind::Added, nullptr, pb[j].side->component, {}, {}, false});
        }
    }
    diff.componentOrderDiffers = compareOrder && orderDiffers(std::move(pairs));

    auto nameOf = [](const ComponentChange& c) {
        return (c.before ? c.before : c.after)->displayName();
    };
    std::stable_sort(diff.components.begin(), diff.components.end(),
                     [&](const ComponentChange& x, const ComponentChange& y) {
                         const std::string nx = nameOf(x);
                         const std::string ny = nameOf(y);
                         const int order = compareNamesIgnoringCase(nx, ny);
                         return order != 0 ? order < 0 : nx < ny;
                     });
    return diff;
}
