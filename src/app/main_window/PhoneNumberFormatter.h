#pragma once

#include "platform/foundation/Formatter.h"

#include <optional>
#include <string>
#include <string_view>

// Shows North-American numbers grouped, "(416) 555-1234" or "+1 (416) 555-1234", and reads
// the edited text back without the grouping it added. Text that does not look like such a
// number is shown unchanged. An instance remembers what it added last, so it serves one field.
class PhoneNumberFormatter : public platform::Formatter {
public:
    std::optional<std::string> stringForObjectValue(const platform::Value& value) override;
    // Always accepts the text; without grouping added last, the value is the text itself.
    bool getObjectValue(platform::Value* object, const std::string& text,
                        std::string* errorDescription) override;

    // The text grouped; `decorators` (when given) receives the characters added, in order.
    static std::string decorate(std::string_view text, std::string* decorators);
    // The text without "+", "-", "(", ")" and spaces when it holds only those, digits, "*"
    // and "#"; otherwise unchanged.
    static std::string flatten(std::string_view text);

    const std::string& decorators() const { return _decorators; }

private:
    std::string _decorators;
};
