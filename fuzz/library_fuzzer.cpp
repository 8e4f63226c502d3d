// Loads arbitrary bytes as a library, saves it, and loads the result again. Every input must
// load without a fault, and what was loaded must survive save and load: the second load gives
// the same components (in reverse order, as a save of a loaded library writes them), and a
// second round trip gives back exactly the first saved image. The check of the same bytes must
// agree with that load and save, and must explain every difference a round trip makes.

#include "library.h"
#include "library_check.h"
#include "library_format.h"
#include "record_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

void checkAgreesWithTheLoader(std::span<const std::uint8_t> input, const Library& loaded,
                              const std::vector<std::uint8_t>* saved) {
    const LibraryCheckReport report = checkLibraryImage(input);
    require(report.isLibrary == hasLibrarySignature(input), "check: is a library");
    require(report.componentCount == loaded.size(), "check: component count");
    require(report.reproducesFile == (saved != nullptr && std::equal(saved->begin(), saved->end(),
                                                                     input.begin(), input.end())),
            "check: reproduces the file");
    const bool refused =
        std::any_of(report.findings.begin(), report.findings.end(),
                    [](const Finding& f) { return f.kind == FindingKind::SaveRefused; });
    require(refused == (report.isLibrary && saved == nullptr), "check: save refused");
    for (const Finding& note : report.notes) {
        require(note.kind == FindingKind::OrderReversed && !note.losesData, "check: note");
    }
    for (const Finding& finding : report.findings) {
        require(finding.kind != FindingKind::RoundTripDiffers, "check: unexplained difference");
        require(!finding.offset || *finding.offset <= input.size(), "check: offset in the file");
        require(!finding.message.empty(), "check: message");
    }
}

}  // namespace

// Inputs may grow to the largest file whose every byte can still matter, so that full libraries,
// such as a 200-component one of half a megabyte, are mutated too. A -max_len given on the command
// line wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return 0;
    }
    static std::string maxLen = "-max_len=" + std::to_string(kMaxUsefulFileSize);
    static std::vector<char*> arguments((*argv), (*argv) + *argc);
    arguments.push_back(maxLen.data());
    arguments.push_back(nullptr);
    *argc = static_cast<int>(arguments.size()) - 1;
    *argv = arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Library first;
    PlainNameList firstNames;
    first.loadImage({data, size}, firstNames);
    require(firstNames.names.size() == first.size(), "one name per component");

    std::vector<std::uint8_t> firstImage;
    const bool saved = static_cast<bool>(first.buildImage(firstImage));
    checkAgreesWithTheLoader({data, size}, first, saved ? &firstImage : nullptr);
    if (!saved) return 0;  // refused as too large for the format
    require(firstImage.size() == kRecordAreaOffset + first.totalRecordBytes(), "image size");

    Library second;
    second.loadImage(firstImage);
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
    third.loadImage(secondImage);
    std::vector<std::uint8_t> thirdImage;
    require(static_cast<bool>(third.buildImage(thirdImage)), "third save");
    require(thirdImage == firstImage, "two round trips restore the first image");
    return 0;
}
