#include "engine/LoginProfileItem.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<LoginProfileItem::Type, std::string_view>, 8> typeNames{{
    {LoginProfileItem::Type::NO_LOGIN, "NO_LOGIN"},
    {LoginProfileItem::Type::BUILTIN, "BUILTIN"},
    {LoginProfileItem::Type::USER_BUILTIN, "USER_BUILTIN"},
    {LoginProfileItem::Type::MANUAL, "MANUAL"},
    {LoginProfileItem::Type::SEMI_MANUAL, "SEMI_MANUAL"},
    {LoginProfileItem::Type::USER_MANUAL, "USER_MANUAL"},
    {LoginProfileItem::Type::AUTODETECT, "AUTODETECT"},
    {LoginProfileItem::Type::LOCAL, "LOCAL"},
}};

} // namespace

std::string_view LoginProfileItem::typeName(Type type) {
    for (const auto& [t, name] : typeNames) {
        if (t == type) {
            return name;
        }
    }
    return {};
}

std::optional<LoginProfileItem::Type> LoginProfileItem::typeFromName(std::string_view name) {
    for (const auto& [t, n] : typeNames) {
        if (n == name) {
            return t;
        }
    }
    return std::nullopt;
}
