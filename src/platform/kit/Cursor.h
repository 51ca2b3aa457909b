#pragma once

#include <string>

namespace platform {

// A mouse pointer shape. The standard shapes are shared objects; set() makes one current and
// tells the screen backend, which shows the desktop's cursor of that name.
class Cursor {
public:
    static Cursor* arrowCursor();
    static Cursor* pointingHandCursor();
    static Cursor* IBeamCursor();
    static Cursor* crosshairCursor();
    static Cursor* openHandCursor();
    static Cursor* closedHandCursor();
    static Cursor* resizeLeftRightCursor();
    static Cursor* resizeUpDownCursor();
    static Cursor* operationNotAllowedCursor();

    // The cursor last set; the arrow at first.
    static Cursor* currentCursor();

    void set();
    // "arrow", "pointingHand", "IBeam", ... (the backend maps it to a system cursor).
    const std::string& name() const { return name_; }

    explicit Cursor(std::string name) : name_(std::move(name)) {}
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

private:
    std::string name_;
};

} // namespace platform
