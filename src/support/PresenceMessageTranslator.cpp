#include "support/PresenceMessageTranslator.h"

#include "engine/StartupService.h"

#include <array>

namespace {

std::array<const PresenceMessageTranslator*, 2>& translators() {
    static std::array<const PresenceMessageTranslator*, 2> registered{};
    return registered;
}

std::size_t slot(PresenceMessageTranslatorKind kind) {
    return kind == PresenceMessageTranslatorKind::Contacts ? 0 : 1;
}

} // namespace

void setPresenceMessageTranslator(PresenceMessageTranslatorKind kind,
                                  const PresenceMessageTranslator* translator) {
    translators()[slot(kind)] = translator;
}

const PresenceMessageTranslator* presenceMessageTranslator(PresenceMessageTranslatorKind kind) {
    return translators()[slot(kind)];
}

bool personalAddressBookEnabled() {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable("allow_pab");
}

const PresenceMessageTranslator* currentPresenceMessageTranslator() {
    return presenceMessageTranslator(personalAddressBookEnabled()
                                         ? PresenceMessageTranslatorKind::PersonalAddressBook
                                         : PresenceMessageTranslatorKind::Contacts);
}

std::string translatePresenceMessage(std::string_view message) {
    const auto* translator = currentPresenceMessageTranslator();
    return translator ? translator->translatePresenceMessage(message) : std::string(message);
}

std::string translatePresenceMessageReverse(std::string_view text) {
    const auto* translator = currentPresenceMessageTranslator();
    return translator ? translator->translatePresenceMessageReverse(text) : std::string(text);
}
