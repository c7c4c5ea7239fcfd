// Replacing files without losing them: links, long names, permissions, owners, temporary files,
// signals, locks and what a reader refuses before reading.
#include "common/FileSafety.h"
#include "FileBytes.h"
#include "TestDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class FileSafetyTest : public testing::Test {
protected:
    CTestDir dir;

    std::string P(const std::string& name) const { return dir.Path(name); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Root()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string SiblingLock(const std::string& name) const {
        return fs::path(FileSafety::SiblingName(P(name), ".daxara-lock")).filename().string();
    }
    static std::vector<std::uint8_t> Bytes(const std::string& text) {
        return {text.begin(), text.end()};
    }
};

TEST_F(FileSafetyTest, SavingThroughALinkWritesItsTargetAndKeepsTheLink) {
    fs::create_directories(dir.Root() / "real");
    WriteFileBytes(P("real/project.tdax"), "old");
    fs::create_symlink("real/project.tdax", dir.Root() / "link.tdax");
    fs::create_symlink("link.tdax", dir.Root() / "chain.tdax");
    std::string error;
    ASSERT_TRUE(FileSafety::WriteFileAtomically(P("chain.tdax"), Bytes("new"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.Root() / "chain.tdax"));
    EXPECT_TRUE(fs::is_symlink(dir.Root() / "link.tdax"));
    EXPECT_EQ(ReadFileBytes(P("real/project.tdax")), "new");
    // A dangling link gets its target created.
    fs::create_symlink("real/later.tdax", dir.Root() / "dangling.tdax");
    ASSERT_TRUE(FileSafety::WriteFileAtomically(P("dangling.tdax"), Bytes("x"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.Root() / "dangling.tdax"));
    EXPECT_EQ(ReadFileBytes(P("real/later.tdax")), "x");
}

TEST_F(FileSafetyTest, NamesUpTo255BytesSaveAndTheirTemporaryNamesFit) {
    for (std::size_t length : {249u, 250u, 255u}) {
        const std::string name = std::string(length - 5, 'n') + ".tdax";
        std::string error;
        ASSERT_TRUE(FileSafety::WriteFileAtomically(P(name), Bytes("one"), error)) << error;
        ASSERT_TRUE(FileSafety::WriteFileAtomically(P(name), Bytes("two"), error)) << error;
        EXPECT_EQ(ReadFileBytes(P(name)), "two");
        EXPECT_LE(
            fs::path(FileSafety::SiblingName(P(name), ".daxara-lock")).filename().string().size(),
            255u);
        fs::remove(P(name));
    }
    EXPECT_TRUE(Names().empty());
    // Names cut to fit keep apart what differs past the cut: a legacy project and the .tdax it
    // is saved as must not share a lock.
    for (std::size_t stem : {231u, 240u, 250u}) {
        const std::string legacy = SiblingLock(std::string(stem, 'n') + ".dax");
        const std::string current = SiblingLock(std::string(stem, 'n') + ".tdax");
        EXPECT_NE(legacy, current) << stem;
        EXPECT_LE(legacy.size(), 255u);
        EXPECT_LE(current.size(), 255u);
        EXPECT_EQ(SiblingLock(std::string(stem, 'n') + ".dax"), legacy); // the same every time
    }
}

TEST_F(FileSafetyTest, ReplacingKeepsPermissionBitsOwnerAndGroup) {
    WriteFileBytes(P("private.tdax"), "secret");
    ASSERT_EQ(::chmod(P("private.tdax").c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(P("private.tdax").c_str(), 4321, 8765), 0);
    }
    std::string error;
    ASSERT_TRUE(FileSafety::WriteFileAtomically(P("private.tdax"), Bytes("changed"), error));
    struct stat st {};
    ASSERT_EQ(::stat(P("private.tdax").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 8765u);
    }
    // A new file gets what any new file gets under the umask.
    const mode_t old = ::umask(027);
    ASSERT_TRUE(FileSafety::WriteFileAtomically(P("fresh.tdax"), Bytes("n"), error));
    ::umask(old);
    ASSERT_EQ(::stat(P("fresh.tdax").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileSafetyTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    WriteFileBytes(P("project.tdax"), "the old project");
    // Over a file-size limit: the write fails (SIGXFSZ ignored, as the programs that save do).
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool saved = FileSafety::WriteFileAtomically(
            (dir.Root() / "project.tdax").string(), std::vector<std::uint8_t>(100000, 7), error);
        ::_exit(!saved && error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFileBytes(P("project.tdax")), "the old project");
    // A target that is a directory or a device is refused before anything is created.
    fs::create_directories(dir.Root() / "folder.tdax");
    std::string error;
    EXPECT_FALSE(FileSafety::WriteFileAtomically(P("folder.tdax"), Bytes("x"), error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    EXPECT_FALSE(FileSafety::WriteFileAtomically("/dev/null", Bytes("x"), error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    // A file its owner made read-only is known as such even to the superuser, who could write it.
    ASSERT_EQ(::chmod(P("project.tdax").c_str(), 0444), 0);
    EXPECT_TRUE(FileSafety::IsReadOnly(P("project.tdax")));
    ASSERT_EQ(::chmod(P("project.tdax").c_str(), 0644), 0);
    EXPECT_FALSE(FileSafety::IsReadOnly(P("project.tdax")));
    EXPECT_FALSE(FileSafety::IsReadOnly(P("missing.tdax")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder.tdax", "project.tdax"}));
}

TEST_F(FileSafetyTest, TerminatingSignalsDuringASaveRemoveTheTemporaryFile) {
    WriteFileBytes(P("project.tdax"), "kept");
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = ::fork();
        if (child == 0) {
            FileSafety::InstallSignalCleanup();
            CProjectLock lock;
            CAtomicFile file;
            std::string error;
            if (!lock.Acquire((dir.Root() / "project.tdax").string(), std::chrono::milliseconds(0),
                              error))
                ::_exit(2);
            if (!file.Open((dir.Root() / "project.tdax").string(), error) ||
                !fs::exists(file.TemporaryPath()))
                ::_exit(3);
            const std::uint8_t half[] = {1, 2, 3};
            file.Write(half, sizeof half, error);
            std::raise(sig);
            ::_exit(4); // not reached: the handler re-raises with the default action
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << sig << " " << status;
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(Names(), std::vector<std::string>{"project.tdax"}) << sig;
        EXPECT_EQ(ReadFileBytes(P("project.tdax")), "kept");
    }
}

TEST_F(FileSafetyTest, StaleTemporariesOfOurNamingGoOnTheNextSaveOthersStay) {
    WriteFileBytes(P("project.tdax"), "v1");
    const std::string prefix =
        FileSafety::SiblingName(P("project.tdax"), FileSafety::kTemporarySuffix);
    WriteFileBytes(prefix + "Ab12Cd", "left by a killed save");
    WriteFileBytes(prefix + "InUse1", "being written by another save");
    WriteFileBytes(prefix + "toolong", "not of our naming");
    WriteFileBytes(P(".other.tdax.daxara-tmp-Ab12Cd"), "another project's");
    const int busy = ::open((prefix + "InUse1").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    std::string error;
    ASSERT_TRUE(FileSafety::WriteFileAtomically(P("project.tdax"), Bytes("v2"), error)) << error;
    ::close(busy);
    EXPECT_FALSE(fs::exists(prefix + "Ab12Cd"));
    EXPECT_TRUE(fs::exists(prefix + "InUse1"));
    EXPECT_TRUE(fs::exists(prefix + "toolong"));
    EXPECT_TRUE(fs::exists(P(".other.tdax.daxara-tmp-Ab12Cd")));
    EXPECT_EQ(ReadFileBytes(P("project.tdax")), "v2");
}

TEST_F(FileSafetyTest, ALockWaitsThenGivesUpNamingTheProjectAndIsRemovedOnRelease) {
    WriteFileBytes(P("project.tdax"), "p");
    CProjectLock first, second;
    std::string error;
    ASSERT_TRUE(first.Acquire(P("project.tdax"), std::chrono::milliseconds(0), error)) << error;
    const std::string lockFile = FileSafety::SiblingName(P("project.tdax"), ".daxara-lock");
    EXPECT_TRUE(fs::exists(lockFile));
    EXPECT_FALSE(second.Acquire(P("project.tdax"), std::chrono::milliseconds(100), error));
    EXPECT_NE(error.find(P("project.tdax")), std::string::npos) << error;
    EXPECT_NE(error.find("another command"), std::string::npos) << error;
    // Through a link, the same file is locked.
    fs::create_symlink("project.tdax", dir.Root() / "link.tdax");
    EXPECT_FALSE(second.Acquire(P("link.tdax"), std::chrono::milliseconds(50), error));
    first.Release();
    EXPECT_FALSE(fs::exists(lockFile));
    EXPECT_TRUE(second.Acquire(P("project.tdax"), std::chrono::milliseconds(0), error)) << error;
}

TEST_F(FileSafetyTest, ReadingRefusesWhatIsNotARegularFileBeforeReading) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(FileSafety::ReadRegularFile("/dev/zero", bytes, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(FileSafety::ReadRegularFile(dir.Root().string(), bytes, error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(FileSafety::ReadRegularFile(P("pipe"), bytes, error)); // must not block
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    WriteFileBytes(P("big"), std::string(100, 'x'));
    EXPECT_FALSE(FileSafety::ReadRegularFile(P("big"), bytes, error, 99));
    EXPECT_NE(error.find("100 bytes"), std::string::npos) << error;
    EXPECT_TRUE(FileSafety::ReadRegularFile(P("big"), bytes, error, 100)) << error;

    // The first bytes are judged before the rest is read: a refusal reads nothing more.
    std::string content(3 * FileSafety::kHeadBytes, 'a');
    content[FileSafety::kHeadBytes - 1] = 'z';
    WriteFileBytes(P("headed"), content);
    std::vector<std::uint8_t> seen;
    std::uint64_t seenSize = 0;
    const auto judge = [&](bool accept) {
        return [&, accept](const std::vector<std::uint8_t>& head, std::uint64_t size,
                           std::string& why) {
            seen = head;
            seenSize = size;
            why = "not mine";
            return accept;
        };
    };
    bytes.clear();
    EXPECT_FALSE(FileSafety::ReadRegularFile(P("headed"), bytes, error, FileSafety::kMaxFileBytes,
                                             nullptr, judge(false)));
    EXPECT_EQ(error, "not mine");
    EXPECT_TRUE(bytes.empty());
    ASSERT_EQ(seen.size(), FileSafety::kHeadBytes);
    EXPECT_EQ(seen.back(), 'z');
    EXPECT_EQ(seenSize, content.size());
    ASSERT_TRUE(FileSafety::ReadRegularFile(P("headed"), bytes, error, FileSafety::kMaxFileBytes,
                                            nullptr, judge(true)));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    // The buffer is the file's size: it did not grow past it to find the end.
    EXPECT_EQ(bytes.capacity(), content.size());
}

TEST_F(FileSafetyTest, AStampChangesWithTheContentEvenWhenSizeAndTimeAreKept) {
    WriteFileBytes(P("f"), "abcdef");
    std::vector<std::uint8_t> bytes;
    std::string error;
    CFileStamp read;
    ASSERT_TRUE(FileSafety::ReadRegularFile(P("f"), bytes, error, 1000, &read));
    EXPECT_EQ(FileSafety::Stamp(P("f"), error), read);
    struct stat st {};
    ASSERT_EQ(::stat(P("f").c_str(), &st), 0);
    {
        std::fstream f(P("f"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(2);
        f.put('X');
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, P("f").c_str(), times, 0), 0);
    const std::optional<CFileStamp> now = FileSafety::Stamp(P("f"), error);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->modifiedNs, read.modifiedNs);
    EXPECT_EQ(now->inode, read.inode);
    EXPECT_NE(*now, read);
    EXPECT_FALSE(FileSafety::Stamp(P("missing"), error)->exists);
}
} // namespace
