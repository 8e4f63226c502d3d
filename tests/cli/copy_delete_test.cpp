#include "cobble_process.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

/// A library of `count` components C0, C1, ... each with one Track.
std::vector<std::uint8_t> numbered(std::size_t count) {
    LibraryFileBuilder file;
    for (std::size_t i = 0; i < count; ++i) {
        file.slot(i, makeEntry("C" + std::to_string(i), 1, static_cast<int>(401 + i)))
            .primitive(401 + i, makeTrack(1, 0, 0, static_cast<int>(i), 10, 2));
    }
    return file.bytes();
}

std::vector<std::string> namesIn(const std::string& path) {
    Library library;
    PlainNameList names;
    library.load(path, names);
    return names.names;
}

class CopyDelete : public testing::Test {
protected:
    void SetUp() override { fs::copy_file(samplesDir() / "IC.LIB", dir / "IC.LIB"); }
    std::string in(const std::string& name) const { return (dir / name).string(); }

    TemporaryDirectory dir;
};

TEST_F(CopyDelete, CopyCreatesTheDestinationWithTheComponentsBytes) {
    const CobbleRun run = runCobble({"copy", in("IC.LIB"), "DIP8", "SO8", "--to", in("NEW.LIB")});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, in("NEW.LIB") + ": copied 2 components, now 2\n");
    EXPECT_EQ(run.err, "");

    Library source, copied;
    PlainNameList ignored;
    source.load(in("IC.LIB"), ignored);
    copied.load(in("NEW.LIB"), ignored);
    ASSERT_EQ(copied.size(), 2u);
    // The last copy is at the head, so it was saved to slot 0; a load puts slot 0 last.
    EXPECT_EQ(copied.components()[1]->displayName(), "SO8");
    for (const char* name : {"DIP8", "SO8"}) {
        const Component* a = source.findByName(name);
        const Component* b = copied.findByName(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_EQ(a->primitives().size(), b->primitives().size()) << name;
        std::multiset<std::array<std::uint8_t, 32>> before, after;
        for (const Primitive& p : a->primitives()) before.insert(p.bytes());
        for (const Primitive& p : b->primitives()) after.insert(p.bytes());
        EXPECT_EQ(before, after) << name;
    }
}

TEST_F(CopyDelete, DryRunSaysWhatWouldHappenAndWritesNothing) {
    const CobbleRun run =
        runCobble({"copy", "--dry-run", in("IC.LIB"), "DIP8", "--to", in("NEW.LIB")});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, "would copy \"DIP8\"\n" + in("NEW.LIB") +
                           ": would be created to hold 1 component; nothing written\n");
    EXPECT_FALSE(fs::exists(dir / "NEW.LIB"));
}

// The window's rule: the limit of 200 comes before the name, and one refusal means the whole
// command writes nothing, not even the copies before it.
TEST_F(CopyDelete, The201stComponentIsRefusedAndNothingIsWritten) {
    writeFileBytes(dir / "FULL.LIB", numbered(199));
    writeFileBytes(dir / "SRC.LIB", numbered(3));
    const auto before = readFileBytes(dir / "FULL.LIB");
    // SRC's C0 .. C2 are named like FULL's, so use the sample's names.
    const CobbleRun refused =
        runCobble({"copy", in("IC.LIB"), "DIP8", "DIP14", "--to", in("FULL.LIB")});
    EXPECT_EQ(refused.status, 1) << describe(refused);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "cobble: " + in("FULL.LIB") +
                               ": cannot copy \"DIP14\": the library already holds 200 "
                               "components, as many as a library file can\n");
    EXPECT_EQ(readFileBytes(dir / "FULL.LIB"), before);

    const CobbleRun the200th = runCobble({"copy", in("IC.LIB"), "DIP8", "--to", in("FULL.LIB")});
    ASSERT_EQ(the200th.status, 0) << describe(the200th);
    EXPECT_EQ(namesIn(in("FULL.LIB")).size(), 200u);
    const auto full = readFileBytes(dir / "FULL.LIB");
    // Full wins over a name already present.
    const CobbleRun both = runCobble({"copy", in("SRC.LIB"), "C1", "--to", in("FULL.LIB")});
    EXPECT_EQ(both.status, 1);
    EXPECT_NE(both.err.find("already holds 200 components"), std::string::npos) << both.err;
    EXPECT_EQ(readFileBytes(dir / "FULL.LIB"), full);
}

TEST_F(CopyDelete, ADuplicateNameIsRefusedButADifferentCaseIsNot) {
    LibraryFileBuilder dest;
    dest.slot(0, makeEntry("dip8", 0, 0)).slot(1, makeEntry("SO8", 0, 0));
    writeFileBytes(dir / "DEST.LIB", dest.bytes());
    const auto before = readFileBytes(dir / "DEST.LIB");

    const CobbleRun refused =
        runCobble({"copy", in("IC.LIB"), "DIP14", "SO8", "--to", in("DEST.LIB")});
    EXPECT_EQ(refused.status, 1) << describe(refused);
    EXPECT_EQ(refused.err, "cobble: " + in("DEST.LIB") +
                               ": cannot copy \"SO8\": the library already holds a component of "
                               "that name\n");
    EXPECT_EQ(readFileBytes(dir / "DEST.LIB"), before);

    const CobbleRun twice =
        runCobble({"copy", in("IC.LIB"), "DIP14", "DIP14", "--to", in("DEST.LIB")});
    EXPECT_EQ(twice.status, 1) << describe(twice);
    EXPECT_EQ(readFileBytes(dir / "DEST.LIB"), before);

    const CobbleRun cased = runCobble({"copy", in("IC.LIB"), "DIP8", "--to", in("DEST.LIB")});
    EXPECT_EQ(cased.status, 0) << describe(cased);
    // The copy goes to the head, so the save puts it in slot 0.
    EXPECT_EQ(namesIn(in("DEST.LIB")), (std::vector<std::string>{"DIP8", "SO8", "dip8"}));
}

TEST_F(CopyDelete, DeleteThenShowNoLongerListsTheComponent) {
    const CobbleRun removed = runCobble({"delete", in("IC.LIB"), "DIP8", "SO14"});
    ASSERT_EQ(removed.status, 0) << describe(removed);
    EXPECT_EQ(removed.out, in("IC.LIB") + ": deleted 2 components, now 10\n");

    const CobbleRun shown = runCobble({"show", "--json", in("IC.LIB")});
    ASSERT_EQ(shown.status, 0) << describe(shown);
    const json listed = json::parse(shown.out);
    std::vector<std::string> names;
    for (const json& c : listed["components"]) names.push_back(c["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"DIP14", "DIP16", "DIP20", "DIP28", "DIP40",
                                               "DIP8-BOT", "SO16", "SO8", "SO8-BOT", "SO8-EP"}));
    // The rest keep their primitives.
    const json original =
        json::parse(runCobble({"show", "--json", (samplesDir() / "IC.LIB").string(), "SO16"}).out);
    const json now = json::parse(runCobble({"show", "--json", in("IC.LIB"), "SO16"}).out);
    EXPECT_EQ(now["components"][0]["primitives"], original["components"][0]["primitives"]);
    EXPECT_EQ(now["components"][0]["bounds"], original["components"][0]["bounds"]);
}

// Of two components with one name, finding by name gives the later slot, so that one goes first.
TEST_F(CopyDelete, DeleteRemovesTheComponentFoundByNameOneAtATime) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("TWIN", 1, 401))
        .primitive(401, makeTrack(1, 0, 0, 10, 10, 2))
        .slot(1, makeEntry("TWIN", 2, 402))
        .primitive(402, makeTrack(1, 0, 0, 10, 10, 2))
        .primitive(403, makeFill(1, 0, 0, 5, 5));
    writeFileBytes(dir / "TWIN.LIB", file.bytes());
    ASSERT_EQ(runCobble({"delete", in("TWIN.LIB"), "TWIN"}).status, 0);
    const json left = json::parse(runCobble({"show", "--json", in("TWIN.LIB")}).out);
    ASSERT_EQ(left["components"].size(), 1u);
    EXPECT_EQ(left["components"][0]["primitives"]["total"], 1);

    const auto before = readFileBytes(dir / "TWIN.LIB");
    const CobbleRun again = runCobble({"delete", in("TWIN.LIB"), "TWIN", "TWIN"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "cobble: " + in("TWIN.LIB") +
                             ": \"TWIN\" is given more times than the library holds components "
                             "of that name\n");
    EXPECT_EQ(readFileBytes(dir / "TWIN.LIB"), before);
}

}  // namespace
