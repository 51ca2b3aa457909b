#include "app/core/Helpers.h"

#include "engine/OVNumberEntryModel.h"
#include "platform/kit/Event.h"

namespace {

constexpr std::string_view kDialKeys = "0123456789*#";

bool carriesDialKey(const std::string& characters) {
    return characters.find_first_of(kDialKeys) != std::string::npos;
}

} // namespace

Helpers& Helpers::instance() {
    static Helpers helpers;
    return helpers;
}

void Helpers::numberEntryKeyPressed(const platform::Event& event, OVNumberEntryModel& model,
                                    const std::string& value) {
    model.setNumberEntered(value);
    if (carriesDialKey(event.characters()))
        model.keyIsPressed(static_cast<unsigned char>(event.characters().front()));
}

void Helpers::numberEntryKeyReleased(const platform::Event& event, OVNumberEntryModel& model) {
    const std::string& plain = event.charactersIgnoringModifiers();
    if (carriesDialKey(event.characters()) && !plain.empty())
        model.keyIsReleased(static_cast<unsigned char>(plain.front()));
}
