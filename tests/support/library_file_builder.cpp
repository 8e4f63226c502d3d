#include "library_file_builder.h"

#include "library.h"
#include "library_format.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

LibraryFileBuilder::LibraryFileBuilder() : bytes_(kRecordAreaOffset, 0) {
    const auto header = libraryHeader();
    std::copy(header.begin(), header.end(), bytes_.begin());
    for (std::size_t i = 0; i < kSlotCount; ++i) slot(i, DirectoryEntry::emptySlot());
}

LibraryFileBuilder& LibraryFileBuilder::slot(std::size_t slot, const DirectoryEntry& entry) {
    std::copy(entry.bytes.begin(), entry.bytes.end(),
              bytes_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + kSlotSize * slot));
    return *this;
}

LibraryFileBuilder& LibraryFileBuilder::record(std::size_t index,
                                               std::span<const std::uint8_t> bytes) {
    const std::size_t offset = kRecordSize * index;
    if (bytes_.size() < offset + bytes.size()) bytes_.resize(offset + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return *this;
}

LibraryFileBuilder& LibraryFileBuilder::primitive(std::size_t index, const Primitive& primitive) {
    const std::size_t length = primitive.recordLength() ? primitive.recordLength() : kRecordSize;
    return record(index, std::span<const std::uint8_t>(primitive.bytes().data(), length));
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

TemporaryDirectory::TemporaryDirectory() {
    std::random_device random;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() /
                ("cobblestack-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path samplesDir() { return SAMPLES_DIR; }
std::filesystem::path sharedLibrariesDir() {
    // The team's shared library files lie beside the checkout; a run elsewhere names them.
    if (const char* dir = std::getenv("COBBLESTACK_SHARED_LIBRARIES")) return dir;
    return SHARED_LIBRARIES_DIR;
}

std::vector<std::filesystem::path> libraryFilesAtHand() {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& dir : {samplesDir(), sharedLibrariesDir()}) {
        std::error_code absent;
        for (const auto& entry : std::filesystem::directory_iterator(dir, absent)) {
            std::string extension = entry.path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            if (extension == ".LIB") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void writeLibrary(const std::filesystem::path& path, const std::vector<std::string>& names) {
    Library library;
    for (const std::string& name : names) {
        Component component(makeEntry(name));
        component.addPrimitive(makeTrack(1, 0, 0, 400, 200, 10));
        component.addPrimitive(makePad(kMultiLayer, 0, 0, 60, 60, 1));
        library.addCopy(component);
    }
    const SaveResult result = library.save(path.string());
    ASSERT_TRUE(result.saved) << result.reason;
}

std::vector<std::string> namesInLibrary(const std::filesystem::path& path) {
    Library library;
    PlainNameList names;
    library.load(path.string(), names);
    std::sort(names.names.begin(), names.names.end());
    return names.names;
}
