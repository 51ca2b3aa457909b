#include "XTestInput.h"

#include <dlfcn.h>

#include <X11/Xlib.h>

namespace sdltest {

bool XTestInput::open(const std::string& display, std::string& why) {
    library_ = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        why = "libXtst cannot be loaded";
        return false;
    }
    motion_ = reinterpret_cast<Motion>(dlsym(library_, "XTestFakeMotionEvent"));
    button_ = reinterpret_cast<Button>(dlsym(library_, "XTestFakeButtonEvent"));
    display_ = XOpenDisplay(display.c_str());
    if (!motion_ || !button_ || !display_) {
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

} // namespace sdltest
