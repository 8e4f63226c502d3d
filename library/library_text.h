#pragma once

#include "component.h"
#include "directory_entry.h"
#include "library.h"
#include "primitive.h"
#include "sexpr.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The text form of a library: an s-expression with one line per primitive, made to be kept in
// version control and read in a diff. Every byte a load carries is in it, by a named field or as
// hexadecimal, and its order is one that no save changes, so that the text of a library and of
// the same library after any number of saves are the same, and a changed component changes only
// its own lines. The README gives the grammar.

/// The version the text's header gives; the reader takes this one only.
inline constexpr int kLibraryTextVersion = 1;

/// The limits a text is read within: those of every other input, with room for the text of the
/// largest library a file can hold (about 65,000 primitives of some 20 elements each).
SexprLimits libraryTextLimits();

/// Comment lines a text carries: about the file as a whole, and about single components.
struct LibraryTextNotes {
    std::vector<std::string> file;
    std::vector<std::pair<const Component*, std::string>> components;
};

/// What a load of `image` repaired or left out, from the check of the image: records it dropped,
/// counts it lowered, second records it filled with zeros, a directory cut short, bytes no
/// component reads. Reordering and the rewriting of counts and indexes are not noted: every save
/// does them and the text does not show them. `library` must be what `image` loads as.
LibraryTextNotes loaderRepairs(const Library& library, std::span<const std::uint8_t> image);

/// The text of `library`: components by name ignoring letter case (components whose names differ
/// only in case, or not at all, by their text), each component's primitives in the order
/// `canonicalOrder` gives; `notes` as comment lines.
std::string libraryText(const Library& library, const LibraryTextNotes& notes = {});

/// A component's primitives in an order no save changes. A save reverses the order of a
/// component's Arcs, Fills, Tracks, Strings and Pads off the MultiLayer among themselves and keeps
/// the order of its MultiLayer Pads and Vias, which it puts last; so these come first in one of
/// their two directions (the one whose records compare lower, first record first), and then the
/// MultiLayer Pads and Vias in their order.
std::vector<const Primitive*> canonicalOrder(const Component& component);

/// One field as the text writes it, such as `xSize` and `60`, `layer` and `multilayer`, `text`
/// and `"U?"`, or `carried 16` and `"00ff..."` for a run of bytes no field interprets.
struct TextField {
    std::string name;
    std::string value;

    friend bool operator==(const TextField&, const TextField&) = default;
};

/// The word the text names a kind by: `arc`, `fill`, `pad`, `track`, `string`, `via`.
std::string_view kindWord(PrimitiveType kind);

/// The fields of a primitive of a kept kind, in the order the text writes them: every field the
/// program interprets, `textLength` when it is above 13, and each run of carried bytes that are
/// not all zero (a run left out is zero).
std::vector<TextField> primitiveFields(const Primitive& primitive);

/// The fields of a directory entry besides the name: `nameLength` when it is above 13, and its
/// carried runs as for `primitiveFields`. The count and the index are not among them: a save
/// rewrites them.
std::vector<TextField> entryFields(const DirectoryEntry& entry);

/// The stored name of an entry as the text quotes it: the first `nameLength` bytes (at most 13).
std::string quotedName(const DirectoryEntry& entry);

/// A primitive as one element of the text: `(pad (layer multilayer) (x 0) ...)`.
std::string primitiveElement(const Primitive& primitive);

/// One component of a text, and where it starts in the text.
struct TextComponent {
    std::unique_ptr<Component> component;
    int line = 0;
    int column = 0;
};

/// The outcome of reading a text: its components in the order it gives them, or why it cannot be
/// read, as "line L, column C: what is wrong".
struct LibraryTextRead {
    std::vector<TextComponent> components;
    std::string error;

    explicit operator bool() const { return error.empty(); }
};

/// Reads a library text strictly: every element and value is checked, nothing is guessed, and the
/// first fault ends the reading. Each component's list holds its primitives in the order of the
/// text, but with its MultiLayer Pads and Vias after the rest, which is the order a save writes
/// them and every load draws them in. Comments are skipped. Names may repeat and there may be
/// more than 200 components: whoever adds them to a library applies the library's rules.
LibraryTextRead readLibraryText(std::string_view text);
