#include "folder_writes.h"

#include "folder_listing.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(std::size_t size, std::uint8_t value) {
    return std::vector<std::uint8_t>(size, value);
}

// Five files in batches of two, the fourth blocked by a folder: the first batch is in place,
// the blocked batch replaces nothing (not even its first file, already staged), the last batch
// is never started, and no temporary is left.
TEST(FolderWrites, AFileThatCannotBeWrittenStopsAtItsBatch) {
    TemporaryDirectory dir;
    const auto old = bytesOf(10, 1);
    const auto fresh = bytesOf(20, 2);
    std::vector<FolderFile> files;
    for (const char* name : {"0", "1", "2", "3", "4"}) {
        writeFileBytes(dir / name, old);
        files.push_back({name, fresh});
    }
    fs::remove(dir / "3");
    fs::create_directories(dir / "3" / "inside");
    const FolderWriteResult written = writeFolderFiles(dir.path().string(), files, 2);
    EXPECT_FALSE(written);
    EXPECT_EQ(written.written, 2u);
    EXPECT_EQ(written.result.path, (dir / "3").string());
    EXPECT_NE(written.result.reason.find((dir / "3").string()), std::string::npos)
        << written.result.reason;
    EXPECT_EQ(readFileBytes(dir / "0"), fresh);
    EXPECT_EQ(readFileBytes(dir / "1"), fresh);
    EXPECT_EQ(readFileBytes(dir / "2"), old);
    EXPECT_EQ(readFileBytes(dir / "4"), old);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"0", "1", "2", "3", "4"}));

    fs::remove_all(dir / "3");
    const FolderWriteResult again = writeFolderFiles((dir / "new/deeper").string(), files, 2);
    ASSERT_TRUE(again) << again.result.reason;
    EXPECT_EQ(again.written, files.size());
    EXPECT_EQ(listing(dir / "new/deeper"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

}  // namespace
