#include "support/Localization.h"

#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"

#include <algorithm>
#include <cctype>

namespace {

struct CachedNames {
    std::optional<std::string> productName;
    std::optional<std::string> companyName;
};

CachedNames& cachedNames() {
    static CachedNames names;
    return names;
}

bool sameIgnoringCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

} // namespace

std::size_t replaceOccurrencesIgnoringCase(std::string& text, std::string_view target,
                                           std::string_view replacement) {
    if (target.empty()) {
        return 0;
    }
    std::size_t count = 0;
    std::string result;
    std::size_t from = 0;
    while (true) {
        auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                              target.begin(), target.end(), sameIgnoringCase);
        if (it == text.end()) {
            break;
        }
        const auto at = static_cast<std::size_t>(it - text.begin());
        result.append(text, from, at - from);
        result.append(replacement);
        from = at + target.size();
        ++count;
    }
    if (count > 0) {
        result.append(text, from, std::string::npos);
        text = std::move(result);
    }
    return count;
}

std::string QXLS(std::string_view key, std::string_view defaultText) {
    auto& names = cachedNames();
    if (!names.productName && !names.companyName) {
        const auto& bundle = platform::Bundle::mainBundle();
        names.productName = bundle.bundleName();
        names.companyName = bundle.objectForInfoDictionaryKey("CompanyName").stringValue();
    }

    const std::string marked = "*|" + std::string(defaultText) + "|*";
    std::string text =
        platform::Bundle::mainBundle().localizedStringForKey(key, marked, "Messages");

    replaceOccurrencesIgnoringCase(text, "\\n", "\n");
    replaceOccurrencesIgnoringCase(text, "${PRODUCT_NAME}", names.productName.value_or(""));
    replaceOccurrencesIgnoringCase(text, "${COMPANY_NAME}", names.companyName.value_or(""));
    return text;
}

std::string TranslateUrlMacros(std::optional<std::string_view> text) {
    if (!text) {
        return "";
    }
    std::string address(*text);

    replaceOccurrencesIgnoringCase(address, "%INSTROOT%",
                                   platform::Bundle::mainBundle().resourcePath().string());
    std::string language = platform::currentLocaleIdentifier();
    std::replace(language.begin(), language.end(), '_', '-');
    replaceOccurrencesIgnoringCase(address, "$language$", language);
    replaceOccurrencesIgnoringCase(address, " ", "%20");

    return StartupService::instance().phoneService()->resolveUrlMacros(address);
}

void resetLocalizationCache() {
    cachedNames() = CachedNames{};
}
