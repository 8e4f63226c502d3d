#include "library_set.h"

#include "component.h"
#include "library.h"
#include "library_file_builder.h"
#include "library_lock.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Outcome = LibrarySet::Placement::Outcome;

std::unique_ptr<Component> componentNamed(const std::string& name) {
    auto component = std::make_unique<Component>(makeEntry(name));
    component->addPrimitive(makeTrack(7, 0, 0, 10, 10, 5));
    return component;
}

std::vector<std::string> fullLibrary(const std::string& held) {
    std::vector<std::string> names{held};
    for (int i = 1; i < 200; ++i) names.push_back("C" + std::to_string(i));
    return names;
}

TEST(LibrarySet, SplitPathsKeepTheExtension) {
    EXPECT_EQ(splitLibraryPath("dir/SOIC.LIB", 2), "dir/SOIC_2.LIB");
    EXPECT_EQ(splitLibraryPath("SOIC", 3), "SOIC_3");
}

struct HeldNameCase {
    const char* name;
    std::vector<std::string> first;   // LIB's names
    std::vector<std::string> second;  // LIB_2's names; none for no file
    std::string added;
    const char* holder;  // the file named in the refusal
};

void PrintTo(const HeldNameCase& c, std::ostream* os) { *os << c.name; }

class HeldName : public testing::TestWithParam<HeldNameCase> {};

// A name the set holds is refused whichever library the component would go to: a full first
// library is no reason to put a second copy in the next.
TEST_P(HeldName, IsRefusedAcrossTheWholeSet) {
    const HeldNameCase& c = GetParam();
    TemporaryDirectory tmp;
    const std::string lib = (tmp / "PARTS.LIB").string();
    writeLibrary(lib, c.first);
    if (!c.second.empty()) writeLibrary(tmp / "PARTS_2.LIB", c.second);
    LibrarySet::Opening opening = LibrarySet::open(lib, true);
    ASSERT_TRUE(opening.set) << opening.failure;

    const LibrarySet::Placement placement = opening.set->place(*componentNamed(c.added));
    EXPECT_EQ(placement.outcome, Outcome::duplicate);
    EXPECT_EQ(placement.path, (tmp / c.holder).string());
    for (const auto& member : opening.set->members()) EXPECT_EQ(member.added, 0u) << member.path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeldName,
    testing::Values(
        HeldNameCase{"held by a full first library", fullLibrary("HELD"), {}, "HELD", "PARTS.LIB"},
        HeldNameCase{"held in other letter case", fullLibrary("HELD"), {}, "held", "PARTS.LIB"},
        HeldNameCase{"held by a later library", {"A"}, {"LATE"}, "LATE", "PARTS_2.LIB"}));

// A library of the set that may not be written when the set is written stops all of them: the
// first library keeps its old bytes although it was fine.
TEST(LibrarySet, WritesEveryLibraryOrNone) {
    TemporaryDirectory tmp;
    const fs::path lib = tmp / "PARTS.LIB";
    writeLibrary(lib, fullLibrary("C0"));
    LibrarySet::Opening opening = LibrarySet::open(lib.string(), true);
    ASSERT_TRUE(opening.set) << opening.failure;
    LibrarySet& set = *opening.set;
    const auto before = readFileBytes(lib);

    // The first library is full, so the newcomer starts PARTS_2.LIB; someone's file appears there
    // before the set is written.
    ASSERT_EQ(set.place(*componentNamed("NEW")).path, (tmp / "PARTS_2.LIB").string());
    writeFileBytes(tmp / "PARTS_2.LIB", std::vector<std::uint8_t>{'n', 'o', 't', 'e', 's'});

    std::string failedPath;
    EXPECT_FALSE(set.write(failedPath));
    EXPECT_EQ(failedPath, (tmp / "PARTS_2.LIB").string());
    EXPECT_EQ(readFileBytes(lib), before);
    EXPECT_EQ(readFileBytes(tmp / "PARTS_2.LIB"),
              (std::vector<std::uint8_t>{'n', 'o', 't', 'e', 's'}));
    for (const auto& member : set.members()) EXPECT_FALSE(member.written) << member.path;
}

// Each library of the set was locked as it was opened, and one another writer held was left out
// of the set, so its names went unchecked: a duplicate of LATE was accepted. The whole set is
// locked at once, and a library that stays busy stops the opening.
TEST(LibrarySet, IsLockedWholeBeforeAnyLibraryIsRead) {
    TemporaryDirectory tmp;
    const std::string lib = (tmp / "PARTS.LIB").string();
    const std::string second = (tmp / "PARTS_2.LIB").string();
    writeLibrary(lib, fullLibrary("C0"));
    writeLibrary(second, {"LATE"});
    {
        const LockResult held = LibraryLock::acquire({second}, {});
        ASSERT_TRUE(held);
        const LibrarySet::Opening busy = LibrarySet::open(lib, true, std::chrono::milliseconds{50});
        EXPECT_FALSE(busy.set);
        EXPECT_TRUE(busy.busy);
        EXPECT_EQ(busy.path, second);
        EXPECT_EQ(busy.failure, "another program is writing it (waited 0.05 s)");
    }
    LibrarySet::Opening opening = LibrarySet::open(lib, true, std::chrono::milliseconds{50});
    ASSERT_TRUE(opening.set) << opening.failure;
    ASSERT_EQ(opening.set->members().size(), 2u);
    // Held by the set, so another writer of either library waits for it.
    EXPECT_EQ(LibraryLock::acquire({lib}, {}).status, LockResult::Status::busy);
    EXPECT_EQ(LibraryLock::acquire({second}, {}).status, LockResult::Status::busy);
    EXPECT_EQ(opening.set->place(*componentNamed("LATE")).outcome, Outcome::duplicate);
}

}  // namespace
