// Export to KiCad, then import: the pads and lines of every component come back as they were.

#include "footprint_export.h"
#include "footprint_import.h"
#include "footprint_reader.h"
#include "library.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

using PadKey = std::tuple<int, int, int, int, int, int>;   // layer, x, y, xSize, ySize, shape
using LineKey = std::tuple<int, int, int, int, int, int>;  // layer, x1, y1, x2, y2, width

// What a pad is once it has been to KiCad and back: KiCad has one circle, so a round pad keeps
// only its diameter and an oval of equal sides is a circle; the octagon travels as a custom
// outline and comes back as its bounding rectangle.
PadKey padKey(const Primitive& p) {
    const PadFields f = p.pad();
    int xSize = std::abs(f.xSize), ySize = std::abs(f.ySize), shape = f.shape;
    if (shape == 1 || (shape == 4 && xSize == ySize)) {
        shape = 1;
        ySize = xSize;
    } else if (shape == 3) {
        // The viewer's octagon reaches W / 2 each way, truncated, and the export draws it so.
        shape = 2;
        xSize = 2 * (xSize / 2);
        ySize = 2 * (ySize / 2);
    }
    return {p.layer(), f.x, f.y, xSize, ySize, shape};
}

// layer, x, y, orientation, font unit, stroke width, text: a String draws the same at any height
// of the same unit, and KiCad's size is six units.
using StringKey = std::tuple<int, int, int, int, int, int, std::string>;

StringKey stringKey(const Primitive& p) {
    const StringFields f = p.string();
    return {p.layer(),
            f.x,
            f.y,
            f.orientation,
            f.height / 6,
            f.lineWidth,
            std::string(f.text.begin(), f.text.end())};
}

std::vector<StringKey> strings(const Component& c) {
    std::vector<StringKey> found;
    for (const Primitive& p : c.primitives()) {
        if (p.kind() == PrimitiveType::String) found.push_back(stringKey(p));
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Whether `key` is the String of `c` that the export makes its reference field: the first, in
// record order, on the top overlay holding a designator placeholder.
bool firstDesignatorIs(const Component& c, const StringKey& key) {
    std::vector<const Primitive*> inFileOrder;
    for (const Primitive& p : c.primitives()) inFileOrder.push_back(&p);
    std::stable_sort(
        inFileOrder.begin(), inFileOrder.end(),
        [](const Primitive* a, const Primitive* b) { return a->readOrder() < b->readOrder(); });
    for (const Primitive* p : inFileOrder) {
        if (p->kind() != PrimitiveType::String || p->layer() != 7) continue;
        const StringKey k = stringKey(*p);
        if (isDesignatorPlaceholder(std::get<6>(k))) return k == key;
    }
    return false;
}

LineKey lineKey(const Primitive& p) {
    const TrackFields t = p.track();
    return {p.layer(), t.x1, t.y1, t.x2, t.y2, t.width};
}

// Pads in the order of their records in the file, which is how the export numbers them; lines
// in any order.
void collect(const Component& c, std::vector<PadKey>& pads, std::vector<LineKey>& lines) {
    std::vector<const Primitive*> inFileOrder;
    for (const Primitive& p : c.primitives()) inFileOrder.push_back(&p);
    std::stable_sort(
        inFileOrder.begin(), inFileOrder.end(),
        [](const Primitive* a, const Primitive* b) { return a->readOrder() < b->readOrder(); });
    for (const Primitive* p : inFileOrder) {
        if (p->kind() == PrimitiveType::Pad) pads.push_back(padKey(*p));
        if (p->kind() == PrimitiveType::Track) lines.push_back(lineKey(*p));
    }
    std::sort(lines.begin(), lines.end());
}

TEST(KicadRoundTrip, ExportThenImportGivesBackThePadsAndLines) {
    std::size_t compared = 0;
    for (const fs::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.load(file.string(), names)) << file;
        for (const auto& component : library.components()) {
            SCOPED_TRACE(file.filename().string() + ":" + component->displayName());
            const FootprintText exported = exportFootprint(*component, {});
            // Only components the export carried over exactly can come back exactly; vias
            // become pads in KiCad, so they cannot either.
            const bool hasVia =
                std::any_of(component->primitives().begin(), component->primitives().end(),
                            [](const Primitive& p) { return p.kind() == PrimitiveType::Via; });
            if (!exported.notes.empty() || hasVia) continue;
            const FootprintReadResult read = readFootprint(exported.text);
            ASSERT_TRUE(read) << read.error << "\n" << exported.text;
            const FootprintImport imported = importFootprint(*read.footprint, "RT");
            ASSERT_TRUE(imported) << imported.error;

            std::vector<PadKey> padsBefore, padsAfter;
            std::vector<LineKey> linesBefore, linesAfter;
            collect(*component, padsBefore, linesBefore);
            // A new component's list is the order a save writes its records in.
            for (const Primitive& p : imported.component->primitives()) {
                if (p.kind() == PrimitiveType::Pad) padsAfter.push_back(padKey(p));
                if (p.kind() == PrimitiveType::Track) linesAfter.push_back(lineKey(p));
            }
            std::sort(linesAfter.begin(), linesAfter.end());
            // Pads keep their order within each kind: the export numbers them in record order
            // and the import lists surface pads, then through-hole pads, in KiCad's order.
            std::stable_partition(padsBefore.begin(), padsBefore.end(),
                                  [](const PadKey& k) { return std::get<0>(k) != 13; });
            EXPECT_EQ(padsAfter, padsBefore);
            EXPECT_EQ(linesAfter, linesBefore);

            // The first designator placeholder on the top overlay becomes KiCad's reference
            // field and comes back as the one REF** String, in its layer, turn, size and stroke;
            // without one, the field the export adds comes back as one more REF** String.
            std::vector<StringKey> before = strings(*component);
            const auto designator = std::find_if(before.begin(), before.end(), [&](auto& key) {
                return isDesignatorPlaceholder(std::get<6>(key)) && std::get<0>(key) == 7;
            });
            std::optional<StringKey> replaced;
            if (designator != before.end() && firstDesignatorIs(*component, *designator)) {
                replaced = *designator;
                before.erase(designator);
            }
            std::vector<StringKey> extra = strings(*imported.component);
            for (const StringKey& key : before) {
                const auto found = std::find(extra.begin(), extra.end(), key);
                EXPECT_NE(found, extra.end()) << testing::PrintToString(key) << " lost";
                if (found != extra.end()) extra.erase(found);
            }
            ASSERT_EQ(extra.size(), 1u) << testing::PrintToString(extra);
            EXPECT_EQ(std::get<6>(extra.front()), "REF**");
            if (replaced) {
                EXPECT_EQ(std::get<0>(extra.front()), std::get<0>(*replaced));
                EXPECT_EQ(std::get<3>(extra.front()), std::get<3>(*replaced));
                EXPECT_EQ(std::get<4>(extra.front()), std::get<4>(*replaced));
                EXPECT_EQ(std::get<5>(extra.front()), std::get<5>(*replaced));
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 20u);
}

}  // namespace
