#include "file_io.h"

#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(ReadFilePrefix, ReadsAtMostTheLimitAndOnlyRegularFiles) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "ten", std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(readFilePrefix((dir / "ten").string(), 4), (std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(readFilePrefix((dir / "ten").string(), 100)->size(), 10u);
    EXPECT_FALSE(readFilePrefix(dir.path().string(), 100));
    EXPECT_FALSE(readFilePrefix((dir / "absent").string(), 100));
    // A FIFO with no writer would block a plain open; it must be refused at once.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readFilePrefix((dir / "fifo").string(), 100));
}
