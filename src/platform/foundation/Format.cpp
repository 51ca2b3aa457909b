#include "platform/foundation/Format.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fmt/format.h>
#include <limits>
#include <locale.h>

namespace platform {

namespace {

// Widths and precisions beyond this are typing mistakes, not layouts; cap them so a bad
// format cannot ask for gigabytes.
constexpr int kMaxWidth = 1024;

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string realText(double d) {
    if (std::isnan(d))
        return "nan";
    if (std::isinf(d))
        return d > 0 ? "inf" : "-inf";
    return fmt::format("{}", d);
}

std::int64_t clampedInteger(double d) {
    if (std::isnan(d))
        return 0;
    if (d >= 9.2233720368547758e18)
        return std::numeric_limits<std::int64_t>::max();
    if (d <= -9.2233720368547758e18)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(d);
}

std::int64_t asInteger(const FormatArg& arg) {
    switch (arg.kind()) {
    case FormatArg::Kind::Integer:
    case FormatArg::Kind::Unsigned:
        return arg.integer();
    case FormatArg::Kind::Real:
        return clampedInteger(arg.real());
    case FormatArg::Kind::Text:
        return leadingInteger(arg.text());
    }
    return 0;
}

double asReal(const FormatArg& arg) {
    switch (arg.kind()) {
    case FormatArg::Kind::Integer:
        return static_cast<double>(arg.integer());
    case FormatArg::Kind::Unsigned:
        return static_cast<double>(static_cast<std::uint64_t>(arg.integer()));
    case FormatArg::Kind::Real:
        return arg.real();
    case FormatArg::Kind::Text:
        return leadingDouble(arg.text());
    }
    return 0;
}

std::string asText(const FormatArg& arg) {
    switch (arg.kind()) {
    case FormatArg::Kind::Integer:
        return std::to_string(arg.integer());
    case FormatArg::Kind::Unsigned:
        return std::to_string(static_cast<std::uint64_t>(arg.integer()));
    case FormatArg::Kind::Real:
        return realText(arg.real());
    case FormatArg::Kind::Text:
        return arg.text();
    }
    return {};
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t codePointCount(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// The first `count` characters of a UTF-8 text, never cutting one in half.
std::string_view firstCodePoints(std::string_view s, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (seen == count)
                return s.substr(0, i);
            ++seen;
        }
    }
    return s;
}

locale_t cLocale() {
    static locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool longModifier = false;
    char conversion = 0;
};

std::string pad(std::string text, const Directive& d) {
    const std::size_t length = codePointCount(text);
    if (d.width < 0 || length >= static_cast<std::size_t>(d.width))
        return text;
    const std::string fill(static_cast<std::size_t>(d.width) - length, ' ');
    return d.flags.find('-') != std::string::npos ? text + fill : fill + text;
}

// snprintf does the numeric work; the directive text is rebuilt from parsed parts only, so no
// part of the caller's format reaches it unchecked.
template <class T>
std::string printNumber(const Directive& d, const char* lengthAndConversion, T value) {
    std::string spec(1, '%');
    spec += d.flags;
    if (d.width >= 0)
        spec += std::to_string(d.width);
    if (d.precision >= 0) {
        spec += '.';
        spec += std::to_string(d.precision);
    }
    spec += lengthAndConversion;
    // Brand texts are read back with "." as the decimal point, whatever the user's locale.
    const locale_t c = cLocale();
    const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    char small[128];
    std::string out;
    const int needed = std::snprintf(small, sizeof small, spec.c_str(), value);
    if (needed >= 0 && static_cast<std::size_t>(needed) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(needed));
    } else if (needed >= 0) {
        out.assign(static_cast<std::size_t>(needed) + 1, '\0');
        std::snprintf(out.data(), out.size(), spec.c_str(), value);
        out.resize(static_cast<std::size_t>(needed));
    }
    if (c)
        uselocale(previous);
    return out;
}

std::string convert(const Directive& d, const FormatArg& arg) {
    switch (d.conversion) {
    case 'd':
    case 'i':
        return printNumber(d, "lld", static_cast<long long>(asInteger(arg)));
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        std::int64_t i = asInteger(arg);
        std::uint64_t u = static_cast<std::uint64_t>(i);
        // A negative int printed without a length modifier shows its 32 bits, as in C.
        if (!d.longModifier && arg.kind() != FormatArg::Kind::Unsigned && i < 0 &&
            i >= std::numeric_limits<std::int32_t>::min())
            u = static_cast<std::uint32_t>(i);
        const char conversion[] = {'l', 'l', d.conversion, '\0'};
        return printNumber(d, conversion, static_cast<unsigned long long>(u));
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': {
        const char conversion[] = {d.conversion, '\0'};
        return printNumber(d, conversion, asReal(arg));
    }
    case 'c':
    case 'C': {
        std::string text;
        if (arg.kind() == FormatArg::Kind::Text) {
            text = std::string(firstCodePoints(arg.text(), 1));
        } else {
            const std::int64_t cp = asInteger(arg);
            if (cp > 0 && cp < 0x110000)
                appendUtf8(text, static_cast<std::uint32_t>(cp));
        }
        return pad(text, d);
    }
    case 'p':
        return pad(fmt::format("0x{:x}", static_cast<std::uint64_t>(asInteger(arg))), d);
    case '@':
    case 's':
    case 'S': {
        std::string text = asText(arg);
        if (d.precision >= 0)
            text = std::string(firstCodePoints(text, static_cast<std::size_t>(d.precision)));
        return pad(std::move(text), d);
    }
    default:
        return {};
    }
}

bool isConversion(char c) {
    switch (c) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
    case 'c':
    case 'C':
    case 's':
    case 'S':
    case '@':
    case 'p':
        return true;
    default:
        return false;
    }
}

int readNumber(std::string_view format, std::size_t& j) {
    long long n = 0;
    while (j < format.size() && isDigit(format[j])) {
        if (n <= kMaxWidth)
            n = n * 10 + (format[j] - '0');
        ++j;
    }
    return static_cast<int>(std::min<long long>(n, kMaxWidth));
}

} // namespace

FormatArg::FormatArg(const Value& v) : kind_(Kind::Text) {
    switch (v.type()) {
    case Value::Type::Bool:
    case Value::Type::Integer:
        kind_ = Kind::Integer;
        integer_ = v.integerValue();
        break;
    case Value::Type::Real:
        kind_ = Kind::Real;
        real_ = v.doubleValue();
        break;
    default:
        text_ = v.description();
        break;
    }
}

std::string stringWithFormat(std::string_view format, std::initializer_list<FormatArg> args) {
    const FormatArg* argv = args.begin();
    const std::size_t argc = args.size();
    std::size_t nextArg = 0;
    std::string out;
    out.reserve(format.size() + 16 * argc);

    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(format.substr(i));
            break;
        }
        out.append(format.substr(i, percent - i));
        std::size_t j = percent + 1;
        if (j >= format.size()) {
            out += '%';
            break;
        }
        if (format[j] == '%') {
            out += '%';
            i = j + 1;
            continue;
        }

        Directive d;
        std::size_t position = 0;
        {
            std::size_t k = j;
            const int n = readNumber(format, k);
            if (k > j && k < format.size() && format[k] == '$' && n > 0) {
                position = static_cast<std::size_t>(n);
                j = k + 1;
            }
        }
        while (j < format.size() &&
               std::string_view("-+ #0'").find(format[j]) != std::string_view::npos) {
            // Grouping would follow the C locale anyway; drop it rather than pass it on.
            if (format[j] != '\'' && d.flags.find(format[j]) == std::string::npos)
                d.flags += format[j];
            ++j;
        }
        bool widthFromArg = false;
        bool precisionFromArg = false;
        if (j < format.size() && format[j] == '*') {
            widthFromArg = true;
            ++j;
        } else if (j < format.size() && isDigit(format[j])) {
            d.width = readNumber(format, j);
        }
        if (j < format.size() && format[j] == '.') {
            ++j;
            if (j < format.size() && format[j] == '*') {
                precisionFromArg = true;
                ++j;
            } else {
                d.precision = readNumber(format, j);
            }
        }
        while (j < format.size() &&
               std::string_view("hlqLzjt").find(format[j]) != std::string_view::npos) {
            if (format[j] != 'h')
                d.longModifier = true;
            ++j;
        }
        if (j >= format.size() || !isConversion(format[j])) {
            // Not a directive after all: show the text as it was written.
            const std::size_t end = std::min(j + 1, format.size());
            out.append(format.substr(percent, end - percent));
            i = end;
            continue;
        }
        d.conversion = format[j];
        i = j + 1;

        if (widthFromArg) {
            if (nextArg < argc) {
                const std::int64_t w = asInteger(argv[nextArg++]);
                if (w < 0 && d.flags.find('-') == std::string::npos)
                    d.flags += '-';
                d.width = static_cast<int>(std::min<std::int64_t>(
                    w < 0 ? -std::max<std::int64_t>(w, -kMaxWidth) : w, kMaxWidth));
            }
        }
        if (precisionFromArg && nextArg < argc) {
            const std::int64_t p = asInteger(argv[nextArg++]);
            d.precision = p < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(p, kMaxWidth));
        }
        const std::size_t index = position > 0 ? position - 1 : nextArg++;
        if (index >= argc)
            continue;
        out += convert(d, argv[index]);
    }
    return out;
}

double leadingDouble(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when digits follow it: "2e" reads as 2.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            ++k;
        if (k < text.size() && isDigit(text[k])) {
            while (k < text.size() && isDigit(text[k]))
                ++k;
            i = k;
        }
    }
    // strtod_l in the C locale: the decimal point is "." whatever the user's locale says.
    const std::string number(text.substr(start, i - start));
    if (locale_t locale = cLocale())
        return strtod_l(number.c_str(), nullptr, locale);
    return std::strtod(number.c_str(), nullptr);
}

std::int64_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so the most negative value fits; saturate on overflow.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool overflow = false;
    while (i < text.size() && isDigit(text[i])) {
        const int digit = text[i] - '0';
        if (!overflow) {
            if (value < (lowest + digit) / 10)
                overflow = true;
            else
                value = value * 10 - digit;
        }
        ++i;
    }
    if (overflow)
        return negative ? lowest : std::numeric_limits<std::int64_t>::max();
    if (negative)
        return value;
    return value == lowest ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::string trimmedWhitespace(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string lowercase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = asciiLower(c);
    return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

} // namespace platform
