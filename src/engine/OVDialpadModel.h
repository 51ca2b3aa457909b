#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <vector>

// Callbacks of the dialpad model.
class OVDialpadModelPro {
public:
    virtual ~OVDialpadModelPro() = default;
    virtual void ovmdDialpadPropertyChanged(const std::string& /*propertyName*/) {}
};

class OVNumberEntryModel;

// The twelve-key pad: a key held down is the pressed key until it is let go. A key pressed
// goes as a tone down the call being talked on; with no call it is typed into the number being
// dialled, which asks for the keyboard focus.
class OVDialpadModel : public OVObject, public DelegatingService<OVDialpadModelPro> {
public:
    static constexpr const char* pressedKeyProperty = "PressedKey";

    static std::shared_ptr<OVDialpadModel> create() { return std::make_shared<OVDialpadModel>(); }

    void keyIsPressed(int key);
    void keyIsReleased(int key);
    // The key held down, 0 when none.
    int getPressedKey() const { return pressedKey_; }
    // Engine side: shows a key as pressed (the engine's own echo), 0 for none.
    void setPressedKey(int key);
    // Every press and release received, in order, as "+5" and "-5".
    const std::vector<std::string>& keyLog() const { return keyLog_; }

private:
    int pressedKey_ = 0;
    std::vector<std::string> keyLog_;
    // The entry the held key was typed into: its tone stops when the key is let go.
    std::weak_ptr<OVNumberEntryModel> typedInto_;
};
