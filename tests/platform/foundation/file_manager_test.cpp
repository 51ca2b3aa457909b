#include "platform/foundation/FileManager.h"
#include "platform/foundation/TestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using foundation_test::readFile;
using foundation_test::ScopedEnv;
using foundation_test::TempDir;
using foundation_test::writeFile;
using platform::FileManager;

namespace fs = std::filesystem;

namespace {

TEST(FoldersTest, SettingsFoldersFollowTheXdgVariables) {
    ScopedEnv home("HOME", "/home/tester");
    {
        ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
        ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(platform::homeDirectory(), fs::path("/home/tester"));
        EXPECT_EQ(platform::applicationSupportDirectory(), fs::path("/home/tester/.local/share"));
        EXPECT_EQ(platform::preferencesDirectory(), fs::path("/home/tester/.config"));
        EXPECT_EQ(platform::runtimeDirectory(), fs::temp_directory_path());
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/here");
        ScopedEnv config("XDG_CONFIG_HOME", "/config/here");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(platform::applicationSupportDirectory(), fs::path("/data/here"));
        EXPECT_EQ(platform::preferencesDirectory(), fs::path("/config/here"));
        EXPECT_EQ(platform::runtimeDirectory(), fs::path("/run/user/1000"));
    }
    {
        // Empty or relative values are ignored, as the XDG rules say.
        ScopedEnv data("XDG_DATA_HOME", "");
        ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(platform::applicationSupportDirectory(), fs::path("/home/tester/.local/share"));
        EXPECT_EQ(platform::preferencesDirectory(), fs::path("/home/tester/.config"));
    }
}

TEST(FoldersTest, DesktopComesFromUserDirsWhenConfigured) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(platform::desktopDirectory(), dir / "Desktop");
    writeFile(dir / ".config" / "user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(platform::desktopDirectory(), dir / "Bureau");
}

TEST(FoldersTest, TildeExpandsToTheHomeFolder) {
    ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(platform::expandTilde("~"), fs::path("/home/tester"));
    EXPECT_EQ(platform::expandTilde("~/"), fs::path("/home/tester"));
    EXPECT_EQ(platform::expandTilde("~/Desktop/x.txt"), fs::path("/home/tester/Desktop/x.txt"));
    EXPECT_EQ(platform::expandTilde("/abs/~/path"), fs::path("/abs/~/path"));
    EXPECT_EQ(platform::expandTilde("relative"), fs::path("relative"));
    EXPECT_EQ(platform::expandTilde("~no-such-user-here/x"), fs::path("~no-such-user-here/x"));
}

class FileManagerTest : public ::testing::Test {
protected:
    TempDir dir;
    FileManager& files = FileManager::defaultManager();
};

TEST_F(FileManagerTest, ExistenceAndFolderCreation) {
    bool isDirectory = true;
    EXPECT_FALSE(files.fileExistsAtPath(dir / "none", &isDirectory));
    EXPECT_FALSE(isDirectory);
    std::string error;
    EXPECT_FALSE(files.createDirectoryAtPath(dir / "a" / "b", false, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(files.createDirectoryAtPath(dir / "a" / "b", true));
    EXPECT_TRUE(files.createDirectoryAtPath(dir / "a" / "b", true)) << "existing is fine";
    EXPECT_FALSE(files.createDirectoryAtPath(dir / "a" / "b", false));
    EXPECT_TRUE(files.fileExistsAtPath(dir / "a" / "b", &isDirectory));
    EXPECT_TRUE(isDirectory);
    writeFile(dir / "file", "x");
    EXPECT_TRUE(files.fileExistsAtPath(dir / "file", &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_FALSE(files.createDirectoryAtPath(dir / "file", true));
}

TEST_F(FileManagerTest, CopiesFoldersRecursivelyAndNeverOverwrites) {
    writeFile(dir / "src" / "top.txt", "top");
    writeFile(dir / "src" / "sub" / "deep" / "leaf.bin", std::string("\0\1\2", 3));
    fs::create_directories(dir / "src" / "empty");
    ASSERT_TRUE(files.copyItemAtPath(dir / "src", dir / "dst"));
    EXPECT_EQ(readFile(dir / "dst" / "top.txt"), "top");
    EXPECT_EQ(readFile(dir / "dst" / "sub" / "deep" / "leaf.bin"), std::string("\0\1\2", 3));
    EXPECT_TRUE(fs::is_directory(dir / "dst" / "empty"));

    writeFile(dir / "src" / "top.txt", "changed");
    std::string error;
    EXPECT_FALSE(files.copyItemAtPath(dir / "src", dir / "dst", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(dir / "dst" / "top.txt"), "top");

    EXPECT_TRUE(files.copyItemAtPath(dir / "src" / "top.txt", dir / "copy.txt"));
    EXPECT_EQ(readFile(dir / "copy.txt"), "changed");
    EXPECT_FALSE(files.copyItemAtPath(dir / "src" / "top.txt", dir / "copy.txt"));
    EXPECT_FALSE(files.copyItemAtPath(dir / "missing", dir / "elsewhere"));
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
}

TEST_F(FileManagerTest, MoveAndRemove) {
    writeFile(dir / "a.txt", "a");
    writeFile(dir / "b.txt", "b");
    EXPECT_FALSE(files.moveItemAtPath(dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(readFile(dir / "b.txt"), "b");
    EXPECT_TRUE(files.moveItemAtPath(dir / "a.txt", dir / "c.txt"));
    EXPECT_FALSE(fs::exists(dir / "a.txt"));
    EXPECT_EQ(readFile(dir / "c.txt"), "a");
    writeFile(dir / "tree" / "x" / "y", "y");
    EXPECT_TRUE(files.removeItemAtPath(dir / "tree"));
    EXPECT_FALSE(fs::exists(dir / "tree"));
    std::string error;
    EXPECT_FALSE(files.removeItemAtPath(dir / "tree", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(FileManagerTest, ContentsAndAtomicWrites) {
    const std::string binary("a\0b\xff", 4);
    ASSERT_TRUE(files.writeAtomically(dir / "out", binary));
    EXPECT_EQ(files.contentsAtPath(dir / "out"), binary);
    ASSERT_TRUE(files.writeAtomically(dir / "out", "replaced"));
    EXPECT_EQ(files.contentsAtPath(dir / "out"), "replaced");
    ASSERT_TRUE(files.writeAtomically(dir / "empty", ""));
    EXPECT_EQ(files.contentsAtPath(dir / "empty"), "");
    EXPECT_EQ(files.contentsAtPath(dir / "missing"), std::nullopt);
    EXPECT_EQ(files.contentsAtPath(dir.path()), std::nullopt);

    std::string error;
    EXPECT_FALSE(files.writeAtomically(dir / "no" / "folder", "x", &error));
    EXPECT_FALSE(error.empty());
    // A failed write leaves neither a temporary nor a changed file behind.
    fs::create_directories(dir / "target-is-folder");
    EXPECT_FALSE(files.writeAtomically(dir / "target-is-folder", "x"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"empty", "out", "target-is-folder"}));
}

// A process id that was in use a moment ago and is not any more.
pid_t endedProcess() {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

TEST_F(FileManagerTest, LeftoverTemporaryFilesOfEndedProcessesAreRemoved) {
    const std::string dead = std::to_string(endedProcess());
    const std::string self = std::to_string(getpid());
    const std::string parent = std::to_string(getppid());
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {"prefs.plist.tmp-" + dead + "-0", true},
        {"engine.sqlite.tmp-" + dead + "-12", true},
        {"Alice Smith.vcf.tmp-" + dead + "-3", true},
        {"prefs.plist.tmp-" + self + "-4", false},   // this process may still rename it
        {"prefs.plist.tmp-" + parent + "-1", false}, // a running process
        {"prefs.plist.tmp-" + dead, false},          // not a name the writer gives
        {"prefs.plist.tmp-" + dead + "-", false},
        {"prefs.plist.tmp-x" + dead + "-1", false},
        {".tmp-" + dead + "-1", false},
        {"prefs.plist", false},
        {"notes.tmp-" + dead + "-1.txt", false},
    };
    for (const auto& c : cases)
        writeFile(dir / c.name, "partial");
    // A folder and a link of that shape are not the writer's and stay.
    fs::create_directories(dir / ("folder.tmp-" + dead + "-1"));
    fs::create_symlink(dir / "prefs.plist", dir / ("link.tmp-" + dead + "-1"));

    const auto removed = files.removeStaleTemporaryFiles(dir.path());
    std::vector<fs::path> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fs::exists(dir / c.name), !c.removed);
        if (c.removed)
            expected.push_back(dir / c.name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
    EXPECT_TRUE(fs::is_directory(dir / ("folder.tmp-" + dead + "-1")));
    EXPECT_TRUE(fs::is_symlink(dir / ("link.tmp-" + dead + "-1")));
    EXPECT_TRUE(files.removeStaleTemporaryFiles(dir / "missing").empty());
}

TEST_F(FileManagerTest, LeftoverRemovalInASharedFolderKeepsToTheGivenNames) {
    const std::string dead = std::to_string(endedProcess());
    const std::string names[] = {
        "com.example.phone.plist.tmp-" + dead + "-0", // the defaults file's
        "other-program.conf.tmp-" + dead + "-0",      // someone else's
        "output.CSV.tmp-" + dead + "-0",
        "Bob.vcf.tmp-" + dead + "-1",
        "holiday.jpg.tmp-" + dead + "-2",
    };
    for (const auto& name : names)
        writeFile(dir / name, "partial");

    EXPECT_EQ(files.removeStaleTemporaryFiles(dir.path(), "com.example.phone.plist"),
              (std::vector<fs::path>{dir / names[0]}));
    EXPECT_EQ(files.removeStaleTemporaryFiles(dir.path(), {}, {".csv", ".vcf"}),
              (std::vector<fs::path>{dir / names[3], dir / names[2]}));
    EXPECT_TRUE(fs::exists(dir / names[1]));
    EXPECT_TRUE(fs::exists(dir / names[4]));
}

TEST_F(FileManagerTest, AtomicWritesCreateTheModeAskedFor) {
    const mode_t previous = umask(022);
    writeFile(dir / "secret", "old");
    fs::permissions(dir / "secret", fs::perms(0644));
    ASSERT_TRUE(files.writeAtomically(dir / "secret", "new", nullptr, 0600));
    ASSERT_TRUE(files.writeAtomically(dir / "open", "new"));
    umask(previous);
    struct stat info {};
    ASSERT_EQ(stat((dir / "secret").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the replaced file's wider mode is not kept";
    ASSERT_EQ(stat((dir / "open").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(FileManagerTest, AWritePastTheFileSizeLimitFailsInsteadOfKillingTheProcess) {
    // In a child, since both the limit and the signal's disposition belong to the process.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        platform::ignoreFileSizeLimitSignal();
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool written =
            files.writeAtomically(dir / "big", std::string(64 * 1024, 'x'), &error);
        const bool reported = error.find("too large") != std::string::npos;
        bool leftovers = false;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            leftovers = true, (void)entry;
        _exit(!written && reported && !leftovers ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must fail with its error and leave nothing";
}

} // namespace
