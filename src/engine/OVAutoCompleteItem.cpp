#include "engine/OVAutoCompleteItem.h"

#include <strings.h>

std::string OVSpaceItem::addressWithoutScheme(std::string_view address) {
    std::string_view text = address;
    for (std::string_view scheme : {"sip:", "sips:", "tel:"}) {
        if (text.size() >= scheme.size() &&
            strncasecmp(text.data(), scheme.data(), scheme.size()) == 0) {
            text.remove_prefix(scheme.size());
            break;
        }
    }
    return std::string(text.substr(0, text.find(';')));
}

int OVAutoCompleteItem::compare(const OVAutoCompleteItem& other) const {
    const auto& a = *item_;
    const auto& b = *other.item_;
    if (a.isContact() != b.isContact()) {
        return a.isContact() ? -1 : 1;
    }
    if (!a.isContact() && lastUsed_ != other.lastUsed_) {
        return lastUsed_ > other.lastUsed_ ? -1 : 1;
    }
    if (int byName = strcasecmp(a.display().c_str(), b.display().c_str()); byName != 0) {
        return byName < 0 ? -1 : 1;
    }
    return a.address().compare(b.address()) < 0 ? -1 : (a.address() == b.address() ? 0 : 1);
}
