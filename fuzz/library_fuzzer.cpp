// Loads arbitrary bytes as a library, saves it, and loads the result again. Every input must
// load without a fault, and what was loaded must survive save and load: the second load gives
// the same components (in reverse order, as a save of a loaded library writes them), and a
// second round trip gives back exactly the first saved image.

#include "library.h"
#include "record_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "round trip broken: %s\n", what);
        std::abort();
    }
}

std::vector<std::array<std::uint8_t, kPrimitiveSize>> sortedPrimitiveBytes(const Component& c) {
    std::vector<std::array<std::uint8_t, kPrimitiveSize>> all;
    for (const auto& primitive : c.primitives()) all.push_back(primitive.bytes());
    std::sort(all.begin(), all.end());
    return all;
}

bool sameExceptCountAndIndex(const DirectoryEntry& a, const DirectoryEntry& b) {
    // The count and the index are the two 16-bit fields a save rewrites; they sit side by side.
    constexpr auto kRewrittenFirst = static_cast<std::ptrdiff_t>(entry_offset::kPrimitiveCount);
    constexpr auto kRewrittenEnd = static_cast<std::ptrdiff_t>(entry_offset::kFirstRecordIndex + 2);
    return std::equal(a.bytes.begin(), a.bytes.begin() + kRewrittenFirst, b.bytes.begin()) &&
           std::equal(a.bytes.begin() + kRewrittenEnd, a.bytes.end(),
                      b.bytes.begin() + kRewrittenEnd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Library first;
    PlainNameList firstNames;
    first.loadImage({data, size}, firstNames);
    require(firstNames.names.size() == first.size(), "one name per component");

    std::vector<std::uint8_t> firstImage;
    if (!first.buildImage(firstImage)) return 0;  // refused as too large for the format
    require(firstImage.size() == kRecordAreaOffset + first.totalRecordBytes(), "image size");

    Library second;
    PlainNameList secondNames;
    second.loadImage(firstImage, secondNames);
    require(second.size() == first.size(), "component count");
    for (std::size_t i = 0; i < first.size(); ++i) {
        const Component& a = *first.components()[i];
        const Component& b = *second.components()[first.size() - 1 - i];
        require(sameExceptCountAndIndex(a.entry(), b.entry()), "entry bytes");
        require(a.primitiveCount() == b.primitiveCount(), "primitive count");
        require(a.primitives().empty() || a.bounds() == b.bounds(), "bounds");
        require(sortedPrimitiveBytes(a) == sortedPrimitiveBytes(b), "primitive bytes");
    }

    std::vector<std::uint8_t> secondImage;
    // The reversed order can push a later component's start past the 16-bit index.
    if (!second.buildImage(secondImage)) return 0;
    Library third;
    PlainNameList thirdNames;
    third.loadImage(secondImage, thirdNames);
    std::vector<std::uint8_t> thirdImage;
    require(static_cast<bool>(third.buildImage(thirdImage)), "third save");
    require(thirdImage == firstImage, "two round trips restore the first image");
    return 0;
}
