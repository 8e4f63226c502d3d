#include "library.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

const char* const kSamples[] = {"CONNECT.LIB", "DISCRETE.LIB", "IC.LIB", "PASSIVE.LIB"};

// The committed samples must be exactly what the generator writes, so they never drift from it.
TEST(Samples, GeneratorWritesTheCommittedFiles) {
    TemporaryDirectory dir;
    const std::string command = std::string(MAKE_SAMPLES_PATH) + " " + dir.path().string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : kSamples) {
        EXPECT_EQ(readFileBytes(dir / name), readFileBytes(samplesDir() / name)) << name;
    }
}

TEST(Samples, TogetherUseEveryKindShapeAndOrientation) {
    std::set<int> kinds, padShapes, orientations;
    for (const char* name : kSamples) {
        Library library;
        PlainNameList names;
        library.load((samplesDir() / name).string(), names);
        EXPECT_GE(library.size(), 8u) << name;
        for (const auto& component : library.components()) {
            EXPECT_GT(component->primitiveCount(), 0) << component->displayName();
            for (const auto& p : component->primitives()) {
                kinds.insert(p.type());
                if (p.kind() == PrimitiveType::Pad) padShapes.insert(p.pad().shape);
                if (p.kind() == PrimitiveType::String) orientations.insert(p.string().orientation);
            }
        }
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 5, 6, 8}));
    EXPECT_EQ(padShapes, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(orientations, (std::set<int>{0, 1, 2, 3, 16, 17, 18, 19}));
}

}  // namespace
