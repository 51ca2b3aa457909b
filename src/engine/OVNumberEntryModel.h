#pragma once

#include "engine/OVAutoCompleteItem.h"
#include "engine/OVModel.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

class OVNumberEntryModel;

// Callbacks of a number-entry model.
class OVNumberEntryModelPro : public virtual OVModelPro {
public:
    // "NumberEntered" or "ObjectEntered" changed; the listener reads the model again.
    virtual void ovmdNumberEntryPropertyChanged(const std::string& /*propertyName*/) {}
    // The engine wants the keyboard in the entry (a dialpad key was pressed, for instance).
    virtual void ovmdNumberEntryFocusRequested(OVNumberEntryModel& /*model*/) {}
    // The engine asks where the selection is; answered with setTextSelectionState.
    virtual void ovmdNumberEntryTextSelectionStateRequested(int /*state*/) {}
    // The engine moves the selection.
    virtual void ovmdNumberEntryUpdateTextSelectionState(int /*state*/, long /*start*/,
                                                         long /*length*/) {}
};

// What the user enters in a field that takes a number: the text, the dial keys pressed and
// released, Return, focus and selection. The field never keeps the number by itself: every
// change comes here and the model echoes the text back as "NumberEntered", once for all the
// changes made before the next pass of the run loop.
class OVNumberEntryModel : public OVModelOf<OVNumberEntryModelPro>,
                           public std::enable_shared_from_this<OVNumberEntryModel> {
public:
    static constexpr std::string_view numberEnteredProperty = "NumberEntered";
    static constexpr std::string_view objectEnteredProperty = "ObjectEntered";
    // Special keys.
    static constexpr int returnKey = 13;
    static constexpr std::string_view dialKeys = "0123456789*#";

    static std::shared_ptr<OVNumberEntryModel> create();

    const std::string& numberEntered() const { return number_; }
    void setNumberEntered(std::string text);
    void clearNumberEntered();
    // What a call goes to: the picked item's address, else the dial plan's reading of the text.
    std::string realizedNumberEntered() const;
    // The item the entry resolved to (a picked suggestion or a dropped contact), or nullptr.
    std::shared_ptr<OVSpaceItem> objectEntered() const { return object_; }
    // A dropped contact or history entry: the entry shows its address and calls it.
    void setObjectEntered(std::string address, std::string display, OVAddressType addressType,
                          long long entityID);
    void setObjectEntered(std::shared_ptr<OVSpaceItem> item);

    // Dial keys play their tone while held; a released space closes the suggestions.
    void keyIsPressed(int character);
    void keyIsReleased(int character);
    // Return dials what was entered.
    void specialKeyPressed(int key);
    void gotFocus(bool flag);
    void lostFocus(bool flag);
    bool hasFocus() const { return focus_; }
    void setTextSelectionState(int state, long start, long length);
    long selectionStart() const { return selectionStart_; }
    long selectionLength() const { return selectionLength_; }

    // Engine side: who dials on Return, who hears the changed text (the suggestions), and the
    // requests the engine makes of the field.
    void setDialHandler(std::function<void()> handler) { dialHandler_ = std::move(handler); }
    void setTextHandler(std::function<void(const std::string&)> handler) {
        textHandler_ = std::move(handler);
    }
    void setDismissHandler(std::function<void()> handler) { dismissHandler_ = std::move(handler); }
    // Hears every dial key pressed (a call's entry sends it down the call as a tone).
    void setKeyHandler(std::function<void(char)> handler) { keyHandler_ = std::move(handler); }
    void requestFocus();
    void requestTextSelectionState(int state);

private:
    // Queues the echo of the property; several changes in one pass are told once.
    void changed(std::string_view property);
    std::string number_;
    std::shared_ptr<OVSpaceItem> object_;
    bool focus_ = false;
    long selectionStart_ = 0;
    long selectionLength_ = 0;
    std::set<std::string, std::less<>> pending_;
    std::function<void()> dialHandler_;
    std::function<void(const std::string&)> textHandler_;
    std::function<void()> dismissHandler_;
    std::function<void(char)> keyHandler_;
};
