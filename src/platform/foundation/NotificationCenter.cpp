#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: objects torn down by static destruction at exit remove their observers
    // from it, in whatever order that destruction runs.
    static auto* center = new NotificationCenter();
    return *center;
}

void NotificationCenter::addObserver(const void* observer, std::string_view name,
                                     const Object* object, Handler handler) {
    if (!handler)
        return;
    entries_.push_back(std::make_shared<Entry>(
        Entry{nextId_++, observer, std::string(name), object, std::move(handler)}));
}

void NotificationCenter::removeObserver(const void* observer) {
    std::erase_if(entries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->observer != observer)
            return false;
        e->removed = true;
        return true;
    });
}

void NotificationCenter::removeObserver(const void* observer, std::string_view name,
                                        const Object* object) {
    // As with the original, an empty name or a null object widens the removal.
    std::erase_if(entries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->observer != observer || (!name.empty() && e->name != name) ||
            (object && e->object != object))
            return false;
        e->removed = true;
        return true;
    });
}

void NotificationCenter::postNotification(const Notification& notification) {
    // Handlers may add or remove observers; deliver to those registered when the post began,
    // skipping any removed on the way.
    const std::vector<std::shared_ptr<Entry>> snapshot = entries_;
    for (const auto& entry : snapshot) {
        if (entry->removed)
            continue;
        if (!entry->name.empty() && entry->name != notification.name)
            continue;
        if (entry->object && entry->object != notification.object)
            continue;
        entry->handler(notification);
    }
}

void NotificationCenter::postNotificationName(std::string_view name, Object* object,
                                              Value userInfo) {
    postNotification(Notification{std::string(name), object, std::move(userInfo)});
}

std::size_t NotificationCenter::observerCount() const {
    return entries_.size();
}

} // namespace platform
