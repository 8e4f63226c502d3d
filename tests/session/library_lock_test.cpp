#include "library_lock.h"

#include "folder_listing.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {}  // namespace

// Locks that overlap exclude each other whichever path reaches the file; a refused set keeps
// nothing locked; a released lock leaves no file behind.
TEST(LibraryLock, ExcludesEveryOtherHolderOfTheSameFile) {
    TemporaryDirectory dir;
    const std::string a = (dir / "A.LIB").string();
    const std::string b = (dir / "B.LIB").string();
    writeLibrary(a, {"ONE"});
    writeLibrary(b, {"TWO"});
    fs::create_symlink("A.LIB", dir / "LINK.LIB");
    {
        LockResult held = LibraryLock::acquire({b, a, a}, 0ms);
        ASSERT_TRUE(held) << held.reason;
        for (const auto& paths : std::vector<std::vector<std::string>>{
                 {a}, {(dir / "LINK.LIB").string()}, {(dir / "NEW.LIB").string(), b}}) {
            const LockResult other = LibraryLock::acquire(paths, 30ms);
            EXPECT_EQ(other.status, LockResult::Status::busy) << paths.front();
            EXPECT_EQ(other.reason, "another program is writing it (waited 0.03 s)");
        }
        EXPECT_EQ(LibraryLock::acquire({b}, 0ms).path, b);
    }
    {
        const LockResult onlyB = LibraryLock::acquire({b}, 0ms);
        ASSERT_TRUE(onlyB);
        EXPECT_FALSE(LibraryLock::acquire({a, b}, 0ms));
        EXPECT_TRUE(LibraryLock::acquire({a}, 0ms)) << "A was given back when B was busy";
    }
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"A.LIB", "B.LIB", "LINK.LIB"}));
}

// The kernel gives a killed holder's lock back; the file it leaves does not block anyone.
TEST(LibraryLock, AKilledHolderLeavesNoLockHeld) {
    TemporaryDirectory dir;
    const std::string path = (dir / "A.LIB").string();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        LockResult held = LibraryLock::acquire({path}, 0ms);
        if (::write(ready[1], held ? "1" : "0", 1) != 1) ::_exit(2);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, '1');
    EXPECT_EQ(LibraryLock::acquire({path}, 0ms).status, LockResult::Status::busy);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(LibraryLock::acquire({path}, 0ms));
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(LibraryLock, AFolderNobodyCanWriteInNeedsNoLock) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes in any folder";
    TemporaryDirectory dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(LibraryLock::acquire({(dir / "A.LIB").string()}, 0ms));
    fs::permissions(dir.path(), fs::perms::owner_all);
}
