#pragma once

#include "component.h"
#include "library.h"
#include "primitive.h"

#include <span>
#include <string>
#include <vector>

// What differs between two libraries, component by component and field by field, as a user
// thinks of them: a component is known by its name, and order is no difference unless asked for.

/// One component of a side, with its primitives in the side's own order. Only a comparison of
/// order looks at that order.
struct DiffComponent {
    const Component* component = nullptr;
    std::vector<const Primitive*> primitives;
};

/// One side of a comparison: its components in the side's own order.
using DiffSide = std::vector<DiffComponent>;

/// A loaded library in the order of its file: components in directory order, each one's
/// primitives in the order of their records.
DiffSide sideInFileOrder(const Library& library);

/// Components in the order given, each one's primitives in list order: the order in which a save
/// writes them.
DiffSide sideInListOrder(std::span<const Component* const> components);

/// One field that differs, by its name and values as the library text writes them; a value is
/// empty where the field is left out on that side (a run of carried bytes that are all zero).
struct FieldChange {
    std::string field;
    std::string before;
    std::string after;
};

struct PrimitiveChange {
    enum class Kind { Added, Removed, Changed };
    Kind kind = Kind::Changed;
    /// Which primitive, by its kind and place on the first side (on the second for an added one):
    /// `pad at (100, 200)`, `track from (0, 0) to (100, 0)`.
    std::string where;
    /// An added or removed primitive as an element of the library text.
    std::string element;
    /// The fields of a changed primitive that differ, in the order the text writes them.
    std::vector<FieldChange> fields;
};

struct ComponentChange {
    enum class Kind {
        Added,
        Removed,
        /// The same primitives under another name.
        Renamed,
        /// The same name, other content (or, when order is compared, another order).
        Changed,
    };
    Kind kind = Kind::Changed;
    /// The component on the first side; none for an added one.
    const Component* before = nullptr;
    /// The component on the second side; none for a removed one.
    const Component* after = nullptr;
    /// Directory entry fields that differ (carried bytes, a length above 13).
    std::vector<FieldChange> entry;
    /// Primitives that differ: changed ones, then removed, then added, each in the order of the
    /// library text.
    std::vector<PrimitiveChange> primitives;
    /// When order is compared: the primitives both sides hold come in another order.
    bool orderDiffers = false;
};

struct LibraryDiff {
    /// By name ignoring letter case, as the library text lists components.
    std::vector<ComponentChange> components;
    /// When order is compared: the components both sides hold come in another order.
    bool componentOrderDiffers = false;

    bool equal() const { return components.empty() && !componentOrderDiffers; }
};

/// Compares two sides. Components are matched by their exact stored name; of the ones left, those
/// with the same primitives are renamed, the rest added or removed. Within a matched pair,
/// primitives equal in every byte are matched first, then those of one kind at the same place
/// (changed), then those of one kind equal but for their place (moved, also changed). Order plays
/// a part only when `compareOrder`.
LibraryDiff diffLibraries(const DiffSide& a, const DiffSide& b, bool compareOrder);
