#include "engine/DialPlanService.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

#include <algorithm>
#include <cctype>

namespace {

std::string_view trimmed(std::string_view text) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool hasScheme(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                       [](unsigned char c) { return std::isalpha(c) != 0; });
}

} // namespace

bool DialPlanService::isPhoneNumber(std::string_view text) {
    text = trimmed(text);
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c) || c == '*' || c == '#') {
            digit = true;
        } else if (c == '+' && i == 0) {
        } else if (std::string_view(" -().").find(static_cast<char>(c)) == std::string_view::npos) {
            return false;
        }
    }
    return digit;
}

std::string DialPlanService::dialString(std::string_view text) const {
    text = trimmed(text);
    if (text.empty() || std::any_of(text.begin(), text.end(),
                                    [](unsigned char c) { return std::iscntrl(c) != 0; })) {
        return {};
    }
    if (isPhoneNumber(text)) {
        std::string number;
        for (char c : text) {
            if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || c == '+')
                number += c;
        }
        return number;
    }
    if (hasScheme(text) || text.find('@') != std::string_view::npos) {
        return std::string(text);
    }
    // A name alone is a user at the calling account's domain.
    if (text.find(' ') != std::string_view::npos)
        return {};
    const auto phone = context_ ? context_->phone() : nullptr;
    const auto account =
        phone ? phone->getAccountService()->defaultAccount(OVAccountFeature::featureCall) : nullptr;
    if (!account || account->domain().empty())
        return std::string(text);
    return "sip:" + std::string(text) + "@" + account->domain();
}

bool DialPlanService::isNumberCallable(std::string_view text) {
    if (dialString(text).empty())
        return false;
    if (context_) {
        std::weak_ptr<DialPlanService> weak = weak_from_this();
        context_->post([weak] {
            if (auto self = weak.lock())
                self->notifyDelegates([](OVDialPlanServicePro& d) { d.ovdsReadyToDial(); });
        });
    }
    return true;
}
