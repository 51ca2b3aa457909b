#pragma once

#include "platform/foundation/Object.h"
#include "support/PresenceMessageTranslator.h"

#include <memory>
#include <string>
#include <string_view>

// The personal address book's counterpart of ContactOperations, used while the engine's
// feature "allow_pab" is on. Its presence words differ: "Available" reads "Connected", and
// "Out To Lunch" and "On Vacation" are words of their own. The one instance registers itself
// as the address book's presence-message translator when it is first asked for.
class OVEntity;

class PabContactOperations : public platform::Object, public PresenceMessageTranslator {
public:
    static PabContactOperations& instance();

    PabContactOperations();
    ~PabContactOperations() override;
    PabContactOperations(const PabContactOperations&) = delete;
    PabContactOperations& operator=(const PabContactOperations&) = delete;

    std::string translatePresenceMessage(std::string_view message) const override;
    // Whether the contact shows its availability (its "showAvailability" field is true): only
    // then may its alert-list marks change.
    bool showAvailChecked(const std::shared_ptr<OVEntity>& contact) const;
    std::string translatePresenceMessageReverse(std::string_view text) const override;
};
