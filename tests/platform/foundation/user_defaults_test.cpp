#include "platform/foundation/BinaryPlistBytes.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

using foundation_test::ScopedEnv;
using foundation_test::TempDir;
using platform::UserDefaults;
using platform::Value;

namespace fs = std::filesystem;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setLogSink([this](std::string_view line) { logged.emplace_back(line); });
    }
    void TearDown() override { platform::setLogSink(nullptr); }

    std::vector<fs::path> asideFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().filename().string().find(".unreadable-") != std::string::npos)
                found.push_back(entry.path());
        return found;
    }

    TempDir dir;
    fs::path file = dir / "prefs" / "com.example.test.plist";
    std::vector<std::string> logged;
};

TEST_F(UserDefaultsTest, ValuesPersistAcrossInstances) {
    {
        UserDefaults defaults(file);
        EXPECT_FALSE(fs::exists(file));
        defaults.setBool("alwaysOnTop", true);
        defaults.setInteger("count", -3);
        defaults.setDouble("volume", 0.75);
        defaults.setString("mainPhone.locationTopLeft", "{10, 20}");
        defaults.setObject("blob", Value(Value::Data{1, 2, 3}));
        defaults.setObject("list", Value(Value::Array{Value("a"), Value(2)}));
        defaults.setString("gone", "soon");
        defaults.removeObjectForKey("gone");
        EXPECT_FALSE(fs::exists(file)) << "saved on the loop's next pass, or at the end";
    }
    UserDefaults again(file);
    EXPECT_TRUE(again.boolForKey("alwaysOnTop"));
    EXPECT_EQ(again.integerForKey("count"), -3);
    EXPECT_DOUBLE_EQ(again.doubleForKey("volume"), 0.75);
    EXPECT_EQ(again.stringForKey("mainPhone.locationTopLeft"), "{10, 20}");
    EXPECT_EQ(again.dataForKey("blob"), (Value::Data{1, 2, 3}));
    EXPECT_EQ(again.objectForKey("list")[1].intValue(), 2);
    EXPECT_TRUE(again.objectForKey("gone").isNull());
    EXPECT_TRUE(logged.empty());
}

TEST_F(UserDefaultsTest, TypedReadersAnswerLikeTheOriginal) {
    UserDefaults defaults(file);
    defaults.setObject("number", Value(5));
    defaults.setObject("text", Value("12"));
    defaults.setObject("yes", Value("YES"));
    defaults.setObject("list", Value(Value::Array{}));
    EXPECT_EQ(defaults.stringForKey("number"), "5");
    EXPECT_EQ(defaults.stringForKey("list"), std::nullopt);
    EXPECT_EQ(defaults.stringForKey("missing"), std::nullopt);
    EXPECT_EQ(defaults.integerForKey("text"), 12);
    EXPECT_TRUE(defaults.boolForKey("yes"));
    EXPECT_FALSE(defaults.boolForKey("missing"));
    EXPECT_EQ(defaults.integerForKey("missing"), 0);
    EXPECT_EQ(defaults.dataForKey("text"), std::nullopt);
    defaults.setObject("number", Value());
    EXPECT_TRUE(defaults.objectForKey("number").isNull());
}

TEST_F(UserDefaultsTest, UnreadableFileIsMovedAsideNotOverwritten) {
    const struct {
        const char* label;
        std::string contents;
    } cases[] = {
        {"not a property list", "this is { not a plist"},
        {"root is not a dictionary",
         Value(Value::Array{Value(1)}).toPropertyList(platform::PropertyListFormat::XML)},
        {"empty file", ""},
        {"binary list with a NUL in a key", foundation_test::bplist::nulInKey()},
        {"binary list with a date that is not a number", foundation_test::bplist::nanDate()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir.path());
        fs::create_directories(dir.path());
        file = dir / "com.example.test.plist";
        logged.clear();
        foundation_test::writeFile(file, c.contents);

        UserDefaults defaults(file);
        EXPECT_EQ(defaults.dictionaryRepresentation().count(), 0u);
        EXPECT_FALSE(fs::exists(file)) << "nothing is written until the next change";
        const auto aside = asideFiles();
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(foundation_test::readFile(aside[0]), c.contents);
        EXPECT_EQ(aside[0].filename().string().rfind("com.example.test.plist.unreadable-", 0), 0u);
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_NE(logged[0].find(aside[0].string()), std::string::npos);

        defaults.setBool("fresh", true);
        platform::RunLoop::main().runUntilIdle();
        ASSERT_TRUE(fs::exists(file));
        EXPECT_TRUE(UserDefaults(file).boolForKey("fresh"));
        EXPECT_EQ(foundation_test::readFile(aside[0]), c.contents);
    }
}

TEST_F(UserDefaultsTest, SecondUnreadableFileInTheSameSecondGetsItsOwnName) {
    file = dir / "com.example.test.plist";
    foundation_test::writeFile(file, "garbage one");
    UserDefaults first(file);
    foundation_test::writeFile(file, "garbage two");
    UserDefaults second(file);
    EXPECT_EQ(asideFiles().size(), 2u);
}

TEST_F(UserDefaultsTest, FileThatCannotBeMovedAsideIsLeftAloneAndNotSaved) {
    // A name so long that the aside name would exceed the file system's limit: the move
    // fails whatever the permissions.
    file = dir / (std::string(240, 'p') + ".plist");
    foundation_test::writeFile(file, "garbage");
    {
        UserDefaults defaults(file);
        defaults.setBool("x", true);
        EXPECT_FALSE(defaults.synchronize());
        EXPECT_TRUE(defaults.boolForKey("x")) << "kept in memory for this session";
    }
    EXPECT_EQ(foundation_test::readFile(file), "garbage");
    EXPECT_TRUE(asideFiles().empty());
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(logged[0].find("could not be moved aside"), std::string::npos);
}

TEST_F(UserDefaultsTest, StandardDefaultsFollowTheBundleIdentifierAndCanBeRedirected) {
    ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    fs::path bundle = dir / "bundle";
    foundation_test::writeFile(
        bundle / "Info.plist",
        Value(Value::Dictionary{{"CFBundleIdentifier", Value("com.example.phone")}})
            .toPropertyList());
    platform::Bundle::setMainBundlePath(bundle);
    EXPECT_EQ(UserDefaults::defaultsFilePath(), dir / "config" / "com.example.phone.plist");
    platform::Bundle::setMainBundlePath(dir / "empty-bundle");
    EXPECT_EQ(UserDefaults::defaultsFilePath(), dir / "config" / "com.orvanta.lumiq.plist");
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);

    UserDefaults& shared = UserDefaults::standardUserDefaults();
    UserDefaults::resetStandardUserDefaults(file);
    EXPECT_EQ(&shared, &UserDefaults::standardUserDefaults());
    shared.setInteger("answer", 42);
    UserDefaults::resetStandardUserDefaults(dir / "other.plist");
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("answer"), 0);
    UserDefaults::resetStandardUserDefaults(file);
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("answer"), 42);
}

class CoalescedWritesTest : public UserDefaultsTest {
protected:
    void SetUp() override {
        UserDefaultsTest::SetUp();
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        UserDefaults::setWriteObserver(
            [this](const fs::path& written) { writes.push_back(written); });
    }
    void TearDown() override {
        UserDefaults::setWriteObserver(nullptr);
        UserDefaults::setSaveFailureHandler(nullptr);
        platform::RunLoop::resetMain();
        UserDefaultsTest::TearDown();
    }
    static void nextPass() { platform::RunLoop::main().runUntilIdle(); }

    std::vector<fs::path> writes;
};

TEST_F(CoalescedWritesTest, ChangesOfOnePassAreWrittenOnceOnTheNextPass) {
    UserDefaults defaults(file);
    for (int i = 0; i < 17; ++i)
        defaults.setInteger("step" + std::to_string(i), i);
    defaults.removeObjectForKey("step0");
    EXPECT_TRUE(writes.empty());
    EXPECT_TRUE(defaults.hasUnsavedChanges());

    nextPass();
    ASSERT_EQ(writes, std::vector<fs::path>{file});
    EXPECT_FALSE(defaults.hasUnsavedChanges());
    EXPECT_EQ(UserDefaults(file).integerForKey("step16"), 16);
    EXPECT_TRUE(UserDefaults(file).objectForKey("step0").isNull());

    nextPass();
    EXPECT_EQ(writes.size(), 1u) << "nothing new, nothing written";
    defaults.setBool("later", true);
    // A pass in another mode (a modal alert, a menu) saves as well.
    platform::RunLoop::main().runUntilIdle(platform::EventTrackingRunLoopMode);
    EXPECT_EQ(writes.size(), 2u);
    EXPECT_TRUE(UserDefaults(file).boolForKey("later"));
}

TEST_F(CoalescedWritesTest, UnsavedChangesAreWrittenWhenTheLoopNeverComesBack) {
    const struct {
        const char* label;
        std::function<void(UserDefaults&)> end;
    } cases[] = {
        {"synchronize", [](UserDefaults& d) { EXPECT_TRUE(d.synchronize()); }},
        {"the defaults go", nullptr},
        {"replaced by other defaults",
         [this](UserDefaults& d) { d = UserDefaults(dir / "other.plist"); }},
        {"the loop is reset, then a later change",
         [this](UserDefaults& d) {
             platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
             d.setBool("again", true);
             nextPass();
             EXPECT_EQ(writes.size(), 1u) << "the dropped save is asked for again";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(file);
        writes.clear();
        {
            UserDefaults defaults(file);
            defaults.setString("kept", c.label);
            if (c.end)
                c.end(defaults);
        }
        nextPass();
        EXPECT_EQ(writes, std::vector<fs::path>{file}) << "written once";
        EXPECT_EQ(UserDefaults(file).stringForKey("kept"), c.label);
    }
}

TEST_F(CoalescedWritesTest, SharedDefaultsRedirectedToTheirOwnFileKeepTheUnsavedChanges) {
    // A restart in a test: the same file read afresh must see what was set just before.
    const fs::path previous = UserDefaults::standardUserDefaults().file();
    UserDefaults::resetStandardUserDefaults(file);
    UserDefaults::standardUserDefaults().setString("window", "{500, 400}");
    UserDefaults::resetStandardUserDefaults(file);
    EXPECT_EQ(UserDefaults::standardUserDefaults().stringForKey("window"), "{500, 400}");
    EXPECT_EQ(writes.size(), 1u);
    UserDefaults::resetStandardUserDefaults(previous);
}

TEST_F(CoalescedWritesTest, AFailedSaveIsReportedOnceAndRetriedUntilItSucceeds) {
    std::vector<std::string> reported;
    UserDefaults::setSaveFailureHandler([&](const fs::path& failed, const std::string& reason) {
        EXPECT_EQ(failed, file);
        reported.push_back(reason);
    });
    // A plain file where the folder belongs makes every write fail, as a full disk would.
    const fs::path folder = file.parent_path();
    foundation_test::writeFile(folder, "in the way");
    UserDefaults defaults(file);
    defaults.setBool("a", true);
    nextPass();
    defaults.setBool("b", true);
    nextPass();
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(writes.size(), 3u) << "each change tries again";
    ASSERT_EQ(reported.size(), 1u) << "the user hears of it once";
    EXPECT_NE(reported[0].find(file.filename().string()), std::string::npos);
    EXPECT_TRUE(defaults.hasUnsavedChanges());

    fs::remove(folder);
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_TRUE(UserDefaults(file).boolForKey("a"));
    EXPECT_TRUE(UserDefaults(file).boolForKey("b"));
    fs::remove_all(folder);
    foundation_test::writeFile(folder, "in the way");
    defaults.setBool("c", true);
    nextPass();
    EXPECT_EQ(reported.size(), 2u) << "a new failure after a success is told again";
    fs::remove(folder);
}

} // namespace
