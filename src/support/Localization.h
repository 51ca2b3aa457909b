#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of `key` in the main bundle's "Messages" table, with "${PRODUCT_NAME}",
// "${COMPANY_NAME}" and the two characters backslash-n filled in (matched without regard to
// case). A key the table lacks gives the default text framed by "*|" and "|*", so a missing
// translation shows on screen. Main thread only.
std::string QXLS(std::string_view key, std::string_view defaultText);

// Fills the placeholders of a web address from the brand or the settings: "%INSTROOT%" (the
// bundle's resource folder), "$language$" (the locale, "en-US"), blanks as "%20", then the
// engine's own macros. No text gives "".
std::string TranslateUrlMacros(std::optional<std::string_view> text);

// Forgets the product and company names QXLS cached, so that tests can switch bundles.
void resetLocalizationCache();

// Replaces every occurrence of `target` (compared without regard to ASCII case) from left to
// right; replaced text is not searched again. Returns the number of replacements.
std::size_t replaceOccurrencesIgnoringCase(std::string& text, std::string_view target,
                                           std::string_view replacement);
