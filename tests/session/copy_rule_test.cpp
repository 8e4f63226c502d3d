#include "copy_rule.h"

#include "component.h"
#include "library.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

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

    EXPECT_EQ(checkCopy(c.destinationCount, destination, Component(makeEntry(c.candidate))),
              c.expected)
        << c.what;
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
