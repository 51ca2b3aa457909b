#pragma once

#include <string>

namespace platform {

// The user's locale as the platform names it ("en_US", "fr_CA"), read from LC_ALL,
// LC_MESSAGES or LANG ("fr_CA.UTF-8" gives "fr_CA"); "en_US" when none is set or it is
// "C"/"POSIX". Tests set it with setCurrentLocaleIdentifier.
std::string currentLocaleIdentifier();
void setCurrentLocaleIdentifier(const std::string& identifier); // empty: back to the environment

} // namespace platform
