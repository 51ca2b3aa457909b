#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The engine's feature switches: names that decide which menus, tabs, pages, buttons and
// flows exist. They come from the property list "engine/features.plist" of the main bundle
// (a dictionary of name to yes/no), read on first use; a name it does not hold is off.
class FeaturesService : public platform::Object {
public:
    bool featureAvailable(std::string_view name) const;

    // Replaces every switch with those of another property list; false (and no switch on)
    // when the file is missing or not a dictionary.
    bool loadFeatures(const std::filesystem::path& file);
    // Sets one switch, over whatever the file says.
    void setFeatureAvailable(std::string_view name, bool available);

    static std::filesystem::path defaultFeaturesFile();

private:
    void loadIfNeeded() const;
    bool readFile(const std::filesystem::path& file) const;
    mutable bool loaded_ = false;
    mutable std::map<std::string, bool, std::less<>> features_;
};
