#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct Notification {
    std::string name;
    Object* object = nullptr;
    Value userInfo;
};

// Synchronous, main-thread notification centre. Observers are keyed by an owner pointer that
// removeObserver(owner) drops at teardown; an observer removed while a notification is being
// delivered receives nothing more of it.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // `name` empty: every notification; `object` null: from any sender.
    void addObserver(const void* observer, std::string_view name, const Object* object,
                     Handler handler);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, std::string_view name, const Object* object);

    void postNotification(const Notification& notification);
    void postNotificationName(std::string_view name, Object* object = nullptr,
                              Value userInfo = {});

    std::size_t observerCount() const;

private:
    struct Entry {
        std::uint64_t id;
        const void* observer;
        std::string name;
        const Object* object;
        Handler handler;
        bool removed = false;
    };
    std::vector<std::shared_ptr<Entry>> entries_;
    std::uint64_t nextId_ = 1;
};

} // namespace platform
