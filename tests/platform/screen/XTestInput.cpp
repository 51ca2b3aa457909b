#include "XTestInput.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <chrono>
#include <dlfcn.h>
#include <thread>

namespace sdltest {

bool XTestInput::open(const std::string& display, std::string& why) {
    library_ = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        why = "libXtst cannot be loaded";
        return false;
    }
    motion_ = reinterpret_cast<Motion>(dlsym(library_, "XTestFakeMotionEvent"));
    button_ = reinterpret_cast<Button>(dlsym(library_, "XTestFakeButtonEvent"));
    key_ = reinterpret_cast<Key>(dlsym(library_, "XTestFakeKeyEvent"));
    display_ = XOpenDisplay(display.c_str());
    if (!motion_ || !button_ || !key_ || !display_) {
        why = "XTest is not usable on the virtual server";
        return false;
    }
    return true;
}

XTestInput::~XTestInput() {
    if (display_)
        XCloseDisplay(display_);
    if (library_)
        dlclose(library_);
}

void XTestInput::move(int x, int y) {
    motion_(display_, -1, x, y, 0);
    XFlush(display_);
}

void XTestInput::click(int x, int y) {
    motion_(display_, -1, x, y, 0);
    button_(display_, 1, 1, 0);
    button_(display_, 1, 0, 0);
    XFlush(display_);
}

void XTestInput::pressKeysym(unsigned long keysym) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0)
        return;
    const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != keysym &&
                         XkbKeycodeToKeysym(display_, code, 0, 1) == keysym;
    const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
    // A typist's pace: keys pressed within the same millisecond of the server's clock look
    // like the key repeating to the client.
    const auto send = [this](KeyCode key, bool down) {
        key_(display_, key, down ? 1 : 0, 0);
        XFlush(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
    };
    if (shifted)
        send(shift, true);
    send(code, true);
    send(code, false);
    if (shifted)
        send(shift, false);
}

void XTestInput::key(const std::string& keysymName) {
    pressKeysym(XStringToKeysym(keysymName.c_str()));
}

void XTestInput::type(const std::string& text) {
    // Printable ASCII characters are their own keysyms.
    for (const char c : text)
        if (c >= 0x20 && c < 0x7f)
            pressKeysym(static_cast<unsigned long>(static_cast<unsigned char>(c)));
}

} // namespace sdltest
