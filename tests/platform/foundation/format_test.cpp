#include "platform/foundation/Format.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

using platform::formatString;
using platform::leadingDouble;
using platform::leadingInteger;
using platform::stringWithFormat;
using platform::Value;

namespace {

class Described : public platform::Object {
public:
    std::string description() const override { return "<described>"; }
};

TEST(FormatTest, DirectivesTheProgramUses) {
    const Described object;
    const struct {
        std::string got;
        const char* expected;
    } cases[] = {
        {formatString("(%1.1f,%1.1f)", 10.0, 20.25), "(10.0,20.2)"},
        {formatString("(%1.1f, %1.1f)", 0.0, -1.25), "(0.0, -1.2)"},
        {formatString("%.1f%%", 99.95), "100.0%"},
        {formatString("%02i:%02i", 5, 7), "05:07"},
        {formatString("%0.2d", 5), "05"},
        {formatString("%d %i %ld %lld", 1, -2, 3L, 4LL), "1 -2 3 4"},
        {formatString("%u %lu", 7u, 8ul), "7 8"},
        {formatString("%x %X %o", 255, 255, 8), "ff FF 10"},
        {formatString("%x", -1), "ffffffff"},
        {formatString("%lx", -1LL), "ffffffffffffffff"},
        {formatString("%5d|%-5d|%+d", 42, 42, 42), "   42|42   |+42"},
        {formatString("%e", 1234.5), "1.234500e+03"},
        {formatString("%g %g", 0.0001, 1e20), "0.0001 1e+20"},
        {formatString("%s and %@", "text", std::string("more")), "text and more"},
        {formatString("%c%c", 'o', 'k'), "ok"},
        {formatString("%c", 0x263E), "☾"},
        {formatString("%@", &object), "<described>"},
        {formatString("%@", static_cast<const platform::Object*>(nullptr)), "(null)"},
        {formatString("%@", static_cast<const char*>(nullptr)), "(null)"},
        {formatString("100%%"), "100%"},
        {formatString("%5s|%-5s|%.2s", "ab", "ab", "abcdef"), "   ab|ab   |ab"},
        {formatString("%.1s", "ÉA"), "É"},
        {formatString("%*d|%.*f", 4, 7, 2, 3.14159), "   7|3.14"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(FormatTest, PositionalArgumentsPickTheirArgument) {
    EXPECT_EQ(formatString("%2$@ before %1$@", "one", "two"), "two before one");
    EXPECT_EQ(formatString("%1$@ %1$@", "echo"), "echo echo");
    EXPECT_EQ(formatString("%2$d/%1$.1f", 2.5, 7), "7/2.5");
    EXPECT_EQ(formatString("%3$@", "a", "b"), "");
}

TEST(FormatTest, ArgumentsOfTheWrongKindAreConvertedNotTrusted) {
    const struct {
        std::string got;
        const char* expected;
    } cases[] = {
        {formatString("%@", 42), "42"},
        {formatString("%@", -3LL), "-3"},
        {formatString("%@", 0.5), "0.5"},
        {formatString("%@", 2.0), "2"},
        {formatString("%@", 18446744073709551615ull), "18446744073709551615"},
        {formatString("%d", "12abc"), "12"},
        {formatString("%d", "abc"), "0"},
        {formatString("%d", 3.99), "3"},
        {formatString("%d", 1e300), "9223372036854775807"},
        {formatString("%.2f", "  2.5x"), "2.50"},
        {formatString("%.1f", 3), "3.0"},
        {formatString("%s", 12), "12"},
        {formatString("%@", Value(true)), "1"},
        {formatString("%d", Value("7")), "7"},
        {formatString("%@", Value()), "(null)"},
        {formatString("%@", Value(Value::Array{Value("a")})), "(\n    a\n)"},
        {formatString("%.1f", Value(0.25)), "0.2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(FormatTest, BadFormatTextNeverCrashes) {
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"trailing %", "trailing %"},
        {"%", "%"},
        {"%l", "%l"},
        {"%5", "%5"},
        {"%.", "%."},
        {"%1$", "%1$"},
        {"%y unknown", "%y unknown"},
        {"%d missing", "0 missing"},
        {"%@%@%@", "only"},
        {"%n", "%n"},
        {"%99999999999d", nullptr},
        {"%.99999999999f", nullptr},
        {"%0$d", nullptr},
        {"%*d", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string out = stringWithFormat(c.format, {platform::FormatArg("only")});
        if (c.expected) {
            EXPECT_EQ(out, c.expected);
        }
        EXPECT_LE(out.size(), 4096u);
    }
}

TEST(FormatTest, LeadingNumbers) {
    const struct {
        const char* text;
        double real;
        std::int64_t integer;
    } cases[] = {
        {"  3.5abc", 3.5, 3},
        {"abc", 0, 0},
        {"", 0, 0},
        {"   ", 0, 0},
        {"-", 0, 0},
        {"+4", 4, 4},
        {"-0.5", -0.5, 0},
        {"1,5", 1, 1},
        {"1.5.6", 1.5, 1},
        {"1e3", 1000, 1},
        {"1e+", 1, 1},
        {"1E-2", 0.01, 1},
        {" \t\n7", 7, 7},
        {"(1", 0, 0},
        {"9223372036854775808", 9223372036854775808.0, INT64_MAX},
        {"-9223372036854775808", -9223372036854775808.0, INT64_MIN},
        {"-99999999999999999999", -1e20, INT64_MIN},
        {"1e999", HUGE_VAL, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(leadingDouble(c.text), c.real);
        EXPECT_EQ(leadingInteger(c.text), c.integer);
    }
}

TEST(FormatTest, DecimalPointIgnoresTheUsersLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // Only meaningful where a comma-decimal locale is installed; harmless elsewhere.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_DOUBLE_EQ(leadingDouble("2.5"), 2.5);
        EXPECT_EQ(formatString("(%1.1f,%1.1f)", 2.5, 0.25), "(2.5,0.2)");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
