#include "staged_writes.h"

#include "folder_listing.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(std::size_t size, std::uint8_t value) {
    return std::vector<std::uint8_t>(size, value);
}

std::string attribute(const fs::path& path, const char* name) {
    char value[512];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("<none: ") + std::strerror(errno) + ">"
                    : std::string(value, static_cast<std::size_t>(size));
}

/// An access control list in the system's own binary form: version 2, then entries of tag,
/// permission bits and id.
std::string accessList(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, perm, id] : entries) {
        put(tag, 2);
        put(perm, 2);
        put(id, 4);
    }
    return bytes;
}

constexpr std::uint32_t kUserObj = 1, kUser = 2, kGroupObj = 4, kMask = 0x10, kOther = 0x20;
constexpr std::uint32_t kUndefinedId = 0xFFFFFFFF, kNobody = 65534;

}  // namespace

// The list granted a named user what the group may not have; dropping it, as saves did, left the
// mask's rw- as the group's bits, widening the group's access.
TEST(StagedWrites, ASaveKeepsTheAccessListAndUserAttributes) {
    TemporaryDirectory dir;
    const fs::path target = dir / "ACL.LIB";
    writeFileBytes(target, bytesOf(10, 1));
    ASSERT_EQ(::chmod(target.c_str(), 0660), 0);
    const std::string acl = accessList({{kUserObj, 6, kUndefinedId},
                                        {kUser, 6, kNobody},
                                        {kGroupObj, 4, kUndefinedId},
                                        {kMask, 6, kUndefinedId},
                                        {kOther, 0, kUndefinedId}});
    if (::setxattr(target.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        ::setxattr(target.c_str(), "user.origin", "bench 3", 7, 0) != 0) {
        GTEST_SKIP() << "this file system keeps no access lists or user attributes: "
                     << std::strerror(errno);
    }
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);

    const SaveResult result = writeFileAtomically(target.string(), bytesOf(20, 2));

    ASSERT_TRUE(result) << result.reason;
    EXPECT_TRUE(result.note.empty()) << result.note;
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "a new file, not the old one rewritten";
    EXPECT_EQ(readFileBytes(target), bytesOf(20, 2));
    EXPECT_EQ(attribute(target, "system.posix_acl_access"), acl);
    EXPECT_EQ(attribute(target, "user.origin"), "bench 3");
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0660));
}

/// How many temporaries `nobody` could open at the moment they were created.
std::atomic<int> openedByNobody = 0;

void tryAsNobody(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(4);
        ::_exit(::open(path.c_str(), O_RDONLY) >= 0 ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++openedByNobody;
}

// Opened while it is still readable by others, a temporary of a private library stays readable
// through that descriptor after its permissions are narrowed, whatever the umask.
TEST(StagedWrites, AnotherUserCannotOpenThePrivateTemporaryWhenItIsCreated) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to act as another user";
    TemporaryDirectory dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path target = dir / "PRIVATE.LIB";
    writeFileBytes(target, bytesOf(100, 1));
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    const mode_t previousMask = ::umask(0);
    openedByNobody = 0;
    setTemporaryCreationHook(tryAsNobody);

    const SaveResult result = writeFileAtomically(target.string(), bytesOf(100, 2));

    setTemporaryCreationHook(nullptr);
    ::umask(previousMask);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(openedByNobody, 0);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(StagedWrites, SavesALibraryWhoseNameIsAsLongAsTheSystemAllows) {
    TemporaryDirectory dir;
    const fs::path target = dir / (std::string(251, 'N') + ".LIB");
    writeFileBytes(target, bytesOf(10, 1));
    const SaveResult result = writeFileAtomically(target.string(), bytesOf(30, 3));
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(readFileBytes(target), bytesOf(30, 3));
    EXPECT_EQ(listing(dir.path()).size(), 1u);
}

// One refused target of a set: nothing of the set is written and nothing is left beside them.
TEST(StagedWrites, ARefusedTargetLeavesEveryFileAsItWas) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "A.LIB", bytesOf(10, 1));
    writeFileBytes(dir / "B.LIB", bytesOf(10, 1));
    fs::create_hard_link(dir / "B.LIB", dir / "B2.LIB");  // rewritten in place
    fs::create_directory(dir / "C.LIB");
    const auto before = listing(dir.path());
    {
        StagedWrites writes;
        ASSERT_TRUE(writes.stage((dir / "A.LIB").string(), bytesOf(20, 2)));
        ASSERT_TRUE(writes.stage((dir / "B.LIB").string(), bytesOf(20, 2)));
        ASSERT_TRUE(writes.stage((dir / "NEW.LIB").string(), bytesOf(20, 2)));
        EXPECT_FALSE(writes.stage((dir / "C.LIB").string(), bytesOf(20, 2)));
        EXPECT_EQ(writes.failure().path, (dir / "C.LIB").string());
        EXPECT_FALSE(writes.stage((dir / "D.LIB").string(), bytesOf(20, 2)));
        EXPECT_FALSE(writes.commit());
    }
    {
        // Given up before commit.
        StagedWrites writes;
        ASSERT_TRUE(writes.stage((dir / "A.LIB").string(), bytesOf(20, 2)));
        ASSERT_TRUE(writes.stage((dir / "B.LIB").string(), bytesOf(20, 2)));
    }
    EXPECT_EQ(listing(dir.path()), before);
    EXPECT_EQ(readFileBytes(dir / "A.LIB"), bytesOf(10, 1));
    EXPECT_EQ(readFileBytes(dir / "B2.LIB"), bytesOf(10, 1));
}

TEST(StagedWrites, CommitWritesEveryTarget) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "A.LIB", bytesOf(10, 1));
    writeFileBytes(dir / "B.LIB", bytesOf(10, 1));
    fs::create_hard_link(dir / "B.LIB", dir / "B2.LIB");
    fs::create_directory(dir / "sub");
    StagedWrites writes;
    ASSERT_TRUE(writes.stage((dir / "A.LIB").string(), bytesOf(20, 2)));
    ASSERT_TRUE(writes.stage((dir / "B.LIB").string(), bytesOf(30, 3)));
    ASSERT_TRUE(writes.stage((dir / "sub" / "C.LIB").string(), bytesOf(40, 4)));
    ASSERT_TRUE(writes.commit());
    EXPECT_EQ(readFileBytes(dir / "A.LIB"), bytesOf(20, 2));
    EXPECT_EQ(readFileBytes(dir / "B2.LIB"), bytesOf(30, 3));
    EXPECT_EQ(readFileBytes(dir / "sub" / "C.LIB"), bytesOf(40, 4));
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"A.LIB", "B.LIB", "B2.LIB", "sub"}));
    EXPECT_EQ(listing(dir / "sub"), std::vector<std::string>{"C.LIB"});
}

// Two files rewritten in place: when the second cannot be written, the first gets its old bytes
// back instead of staying new beside an old partner.
TEST(StagedWrites, AFailedWriteInPlacePutsBackEveryFileOfTheSet) {
    TemporaryDirectory dir;
    for (const char* name : {"A.LIB", "B.LIB"}) {
        writeFileBytes(dir / name, bytesOf(3000, 1));
        fs::create_hard_link(dir / name, dir / (std::string(name) + ".link"));
    }
    const pid_t child = ::fork();
    if (child == 0) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 7000;
        setrlimit(RLIMIT_FSIZE, &limit);
        StagedWrites writes;
        const bool staged = writes.stage((dir / "A.LIB").string(), bytesOf(5000, 2)) &&
                            writes.stage((dir / "B.LIB").string(), bytesOf(100000, 2));
        const SaveResult result = writes.commit();
        ::_exit(staged && !result && result.path == (dir / "B.LIB").string() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFileBytes(dir / "A.LIB"), bytesOf(3000, 1));
    EXPECT_EQ(readFileBytes(dir / "B.LIB"), bytesOf(3000, 1));
    EXPECT_EQ(listing(dir.path()).size(), 4u);
}

// A file of a set of independent files that cannot be written is refused alone: those staged
// before it are still put in place and the refused one leaves nothing beside it.
TEST(StagedWrites, AFileStagedApartIsRefusedAlone) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "A", bytesOf(10, 1));
    fs::create_directory(dir / "B");
    StagedWrites writes;
    const auto fresh = bytesOf(20, 2);
    ASSERT_TRUE(writes.stageApart((dir / "A").string(), fresh));
    const SaveResult refused = writes.stageApart((dir / "B").string(), fresh);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.path, (dir / "B").string());
    ASSERT_TRUE(writes.stageApart((dir / "C").string(), fresh));
    EXPECT_EQ(writes.size(), 2u);
    ASSERT_TRUE(writes.commit());
    EXPECT_EQ(readFileBytes(dir / "A"), fresh);
    EXPECT_EQ(readFileBytes(dir / "C"), fresh);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"A", "B", "C"}));
}
