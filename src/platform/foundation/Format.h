#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// One argument of a format: a number, a text or an object, as the original passed them.
class FormatArg {
public:
    FormatArg(int v) : kind_(Kind::Integer), integer_(v) {}
    FormatArg(long v) : kind_(Kind::Integer), integer_(v) {}
    FormatArg(long long v) : kind_(Kind::Integer), integer_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), integer_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), integer_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned long long v)
        : kind_(Kind::Unsigned), integer_(static_cast<std::int64_t>(v)) {}
    FormatArg(double v) : kind_(Kind::Real), real_(v) {}
    FormatArg(float v) : kind_(Kind::Real), real_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "(null)") {}
    FormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
    FormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}
    FormatArg(const Value& v);
    FormatArg(const Object* v) : kind_(Kind::Text), text_(v ? v->description() : "(null)") {}

    enum class Kind { Integer, Unsigned, Real, Text };
    Kind kind() const { return kind_; }
    std::int64_t integer() const { return integer_; }
    double real() const { return real_; }
    const std::string& text() const { return text_; }

private:
    Kind kind_;
    std::int64_t integer_ = 0;
    double real_ = 0;
    std::string text_;
};

// printf-style formatting with the directives the program's texts use: %@ (an object's
// description), %d %i %u %ld %lu %lld %x, %f %e %g with width, flags and precision (%.1f,
// %1.1f, %02i, %0.2d), %s, %c, %% and positional arguments (%1$@, %2$d). A directive without
// its argument prints nothing; an argument of the wrong kind is converted, never crashes.
std::string stringWithFormat(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args> std::string formatString(std::string_view format, const Args&... args) {
    return stringWithFormat(format, {FormatArg(args)...});
}

// The longest leading decimal number of a text, after leading blanks; 0 when there is none.
double leadingDouble(std::string_view text);
std::int64_t leadingInteger(std::string_view text);

// The text without the given blanks at either end (by default blanks and line ends).
std::string trimmedWhitespace(std::string_view text, std::string_view blanks = " \t\n\r\v\f");

// Comparisons that ignore the case of ASCII letters; other bytes (UTF-8 sequences among them)
// compare as they are.
std::string lowercase(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

} // namespace platform
