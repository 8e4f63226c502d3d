#include "library_diff.h"

#include "library_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Components of the library text, so that each case reads as the user's change.
constexpr const char* kPad =
    "(pad (layer multilayer) (x 100) (y 200) (xSize 60) (ySize 60) (shape round))";
constexpr const char* kWidePad =
    "(pad (layer multilayer) (x 100) (y 200) (xSize 62) (ySize 60) (shape round))";
constexpr const char* kMovedPad =
    "(pad (layer multilayer) (x 110) (y 200) (xSize 60) (ySize 60) (shape round))";
constexpr const char* kTrack = "(track (layer top) (x1 0) (y1 0) (x2 100) (y2 0) (width 10))";
constexpr const char* kBottomTrack =
    "(track (layer bottom) (x1 0) (y1 0) (x2 100) (y2 0) (width 10))";
constexpr const char* kArc = "(arc (layer top_overlay) (x 0) (y 0) (radius 50) (lineWidth 10))";

std::string component(const std::string& name, const std::vector<std::string>& primitives,
                      const std::string& entry = "") {
    std::string text = "(component \"" + name + "\"" + entry;
    for (const std::string& p : primitives) text += "\n  " + p;
    return text + ")\n";
}

/// A side read from components of the text form, kept alive with its view.
struct TextSide {
    explicit TextSide(const std::string& components) {
        read = readLibraryText("(cobblestack_library (version 1)\n" + components + ")");
        EXPECT_TRUE(read) << read.error;
        std::vector<const Component*> all;
        for (const auto& c : read.components) all.push_back(c.component.get());
        view = sideInListOrder(all);
    }
    LibraryTextRead read;
    DiffSide view;
};

std::string fields(const std::vector<FieldChange>& changes) {
    std::string text;
    for (const FieldChange& f : changes) {
        text += (text.empty() ? "" : ", ") + f.field + " " +
                (f.before.empty() ? "none" : f.before) + " -> " +
                (f.after.empty() ? "none" : f.after);
    }
    return text;
}

std::vector<std::string> report(const LibraryDiff& diff) {
    static constexpr const char* kComponentWords[] = {"added", "removed", "renamed", "changed"};
    static constexpr const char* kPrimitiveWords[] = {"added", "removed", "changed"};
    std::vector<std::string> lines;
    for (const ComponentChange& c : diff.components) {
        std::string line = std::string(kComponentWords[static_cast<int>(c.kind)]) + " " +
                           (c.before ? c.before : c.after)->displayName();
        if (c.kind == ComponentChange::Kind::Renamed) line += " -> " + c.after->displayName();
        lines.push_back(line);
        if (!c.entry.empty()) lines.push_back("  entry: " + fields(c.entry));
        for (const PrimitiveChange& p : c.primitives) {
            lines.push_back("  " + p.where + ": " + kPrimitiveWords[static_cast<int>(p.kind)] +
                            (p.fields.empty() ? "" : " " + fields(p.fields)));
        }
        if (c.orderDiffers) lines.push_back("  order");
    }
    if (diff.componentOrderDiffers) lines.push_back("order");
    return lines;
}

struct DiffCase {
    const char* what;
    std::string before;
    std::string after;
    bool order;
    std::vector<std::string> expected;
};

class LibraryDiffCase : public testing::TestWithParam<DiffCase> {};

TEST_P(LibraryDiffCase, ReportsTheChange) {
    const TextSide a(GetParam().before);
    const TextSide b(GetParam().after);
    const LibraryDiff diff = diffLibraries(a.view, b.view, GetParam().order);
    EXPECT_EQ(report(diff), GetParam().expected);
    EXPECT_EQ(diff.equal(), GetParam().expected.empty());
}

const std::string kBase = component("DIP8", {kTrack, kArc, kPad}) + component("SO8", {kTrack});

INSTANTIATE_TEST_SUITE_P(
    Changes, LibraryDiffCase,
    testing::Values(
        DiffCase{"nothing", kBase, kBase, true, {}},
        DiffCase{"a size",
                 kBase,
                 component("DIP8", {kTrack, kArc, kWidePad}) + component("SO8", {kTrack}),
                 false,
                 {"changed DIP8", "  pad at (100, 200): changed xSize 60 -> 62"}},
        DiffCase{"a place",
                 kBase,
                 component("DIP8", {kTrack, kArc, kMovedPad}) + component("SO8", {kTrack}),
                 false,
                 {"changed DIP8", "  pad at (100, 200): changed x 100 -> 110"}},
        DiffCase{"a layer",
                 kBase,
                 component("DIP8", {kBottomTrack, kArc, kPad}) + component("SO8", {kTrack}),
                 false,
                 {"changed DIP8", "  track from (0, 0) to (100, 0): changed layer top -> bottom"}},
        DiffCase{"a primitive more and one less",
                 kBase,
                 component("DIP8", {kTrack, kPad, kWidePad}) + component("SO8", {kTrack}),
                 false,
                 {"changed DIP8", "  arc at (0, 0): removed", "  pad at (100, 200): added"}},
        DiffCase{"a carried byte",
                 kBase,
                 component("DIP8", {kTrack, kArc, kPad}, " (carried 0 \"0100\")") +
                     component("SO8", {kTrack}),
                 false,
                 {"changed DIP8", "  entry: carried 0 none -> \"0100\""}},
        DiffCase{"a component more, one renamed, one gone",
                 kBase,
                 component("DIL8", {kPad, kArc, kTrack}) + component("NEW", {kArc}),
                 false,
                 {"renamed DIP8 -> DIL8", "added NEW", "removed SO8"}},
        // Of two components of one name, the equal ones pair up and only the other differs.
        DiffCase{"a name held twice",
                 component("A", {kTrack}) + component("A", {kArc}),
                 component("A", {kArc}) + component("A", {kBottomTrack}),
                 false,
                 {"changed A", "  track from (0, 0) to (100, 0): changed layer top -> bottom"}},
        DiffCase{"order, not compared",
                 kBase,
                 component("SO8", {kTrack}) + component("DIP8", {kPad, kArc, kTrack}),
                 false,
                 {}},
        DiffCase{"order, compared",
                 kBase,
                 component("SO8", {kTrack}) + component("DIP8", {kArc, kTrack, kPad}),
                 true,
                 {"changed DIP8", "  order", "order"}}));

TEST(LibraryDiff, ReadsALoadedLibraryInTheOrderOfItsFile) {
    // A save writes the head primitives reversed and the components in reverse slot order, so
    // the library loaded from it differs in order, and only in order, from the one saved.
    const TextSide text(kBase);
    Library library;
    PlainNameList names;
    for (const auto& c : text.read.components) library.addCopy(*c.component, names);
    std::vector<std::uint8_t> image;
    ASSERT_TRUE(library.buildImage(image));
    Library reloaded;
    reloaded.loadImage(image, names);
    const DiffSide file = sideInFileOrder(reloaded);
    EXPECT_TRUE(diffLibraries(text.view, file, false).equal());
    std::vector<const Component*> list;
    for (const auto& c : library.components()) list.push_back(c.get());
    EXPECT_TRUE(diffLibraries(sideInListOrder(list), file, true).equal());
}

}  // namespace
