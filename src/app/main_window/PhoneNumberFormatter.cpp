#include "app/main_window/PhoneNumberFormatter.h"

#include "support/StringExtensions.h"

#include <algorithm>
#include <cctype>

namespace {

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string PhoneNumberFormatter::decorate(std::string_view input, std::string* decorators) {
    std::string text = OrvantaExtensions::whitespaceAndNewlineTrimmed(std::string(input));
    std::string added;
    bool inBounds;
    if (text.size() >= 3 && startsWith(text, "+1")) {
        inBounds =
            allDigits(std::string_view(text).substr(1)) && text.size() >= 6 && text.size() <= 12;
    } else {
        const bool leadingOne = text.size() >= 2 && startsWith(text, "1");
        inBounds = !text.empty() && allDigits(text) && text.size() >= (leadingOne ? 6u : 5u) &&
                   text.size() <= (leadingOne ? 11u : 10u);
    }
    if (!inBounds) {
        if (decorators)
            decorators->clear();
        return std::string(input);
    }
    if (startsWith(text, "1")) {
        text.insert(0, "+");
        added += "+";
    }
    if (startsWith(text, "+1")) {
        text.insert(2, " (");
        text.insert(7, ") ");
        added += "( )";
        if (text.size() >= 13) {
            text.insert(12, "-");
            added += "-";
        }
    } else {
        text.insert(0, "(");
        text.insert(4, ") ");
        added += "( )";
        if (text.size() >= 10) {
            text.insert(9, "-");
            added += "-";
        }
    }
    if (decorators)
        *decorators = added;
    return text;
}

std::string PhoneNumberFormatter::flatten(std::string_view text) {
    constexpr std::string_view grouping = "+-() ";
    const bool dialable = !text.empty() && std::all_of(text.begin(), text.end(), [&](char c) {
        return grouping.find(c) != std::string_view::npos ||
               std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#';
    });
    if (!dialable)
        return std::string(text);
    std::string flat;
    std::copy_if(text.begin(), text.end(), std::back_inserter(flat),
                 [&](char c) { return grouping.find(c) == std::string_view::npos; });
    return flat;
}

std::optional<std::string>
PhoneNumberFormatter::stringForObjectValue(const platform::Value& value) {
    if (!value.isString())
        return std::nullopt;
    return decorate(value.stringValue(), &_decorators);
}

bool PhoneNumberFormatter::getObjectValue(platform::Value* object, const std::string& text,
                                          std::string* /*errorDescription*/) {
    if (!object)
        return true;
    if (_decorators.empty()) {
        *object = platform::Value(text);
        return true;
    }
    std::string plain;
    std::copy_if(text.begin(), text.end(), std::back_inserter(plain),
                 [&](char c) { return _decorators.find(c) == std::string::npos; });
    *object = platform::Value(plain);
    return true;
}
