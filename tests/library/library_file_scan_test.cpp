#include "library_file_scan.h"

#include "library_file_builder.h"
#include "library_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> header() {
    const auto bytes = libraryHeader();
    return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(LibraryFileScan, ListsPlainFilesCarryingTheSignatureAndNothingElse) {
    TemporaryDirectory folder;
    writeFileBytes(folder / "LIB.LIB", header());
    writeFileBytes(folder / ".hidden", header());
    // What a save keeps beside its target carries the signature but is no library to open.
    writeFileBytes(folder / ".LIB.LIB.~cobble-save-4242-0~", header());
    writeFileBytes(folder / ".LIB.LIB.~cobble-backup-4242-1~", header());
    writeFileBytes(folder / ".LIB.LIB.~cobble-lock~", header());
    auto foreignStart = header();
    foreignStart[0] = 'Z';  // bytes 0 to 2 are not looked at
    writeFileBytes(folder / "odd name.txt", foreignStart);
    auto lowerCase = header();
    lowerCase[3] = 'p';
    writeFileBytes(folder / "lower.LIB", lowerCase);
    auto shortHeader = header();
    shortHeader.pop_back();
    writeFileBytes(folder / "short.LIB", shortHeader);
    writeFileBytes(folder / "empty.LIB", {});
    fs::create_directory(folder / "DIR.LIB");
    writeFileBytes(folder / "DIR.LIB" / "inner.LIB", header());
    fs::create_symlink(folder / "LIB.LIB", folder / "link.LIB");
    fs::create_symlink(folder / "DIR.LIB", folder / "dirlink.LIB");
    // A FIFO is never opened: opening one for reading would wait for a writer.
    ASSERT_EQ(::mkfifo((folder / "pipe.LIB").c_str(), 0600), 0);

    EXPECT_EQ(sorted(findLibraryFiles(folder.path().string())),
              (std::vector<std::string>{".hidden", "LIB.LIB", "link.LIB", "odd name.txt"}));
}

TEST(LibraryFileScan, AMissingDirectoryGivesNoNames) {
    TemporaryDirectory folder;
    EXPECT_TRUE(findLibraryFiles((folder / "missing").string()).empty());
    EXPECT_TRUE(findLibraryFiles(folder.path().string()).empty());
}
