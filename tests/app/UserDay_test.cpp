// A user's day with the real program on a virtual X server: it is started as a user starts
// it, gets its input only through the server (XTest clicks and keys), and is looked at from
// outside, through the report of what it shows that it gives over its local socket and
// through pictures of the screen, one after each step. Skipped when Xvfb or XTest cannot be
// had.
#include "ChildProcess.h"
#include "app/core/EntryRequests.h"
#include "app/core/InstanceChannel.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"
#include "platform/screen/SdlXvfb.h"
#include "platform/screen/XScreenshot.h"
#include "platform/screen/XTestInput.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace fs = std::filesystem;
using platform::Value;

namespace {

// A view of the report: where it is on the screen and what it shows.
struct Shown {
    std::string window;
    std::string kind;
    std::string text;
    std::string placeholder;
    bool enabled = true;
    long rows = 0;
    bool focused = false;
    int x = 0, y = 0, width = 0, height = 0;
    int centreX() const { return x + width / 2; }
    int centreY() const { return y + height / 2; }
};

Shown shownFrom(const Value& entry, const std::string& window) {
    const Value& frame = entry["frame"];
    Shown shown;
    shown.window = window;
    shown.kind = entry["kind"].stringValue();
    shown.text = entry["text"].stringValue();
    shown.placeholder = entry["placeholder"].stringValue();
    shown.enabled = entry["enabled"].isNull() || entry["enabled"].boolValue();
    shown.rows = entry["rows"].integerValue();
    shown.focused = entry["focused"].boolValue();
    shown.x = static_cast<int>(frame["x"].doubleValue());
    shown.y = static_cast<int>(frame["y"].doubleValue());
    shown.width = static_cast<int>(frame["width"].doubleValue());
    shown.height = static_cast<int>(frame["height"].doubleValue());
    return shown;
}

class UserDayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = sdltest::Xvfb::started(why); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server)
            GTEST_SKIP() << "No virtual X server: " << why;
        if (!input.open(server->display(), why))
            GTEST_SKIP() << why;
        // The pictures stay after the test, in the test folder of the build unless a folder
        // is asked for.
        const char* pictures = std::getenv("LUMIQ_SCREENSHOT_DIR");
        const char* tests = std::getenv("LUMIQ_TEST_TMP");
        shots = pictures && *pictures ? fs::path(pictures)
                : tests && *tests     ? fs::path(tests) / "user-day"
                                      : fs::temp_directory_path() / "lumiq-user-day";
        fs::create_directories(shots);
        // The test reaches the program's socket in the runtime folder it gave the program.
        runtimeEnv.emplace("XDG_RUNTIME_DIR", runtime.path().string());
        program = std::make_unique<app_test::ChildProcess>(
            std::vector<std::string>{LUMIQ_BINARY_DIR "/bin/lumiq", "--bundle",
                                     LUMIQ_RESOURCES_DIR},
            std::map<std::string, std::string>{{"DISPLAY", server->display()},
                                               {"SDL_VIDEODRIVER", "x11"},
                                               {"HOME", (tmp / "home").string()},
                                               {"XDG_DATA_HOME", (tmp / "data").string()},
                                               {"XDG_CONFIG_HOME", (tmp / "config").string()},
                                               {"XDG_CACHE_HOME", (tmp / "cache").string()},
                                               {"XDG_RUNTIME_DIR", runtime.path().string()}});
        ASSERT_TRUE(program->started());
    }
    void TearDown() override { program.reset(); }

    // The program's report of what it shows, or null while it does not answer.
    Value report() {
        platform::Value request;
        request.setObject("event", entry::reportStateEvent);
        auto sent = InstanceChannel::sendToRunningInstance(request, 5);
        return sent.status == InstanceChannel::SendStatus::delivered ? sent.reply["result"]
                                                                     : Value();
    }
    // Keeps the program's standard error read, so that its log never blocks it.
    void drain() { program->waitForOutput("\x07", 0.02); }

    // Waits until the report satisfies `done`; the last report and the log say why not.
    bool waitFor(const std::function<bool(const Value&)>& done, const std::string& what,
                 double seconds = 20) {
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
            drain();
            last = report();
            if (!last.isNull() && done(last))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        picture("failed-" + std::to_string(++failures));
        ADD_FAILURE() << "never: " << what << "\nlast report:\n"
                      << last.toPropertyList(platform::PropertyListFormat::XML) << "\nlog tail:\n"
                      << tail(program->errorOutput());
        return false;
    }
    static std::string tail(const std::string& text) {
        return text.size() > 4000 ? text.substr(text.size() - 4000) : text;
    }

    // Every view of the report that `match` takes, front window first.
    static std::vector<Shown> find(const Value& state,
                                   const std::function<bool(const Shown&)>& match) {
        std::vector<Shown> found;
        if (const auto* windows = state["windows"].array())
            for (const Value& window : *windows)
                if (const auto* views = window["views"].array())
                    for (const Value& view : *views) {
                        Shown shown = shownFrom(view, window["title"].stringValue());
                        if (match(shown))
                            found.push_back(std::move(shown));
                    }
        return found;
    }
    static std::optional<Shown> first(const Value& state,
                                      const std::function<bool(const Shown&)>& match) {
        auto found = find(state, match);
        return found.empty() ? std::nullopt : std::optional<Shown>(found.front());
    }
    static auto button(const std::string& title) {
        return [title](const Shown& s) { return s.kind == "button" && s.text == title; };
    }
    static auto field(const std::string& placeholder) {
        return [placeholder](const Shown& s) {
            return s.kind == "textField" && s.placeholder == placeholder;
        };
    }
    static auto textHolding(const std::string& words) {
        return [words](const Shown& s) { return s.text.find(words) != std::string::npos; };
    }
    static bool hasWindow(const Value& state, const std::string& title) {
        if (const auto* windows = state["windows"].array())
            for (const Value& window : *windows)
                if (window["title"].stringValue() == title)
                    return true;
        return false;
    }
    // The row of an open menu whose title begins so.
    static std::optional<Shown> menuRow(const Value& state, const std::string& title) {
        if (const auto* menus = state["menus"].array())
            for (const Value& menu : *menus)
                if (const auto* rows = menu.array())
                    for (const Value& row : *rows)
                        if (row["text"].stringValue().starts_with(title))
                            return shownFrom(row, "menu");
        return std::nullopt;
    }

    // Clicks what `match` finds once it shows.
    bool clickOn(const std::function<bool(const Shown&)>& match, const std::string& what) {
        std::optional<Shown> target;
        if (!waitFor([&](const Value& state) { return (target = first(state, match)).has_value(); },
                     what + " shows"))
            return false;
        input.click(target->centreX(), target->centreY());
        return true;
    }
    // Clicks into the field and types the text in place of what it held.
    bool typeInto(const std::function<bool(const Shown&)>& match, const std::string& text,
                  const std::string& what) {
        if (!clickOn(match, what))
            return false;
        // Keys go where the keyboard is once the click has given the field the focus.
        if (!waitFor(
                [&](const Value& state) {
                    const auto field = first(state, match);
                    return field && field->focused;
                },
                what + " taking the keyboard"))
            return false;
        input.type(text);
        // What was typed shows in the field (a password as dots) before anything goes on.
        return waitFor(
            [&](const Value& state) {
                const auto field = first(state, match);
                return field && (field->text == text || field->kind == "secureField");
            },
            what + " holding \"" + text + "\"");
    }

    // The whole screen as a PNG named after the step.
    void picture(const std::string& name) {
        drain();
        std::string failure;
        EXPECT_TRUE(sdltest::saveScreenshot(server->display(), shots / (name + ".png"), failure))
            << failure;
    }

    static inline std::unique_ptr<sdltest::Xvfb> server;
    static inline std::string why;
    foundation_test::TempDir tmp;
    app_test::RuntimeFolder runtime;
    std::optional<foundation_test::ScopedEnv> runtimeEnv;
    sdltest::XTestInput input;
    fs::path shots;
    std::unique_ptr<app_test::ChildProcess> program;
    Value last;
    int failures = 0;
};

TEST_F(UserDayTest, SignsInCallsChatsAndQuitsThroughTheScreen) {
    // Sign in as the demo user.
    ASSERT_TRUE(waitFor([](const Value& s) { return s["view"].stringValue() == "login"; },
                        "the login view"));
    picture("01-login");
    // The user name is the login view's first field.
    ASSERT_TRUE(typeInto([](const Shown& s) { return s.kind == "textField"; }, "alice",
                         "the user name field"));
    ASSERT_TRUE(typeInto([](const Shown& s) { return s.kind == "secureField"; }, "wonderland",
                         "the password field"));
    input.key("Return");
    ASSERT_TRUE(waitFor([](const Value& s) { return s["view"].stringValue() == "mainView"; },
                        "the main view after signing in"));
    picture("02-signed-in");

    // Call bob, who answers; hold the call, then end it.
    ASSERT_TRUE(waitFor(
        [](const Value& s) {
            return first(s,
                         [](const Shown& v) {
                             return v.kind == "button" && v.text == "Call" && v.enabled;
                         })
                .has_value();
        },
        "the Call button enabled once the accounts are"));
    ASSERT_TRUE(typeInto(field("Enter a name or number"), "bob", "the call entry"));
    ASSERT_TRUE(clickOn(button("Call"), "the Call button"));
    ASSERT_TRUE(waitFor(
        [](const Value& s) { return first(s, textHolding("bob@sip.lumiq.example")).has_value(); },
        "the call panel naming bob"));
    ASSERT_TRUE(clickOn(button("Hold"), "the call's Hold button"));
    ASSERT_TRUE(waitFor([](const Value& s) { return first(s, button("Resume")).has_value(); },
                        "the held call's Resume button"));
    picture("03-call-held");
    ASSERT_TRUE(clickOn(button("End"), "the held call's End button"));
    ASSERT_TRUE(waitFor([](const Value& s) { return !first(s, button("Resume")).has_value(); },
                        "the call gone"));

    // Bob calls back: his call rings in a toast, whose Answer button takes it.
    platform::Value ring;
    ring.setObject("event", entry::demoNetworkEvent);
    ring.setObject("operation", "incomingCall");
    ring.setObject("address", "sip:bob@sip.lumiq.example");
    ring.setObject("displayName", "Bob Baker");
    ASSERT_EQ(InstanceChannel::sendToRunningInstance(ring, 5).reply["result"].stringValue(),
              "ringing");
    std::optional<Shown> answer;
    ASSERT_TRUE(waitFor(
        [&answer](const Value& s) {
            // The toast's button, not the call panel's (the main window's).
            for (const Shown& b : find(s, button("Answer")))
                if (b.window != "Lumiq")
                    answer = b;
            return answer.has_value();
        },
        "the ringing call's toast with its Answer button"));
    picture("04-incoming-toast");
    input.click(answer->centreX(), answer->centreY());
    ASSERT_TRUE(waitFor([](const Value& s) { return first(s, button("Hold")).has_value(); },
                        "the answered call's Hold button"));
    picture("05-incoming-answered");
    ASSERT_TRUE(clickOn(button("End"), "the answered call's End button"));
    ASSERT_TRUE(waitFor([](const Value& s) { return !first(s, button("Hold")).has_value(); },
                        "the answered call gone"));

    // Chat with bob: the dial button's menu offers a message to the address in the entry;
    // bob reads it and answers.
    ASSERT_TRUE(
        typeInto(field("Enter a name or number"), "bob@sip.lumiq.example", "the call entry"));
    std::optional<Shown> dial;
    ASSERT_TRUE(
        waitFor([&dial](const Value& s) { return (dial = first(s, button("Call"))).has_value(); },
                "the Call button"));
    // The button's arrow, at its right end, opens its menu.
    input.click(dial->x + dial->width - 5, dial->centreY());
    std::optional<Shown> message;
    ASSERT_TRUE(waitFor(
        [&message](const Value& s) {
            return (message = menuRow(s, "Send Instant Message")).has_value();
        },
        "the dial menu's Send Instant Message item"));
    input.click(message->centreX(), message->centreY());
    const auto chatInput = [](const Shown& s) {
        return s.kind == "textView" && s.window != "Lumiq";
    };
    ASSERT_TRUE(clickOn(chatInput, "the chat window's input"));
    ASSERT_TRUE(waitFor(
        [&](const Value& s) {
            const auto shown = first(s, chatInput);
            return shown && shown->focused;
        },
        "the chat input taking the keyboard"));
    input.type("Lunch at noon?");
    input.key("Return");
    ASSERT_TRUE(waitFor(
        [](const Value& s) {
            return first(s,
                         [](const Shown& v) {
                             return v.kind == "webView" &&
                                    v.text.find("Lunch at noon?") != std::string::npos &&
                                    v.text.find("Hi! Good to hear from you.") != std::string::npos;
                         })
                .has_value();
        },
        "the message and bob's answer in the transcript"));
    picture("06-chat-with-bob");

    // Add a contact in the editor, from the Contacts menu: a name and a softphone user,
    // which the editor completes with the account's domain.
    ASSERT_TRUE(
        clickOn([](const Shown& s) { return s.kind == "menuTitle" && s.text == "Contacts"; },
                "the Contacts menu's title"));
    std::optional<Shown> add;
    ASSERT_TRUE(
        waitFor([&add](const Value& s) { return (add = menuRow(s, "Add Contact")).has_value(); },
                "the Add Contact item"));
    input.click(add->centreX(), add->centreY());
    const auto inEditor = [](const std::string& placeholder) {
        return [placeholder](const Shown& s) {
            return s.kind == "textField" && s.window == "Contact" && s.placeholder == placeholder;
        };
    };
    ASSERT_TRUE(typeInto(inEditor("First name"), "Ada", "the editor's first name"));
    ASSERT_TRUE(typeInto(inEditor("Last name"), "Lovelace", "the editor's last name"));
    ASSERT_TRUE(
        typeInto(inEditor("user@sip.lumiq.example"), "ada.lovelace", "the editor's new address"));
    picture("07-contact-editor");
    ASSERT_TRUE(clickOn(
        [](const Shown& s) {
            return s.kind == "button" && s.window == "Contact" && s.text == "Okay";
        },
        "the editor's Okay button"));
    ASSERT_TRUE(
        waitFor([](const Value& s) { return !hasWindow(s, "Contact"); }, "the editor closed"));

    // Filter the contact list: the new contact is in it.
    long everyone = 0;
    ASSERT_TRUE(waitFor(
        [&everyone](const Value& s) {
            const auto table = first(s, [](const Shown& v) { return v.kind == "table"; });
            everyone = table ? table->rows : 0;
            return everyone > 10;
        },
        "the contact list"));
    ASSERT_TRUE(typeInto(field("Search contacts"), "lovelace", "the contact filter"));
    ASSERT_TRUE(waitFor(
        [everyone](const Value& s) {
            const auto table = first(s, [](const Shown& v) { return v.kind == "table"; });
            return table && table->rows == 1 && table->rows < everyone;
        },
        "the contact list filtered to the new contact"));
    picture("08-contacts-filtered");

    // Show as busy through the presence menu.
    ASSERT_TRUE(clickOn([](const Shown& s) { return s.kind == "popUpButton"; },
                        "the presence menu's button"));
    std::optional<Shown> busy;
    ASSERT_TRUE(waitFor([&busy](const Value& s) { return (busy = menuRow(s, "Busy")).has_value(); },
                        "the presence menu's Busy item"));
    input.click(busy->centreX(), busy->centreY());
    ASSERT_TRUE(waitFor(
        [](const Value& s) {
            const auto presence = first(s, [](const Shown& v) { return v.kind == "popUpButton"; });
            return presence && presence->text == "Busy";
        },
        "the presence shown as busy"));
    picture("09-busy");

    // Quit through the application menu.
    ASSERT_TRUE(clickOn([](const Shown& s) { return s.kind == "menuTitle" && s.text == "Lumiq"; },
                        "the application menu's title"));
    std::optional<Shown> quit;
    ASSERT_TRUE(waitFor([&quit](const Value& s) { return (quit = menuRow(s, "Quit")).has_value(); },
                        "the Quit item"));
    input.click(quit->centreX(), quit->centreY());
    // The chat with bob is still open: the program asks first, and Okay quits.
    ASSERT_TRUE(waitFor(
        [](const Value& s) {
            return first(s, textHolding("All Messaging sessions will end.")).has_value();
        },
        "the question whether to end the chat"));
    picture("10-quit-question");
    ASSERT_TRUE(clickOn(button("Okay"), "the question's Okay button"));
    const auto status = program->waitForExit(20);
    ASSERT_TRUE(status) << tail(program->errorOutput());
    EXPECT_EQ(*status, 0) << tail(program->errorOutput());
}

} // namespace
