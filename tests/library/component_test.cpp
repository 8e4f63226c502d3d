#include "component.h"

#include "byte_reader.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "primitive_tags.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Component, PlacesMultiLayerPadsAndViasAtTheTailAndTheRestAtTheHead) {
    Component c(makeEntry("X"));
    c.addPrimitive(tagged(makeArc(7, 0, 0, 5, 15, 1), 'A'));
    c.addPrimitive(tagged(makeTrack(7, 0, 0, 10, 0, 1), 'T'));
    c.addPrimitive(tagged(makePad(kMultiLayer, 0, 0, 10, 10, 1), 'P'));
    c.addPrimitive(tagged(makeVia(2, 0, 0, 10, 4), 'V'));
    c.addPrimitive(tagged(makeTrack(7, 0, 0, 0, 10, 1), 't'));
    c.addPrimitive(tagged(makePad(1, 0, 0, 10, 10, 2), 'Q'));
    c.addPrimitive(tagged(makeFill(3, 0, 0, 1, 1), 'F'));
    c.addPrimitive(tagged(makeString(7, 0, 0, 6, 1, 0, "S"), 'S'));
    c.addPrimitive(tagged(makePad(kMultiLayer, 0, 0, 10, 10, 3), 'p'));
    EXPECT_EQ(tags(c), "SFQtTAPVp");
    EXPECT_EQ(c.primitiveCount(), 9);
}

TEST(Component, BoundsStartInvertedAndGrowWithEachPrimitive) {
    Component c(makeEntry("X"));
    EXPECT_EQ(c.bounds(), Bounds::initial());
    c.addPrimitive(makeTrack(1, 0, 0, 100, 0, 11));
    EXPECT_EQ(c.bounds(), (Bounds{-5, 105, -5, 5}));
    c.addPrimitive(makeVia(1, -200, 50, 20, 5));
    EXPECT_EQ(c.bounds(), (Bounds{-210, 105, -5, 60}));
    EXPECT_EQ(c.recordBytes(), 32u);
}

TEST(Component, DisplayNameStopsAtLengthThirteenAndAtAZeroByte) {
    DirectoryEntry entry = makeEntry("ABCDEFGHIJKLM");
    EXPECT_EQ(Component(entry).displayName(), "ABCDEFGHIJKLM");
    entry.bytes[entry_offset::kNameLength] = 14;
    EXPECT_EQ(Component(entry).displayName(), "ABCDEFGHIJKLM");
    entry.bytes[entry_offset::kNameLength] = 255;
    EXPECT_EQ(Component(entry).displayName(), "ABCDEFGHIJKLM");
    entry.bytes[entry_offset::kNameLength] = 5;
    entry.bytes[entry_offset::kName + 2] = 0;
    EXPECT_EQ(Component(entry).displayName(), "AB");
    entry.bytes[entry_offset::kNameLength] = 0;
    EXPECT_EQ(Component(entry).displayName(), "");
}

class ReadPrimitives : public testing::Test {
protected:
    std::unique_ptr<Component> read(const DirectoryEntry& entry) {
        auto c = std::make_unique<Component>(entry);
        c->readPrimitives(ByteReader(file.bytes()));
        return c;
    }
    LibraryFileBuilder file;
};

TEST_F(ReadPrimitives, DropsUnknownTypesButCountsThemAsRead) {
    const std::array<std::uint8_t, 16> type4{1, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    file.primitive(401, makeTrack(1, 0, 0, 10, 10, 2)).record(402, type4);
    file.primitive(403, makePad(1, 0, 0, 10, 10, 1)).primitive(405, makeArc(1, 0, 0, 1, 1, 1));
    const auto c = read(makeEntry("X", 3, 401));
    ASSERT_EQ(c->primitiveCount(), 2);
    EXPECT_EQ(c->primitives()[0].kind(), PrimitiveType::Pad);
    EXPECT_EQ(c->primitives()[1].kind(), PrimitiveType::Track);
    EXPECT_EQ(c->bounds(), (Bounds{-5, 11, -5, 11}));
    EXPECT_EQ(c->recordBytes(), 48u);  // the Track and the Pad; the dropped record is not saved
}

TEST_F(ReadPrimitives, NothingForACountOrIndexOfZeroOrLess) {
    file.primitive(401, makeTrack(1, 0, 0, 10, 10, 2));
    EXPECT_EQ(read(makeEntry("X", 0, 401))->primitiveCount(), 0);
    EXPECT_EQ(read(makeEntry("X", -5, 401))->primitiveCount(), 0);
    EXPECT_EQ(read(makeEntry("X", 1, 0))->primitiveCount(), 0);
    EXPECT_EQ(read(makeEntry("X", 1, -300))->primitiveCount(), 0);
    EXPECT_EQ(read(makeEntry("X", 1, 401))->primitiveCount(), 1);
}

TEST_F(ReadPrimitives, KeepsWhatWasReadWhenTheFileEndsEarly) {
    file.primitive(401, makeTrack(1, 0, 0, 10, 10, 2)).primitive(402, makeVia(1, 0, 0, 10, 2));
    file.bytes().resize(file.bytes().size() + 7);  // a partial third record
    EXPECT_EQ(read(makeEntry("X", 30, 401))->primitiveCount(), 2);
}

TEST_F(ReadPrimitives, SecondRecordCutShortIsFilledWithZeros) {
    const Primitive pad = makePad(1, 1, 2, 30, 40, 2);
    file.primitive(401, pad);
    file.bytes().resize(16 * 401 + 20);
    file.bytes()[16 * 401 + 16] = 0x77;
    const auto c = read(makeEntry("X", 1, 401));
    ASSERT_EQ(c->primitiveCount(), 1);
    const auto& bytes = c->primitives()[0].bytes();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 16, pad.bytes().begin()));
    EXPECT_EQ(bytes[16], 0x77);
    EXPECT_TRUE(std::all_of(bytes.begin() + 20, bytes.end(), [](auto b) { return b == 0; }));
}

std::string readOrderTags(const Component& c) {
    std::vector<const Primitive*> byOrder;
    for (const auto& p : c.primitives()) byOrder.push_back(&p);
    std::sort(byOrder.begin(), byOrder.end(),
              [](auto* a, auto* b) { return a->readOrder() < b->readOrder(); });
    std::string result;
    for (const auto* p : byOrder) result += static_cast<char>(p->bytes()[15]);
    return result;
}

// The list order loses where the tail primitives stood among the others; the read order must
// still give the records back as the file held them, across a dropped record and a copy.
TEST_F(ReadPrimitives, ReadOrderRecoversTheFileOrderOfTheKeptRecords) {
    const std::array<std::uint8_t, 16> type4{1, 4};
    file.primitive(401, tagged(makeArc(7, 0, 0, 5, 15, 1), 'A'))
        .primitive(402, tagged(makeTrack(7, 0, 0, 10, 0, 1), 'T'))
        .primitive(403, tagged(makePad(13, 0, 0, 10, 10, 1), 'P'))
        .record(405, type4)
        .primitive(406, tagged(makeVia(1, 0, 0, 10, 4), 'V'))
        .primitive(407, tagged(makeTrack(7, 0, 0, 0, 10, 1), 't'))
        .primitive(408, tagged(makePad(1, 0, 0, 10, 10, 2), 'Q'));
    const auto c = read(makeEntry("X", 7, 401));
    EXPECT_EQ(tags(*c), "QtTAPV");
    EXPECT_EQ(readOrderTags(*c), "ATPVtQ");
    EXPECT_EQ(readOrderTags(*c->clone()), "ATPVtQ");

    Component added(makeEntry("Y"));
    for (const auto& p : c->primitives()) added.addPrimitive(p);
    EXPECT_EQ(readOrderTags(added), "QtTAPV");
}

TEST(Component, CloneKeepsOrderBoundsAndEveryByte) {
    Component original(makeEntry("ORIG", 77, 999));
    original.addPrimitive(tagged(makeVia(1, 0, 0, 10, 4), 'V'));
    original.addPrimitive(tagged(makeTrack(1, 0, 0, 10, 0, 1), 'T'));
    const auto copy = original.clone();
    EXPECT_EQ(copy->entry(), original.entry());
    EXPECT_EQ(tags(*copy), "TV");
    EXPECT_EQ(copy->bounds(), original.bounds());
    EXPECT_EQ(copy->primitiveCount(), 2);
    EXPECT_EQ(copy->primitives()[1].bounds(), original.primitives()[1].bounds());
    EXPECT_EQ(copy->recordBytes(), 32u);
}

// The record bytes a save sizes itself by must follow every way primitives come in.
TEST_F(ReadPrimitives, RecordBytesFollowAddedAndReadPrimitives) {
    file.primitive(401, makeString(7, 0, 0, 60, 6, 0, "AB"))
        .primitive(403, makeFill(1, 0, 0, 1, 1));
    auto c = std::make_unique<Component>(makeEntry("X", 2, 401));
    c->addPrimitive(makeVia(kMultiLayer, 0, 0, 10, 4));
    c->readPrimitives(ByteReader(file.bytes()));
    std::size_t sum = 0;
    for (const auto& p : c->primitives()) sum += p.recordLength();
    EXPECT_EQ(c->recordBytes(), sum);
    EXPECT_EQ(c->recordBytes(), 16u + 32u + 16u);
}

}  // namespace
