#pragma once

#include "directory_entry.h"
#include "primitive.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

/// Assembles the bytes of a library file by hand, including damaged ones: a header, 200 empty
/// slots, and whatever entries and records a test places.
class LibraryFileBuilder {
public:
    LibraryFileBuilder();

    LibraryFileBuilder& slot(std::size_t slot, const DirectoryEntry& entry);
    /// Places raw bytes at record index `index` (offset 16 x index), growing the file as needed.
    LibraryFileBuilder& record(std::size_t index, std::span<const std::uint8_t> bytes);
    /// Places a primitive's record bytes (16 or 32 by its type) at record index `index`.
    LibraryFileBuilder& primitive(std::size_t index, const Primitive& primitive);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

/// A fresh directory under the system's temporary folder, removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

/// Writes a valid library file holding one small component under each name.
void writeLibrary(const std::filesystem::path& path, const std::vector<std::string>& names);

/// The component names a library file holds, sorted bytewise; empty when it does not load.
std::vector<std::string> namesInLibrary(const std::filesystem::path& path);

/// Where the sample libraries and the shared library files live. The
/// shared files are looked for beside the checkout, or where COBBLESTACK_SHARED_LIBRARIES says.
std::filesystem::path samplesDir();
std::filesystem::path sharedLibrariesDir();

/// The library files (by the .LIB extension, any case) of the samples and, where present, of the
/// shared library files, sorted; the libraries every reader and writer is tried on.
std::vector<std::filesystem::path> libraryFilesAtHand();
