#include "file_stamp.h"

#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

/// Gives `path` the modification time it had in `stamp`, so that only the content tells.
void restoreTime(const fs::path& path, const FileStamp& stamp) {
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(stamp.modifiedSeconds), static_cast<long>(stamp.modifiedNanoseconds)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(FileStamp, TakesSizeTimeAndTheCrcOfTheBytes) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "CHECK.LIB", bytesOf("123456789"));
    const auto stamp = stampFile((dir / "CHECK.LIB").string());
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 9);
    EXPECT_EQ(stamp->crc, 0xCBF43926u) << "the standard check value of CRC-32";
    EXPECT_EQ(stampFile((dir / "CHECK.LIB").string()), stamp) << "nothing changed";

    fs::create_symlink("CHECK.LIB", dir / "LINK.LIB");
    EXPECT_EQ(stampFile((dir / "LINK.LIB").string()), stamp) << "a link stamps its file";
}

// Each change another program could make while the library is open must show in the stamp.
TEST(FileStamp, ChangesWhenTheFileDoes) {
    TemporaryDirectory dir;
    const fs::path file = dir / "A.LIB";
    writeFileBytes(file, bytesOf("first content"));
    const FileStamp original = *stampFile(file.string());

    writeFileBytes(file, bytesOf("other content"));
    restoreTime(file, original);
    const FileStamp sameSizeAndTime = *stampFile(file.string());
    EXPECT_EQ(sameSizeAndTime.size, original.size);
    EXPECT_EQ(sameSizeAndTime.modifiedSeconds, original.modifiedSeconds);
    EXPECT_EQ(sameSizeAndTime.modifiedNanoseconds, original.modifiedNanoseconds);
    EXPECT_NE(sameSizeAndTime, original) << "only the bytes differ";

    writeFileBytes(file, bytesOf("first content"));
    FileStamp touched = original;
    touched.modifiedNanoseconds = (original.modifiedNanoseconds + 1) % 1000000000;
    restoreTime(file, touched);
    EXPECT_NE(*stampFile(file.string()), original) << "a nanosecond later";

    // The same bytes and time in another file: a replacement by rename.
    writeFileBytes(dir / "B.LIB", bytesOf("first content"));
    restoreTime(dir / "B.LIB", original);
    fs::rename(dir / "B.LIB", file);
    const FileStamp replaced = *stampFile(file.string());
    EXPECT_EQ(replaced.crc, original.crc);
    EXPECT_NE(replaced, original);

    writeFileBytes(file, bytesOf("first content, longer"));
    EXPECT_NE(*stampFile(file.string()), original);
}

TEST(FileStamp, NoneForWhatIsNotAReadableFile) {
    TemporaryDirectory dir;
    EXPECT_FALSE(stampFile((dir / "absent").string()));
    EXPECT_FALSE(stampFile(dir.path().string()));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(stampFile((dir / "fifo").string())) << "and it returns at once";
    EXPECT_FALSE(stampFile(""));
}
