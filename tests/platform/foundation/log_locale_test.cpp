#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/TestSupport.h"

#include <gtest/gtest.h>

using foundation_test::ScopedEnv;

namespace {

TEST(LogTest, SinkReceivesLinesAsGiven) {
    std::vector<std::string> lines;
    platform::setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    platform::Log("plain line");
    platform::Logf("value %d of %@", 3, "four");
    platform::setLogSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"plain line", "value 3 of four"}));
}

TEST(LogTest, WritesOneLineToStandardError) {
    testing::internal::CaptureStderr();
    platform::Log("to stderr");
    platform::Log("already ended\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\nalready ended\n");
}

TEST(LocaleTest, IdentifierComesFromTheEnvironment) {
    const struct {
        std::optional<std::string> lcAll;
        std::optional<std::string> lcMessages;
        std::optional<std::string> lang;
        const char* expected;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, "en_US"},
        {std::nullopt, std::nullopt, "fr_CA.UTF-8", "fr_CA"},
        {std::nullopt, "de_DE@euro", "fr_CA.UTF-8", "de_DE"},
        {"pt_BR.utf8", "de_DE", "fr_CA", "pt_BR"},
        {"C", std::nullopt, "fr_CA", "en_US"},
        {"", std::nullopt, "POSIX", "en_US"},
        {std::nullopt, std::nullopt, "C.UTF-8", "en_US"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ScopedEnv all("LC_ALL", c.lcAll);
        ScopedEnv messages("LC_MESSAGES", c.lcMessages);
        ScopedEnv lang("LANG", c.lang);
        EXPECT_EQ(platform::currentLocaleIdentifier(), c.expected);
    }
}

TEST(LocaleTest, OverrideWinsUntilCleared) {
    ScopedEnv all("LC_ALL", "de_DE.UTF-8");
    platform::setCurrentLocaleIdentifier("fr_CA");
    EXPECT_EQ(platform::currentLocaleIdentifier(), "fr_CA");
    platform::setCurrentLocaleIdentifier("");
    EXPECT_EQ(platform::currentLocaleIdentifier(), "de_DE");
}

} // namespace
