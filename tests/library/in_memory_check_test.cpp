#include "in_memory_check.h"

#include "library.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(InMemoryCheck, LibraryOfMoreThan200IsReported) {
    Library library;
    PlainNameList names;
    Component source(makeEntry("R1", 0, 0));
    for (int i = 0; i < 201; ++i) library.addCopy(source, names);
    const auto findings = checkLibrary(library);
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings.front().kind, FindingKind::TooManyComponents);
    EXPECT_TRUE(findings.front().losesData);
    EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                            [](const Finding& f) { return f.kind == FindingKind::DuplicateName; }),
              200);
}

}  // namespace
