#include "platform/system/IdleTimeSource.h"

#include "platform/foundation/Log.h"

#include <cstdlib>
#include <gio/gio.h>

// Xlib last: its macros (None, Bool, Status) must not reach the other headers.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace platform {

namespace {

// The X server's own count of the time since the last input event, in milliseconds.
class XScreenSaverIdleTime : public IdleTimeSource {
public:
    XScreenSaverIdleTime(Display* display, XScreenSaverInfo* info)
        : display_(display), info_(info) {}
    ~XScreenSaverIdleTime() override {
        XFree(info_);
        XCloseDisplay(display_);
    }
    XScreenSaverIdleTime(const XScreenSaverIdleTime&) = delete;
    XScreenSaverIdleTime& operator=(const XScreenSaverIdleTime&) = delete;

    std::optional<std::uint64_t> idleNanoseconds() override {
        if (!XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_))
            return std::nullopt;
        return static_cast<std::uint64_t>(info_->idle) * 1'000'000;
    }

private:
    Display* display_;
    XScreenSaverInfo* info_;
};

// The session's idle monitor on D-Bus ("GetIdletime" answers milliseconds). Each question is a
// short synchronous call; a monitor that is not there is not asked again.
class IdleMonitorIdleTime : public IdleTimeSource {
public:
    explicit IdleMonitorIdleTime(GDBusConnection* bus) : bus_(bus) {}
    ~IdleMonitorIdleTime() override { g_object_unref(bus_); }
    IdleMonitorIdleTime(const IdleMonitorIdleTime&) = delete;
    IdleMonitorIdleTime& operator=(const IdleMonitorIdleTime&) = delete;

    std::optional<std::uint64_t> idleNanoseconds() override {
        if (missing_)
            return std::nullopt;
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(
            bus_, "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
            "org.gnome.Mutter.IdleMonitor", "GetIdletime", nullptr, G_VARIANT_TYPE("(t)"),
            G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeoutMilliseconds, nullptr, &error);
        if (!reply) {
            Log(std::string("no idle time from the session's idle monitor: ") +
                (error ? error->message : "no answer"));
            missing_ = true;
            g_clear_error(&error);
            return std::nullopt;
        }
        guint64 milliseconds = 0;
        g_variant_get(reply, "(t)", &milliseconds);
        g_variant_unref(reply);
        return static_cast<std::uint64_t>(milliseconds) * 1'000'000;
    }

private:
    static constexpr int kTimeoutMilliseconds = 250;
    GDBusConnection* bus_;
    bool missing_ = false;
};

class SilentIdleTime : public IdleTimeSource {
public:
    std::optional<std::uint64_t> idleNanoseconds() override { return std::nullopt; }
};

} // namespace

std::shared_ptr<IdleTimeSource> IdleTimeSource::xScreenSaver(const std::string& display) {
    const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    if (!name || !*name)
        return nullptr;
    Display* connection = XOpenDisplay(name);
    if (!connection)
        return nullptr;
    int eventBase = 0;
    int errorBase = 0;
    XScreenSaverInfo* info = nullptr;
    if (!XScreenSaverQueryExtension(connection, &eventBase, &errorBase) ||
        !(info = XScreenSaverAllocInfo())) {
        XCloseDisplay(connection);
        return nullptr;
    }
    return std::make_shared<XScreenSaverIdleTime>(connection, info);
}

std::shared_ptr<IdleTimeSource> IdleTimeSource::idleMonitor() {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return nullptr;
    }
    return std::make_shared<IdleMonitorIdleTime>(bus);
}

std::shared_ptr<IdleTimeSource> IdleTimeSource::system() {
    if (auto x = xScreenSaver())
        return x;
    if (auto monitor = idleMonitor())
        return monitor;
    Log("the desktop gives no idle time; the user is never seen as idle");
    return std::make_shared<SilentIdleTime>();
}

} // namespace platform
