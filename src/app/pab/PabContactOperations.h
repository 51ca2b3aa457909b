#pragma once

#include "platform/foundation/Object.h"
#include "support/PresenceMessageTranslator.h"

#include <string>
#include <string_view>

// The personal address book's counterpart of ContactOperations, used while the engine's
// feature "allow_pab" is on. Its presence words differ: "Available" reads "Connected", and
// "Out To Lunch" and "On Vacation" are words of their own. The one instance registers itself
// as the address book's presence-message translator when it is first asked for.
class PabContactOperations : public platform::Object, public PresenceMessageTranslator {
public:
    static PabContactOperations& instance();

    PabContactOperations();
    ~PabContactOperations() override;
    PabContactOperations(const PabContactOperations&) = delete;
    PabContactOperations& operator=(const PabContactOperations&) = delete;

    std::string translatePresenceMessage(std::string_view message) const override;
    std::string translatePresenceMessageReverse(std::string_view text) const override;
};
