#include "app/MainWindowTestSupport.h"
#include "app/core/FilePasswordStore.h"
#include "app/core/Indicators.h"
#include "app/core/PasswordCrypto.h"
#include "app/core/SecureTextField.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ProgressIndicator.h"

#include <sys/stat.h>

namespace app_test {
namespace {

using platform::Value;

class LoginTest : public MainWindowTest {
protected:
    // The remembered values of a user who signed in with "remember password" and, when
    // `autoSignIn`, "sign in automatically".
    static void rememberAlice(bool autoSignIn, int profileID = 1) {
        auto& d = defaults();
        d.setInteger("login.lastProfileID", profileID);
        for (const char* key : {"login.remember.username", "login.remember.displayname",
                                "login.remember.authname", "login.remember.password"})
            d.setBool(key, true);
        d.setBool("login.remember.autosignin", autoSignIn);
        d.setString("login.last_value.username", "alice");
        d.setObject("login.last_value.password", Value(encryptedRememberedPassword("wonderland")));
    }
    static std::vector<std::string> menuTitles() { return login().profilesMenu()->itemTitles(); }
    static double top(const platform::View* view) { return view->frame().maxY(); }
    static double bottom(const platform::View* view) { return view->frame().minY(); }
};

TEST(LoginServerText, CleanupKeepsTheHostAndPort) {
    const struct {
        const char* text;
        const char* host;
    } cases[] = {
        {"sip.lumiq.example", "sip.lumiq.example"},
        {"https://provisioning.example:8443/config/user", "provisioning.example:8443"},
        {"https://h/path", "h"},
        {"host/path/more", "host"},
        {"scheme://", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoginController::cleanupServerString(c.text), c.host) << c.text;
}

TEST_F(LoginTest, TheMenuListsTheEnginesProfilesWithTheirTitlesAndServers) {
    const std::string twenty = "abcdefghij.example12";     // 20 characters: kept whole
    const std::string twentyOne = "abcdefghij.example123"; // 21: cut to 17 and "..."
    useProfiles({
        profile(1, "NO_LOGIN"),
        profile(2, "BUILTIN", {{"data", Value("https://" + twenty + "/cfg")}}),
        profile(3, "BUILTIN", {{"data", Value("https://" + twentyOne + "/cfg")}}),
        profile(4, "USER_BUILTIN", {{"name", Value("Office")}}),
        profile(5, "AUTODETECT", {{"data", Value("dhcp.example")}}),
        profile(6, "USER_MANUAL", {{"name", Value("Mine")}, {"data", Value("mine.example")}}),
        profile(7, "LOCAL", {{"data", Value("local.example")}}),
        profile(8, "MANUAL", {{"data", Value("sip.lumiq.example")}}),
    });
    launch();
    EXPECT_EQ(menuTitles(), (std::vector<std::string>{
                                "No login required.",
                                "Use preconfigured login server.",
                                "Use preconfigured login server.",
                                "Office",
                                "DHCP provided: \"dhcp.example\"",
                                "Mine",
                                "Use local login.",
                                "Manually configure login server:",
                            }));
    EXPECT_EQ(login().server()->stringValue(), "sip.lumiq.example")
        << "the last profile that carries a server fills the field";
    EXPECT_EQ(login().profilesMenu()->indexOfSelectedItem(), 1)
        << "a leading no-login profile is passed over";
    EXPECT_EQ(login().primaryMsg()->stringValue(),
              "Welcome to Lumiq!\nPlease select a profile from the menu below to complete the "
              "login");
}

TEST_F(LoginTest, ShortServersInTitlesAreCutAfterTwentyCharacters) {
    useProfiles({
        profile(1, "AUTODETECT", {{"data", Value("https://abcdefghij.example12/x")}}),
        profile(2, "AUTODETECT", {{"data", Value("https://abcdefghij.example123/x")}}),
    });
    launch();
    EXPECT_EQ(menuTitles(), (std::vector<std::string>{"DHCP provided: \"abcdefghij.example12\"",
                                                      "DHCP provided: \"abcdefghij.exampl...\""}));
}

TEST_F(LoginTest, TheRememberedProfileIsSelectedElseTheFirstSignInProfile) {
    const struct {
        const char* name;
        std::optional<int> lastProfileID;
        Value::Array profiles;
        long selected;
    } cases[] = {
        {"remembered", 3, {profile(1, "BUILTIN"), profile(3, "MANUAL")}, 1},
        {"unknown id, no-login first", 9, {profile(1, "NO_LOGIN"), profile(2, "BUILTIN")}, 1},
        {"nothing remembered", std::nullopt, {profile(1, "BUILTIN"), profile(2, "NO_LOGIN")}, 0},
    };
    for (const auto& c : cases) {
        useProfiles(c.profiles);
        if (c.lastProfileID)
            defaults().setInteger("login.lastProfileID", *c.lastProfileID);
        launch();
        EXPECT_EQ(login().profilesMenu()->indexOfSelectedItem(), c.selected) << c.name;
    }
}

TEST_F(LoginTest, ASecondProfileWithATokenIsDropped) {
    useProfiles({profile(1, "BUILTIN"), profile(2, "BUILTIN", {{"token", Value("t")}})});
    launch();
    EXPECT_EQ(login().profilesMenu()->numberOfItems(), 1);
    EXPECT_TRUE(login().profilesMenu()->isHidden()) << "one profile needs no menu";
}

TEST_F(LoginTest, TheRememberedPasswordSurvivesARestartOnlyEncrypted) {
    MainAppWindow& first = launch();
    ASSERT_EQ(first.currentViewName(), "login");
    EXPECT_EQ(login().remPassword()->state(), platform::OnState)
        << "remembering is on by default for a new user";

    SignInRecorder recorder;
    typeInto(*login().username(), "alice");
    typeInto(*login().password(), "wonderland");
    click(*login().loginButton());
    EXPECT_TRUE(login().loggingIn());
    runFor(LoginController::kLoginDelay);
    runFor(1.0);
    ASSERT_EQ(recorder.succeeded, std::vector<std::string>{"alice"});
    // The application controller hands the success to the login view, which remembers the
    // values before the engine starts and the view goes.

    // Kept in the password store (here the owner-only file), not in the defaults.
    EXPECT_TRUE(defaults().objectForKey(legacyRememberedPasswordKey).isNull());
    ASSERT_TRUE(defaults().synchronize());
    EXPECT_EQ(foundation_test::readFile(defaults().file()).find("wonderland"), std::string::npos);
    EXPECT_EQ(PasswordStore::shared().password(), "wonderland");
    struct stat info {};
    ASSERT_EQ(stat(FilePasswordStore::defaultFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(defaults().stringForKey("login.last_value.username"), "alice");
    EXPECT_EQ(defaults().integerForKey("login.lastProfileID"), 1);

    // The defaults are read back from the file by a new process.
    startOver();
    defaults().setBool("login.remember.autosignin", false);
    launch();
    EXPECT_EQ(login().username()->stringValue(), "alice");
    EXPECT_EQ(login().password()->stringValue(), "wonderland");
    EXPECT_FALSE(login().autoLoginInProgress());
}

TEST_F(LoginTest, AStoredPasswordThatDoesNotDecryptLeavesTheFieldEmpty) {
    auto encrypted = [](std::string_view text, std::string_view key) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        return Value(*encryptWithKey(bytes, key));
    };
    const struct {
        const char* name;
        Value stored;
        std::string shown;
    } cases[] = {
        {"not a whole block", Value(Value::Data(15, 0x41)), ""},
        {"another key's cipher text", encrypted("secret", "AnotherKey"), ""},
        {"bytes that are not text",
         Value(*encryptWithKey(std::vector<std::uint8_t>{0xff, 0xfe}, rememberedPasswordKey)), ""},
        {"empty data", Value(Value::Data()), ""},
        {"a number", Value(42), ""},
        {"text from an older version", Value("plain"), "plain"},
        {"the right key", encrypted("wonderland", rememberedPasswordKey), "wonderland"},
    };
    for (const auto& c : cases) {
        startOver();
        PasswordStore::shared().removePassword();
        defaults().setString("login.last_value.username", "alice");
        defaults().setObject("login.last_value.password", c.stored);
        launch();
        EXPECT_EQ(login().password()->stringValue(), c.shown) << c.name;
        // Read once: what could be read now lives in the password store, the rest is gone.
        EXPECT_TRUE(defaults().objectForKey(legacyRememberedPasswordKey).isNull()) << c.name;
        EXPECT_EQ(PasswordStore::shared().password().value_or(""), c.shown) << c.name;
    }
}

TEST_F(LoginTest, TheCountdownSignsInAfterTwelveTicks) {
    rememberAlice(true);
    SignInRecorder recorder;
    launch();
    LoginController& l = login();
    ASSERT_TRUE(l.autoLoginInProgress());
    EXPECT_EQ(l.autoLoginMessage()->stringValue(), "Logging-in in 3 seconds...");
    EXPECT_FALSE(l.autoLoginMessage()->isHidden());
    EXPECT_DOUBLE_EQ(l.autoLoginLevel()->doubleValue(), 10);
    EXPECT_EQ(l.loginButton()->title(), "Cancel");
    EXPECT_TRUE(l.profilesMenu()->isHidden());
    EXPECT_FALSE(l.username()->isEnabled()) << "fields keep their text but cannot change";
    EXPECT_EQ(l.username()->stringValue(), "alice");

    runFor(1.0);
    EXPECT_EQ(l.autoLoginMessage()->stringValue(), "Logging-in in 2 seconds...");
    EXPECT_NEAR(l.autoLoginLevel()->doubleValue(), 2.0 * 10 / 3, 1e-4);
    runFor(1.75);
    EXPECT_TRUE(l.autoLoginInProgress()) << "eleven ticks leave a quarter of a second";
    EXPECT_FALSE(l.loggingIn());
    runFor(0.25);
    EXPECT_FALSE(l.autoLoginInProgress());
    EXPECT_EQ(l.autoLoginTimer(), nullptr);
    EXPECT_TRUE(l.loggingIn());
    EXPECT_EQ(l.loginStatusMessage()->stringValue(), "Logging in...");
    EXPECT_EQ(recorder.started, 0) << "the request waits one second";
    runFor(LoginController::kLoginDelay);
    EXPECT_EQ(recorder.started, 1);
    EXPECT_EQ(l.lastLoggedInUsername(), "alice");
    runFor(1.0);
    EXPECT_EQ(recorder.succeeded, std::vector<std::string>{"alice"})
        << "the remembered password went with the request";
}

TEST_F(LoginTest, TheUserStopsTheCountdownFromTheKeyboardOrTheButton) {
    for (const bool byKey : {true, false}) {
        startOver();
        rememberAlice(true);
        SignInRecorder recorder;
        launch();
        ASSERT_TRUE(login().autoLoginInProgress());
        runFor(1.0);
        if (byKey)
            screen->key(U'\r');
        else
            click(*login().loginButton());
        EXPECT_FALSE(login().autoLoginInProgress()) << byKey;
        EXPECT_EQ(login().autoLoginTimer(), nullptr);
        EXPECT_FALSE(login().loggingIn()) << "stopping sends nothing";
        EXPECT_EQ(login().loginButton()->title(), "Login");
        EXPECT_TRUE(login().username()->isEnabled());
        EXPECT_TRUE(login().autoLoginMessage()->isHidden());
        runFor(10);
        EXPECT_EQ(recorder.started, 0) << byKey;
    }
}

TEST_F(LoginTest, ACountdownOfAQuarterSecondOrLessSignsInAtOnce) {
    useProfiles({profile(1, "BUILTIN", {{"autoLoginTimeout", Value(0)}})});
    rememberAlice(true);
    launch();
    EXPECT_FALSE(login().autoLoginInProgress());
    EXPECT_TRUE(login().loggingIn());
    EXPECT_NE(login().loginDelayTimer(), nullptr);
}

TEST_F(LoginTest, ARememberedPasswordThatIsGoneStartsNoCountdown) {
    rememberAlice(true);
    defaults().removeObjectForKey("login.last_value.password");
    PasswordStore::shared().removePassword();
    SignInRecorder recorder;
    launch();
    EXPECT_FALSE(login().autoLoginInProgress());
    EXPECT_FALSE(login().loggingIn());
    EXPECT_EQ(login().username()->stringValue(), "alice");
    ASSERT_TRUE(login().password()->isEnabled()) << "the user can type the password at once";
    typeInto(*login().password(), "wonderland\n");
    runFor(LoginController::kLoginDelay + 1.0);
    EXPECT_EQ(recorder.succeeded, std::vector<std::string>{"alice"});
}

TEST_F(LoginTest, NoCountdownWithoutTheBoxOrWithANegativeTimeout) {
    rememberAlice(false);
    launch();
    EXPECT_FALSE(login().autoLoginInProgress());

    useProfiles({profile(1, "BUILTIN")}); // no timeout: -1
    rememberAlice(true);
    launch();
    EXPECT_FALSE(login().autoLoginInProgress());
    EXPECT_TRUE(login().remAutoSignIn()->isHidden());
}

TEST_F(LoginTest, MissingRequiredFieldsAreNamedAndNothingIsSent) {
    SignInRecorder recorder;
    launch();
    const double before = window().frame().height();
    typeInto(*login().username(), "  alice \n");
    login().login(nullptr);
    EXPECT_EQ(login().username()->stringValue(), "alice") << "trimmed and written back";
    EXPECT_EQ(login().errorMsg()->stringValue(), "Please enter Password");
    EXPECT_FALSE(login().errorMsg()->isHidden());
    EXPECT_FALSE(login().loggingIn());
    EXPECT_GT(window().frame().height(), before) << "the error text grows the window";
    runFor(5);
    EXPECT_EQ(recorder.started, 0);

    login().username()->setStringValue("");
    login().login(nullptr);
    EXPECT_EQ(login().errorMsg()->stringValue(), "Please enter User Name")
        << "the first missing field is named";
}

TEST_F(LoginTest, TheMissingFieldErrorFollowsTheTyping) {
    launch();
    typeInto(*login().username(), "alice\n");
    ASSERT_EQ(login().errorMsg()->stringValue(), "Please enter Password");
    // The user name erased by hand, then a password typed: the user name is what is missing.
    click(*login().username());
    for (int i = 0; i < 5; ++i)
        screen->key(platform::DeleteCharacter);
    ASSERT_EQ(login().username()->stringValue(), "");
    typeInto(*login().password(), "secret");
    EXPECT_EQ(login().errorMsg()->stringValue(), "Please enter User Name");
    typeInto(*login().username(), "bob");
    EXPECT_EQ(login().errorMsg()->stringValue(), "") << "nothing missing, nothing said";
    EXPECT_TRUE(login().errorMsg()->isHidden());
    // Other errors are the server's and stay until the next attempt.
    login().loginFailed("The server said no.");
    typeInto(*login().password(), "other");
    EXPECT_EQ(login().errorMsg()->stringValue(), "The server said no.");
}

TEST_F(LoginTest, ALongErrorGrowsTheBottomPartAndAnEmptyOneHidesIt) {
    launch();
    const double bottomHeight = login().bottomView()->frame().height();
    const double windowHeight = window().frame().height();
    EXPECT_TRUE(login().errorMsg()->isHidden());
    login().loginFailed("The server said no.\nIt gave two reasons.\nAnd a third line.");
    EXPECT_FALSE(login().errorMsg()->isHidden());
    const double grown = login().bottomView()->frame().height() - bottomHeight;
    EXPECT_GT(grown, 3 * 12.0);
    EXPECT_DOUBLE_EQ(window().frame().height(), windowHeight + grown);
    EXPECT_GE(bottom(login().errorMsg()), top(login().loginButton()))
        << "the text stays above the button";

    login().loginFailed("");
    EXPECT_TRUE(login().errorMsg()->isHidden());
    EXPECT_DOUBLE_EQ(window().frame().height(), windowHeight);
}

TEST_F(LoginTest, TheFieldColumnClosesUpOverFieldsTheProfileDoesNotAskFor) {
    const struct {
        const char* name;
        Value profile;
        bool displayAndAuth;
    } cases[] = {
        {"user name and password", profile(1, "BUILTIN"), false},
        {"every field",
         profile(1, "MANUAL", {{"askDisplayName", Value(true)}, {"askAuthName", Value(true)}}),
         true},
    };
    for (const auto& c : cases) {
        useProfiles({c.profile});
        launch();
        LoginController& l = login();
        EXPECT_EQ(l.displayName()->isHidden(), !c.displayAndAuth) << c.name;
        EXPECT_EQ(l.displayNameLabel()->isHidden(), !c.displayAndAuth) << c.name;
        EXPECT_EQ(l.authName()->isHidden(), !c.displayAndAuth) << c.name;
        EXPECT_EQ(l.displayNameState(), c.displayAndAuth ? 0 : 2) << c.name;
        const double mainTop = l.mainView()->bounds().maxY();
        EXPECT_DOUBLE_EQ(top(l.username()), mainTop - 5) << c.name;
        EXPECT_DOUBLE_EQ(l.username()->frame().maxX(), l.mainView()->bounds().maxX() - 20);
        EXPECT_DOUBLE_EQ(l.usernameLabel()->frame().maxX(), l.username()->frame().minX() - 2);
        EXPECT_DOUBLE_EQ(top(l.usernameLabel()), top(l.username()) - 2);
        const platform::View* above = c.displayAndAuth ? l.authName() : l.username();
        EXPECT_DOUBLE_EQ(top(l.password()), bottom(above) - 5) << c.name;
        if (c.displayAndAuth) {
            EXPECT_DOUBLE_EQ(top(l.displayName()), bottom(l.username()) - 5);
        }
        EXPECT_DOUBLE_EQ(l.password()->frame().maxX(), l.username()->frame().maxX());
        EXPECT_EQ(l.server()->isHidden(), !c.displayAndAuth) << "manual profiles show the server";
        // Everything shown fits inside the middle part.
        for (const auto& subview : l.mainView()->subviews()) {
            if (!subview->isHidden() && l.layoutManagerMainView().findContainer(subview.get())) {
                EXPECT_GE(subview->frame().minY(), -0.01)
                    << c.name << " " << subview->description();
            }
        }
    }
}

TEST_F(LoginTest, LabelsShowTheirWholeTextAndTheSpinnerKeepsClearOfTheBoxes) {
    const struct {
        const char* name;
        Value profile;
    } cases[] = {
        {"user name and password", profile(1, "BUILTIN")},
        {"manual server, every field", profile(1, "MANUAL",
                                               {{"askDisplayName", Value(true)},
                                                {"askAuthName", Value(true)},
                                                {"data", Value("sip.lumiq.example")}})},
    };
    // The frame of a view in the window, so that views of different parts compare.
    const auto inWindow = [](const platform::View* view) {
        return view->convertRectToView(view->bounds(), nullptr);
    };
    const auto fits = [](platform::TextField* label) {
        return label->cell()->cellSize().width <= label->frame().width() + 0.5;
    };
    for (const auto& c : cases) {
        useProfiles({c.profile});
        rememberAlice(false);
        launch();
        LoginController& l = login();
        for (platform::TextField* label :
             {l.usernameLabel(), l.displayNameLabel(), l.authNameLabel(), l.passwordLabel()})
            if (!label->isHidden())
                EXPECT_TRUE(fits(label)) << c.name << ": " << label->stringValue();
        EXPECT_EQ(l.authNameLabel()->isHidden(), c.profile["askAuthName"].isNull()) << c.name;

        for (platform::TextField* field : {l.displayName(), l.authName()})
            if (!field->isHidden())
                typeInto(*field, "alice");
        typeInto(*l.password(), "wonderland");
        screen->key(U'\r');
        ASSERT_TRUE(l.loggingIn()) << c.name << ": " << l.errorMsg()->stringValue();
        ASSERT_FALSE(l.loginProgressIndicator()->isHidden());
        ASSERT_FALSE(l.loginStatusMessage()->isHidden());
        EXPECT_EQ(l.loginStatusMessage()->stringValue(), "Logging in...");
        EXPECT_TRUE(fits(l.loginStatusMessage())) << c.name;
        const std::vector<const platform::View*> busy = {l.loginProgressIndicator(),
                                                         l.loginStatusMessage()};
        std::vector<const platform::View*> others = {l.remPassword(), l.remAutoSignIn(),
                                                     l.password(), l.forgotPasswordButton()};
        others.push_back(busy[1]);
        for (const platform::View* view : busy) {
            EXPECT_TRUE(l.mainView()->bounds().containsRect(view->frame())) << c.name;
            for (const platform::View* other : others) {
                if (other == view || other->isHidden())
                    continue;
                EXPECT_FALSE(inWindow(view).intersects(inWindow(other)))
                    << c.name << ": " << view->description() << " over " << other->description();
            }
        }
        l.login(nullptr); // cancels
        runFor(2);
    }
}

TEST_F(LoginTest, ChoosingTheNoLoginProfileShowsItsTextAndContinue) {
    SignInRecorder recorder;
    launch();
    platform::PopUpButton& menu = *login().profilesMenu();
    const long noLogin = menu.numberOfItems() - 1;
    platform::Menu::setTrackingHook([noLogin](platform::Menu& opened) {
        opened.finishTrackingWithItem(opened.itemAtIndex(noLogin));
    });
    click(menu);
    platform::Menu::setTrackingHook(nullptr);
    EXPECT_EQ(menu.indexOfSelectedItem(), noLogin);
    EXPECT_TRUE(login().mainView()->isHidden());
    EXPECT_FALSE(login().noLoginView()->isHidden());
    EXPECT_EQ(login().loginButton()->title(), "Continue");
    EXPECT_TRUE(login().loginButton()->isEnabled()) << "nothing is required";

    typeInto(*login().username(), "ignored");
    login().login(nullptr);
    EXPECT_TRUE(login().skipping());
    EXPECT_TRUE(login().loggingIn());
    EXPECT_EQ(login().username()->stringValue(), "");
    EXPECT_FALSE(login().profilesMenu()->isEnabled());
    EXPECT_TRUE(engine().loggingIn()) << "sent at once";
    runFor(2);
    EXPECT_EQ(recorder.succeeded.size(), 1u);
}

TEST_F(LoginTest, RememberPasswordFollowsTheUserNameBoxUntilTheFieldsAreComplete) {
    defaults().setBool("login.remember.username", false);
    launch();
    LoginController& l = login();
    ASSERT_EQ(l.remUsername()->state(), platform::OffState);
    EXPECT_FALSE(l.remPassword()->isEnabled());
    EXPECT_FALSE(l.loginButton()->isEnabled());
    EXPECT_EQ(l.username()->placeholderString(), "Username or Phone Number");

    typeInto(*l.username(), "alice");
    EXPECT_EQ(l.username()->placeholderString(), "");
    EXPECT_FALSE(l.loginButton()->isEnabled()) << "the password is still missing";
    typeInto(*l.password(), "w");
    EXPECT_TRUE(l.loginButton()->isEnabled());
    EXPECT_TRUE(l.remPassword()->isEnabled()) << "completeness has the last word";

    // Switching remember-password off also switches automatic sign-in off.
    l.remPassword()->setState(platform::OffState);
    l.checkBoxChanged(nullptr);
    EXPECT_EQ(l.remAutoSignIn()->state(), platform::OffState);
}

TEST_F(LoginTest, ReturnInAFieldSignsInOnlyWithAUserName) {
    launch();
    typeInto(*login().password(), "wonderland");
    screen->key(U'\r');
    EXPECT_FALSE(login().loggingIn()) << "no user name: consumed, nothing happens";
    typeInto(*login().username(), "alice");
    screen->key(U'\x1b');
    EXPECT_FALSE(login().loggingIn()) << "Escape does nothing";
    screen->key(U'\r');
    EXPECT_TRUE(login().loggingIn());
    EXPECT_EQ(login().loginButton()->title(), "Cancel");

    // The button now withdraws the request.
    SignInRecorder recorder;
    click(*login().loginButton());
    EXPECT_FALSE(login().loggingIn());
    EXPECT_EQ(login().loginButton()->title(), "Login");
    runFor(3);
    EXPECT_EQ(recorder.started, 0) << "the delayed request never goes out";
}

TEST_F(LoginTest, ThePasswordIsNeverDrawnNorCopied) {
    launch();
    platform::TextField& password = *login().password();
    auto picture = [&](std::string text) {
        password.setStringValue(std::move(text));
        window().displayIfNeeded();
        return screen->snapshotWindow(window());
    };
    auto same = [](const platform::Image& a, const platform::Image& b) {
        for (int y = 0; y < a.pixelsHigh(); ++y)
            for (int x = 0; x < a.pixelsWide(); ++x)
                if (!(a.colorAt(x, y) == b.colorAt(x, y)))
                    return false;
        return true;
    };
    auto abc = picture("abc");
    auto xyz = picture("xyz");
    auto abcd = picture("abcd");
    EXPECT_TRUE(same(*abc, *xyz)) << "three characters look alike whatever they are";
    EXPECT_FALSE(same(*abc, *abcd));

    // While editing, the editor draws bullets too and will not copy.
    platform::Pasteboard::generalPasteboard().writeString("before");
    typeInto(password, "secret");
    auto* editor = dynamic_cast<SecureFieldEditor*>(window().firstResponder());
    ASSERT_NE(editor, nullptr);
    editor->selectAll(nullptr);
    screen->key(U'c', platform::CommandKeyMask);
    editor->copy(nullptr);
    EXPECT_EQ(
        platform::Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
        "before");
}

TEST_F(LoginTest, AProfileWithoutSignInShowsTheSplashAndSendsAfterTwoSeconds) {
    useProfiles({profile(1, "NO_LOGIN")});
    SignInRecorder recorder;
    MainAppWindow& window = launch();
    EXPECT_EQ(window.currentViewName(), "splash");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(login().parentWindow(), nullptr) << "nothing to take out of the window later";
    runFor(1.9);
    EXPECT_EQ(recorder.started, 0);
    runFor(0.2);
    EXPECT_EQ(recorder.started, 1);
    runFor(1);
    EXPECT_EQ(recorder.succeeded.size(), 1u);
}

TEST_F(LoginTest, AProfileUpdateReadsTheProfilesAgain) {
    const struct {
        const char* name;
        Value::Array profiles;
        std::string message;
        bool sentAgain;
    } cases[] = {
        {"three profiles: the second is chosen and the user decides",
         {profile(1, "BUILTIN"), profile(2, "MANUAL"), profile(3, "LOCAL")},
         "Your provider changed the way you sign in.",
         false},
        {"two profiles: the request goes out again at once",
         {profile(1, "BUILTIN"), profile(2, "MANUAL")},
         "",
         true},
    };
    for (const auto& c : cases) {
        useProfiles(c.profiles);
        launch();
        login().loginFailed("an older error");
        login().setLoggingIn(true);
        login().profileUpdated(c.message);
        EXPECT_EQ(login().profilesMenu()->indexOfSelectedItem(), 1) << c.name;
        EXPECT_EQ(engine().loggingIn(), c.sentAgain) << c.name;
        EXPECT_EQ(login().loggingIn(), c.sentAgain) << c.name;
        EXPECT_EQ(login().profilesMenu()->isHidden(), c.sentAgain) << c.name;
        if (c.message.empty()) {
            EXPECT_EQ(login().errorMsg()->stringValue(), "") << c.name;
        } else {
            EXPECT_EQ(login().primaryMsg()->stringValue(), c.message) << c.name;
        }
    }
}

TEST_F(LoginTest, TheLinksOpenTheBrandsAddresses) {
    std::vector<std::string> opened;
    LoginController::setURLOpener([&](const std::string& url) { opened.push_back(url); });
    launch();
    ASSERT_FALSE(login().helpButton()->isHidden()) << "the brand names a help address";
    ASSERT_FALSE(login().forgotPasswordButton()->isHidden());
    login().loginFailed("Wrong password");
    click(*login().forgotPasswordButton());
    click(*login().helpButton());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind("https://accounts.orvanta.example/reset?user=", 0), 0u) << opened[0];
    EXPECT_EQ(opened[1], "https://help.orvanta.example/lumiq/en-US/signin.html");
    EXPECT_EQ(login().errorMsg()->stringValue(), "");
    EXPECT_TRUE(login().errorMsg()->isHidden());
}

} // namespace
} // namespace app_test
