#pragma once

#include "engine/OVConstants.h"

#include <memory>
#include <string>

namespace platform {
class Image;
}

// The icon and the text of a presence record (anything with status()), through the
// application's presence transformers, each made once and kept.
namespace OrvantaExtensions {

// The status icon of the brand's main icon set. The transformer is the one start-up registered
// under "PresenceStatusIconTransformer" (it knows the brand's icon sets) when there is one,
// else one without a brand (icon set 1).
std::shared_ptr<platform::Image> image(OVPresenceStatus status);
// The status text ("Available", "Busy" ...).
std::string string(OVPresenceStatus status);

template <class PresenceRecord>
requires requires(const PresenceRecord& record) {
    OVPresenceStatus(record.status());
}
std::shared_ptr<platform::Image> image(const PresenceRecord& record) {
    return image(OVPresenceStatus(record.status()));
}
template <class PresenceRecord>
requires requires(const PresenceRecord& record) {
    OVPresenceStatus(record.status());
}
std::string string(const PresenceRecord& record) {
    return string(OVPresenceStatus(record.status()));
}

// Forgets the kept transformers (tests that switch brands or bundles).
void resetPresenceTransformers();

} // namespace OrvantaExtensions
