// Reads arbitrary bytes as a library text, and as a library file when they carry the signature.
// The reader must fail cleanly on anything, with a placed reason. A text it accepts must give a
// library whose own text reads back to the same components and gives the same text again; a
// library file must give a text that reads back to the components the loader made.

#include "library.h"
#include "library_diff.h"
#include "library_format.h"
#include "library_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "library text broken: %s\n", what);
        std::abort();
    }
}

std::vector<const Component*> componentsOf(const LibraryTextRead& read) {
    std::vector<const Component*> all;
    for (const auto& c : read.components) all.push_back(c.component.get());
    return all;
}

/// The text of the components of `read`, as a library holding them gives it.
std::string textOf(const LibraryTextRead& read) {
    Library library;
    for (const auto& c : read.components) library.addCopy(*c.component);
    return libraryText(library);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const LibraryTextRead read = readLibraryText(input);
    if (read) {
        const std::string text = textOf(read);
        const LibraryTextRead again = readLibraryText(text);
        require(static_cast<bool>(again), "the text of an accepted text reads");
        require(textOf(again) == text, "a text read back gives the same text");
        const auto before = componentsOf(read);
        const auto after = componentsOf(again);
        require(diffLibraries(sideInListOrder(before), sideInListOrder(after), false).equal(),
                "a text read back holds the same components");
    } else {
        require(read.error.starts_with("line "), "a refusal says where");
    }

    const std::span<const std::uint8_t> image(data, size);
    if (hasLibrarySignature(image)) {
        Library loaded;
        loaded.loadImage(image);
        const LibraryTextRead text =
            readLibraryText(libraryText(loaded, loaderRepairs(loaded, image)));
        require(static_cast<bool>(text), "the text of a library reads");
        const auto components = componentsOf(text);
        require(diffLibraries(sideInFileOrder(loaded), sideInListOrder(components), false).equal(),
                "the text of a library holds its components");
    }
    return 0;
}
