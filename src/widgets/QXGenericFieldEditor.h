#pragma once

#include "platform/kit/Event.h"
#include "platform/kit/TextView.h"

#include <memory>
#include <optional>

// What the field being edited may answer its field editor about keys. Each question is
// optional: nullopt is "does not implement it", which differs from answering NO.
class QXGenericFieldEditorDelegate {
public:
    virtual ~QXGenericFieldEditorDelegate() = default;
    // NO suppresses held-key repeats (navigation keys always repeat).
    virtual std::optional<bool> allowAutoRepeat() { return std::nullopt; }
    // YES consumes the key; the editor then does nothing with it.
    virtual std::optional<bool> keyPressed(const platform::Event& /*event*/) {
        return std::nullopt;
    }
    virtual std::optional<bool> keyReleased(const platform::Event& /*event*/) {
        return std::nullopt;
    }
};

// The field editor that skinned windows lend their text fields. Every key goes to the field
// being edited first (its delegate, when that answers QXGenericFieldEditorDelegate), Command
// and Control keys go to the window, held-key repeats are dropped for fields that do not want
// them, and copy, cut and paste can be switched off (their context-menu items go too).
class QXGenericFieldEditor : public platform::TextView {
public:
    explicit QXGenericFieldEditor(const platform::Rect& frame = {});

    bool allowCopyPaste() const { return _allowCopyPaste; }
    void setAllowCopyPaste(bool flag) { _allowCopyPaste = flag; }

    void keyDown(const platform::Event& event) override;
    void keyUp(const platform::Event& event) override;
    void flagsChanged(const platform::Event& event) override;
    void copy(platform::Object* sender) override;
    void cut(platform::Object* sender) override;
    void paste(platform::Object* sender) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;
    std::shared_ptr<platform::Menu> menuForEvent(const platform::Event& event) override;

    // Page Up, Page Down, the arrows and Delete, which repeat whatever the field says.
    static bool isNavigationKey(unsigned short keyCode);

private:
    QXGenericFieldEditorDelegate* fieldDelegate() const;

    bool _allowCopyPaste = true;
};
