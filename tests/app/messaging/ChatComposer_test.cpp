#include "app/messaging/ChatComposer.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A text message of at most five characters, counted as characters, not bytes.
int fiveLeft(std::string_view text) {
    int used = 0;
    for (const char c : text)
        used += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return std::max(0, 5 - used);
}

TEST(ChatComposer, ATextMessageIsCutAtItsLimitOnlyWhenAskedAndTheModelFollowsTheCut) {
    struct Case {
        const char* typed;
        bool cut;
        const char* kept;
        const char* state;
    } cases[] = {
        {"h\xC3\xA9llo w\xC3\xB6rld", true, "h\xC3\xA9llo", "Number of characters remaining: 0"},
        {"h\xC3\xA9llo w\xC3\xB6rld", false, "h\xC3\xA9llo w\xC3\xB6rld",
         "Number of characters remaining: 0"},
        {"h\xC3\xA9", true, "h\xC3\xA9", "Number of characters remaining: 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ChatComposer composer(
            {.sms = true}, [] {}, [] {});
        composer.inputView()->insertText(c.typed);
        composer.limitText(fiveLeft, c.cut);
        EXPECT_EQ(composer.inputView()->string(), c.kept);
        EXPECT_EQ(composer.input().string(), c.kept) << "the model holds what the view shows";
        EXPECT_EQ(composer.stateText(), c.state);
    }

    // Without a limit the state line is left alone.
    ChatComposer chat(
        {}, [] {}, [] {});
    chat.setStateText("Bob is typing");
    chat.inputView()->insertText("hello world");
    chat.limitText([](std::string_view) { return -1; }, true);
    EXPECT_EQ(chat.stateText(), "Bob is typing");
    EXPECT_EQ(chat.inputView()->string(), "hello world");
}

TEST(ChatComposer, ClearingEmptiesViewAndModelAndWhatIsTypedNextIsTakenOnce) {
    int changes = 0;
    ChatComposer composer(
        {}, [] {}, [&] { ++changes; });
    composer.setBold(true);
    composer.inputView()->insertText("Hi there");
    EXPECT_TRUE(composer.hasText());
    EXPECT_GT(changes, 0);

    composer.clear();
    EXPECT_EQ(composer.inputView()->string(), "");
    EXPECT_TRUE(composer.input().text().empty());
    EXPECT_FALSE(composer.hasText());

    composer.inputView()->insertText("x");
    EXPECT_EQ(composer.text().string(), "x");
    EXPECT_TRUE(composer.input().styleAt(0).bold) << "the style outlives the cleared text";
    composer.inputView()->insertText(" \n ");
    composer.clear();
    composer.inputView()->insertText("  ");
    EXPECT_FALSE(composer.hasText()) << "blanks alone are no text";
}

} // namespace
