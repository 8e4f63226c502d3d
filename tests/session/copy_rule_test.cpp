#include "copy_rule.h"

#include "component.h"
#include "library.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct CopyCase {
    const char* what;
    std::size_t destinationCount;
    const char* candidate;
    CopyVerdict expected;
};

class CopyRuleTest : public testing::TestWithParam<CopyCase> {};

}  // namespace

TEST_P(CopyRuleTest, DecidesByTheLimitFirstAndThenByTheExactName) {
    const CopyCase& c = GetParam();
    Library destination;
    PlainNameList names;
    destination.addCopy(Component(makeEntry("DIP14")), names);
    destination.addCopy(Component(makeEntry("SIP8")), names);
    for (std::size_t i = destination.size(); i < c.destinationCount; ++i) {
        destination.addCopy(Component(makeEntry("C" + std::to_string(i))), names);
    }

    EXPECT_EQ(checkCopy(destination, Component(makeEntry(c.candidate))), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyRuleTest,
    testing::Values(CopyCase{"a new name", 2, "TO220", CopyVerdict::allowed},
                    CopyCase{"a taken name", 2, "DIP14", CopyVerdict::duplicate},
                    CopyCase{"a name differing in case", 2, "dip14", CopyVerdict::allowed},
                    CopyCase{"a longer name sharing the start", 2, "DIP14A", CopyVerdict::allowed},
                    CopyCase{"the 200th copy", 199, "TO220", CopyVerdict::allowed},
                    CopyCase{"the 201st copy", 200, "TO220", CopyVerdict::full},
                    CopyCase{"the limit wins over a taken name", 200, "DIP14", CopyVerdict::full},
                    CopyCase{"a count beyond the limit", 250, "TO220", CopyVerdict::full}));

// A component goes to the head and a save writes the head first, so what a large newcomer
// pushes out of the 16-bit record index is the tail's start, not its own.
TEST(CopyRule, RefusesACopyThatPushesTheTailBeyondTheRecordIndex) {
    const auto component = [](const char* name, int tracks) {
        auto made = std::make_unique<Component>(makeEntry(name));
        for (int i = 0; i < tracks; ++i) made->addPrimitive(makeTrack(1, 0, 0, i, i, 5));
        return made;
    };
    Library destination;
    PlainNameList names;
    destination.addCopy(*component("SMALL", 1), names);
    // 20,000 records fit in front of the small one; 12,000 more push it beyond 32,767, although
    // the newcomer's own records would start at index 401.
    destination.addCopy(*component("BIG1", 20000), names);
    EXPECT_EQ(checkCopy(destination, *component("FITS", 12000)), CopyVerdict::allowed);
    EXPECT_EQ(checkCopy(destination, *component("BIG2", 13000)), CopyVerdict::recordsOutOfReach);
    // The name is decided first, whatever the size.
    EXPECT_EQ(checkCopy(destination, *component("BIG1", 13000)), CopyVerdict::duplicate);
}
