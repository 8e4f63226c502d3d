#include "library_text.h"

#include "library.h"
#include "library_diff.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "record_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::unique_ptr<Library> loaded(std::span<const std::uint8_t> image) {
    auto library = std::make_unique<Library>();
    PlainNameList names;
    library->loadImage(image, names);
    return library;
}

std::string textOf(std::span<const std::uint8_t> image) {
    const auto library = loaded(image);
    return libraryText(*library, loaderRepairs(*library, image));
}

std::vector<std::uint8_t> savedImage(std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> saved;
    EXPECT_TRUE(loaded(image)->buildImage(saved));
    return saved;
}

/// A component as bytes, independent of the text form: its entry without the count and index a
/// save rewrites, then its primitives' record bytes, sorted.
std::string fingerprint(const Component& c) {
    DirectoryEntry entry = c.entry();
    entry.setPrimitiveCount(0);
    entry.setFirstRecordIndex(0);
    std::vector<std::string> records;
    for (const Primitive& p : c.primitives()) {
        records.emplace_back(p.bytes().begin(), p.bytes().begin() + p.recordLength());
    }
    std::sort(records.begin(), records.end());
    std::string all(entry.bytes.begin(), entry.bytes.end());
    for (const std::string& r : records) all += r;
    return all;
}

std::vector<std::string> fingerprints(const std::vector<const Component*>& components) {
    std::vector<std::string> all;
    for (const Component* c : components) all.push_back(fingerprint(*c));
    std::sort(all.begin(), all.end());
    return all;
}

std::vector<const Component*> componentsOf(const Library& library) {
    std::vector<const Component*> all;
    for (const auto& c : library.components()) all.push_back(c.get());
    return all;
}

std::vector<const Component*> componentsOf(const LibraryTextRead& read) {
    std::vector<const Component*> all;
    for (const auto& c : read.components) all.push_back(c.component.get());
    return all;
}

Primitive withBytes(const Primitive& p,
                    std::initializer_list<std::pair<std::size_t, std::uint8_t>> set) {
    auto bytes = p.bytes();
    for (const auto& [offset, value] : set) bytes[offset] = value;
    return Primitive(
        std::span<const std::uint8_t, kRecordSize>(bytes.data(), kRecordSize),
        std::span<const std::uint8_t, kRecordSize>(bytes.data() + kRecordSize, kRecordSize));
}

/// A library of what ordinary files seldom hold: names equal but for case and names held twice,
/// a name of 8-bit codes, one with a zero inside, one whose length byte says 20, a component
/// without primitives, every byte no field reads set, and Vias and MultiLayer Pads between the
/// other primitives in the file.
std::vector<std::uint8_t> awkwardLibrary() {
    LibraryFileBuilder file;
    DirectoryEntry carried = makeEntry("CARRY", 6, 401);
    for (std::size_t i : {0u, 1u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 16u, 17u, 22u, 31u}) {
        carried.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    file.slot(0, carried)
        .primitive(401, withBytes(makeArc(7, 1, 2, 30, 0xF3, 10), {{10, 1}, {15, 2}}))
        .primitive(402, withBytes(makeFill(1, 1, 2, 3, 4), {{10, 3}}))
        .primitive(403, withBytes(makePad(kMultiLayer, 0, 0, 60, 60, 9),
                                  {{10, 4}, {11, 5}, {13, 6}, {16, 7}, {31, 8}}))
        .primitive(405, withBytes(makeTrack(6, 0, 0, 5, 5, 3), {{11, 9}}))
        .primitive(
            406,
            withBytes(makeString(200, 0, 0, 60, 8, 7, "AB\"\\\x01\xFF"),
                      {{10, 10}, {16, 11}, {17, 12}, {string_offset::kTextLength, 40}, {31, 13}}))
        .primitive(408, withBytes(makeVia(3, 0, 0, 40, 20), {{8, 14}, {15, 15}}));
    // Tail primitives between the others: a save moves them last, in their order.
    file.slot(1, makeEntry("so8", 5, 409))
        .primitive(409, makeTrack(7, 0, 0, 100, 0, 10))
        .primitive(410, makePad(kMultiLayer, 0, 0, 60, 60, 2))
        .primitive(412, makeVia(kMultiLayer, 50, 0, 40, 20))
        .primitive(413, makeTrack(7, 100, 0, 100, 100, 10))
        .primitive(414, makePad(1, 0, 0, 60, 60, 1));
    file.slot(2, makeEntry("SO8", 1, 416)).primitive(416, makeTrack(7, 0, 0, 1, 1, 1));
    file.slot(3, makeEntry("SO8", 1, 417)).primitive(417, makeTrack(7, 0, 0, 2, 2, 1));
    file.slot(4, makeEntry("\xB5"
                           "F",
                           1, 418))
        .primitive(418, makeFill(1, 0, 0, 10, 10));
    DirectoryEntry zero = makeEntry("A?B", 0, 0);
    zero.bytes[entry_offset::kName + 1] = 0;
    file.slot(5, zero);
    DirectoryEntry tooLong = makeEntry("LONGNAMEOF13B", 1, 419);
    tooLong.bytes[entry_offset::kNameLength] = 20;
    file.slot(6, tooLong).primitive(419, makeVia(kMultiLayer, 0, 0, 10, 5));
    return file.bytes();
}

TEST(LibraryText, IsStableAcrossSavesAndReadsBackToTheSameBytes) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> images;
    images.emplace_back("awkward", awkwardLibrary());
    for (const auto& path : libraryFilesAtHand()) {
        images.emplace_back(path.filename().string(), readFileBytes(path));
    }
    for (const auto& [name, image] : images) {
        SCOPED_TRACE(name);
        const std::string text = textOf(image);
        const auto once = savedImage(image);
        EXPECT_EQ(textOf(once), text);
        EXPECT_EQ(textOf(savedImage(once)), text);

        const LibraryTextRead read = readLibraryText(text);
        ASSERT_TRUE(read) << read.error;
        const auto original = loaded(image);
        EXPECT_EQ(fingerprints(componentsOf(read)), fingerprints(componentsOf(*original)));
        Library rebuilt;
        PlainNameList names;
        for (const auto& c : read.components) rebuilt.addCopy(*c.component, names);
        EXPECT_EQ(libraryText(rebuilt), text);
        const auto components = componentsOf(read);
        EXPECT_TRUE(
            diffLibraries(sideInFileOrder(*original), sideInListOrder(components), false).equal());
    }
}

TEST(LibraryText, ShowsEachCarriedByteAndCodeWithoutAWordAsSuch) {
    const std::string text = textOf(awkwardLibrary());
    for (
        const char* expected : {
            "(component \"CARRY\" (carried 0 \"a0a1\") (carried 8 \"00a9aaabacadaeaf\") (carried "
            "16 "
            "\"b0b1\") (carried 22 \"b60000000000000000bf\")\n",
            R"((pad (layer multilayer) (x 0) (y 0) (xSize 60) (ySize 60) (shape 9) (carried 10 "0405") (carried 13 "060000") (carried 16 "07000000000000000000000000000008")))",
            R"((string (layer 200) (x 0) (y 0) (height 60) (lineWidth 8) (orientation 7) (text "AB\"\\\x01\xff\x00\x00\x00\x00\x00\x00\x0d") (textLength 40) (carried 10 "0a0000000000") (carried 16 "0b0c")))",
            R"((arc (layer top_overlay) (x 1) (y 2) (radius 30) (quadrantFlags 243) (lineWidth 10) (carried 10 "010000000002")))",
            "(component \"LONGNAMEOF13B\" (nameLength 20)\n",
            "(component \"A\\x00B\"\n",
            "(component \"\\xb5F\"\n",
        }) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
    }
}

TEST(LibraryText, NotesTheLoadersRepairsInTheComponentTheyConcern) {
    // A record of no kept type, then a Pad whose second record the end of the file cuts, and the
    // count claims one primitive more than there is.
    LibraryFileBuilder file;
    file.slot(0, makeEntry("OK", 1, 401)).primitive(401, makeTrack(7, 0, 0, 10, 10, 1));
    file.slot(1, makeEntry("BAD", 4, 402))
        .primitive(402, makeTrack(7, 0, 0, 5, 5, 1))
        .record(403, std::vector<std::uint8_t>(16, 4));
    const Primitive pad = makePad(1, 0, 0, 60, 60, 1);
    file.record(404, std::span(pad.bytes()).first(24));
    const std::string text = textOf(file.bytes());

    std::istringstream lines(text);
    std::string line;
    std::string component;
    std::vector<std::string> notes;
    while (std::getline(lines, line)) {
        if (line.starts_with("  (component ")) component = line.substr(13);
        if (line.find('#') != std::string::npos) notes.push_back(component + "|" + line);
    }
    ASSERT_EQ(notes.size(), 3u) << text;
    EXPECT_EQ(notes[0].substr(0, 34), "\"BAD\"|    # unknown-record-type at");
    EXPECT_NE(notes[0].find("(bytes 04040404040404040404040404040404)"), std::string::npos);
    EXPECT_NE(notes[1].find("# second-record-cut"), std::string::npos);
    EXPECT_NE(notes[2].find("# count-beyond-records"), std::string::npos);

    // The notes are comments: the text reads, and is the saved file's text but for them.
    ASSERT_TRUE(readLibraryText(text));
    std::string withoutNotes;
    std::istringstream again(text);
    while (std::getline(again, line)) {
        if (line.find('#') == std::string::npos) withoutNotes += line + '\n';
    }
    EXPECT_EQ(textOf(savedImage(file.bytes())), withoutNotes);
}

TEST(LibraryText, TakesDefaultsAndWritesRecordsInTheTextsOrderWithTailPrimitivesLast) {
    const LibraryTextRead read = readLibraryText(R"text(# written by hand
(cobblestack_library (version 1)
  (component "HAND"
    (via (layer 13) (x 5) (y 5) (diameter 40) (holeDiameter 20))
    (arc (layer 7) (x 0) (y 0) (radius 50) (lineWidth 10))
    (string (layer top_overlay) (x 0) (y 0) (height 60) (lineWidth 8) (text "U1"))
    (pad (layer top) (x 0) (y 0) (xSize 60) (ySize 60) (shape 1)))
)
)text");
    ASSERT_TRUE(read) << read.error;
    ASSERT_EQ(read.components.size(), 1u);
    const Component& c = *read.components[0].component;
    ASSERT_EQ(c.primitives().size(), 4u);
    EXPECT_EQ(c.primitives()[0].arc().quadrantFlags, 15);
    EXPECT_EQ(c.primitives()[1].string().orientation, 0);
    EXPECT_EQ(c.primitives()[1].string().textLength, 2);
    EXPECT_EQ(c.primitives()[2].kind(), PrimitiveType::Pad);
    EXPECT_EQ(c.primitives()[3].kind(), PrimitiveType::Via);
    EXPECT_EQ(c.entry().nameLength(), 4);
}

struct BadText {
    const char* component;  // the inside of one component, or a whole text when it starts "("
    const char* message;
};

class LibraryTextFault : public testing::TestWithParam<BadText> {};

TEST_P(LibraryTextFault, IsRefusedWithItsPlace) {
    const std::string inside = GetParam().component;
    const std::string text =
        inside.starts_with("(")
            ? inside
            : "(cobblestack_library (version 1)\n  (component " + inside + "))\n";
    const LibraryTextRead read = readLibraryText(text);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LibraryTextFault,
    testing::Values(
        BadText{"(kicad_footprint x)",
                "line 1, column 1: this is not a library text: it starts with the word "
                "kicad_footprint, not cobblestack_library"},
        BadText{"(cobblestack_library (version 2))",
                "line 1, column 31: version 2 of the library text is not known; this program reads "
                "version 1"},
        BadText{"(cobblestack_library (component \"A\"))",
                "line 1, column 1: (cobblestack_library) needs (version 1) first"},
        BadText{"A", "line 2, column 14: (component) needs its name as a quoted text first"},
        BadText{"\"ABCDEFGHIJKLMN\"",
                "line 2, column 14: a name holds at most 13 bytes; this one "
                "has 14"},
        BadText{"\"A\" (nameLength 5)",
                "line 2, column 30: (nameLength) is 5 for a text of 1 bytes; it may differ only "
                "above 13, for a text of 13 bytes"},
        BadText{"\"A\" (hole 5)",
                "line 2, column 18: (component) holds (hole where a primitive (arc, fill, pad, "
                "track, string, via) belongs"},
        BadText{"\"A\" (via (layer 1) (x 0) (y 0) (diameter 4))",
                "line 2, column 18: (via) has no (holeDiameter)"},
        BadText{"\"A\" (via (layer 1) (x 0) (x 0) (y 0) (diameter 4) (holeDiameter 2))",
                "line 2, column 39: (via) has two (x)"},
        BadText{"\"A\" (via (layer 1) (radius 4))",
                "line 2, column 33: (via) has no field (radius)"},
        BadText{"\"A\" (via (layer 1) (x 40000))",
                "line 2, column 36: (x) is 40000, outside -32768 to 32767"},
        BadText{"\"A\" (via (layer 1) (x 1.5))",
                "line 2, column 36: (x) needs a whole number, not the number 1.5"},
        BadText{"\"A\" (via (layer 1) (diameter 256))",
                "line 2, column 43: (diameter) is 256, outside 0 to 255"},
        BadText{"\"A\" (via (layer silk))",
                "line 2, column 30: (layer) needs one of top, mid1, mid2, mid3, mid4, bottom, "
                "top_overlay, bottom_overlay, ground_plane, power_plane, board, keep_out, "
                "multilayer or a number 0 to 255, not the word silk"},
        BadText{"\"A\" (via (layer 1 2))", "line 2, column 32: (layer) takes one value, not more"},
        BadText{
            "\"A\" (via (layer 1) (x 0) (y 0) (diameter 4) (holeDiameter 2) (carried 7 \"00\"))",
            "line 2, column 75: byte 7 of a via belongs to a field; only bytes no field reads "
            "are carried"},
        BadText{
            "\"A\" (via (layer 1) (x 0) (y 0) (diameter 4) (holeDiameter 2) (carried 15 \"0000\"))",
            "line 2, column 75: (carried 15) runs past byte 15 of a via"},
        BadText{"\"A\" (carried 0 \"0000\") (carried 1 \"00\")",
                "line 2, column 37: byte 1 is given twice"},
        BadText{"\"A\" (carried 18 \"00\")",
                "line 2, column 18: byte 18 of a directory entry belongs to a field; only bytes "
                "no field reads are carried"},
        BadText{"\"A\" (carried 0 \"0g\")",
                "line 2, column 29: (carried) holds a character that is no hexadecimal digit"},
        BadText{"\"A\" (string (layer 1) (x 0) (y 0) (height 6) (lineWidth 1) (text \"\xC3\xA9\"))",
                "line 2, column 80: a character other than printable ASCII in a text; write code "
                "195 as \\xc3"},
        BadText{"\"A\" (string (layer 1) (x 0) (y 0) (height 6) (lineWidth 1) (text U1))",
                "line 2, column 79: (text) needs a quoted text, not the word U1"}));

}  // namespace
