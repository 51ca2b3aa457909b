#include "platform/foundation/FileManager.h"
#include "platform/foundation/TestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
