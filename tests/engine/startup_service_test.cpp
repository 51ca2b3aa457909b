#include "EngineTestSupport.h"
#include "platform/foundation/Value.h"

#include <chrono>
#include <filesystem>
#include <sqlite3.h>
#include <thread>

using namespace engine_test;
namespace fs = std::filesystem;

namespace {

class StartupServiceTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine().setDelegate(&recorder);
    }
    void TearDown() override {
        engine().removeDelegate(&recorder);
        EngineTest::TearDown();
    }
    RecordingDelegate recorder;
};

TEST_F(StartupServiceTest, InitialisationIsAnsweredOnALaterPassAndOpensTheStore) {
    initialize("alice");
    engine().setCulture("fr_CA");
    EXPECT_TRUE(recorder.calls.empty()) << "the interface must never wait on the engine";

    settle();

    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitCompleted"}));
    EXPECT_TRUE(engine().initialized());
    EXPECT_TRUE(engine().store().isOpen());
    EXPECT_TRUE(fs::is_regular_file(settingsFolder / EngineStore::fileName));
    EXPECT_EQ(engine().store().value("culture"), "fr_CA");
    ASSERT_TRUE(engine().initializeArguments());
    EXPECT_EQ(engine().initializeArguments()->userName, "alice");
    EXPECT_EQ(engine().initializeArguments()->defaultGroups,
              (std::vector<std::string>{"Friends", "Family", "Work"}));
    EXPECT_EQ(engine().phoneService()->userName(), "alice");
}

TEST_F(StartupServiceTest, InitialisationFailsWhenTheStoreCannotBeOpened) {
    // The user-setting folder is taken by a plain file, so no database can be made there.
    writeFile(settingsFolder, "not a folder");

    initialize();
    settle();

    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitFailed"}));
    EXPECT_NE(recorder.failure.find(settingsFolder.string()), std::string::npos);
    EXPECT_FALSE(engine().initialized());
    EXPECT_EQ(foundation_test::readFile(settingsFolder), "not a folder");
}

TEST_F(StartupServiceTest, InitialisationFailsOnAStoreFileThatIsNotADatabase) {
    writeFile(settingsFolder / EngineStore::fileName, std::string(4096, 'x'));

    initialize();
    settle();

    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitFailed"}));
}

TEST_F(StartupServiceTest, AnswersReachTheInterfaceWhileItWaitsInAModalLoop) {
    initialize();
    platform::RunLoop::main().runUntilIdle(platform::ModalPanelRunLoopMode);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitCompleted"}));
}

TEST_F(StartupServiceTest, StartBeforeInitialisationFails) {
    engine().start("alice");
    settle();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"StartFailed"}));
    EXPECT_FALSE(engine().started());
}

TEST_F(StartupServiceTest, TheWholeRoadAnswersInOrder) {
    initialize();
    settle();
    engine().login(engine().loginProfiles().front(), credentials("bob", "builder"));
    pass(1);
    engine().start("bob");
    EXPECT_FALSE(engine().started());
    settle();
    EXPECT_TRUE(engine().started());
    engine().logout(StartupService::LogoutReason::user);
    settle();
    EXPECT_FALSE(engine().started());
    pass(1);
    initialize();
    settle();
    engine().stop();
    settle();

    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"InitCompleted", "LoginStarted", "LoginSucceeded:bob",
                                        "StartCompleted", "LogoutStarted:user", "LogoutComplete",
                                        "InitCompleted", "Stopped"}));
    EXPECT_FALSE(engine().store().isOpen());
}

TEST_F(StartupServiceTest, CancelledSignInNeverSucceeds) {
    initialize();
    settle();
    engine().login(nullptr, platform::Value(platform::Value::Dictionary{{"username", "bob"}}));
    engine().cancelLogin();
    settle();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitCompleted", "LoginCancelled"}));
}

TEST_F(StartupServiceTest, ResetDropsAnswersStillQueuedForTheOldEngine) {
    initialize();
    engine().removeDelegate(&recorder);
    StartupService::resetInstance();
    RecordingDelegate fresh;
    engine().setDelegate(&fresh);

    settle();

    EXPECT_TRUE(fresh.calls.empty());
    EXPECT_TRUE(recorder.calls.empty());
    engine().removeDelegate(&fresh);
}

TEST_F(StartupServiceTest, EveryRegistrantHearsEachAnswerInRegistrationOrder) {
    struct Ordered : OVStartupServicePro {
        Ordered(std::vector<std::string>& log, std::string name) : log(log), name(name) {}
        void ovssInitCompleted() override { log.push_back(name); }
        std::vector<std::string>& log;
        std::string name;
    };
    std::vector<std::string> log;
    Ordered first(log, "first");
    Ordered second(log, "second");
    engine().setDelegate(&first);
    engine().setDelegate(&second);

    initialize();
    settle();
    engine().removeDelegate(&first);
    initialize();
    settle();

    EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "second"}));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"InitCompleted", "InitCompleted"}));
    engine().removeDelegate(&second);
}

TEST_F(EngineTest, ServicesAreLongLived) {
    auto phone = engine().phoneService();
    ASSERT_TRUE(phone);
    EXPECT_EQ(phone, engine().phoneService());
    EXPECT_TRUE(phone->getDTMFService());
    EXPECT_EQ(phone->getDTMFService(), phone->getDTMFService());
    EXPECT_EQ(phone->getPreferenceSettings(), phone->getPreferenceSettings());
    EXPECT_EQ(phone->getConversationService(), phone->getConversationService());
    EXPECT_EQ(phone->getContactImporterExporter(), phone->getContactImporterExporter());
}

TEST_F(EngineTest, UserSettingFolderIsTheProductsSettingsFolder) {
    ScopedEnv data("XDG_DATA_HOME", (tmp / "data").string());
    engine().phoneService()->setUserSettingFolder(std::nullopt);
    EXPECT_EQ(engine().phoneService()->getUserSettingFolder(),
              (tmp / "data" / "Orvanta" / "Lumiq").string());
}

TEST_F(EngineTest, ResolvesItsOwnMacrosWithoutRegardToCase) {
    initialize("alice");
    engine().setCulture("en-GB");
    const auto phone = engine().phoneService();

    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"https://x.example/?u=$username$", "https://x.example/?u=alice"},
        {"https://x.example/?u=$UserName$&c=$CULTURE$", "https://x.example/?u=alice&c=en-GB"},
        {"v$version$", "v1.0"},
        {"$unknown$ and $username", "$unknown$ and $username"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(phone->resolveUrlMacros(c.text), c.expected) << c.text;
    }
}

TEST(EngineStoreTest, OpeningWaitsForAnotherConnectionHoldingTheDatabase) {
    TempDir dir;
    {
        EngineStore first;
        ASSERT_EQ(first.open(dir.path()), std::nullopt);
    }
    // Another process (a second instance, a backup) holds the write lock for a moment.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((dir / EngineStore::fileName).c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });

    EngineStore store;
    const auto error = store.open(dir.path());
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(error, std::nullopt) << "not \"database is locked\" at once";
    EXPECT_TRUE(store.setValue("after", "the wait"));
}

} // namespace
