#include "platform/foundation/TestSupport.h"
#include "support/StringExtensions.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using foundation_test::TempDir;
namespace ext = OrvantaExtensions;
namespace fs = std::filesystem;

TEST(StringExtensions, IsNumericTakesDigitsWithAtMostOneInnerPoint) {
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"12", true},   {"0", true},      {"0.5", true},     {".5", true},   {"007.250", true},
        {"5.", false},  {"1.2.3", false}, {"-1", false},     {"+1", false},  {"", false},
        {".", false},   {" 1", false},    {"1 ", false},     {"1e5", false}, {"12a", false},
        {"1,5", false}, {"12\n", false},  {"\u0663", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ext::isNumeric(c.text), c.numeric) << '"' << c.text << '"';
}

TEST(StringExtensions, TrimmingBlanksOnlyOrAllWhiteSpace) {
    const struct {
        std::string text;
        std::string spaceTrimmed;
        std::string whitespaceTrimmed;
    } cases[] = {
        {"  Alice  ", "Alice", "Alice"},
        {"\tAlice", "\tAlice", "Alice"},
        {" \t Alice \n", "\t Alice \n", "Alice"},
        {"\r\n Bob\r\n", "\r\n Bob\r\n", "Bob"},
        {"Alice Bob", "Alice Bob", "Alice Bob"},
        {"   ", "", ""},
        {"", "", ""},
        // No-break, ideographic and line-separator spaces count as white space, not as blanks.
        {"\u00a0Zoë\u3000\u2028", "\u00a0Zoë\u3000\u2028", "Zoë"},
        // Next line (U+0085) is white space; subscript five, which ends in the same byte, is not.
        {"\u0085x\u0085", "\u0085x\u0085", "x"},
        {" \u2085 ", "\u2085", "\u2085"},
        // Bytes that are not UTF-8 are kept.
        {"\xff \x85", "\xff \x85", "\xff \x85"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ext::spaceTrimmed(c.text), c.spaceTrimmed) << '"' << c.text << '"';
        EXPECT_EQ(ext::whitespaceAndNewlineTrimmed(c.text), c.whitespaceTrimmed)
            << '"' << c.text << '"';
    }
}

class OpenInFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ext::setDesktopLauncher([this](const std::vector<std::string>& argv) {
            calls.push_back(argv);
            return true;
        });
    }
    void TearDown() override { ext::setDesktopLauncher({}); }

    std::vector<std::vector<std::string>> calls;
    TempDir tmp;
};

TEST_F(OpenInFinderTest, HandsThePathOverAsOneArgument) {
    // Every character that would end a quoted string, start a command or split words.
    const fs::path folder = tmp / "it's a \"quoted\" $(touch pwned) `id`; name\\";
    fs::create_directories(folder);
    const fs::path file = folder / "report \" & tell app \"x.txt";
    foundation_test::writeFile(file, "x");

    ext::openInFinder(folder.string());
    ext::openInFinder(file.string());
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], (std::vector<std::string>{"xdg-open", folder.string()}));
    EXPECT_EQ(calls[1], (std::vector<std::string>{"xdg-open", file.string()}));
}

TEST_F(OpenInFinderTest, OnlyExistingPathsAbsoluteSoNeverAnOption) {
    ext::openInFinder((tmp / "missing").string());
    ext::openInFinder("");
    EXPECT_TRUE(calls.empty());

    // A relative name that reads like an option or an address is made absolute.
    const fs::path before = fs::current_path();
    fs::current_path(tmp.path());
    foundation_test::writeFile(tmp / "--help", "x");
    foundation_test::writeFile(tmp / "http:evil", "x");
    ext::openInFinder("--help");
    ext::openInFinder("http:evil");
    fs::current_path(before);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0][1], (tmp / "--help").string());
    EXPECT_EQ(calls[1][1], (tmp / "http:evil").string());
}

TEST_F(OpenInFinderTest, OpenAndWaitAnswersTheOpenersResultAndSkipsMissingFiles) {
    const fs::path file = tmp / "package.img";
    foundation_test::writeFile(file, "x");
    EXPECT_TRUE(ext::openAndWait(file.string()));
    EXPECT_FALSE(ext::openAndWait((tmp / "missing.img").string()));
    EXPECT_FALSE(ext::openAndWait(""));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (std::vector<std::string>{"xdg-open", file.string()}));

    ext::setDesktopLauncher([](const std::vector<std::string>&) { return false; });
    EXPECT_FALSE(ext::openAndWait(file.string())) << "an opener that fails";
}

// Waiting gives the program's own verdict, and the program has ended when the call returns.
TEST(DesktopLauncher, LaunchAndWaitReturnsWhenTheProgramHasEndedWithItsResult) {
    TempDir tmp;
    const fs::path made = tmp / "made";
    EXPECT_TRUE(ext::launchAndWait({"touch", made.string()}));
    EXPECT_TRUE(fs::exists(made));
    EXPECT_FALSE(ext::launchAndWait({"false"}));
    EXPECT_FALSE(ext::launchAndWait({"no-such-program-for-lumiq-tests"}));
    EXPECT_FALSE(ext::launchAndWait({}));
}

// The real launcher passes arguments verbatim: `touch` creates exactly the file named, and
// nothing in the name is run.
TEST(DesktopLauncher, RunsTheProgramWithTheArgumentsAsGiven) {
    TempDir tmp;
    const fs::path made = tmp / "$(touch injected) 'single' \"double\" `touch tick`; x.seen";
    ASSERT_TRUE(ext::launchDetached({"touch", made.string()}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(made) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(made));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(tmp.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{made.filename().string()});
    EXPECT_FALSE(fs::exists("injected"));
    EXPECT_FALSE(fs::exists("tick"));

    EXPECT_FALSE(ext::launchDetached({"no-such-program-for-lumiq-tests"}));
    EXPECT_FALSE(ext::launchDetached({}));
}

} // namespace
