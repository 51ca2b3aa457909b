#pragma once

#include <string>

// Xlib's display, declared here so that its macros stay out of the tests.
struct _XDisplay;

namespace sdltest {

// Input on an X server as a user's would arrive, through XTest, loaded at run time (only its
// library is installed).
class XTestInput {
public:
    XTestInput() = default;
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    // False with the reason in `why` when XTest cannot be used on the display.
    bool open(const std::string& display, std::string& why);
    // Moves the pointer to a point of the root window.
    void move(int x, int y);
    // A left click at a point of the root window.
    void click(int x, int y);
    // Presses and releases the key of an X keysym name ("Return", "Tab", "Escape", "a"),
    // with Shift held when the keysym lies on the key's shifted level.
    void key(const std::string& keysymName);
    // Types printable ASCII text key by key.
    void type(const std::string& text);

private:
    using Motion = int (*)(_XDisplay*, int, int, int, unsigned long);
    using Button = int (*)(_XDisplay*, unsigned, int, unsigned long);
    using Key = int (*)(_XDisplay*, unsigned, int, unsigned long);
    void pressKeysym(unsigned long keysym);
    void* library_ = nullptr;
    _XDisplay* display_ = nullptr;
    Motion motion_ = nullptr;
    Button button_ = nullptr;
    Key key_ = nullptr;
};

} // namespace sdltest
