#include "file_io.h"

#include "folder_listing.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::vector<std::uint8_t> bytesOf(std::size_t size, std::uint8_t value) {
    return std::vector<std::uint8_t>(size, value);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// What a save in a forked child reported, and how the child ended.
struct ChildSave {
    int status = 0;
    SaveResult result;

    bool exitedNormally() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

/// Saves `data` to `path` in a forked child after `prepare` ran there, so that the size limits,
/// identities and signal dispositions a test needs never reach the test process. The child also
/// fails when the save left SIGXFSZ blocked.
ChildSave saveInChild(const std::function<void()>& prepare, const fs::path& path,
                      std::span<const std::uint8_t> data) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {-1, SaveResult::failure("no pipe")};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        prepare();
        const SaveResult result = writeFileAtomically(path.string(), data);
        const std::string message = (result ? "1" : "0") + result.reason;
        if (::write(pipeEnds[1], message.data(), message.size()) < 0) ::_exit(2);
        sigset_t mask;
        sigemptyset(&mask);
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        ::_exit(sigismember(&mask, SIGXFSZ) == 1 ? 3 : 0);
    }
    ::close(pipeEnds[1]);
    std::string message;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    ChildSave outcome;
    ::waitpid(child, &outcome.status, 0);
    if (!message.empty()) {
        outcome.result = message[0] == '1' ? SaveResult::success() : SaveResult::failure({});
        outcome.result.reason = message.substr(1);
    }
    return outcome;
}

void limitFileSize(rlim_t bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

void becomeNobody() {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(4);
}

/// The number of a process that has ended and been reaped.
std::uint64_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return static_cast<std::uint64_t>(child);
}

struct stat statOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

}  // namespace

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

// A buffer kept from a longer file must not lend its old bytes to a shorter one.
TEST(ReadFilePrefix, AReusedBufferGivesOnlyTheBytesOfTheFileRead) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "ten", std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    writeFileBytes(dir / "empty", std::vector<std::uint8_t>{});
    std::vector<std::uint8_t> buffer(64, 0xEE);
    const auto asVector = [](std::span<const std::uint8_t> view) {
        return std::vector<std::uint8_t>(view.begin(), view.end());
    };
    EXPECT_EQ(asVector(*readFilePrefixInto((dir / "ten").string(), 100, buffer)),
              (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(asVector(*readFilePrefixInto((dir / "ten").string(), 3, buffer)),
              (std::vector<std::uint8_t>{0, 1, 2}));
    EXPECT_EQ(readFilePrefixInto((dir / "empty").string(), 100, buffer)->size(), 0u);
    EXPECT_FALSE(readFilePrefixInto(dir.path().string(), 100, buffer));
}

/// One way a save must be refused: the folder as the test leaves it, and a part of the reason.
struct Refusal {
    const char* name;
    std::function<void(const fs::path& dir)> setUp;
    const char* target;
    const char* reason;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class RefusedSave : public testing::TestWithParam<Refusal> {};

// Each refusal leaves every file and link as it was and adds nothing to the folder.
TEST_P(RefusedSave, ChangesNothingAndSaysWhy) {
    TemporaryDirectory dir;
    GetParam().setUp(dir.path());
    const auto before = listing(dir.path());
    std::vector<std::vector<std::uint8_t>> contents;
    for (const auto& name : before) {
        contents.push_back(fs::is_regular_file(fs::symlink_status(dir / name))
                               ? readFileBytes(dir / name)
                               : std::vector<std::uint8_t>{});
    }
    const std::string target = *GetParam().target ? (dir / GetParam().target).string() : "";

    const SaveResult result = writeFileAtomically(target, bytesOf(6416, 7));

    EXPECT_FALSE(result);
    EXPECT_TRUE(contains(result.reason, GetParam().reason)) << result.reason;
    // A reason is a clause that the caller puts after the file's name.
    ASSERT_FALSE(result.reason.empty());
    EXPECT_TRUE(std::islower(static_cast<unsigned char>(result.reason.front()))) << result.reason;
    EXPECT_NE(result.reason.back(), '.') << result.reason;
    if (!target.empty()) {
        EXPECT_FALSE(contains(result.reason, target)) << result.reason;
    }
    EXPECT_EQ(listing(dir.path()), before);
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (fs::is_regular_file(fs::symlink_status(dir / before[i]))) {
            EXPECT_EQ(readFileBytes(dir / before[i]), contents[i]) << before[i];
        }
    }
}

void readOnlyFile(const fs::path& dir, fs::perms perms) {
    writeFileBytes(dir / "LOCKED.LIB", bytesOf(10, 1));
    fs::permissions(dir / "LOCKED.LIB", perms);
}

void linkChain(const fs::path& dir, int links) {
    writeFileBytes(dir / "END.LIB", bytesOf(10, 1));
    for (int i = 0; i < links; ++i) {
        const std::string next = i + 1 < links ? "L" + std::to_string(i + 1) : "END.LIB";
        fs::create_symlink(next, dir / ("L" + std::to_string(i)));
    }
}

// As the superuser passes every access check, the read-only cases are the ones that catch a
// save trusting access() alone.
INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSave,
    testing::Values(
        Refusal{"EmptyName", [](const fs::path&) {}, "", "no file name was given"},
        Refusal{"ReadOnlyForAll",
                [](const fs::path& dir) {
                    readOnlyFile(dir, fs::perms::owner_read | fs::perms::group_read |
                                          fs::perms::others_read);
                },
                "LOCKED.LIB", "read-only"},
        Refusal{"NoPermissionAtAll",
                [](const fs::path& dir) { readOnlyFile(dir, fs::perms::none); }, "LOCKED.LIB",
                "read-only"},
        Refusal{"Folder", [](const fs::path& dir) { fs::create_directory(dir / "DIR.LIB"); },
                "DIR.LIB", "folder"},
        Refusal{"Fifo", [](const fs::path& dir) { ::mkfifo((dir / "PIPE.LIB").c_str(), 0600); },
                "PIPE.LIB", "not a plain file"},
        Refusal{"LinkToItself",
                [](const fs::path& dir) { fs::create_symlink("SELF.LIB", dir / "SELF.LIB"); },
                "SELF.LIB", "Too many levels of symbolic links"},
        Refusal{"LinksInACircle",
                [](const fs::path& dir) {
                    fs::create_symlink("B.LIB", dir / "A.LIB");
                    fs::create_symlink("A.LIB", dir / "B.LIB");
                },
                "A.LIB", "Too many levels of symbolic links"},
        Refusal{"ChainLongerThanTheSystemFollows", [](const fs::path& dir) { linkChain(dir, 41); },
                "L0", "Too many levels of symbolic links"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(WriteFileAtomically, FollowsAChainAsLongAsTheSystemFollows) {
    TemporaryDirectory dir;
    linkChain(dir.path(), 40);
    ASSERT_TRUE(writeFileAtomically((dir / "L0").string(), bytesOf(20, 2)));
    EXPECT_EQ(readFileBytes(dir / "END.LIB"), bytesOf(20, 2));
    EXPECT_TRUE(fs::is_symlink(dir / "L0"));
    EXPECT_TRUE(fs::is_symlink(dir / "L39"));
    EXPECT_EQ(listing(dir.path()).size(), 41u);
}

// Without SIGXFSZ held back the limit kills the process mid-save, leaving its temporary behind.
TEST(WriteFileAtomically, FileSizeLimitIsAReasonNotTheEndOfTheProgram) {
    TemporaryDirectory dir;
    const fs::path target = dir / "KEEP.LIB";
    writeFileBytes(target, bytesOf(3000, 1));

    const ChildSave child = saveInChild([] { limitFileSize(7000); }, target, bytesOf(100000, 2));

    ASSERT_TRUE(child.exitedNormally()) << "wait status " << child.status;
    EXPECT_FALSE(child.result);
    EXPECT_EQ(child.result.reason, "cannot be written: File too large");
    EXPECT_EQ(readFileBytes(target), bytesOf(3000, 1));
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"KEEP.LIB"});
}

TEST(WriteFileAtomically, HardLinksStayShared) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "A.LIB", bytesOf(3000, 1));
    fs::create_hard_link(dir / "A.LIB", dir / "B.LIB");
    const ino_t inode = statOf(dir / "A.LIB").st_ino;

    ASSERT_TRUE(writeFileAtomically((dir / "B.LIB").string(), bytesOf(2000, 2)));
    EXPECT_EQ(readFileBytes(dir / "A.LIB"), bytesOf(2000, 2)) << "shorter: the tail is cut";
    EXPECT_EQ(statOf(dir / "B.LIB").st_ino, inode);
    EXPECT_EQ(statOf(dir / "A.LIB").st_nlink, 2u);

    ASSERT_TRUE(writeFileAtomically((dir / "A.LIB").string(), bytesOf(9000, 3)));
    EXPECT_EQ(readFileBytes(dir / "B.LIB"), bytesOf(9000, 3));
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"A.LIB", "B.LIB"}));
}

// A write in place that fails halfway must put the old bytes back, not leave a half-new file.
TEST(WriteFileAtomically, FailedWriteInPlaceRestoresTheOldBytes) {
    TemporaryDirectory dir;
    writeFileBytes(dir / "A.LIB", bytesOf(3000, 1));
    fs::create_hard_link(dir / "A.LIB", dir / "B.LIB");

    const ChildSave child =
        saveInChild([] { limitFileSize(7000); }, dir / "A.LIB", bytesOf(100000, 2));

    ASSERT_TRUE(child.exitedNormally()) << "wait status " << child.status;
    EXPECT_FALSE(child.result);
    EXPECT_EQ(child.result.reason,
              "cannot be written: File too large; its previous content was "
              "put back");
    EXPECT_EQ(readFileBytes(dir / "B.LIB"), bytesOf(3000, 1));
    EXPECT_EQ(statOf(dir / "A.LIB").st_nlink, 2u);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"A.LIB", "B.LIB"}));
}

TEST(WriteFileAtomically, KeepsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another user";
    TemporaryDirectory dir;
    const fs::path target = dir / "OWNED.LIB";
    writeFileBytes(target, bytesOf(10, 1));
    if (::chown(target.c_str(), 1234, 5678) != 0) GTEST_SKIP() << "no such owner on this system";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const ino_t inode = statOf(target).st_ino;

    ASSERT_TRUE(writeFileAtomically(target.string(), bytesOf(20, 2)));
    const struct stat after = statOf(target);
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 5678u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(after.st_ino, inode) << "an unshared file the owner can be kept for is replaced";
    EXPECT_EQ(readFileBytes(target), bytesOf(20, 2));
}

// A user who may write another user's file but cannot give a new file away must not turn the
// file into their own.
TEST(WriteFileAtomically, KeepsTheOwnerItCannotGiveAwayByWritingInPlace) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs a file of another user that this one may write";
    TemporaryDirectory dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path target = dir / "SHARED.LIB";
    writeFileBytes(target, bytesOf(3000, 1));
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    const ino_t inode = statOf(target).st_ino;

    const ChildSave child = saveInChild(becomeNobody, target, bytesOf(7000, 2));

    ASSERT_TRUE(child.exitedNormally()) << "wait status " << child.status;
    EXPECT_TRUE(child.result) << child.result.reason;
    const struct stat after = statOf(target);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(after.st_gid, 0u);
    EXPECT_EQ(after.st_ino, inode);
    EXPECT_EQ(readFileBytes(target), bytesOf(7000, 2));
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"SHARED.LIB"});
}

// A bare name used to report `Cannot create a file in ""`.
TEST(WriteFileAtomically, ABareNameNamesTheCurrentFolderInItsReason) {
    TemporaryDirectory dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    const fs::path folder = dir.path();
    const ChildSave child = saveInChild(
        [&folder] {
            if (::geteuid() == 0) becomeNobody();
            if (::chdir(folder.c_str()) != 0) ::_exit(5);
        },
        "NEW.LIB", bytesOf(10, 1));

    ASSERT_TRUE(child.exitedNormally()) << "wait status " << child.status;
    EXPECT_FALSE(child.result);
    EXPECT_TRUE(
        contains(child.result.reason, "cannot create a file in \"" + folder.string() + "\""))
        << child.result.reason;
    EXPECT_TRUE(listing(folder).empty());
}

// Only a temporary whose process is gone and which is old is a killed save's; a user's file
// that merely looks like one, a backup and a running save's file are kept.
TEST(WriteFileAtomically, RemovesOnlyTemporariesOfKilledSaves) {
    using namespace std::chrono_literals;
    TemporaryDirectory dir;
    const auto old = fs::file_time_type::clock::now() - kStaleTemporaryAge - 10min;
    auto place = [&](const std::string& name, bool stale) {
        writeFileBytes(dir / name, bytesOf(100, 9));
        if (stale) fs::last_write_time(dir / name, old);
    };
    const std::uint64_t gone = endedProcess();
    const std::uint64_t running = static_cast<std::uint64_t>(::getpid());
    auto temporary = [](const char* target, std::uint64_t process, std::uint64_t n) {
        return saveFileName(target, SaveFileKind::temporary, process, n);
    };
    place("T.LIB", false);
    place(temporary("T.LIB", gone, 0), true);     // killed save of T.LIB: goes
    place(temporary("U.LIB", gone, 3), true);     // killed save of another file in the folder: goes
    place(temporary("T.LIB", gone, 5), false);    // written lately
    place(temporary("T.LIB", running, 7), true);  // its process still runs
    place(saveFileName("T.LIB", SaveFileKind::backup, gone, 1), true);  // may be the only copy
    place(".T.LIB.save-2019-06", true);  // a user's file in the pattern of an older program
    fs::create_directory(dir / temporary("T.LIB", gone, 8));
    fs::create_symlink("T.LIB", dir / temporary("T.LIB", gone, 9));
    auto expected = listing(dir.path());
    for (const std::string& removed : {temporary("T.LIB", gone, 0), temporary("U.LIB", gone, 3)}) {
        expected.erase(std::find(expected.begin(), expected.end(), removed));
    }

    ASSERT_TRUE(writeFileAtomically((dir / "T.LIB").string(), bytesOf(50, 1)));
    EXPECT_EQ(listing(dir.path()), expected);
}
