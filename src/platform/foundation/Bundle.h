#pragma once

#include "platform/foundation/Value.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The application bundle: a folder of resources with "Info.plist" and string tables
// ("<table>.strings") at its top. The main bundle is the program's resources folder, or the
// folder given with --bundle or LUMIQ_BUNDLE.
class Bundle {
public:
    static Bundle& mainBundle();
    static void setMainBundlePath(const std::filesystem::path& path);

    explicit Bundle(std::filesystem::path path);

    const std::filesystem::path& bundlePath() const { return path_; }
    const std::filesystem::path& resourcePath() const { return path_; }

    // The parsed "Info.plist" (an empty dictionary when missing).
    const Value& infoDictionary() const;
    const Value& objectForInfoDictionaryKey(std::string_view key) const;
    // "CFBundleName" and friends.
    std::string bundleName() const;
    std::string bundleIdentifier() const;

    // The path of resource `name` of type `type` (extension without dot; empty: any type),
    // searched at the top and in the images/, sounds/ and html/ folders; nullopt when missing.
    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type = {}) const;

    // The text of `key` in the string table `table` (empty: "Localizable"), or `value` when
    // the key is missing (the key itself when `value` is empty too). A table is
    // "<table>.strings" in UTF-8 or UTF-16, or a property-list dictionary.
    std::string localizedStringForKey(std::string_view key, std::string_view value,
                                      std::string_view table) const;

private:
    const std::map<std::string, std::string, std::less<>>& table(std::string_view name) const;
    std::filesystem::path path_;
    mutable std::optional<Value> info_;
    mutable std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>>
        tables_;
};

// Reads an old-style strings table: "key" = "value"; lines, with // and /* */ comments and
// the escapes \" \\ \n \t \uXXXX. Malformed entries are skipped.
std::map<std::string, std::string, std::less<>> parseStringsTable(std::string_view text);

} // namespace platform
