#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/kit/ActionCell.h"
#include "platform/kit/Event.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

// Button types, as the original numbered them; values up to 500 are the platform's own
// (subclasses use larger numbers for drawing styles of their own).
inline constexpr int MomentaryLightButton = 0;
inline constexpr int PushOnPushOffButton = 1;
inline constexpr int ToggleButton = 2;
inline constexpr int SwitchButton = 3;
inline constexpr int RadioButton = 4;
inline constexpr int MomentaryChangeButton = 5;
inline constexpr int OnOffButton = 6;
inline constexpr int MomentaryPushInButton = 7;
inline constexpr int AcceleratorButton = 8;
inline constexpr int MultiLevelAcceleratorButton = 9;

enum class BezelStyle : int {
    Rounded = 1,
    RegularSquare = 2,
    ThickSquare = 3,
    ThickerSquare = 4,
    Disclosure = 5,
    ShadowlessSquare = 6,
    Circular = 7,
    TexturedSquare = 8,
    HelpButton = 9,
    SmallSquare = 10,
    TexturedRounded = 11,
    RoundRect = 12,
    Recessed = 13,
    RoundedDisclosure = 14,
    Inline = 15,
};

// The cell of a button: a title (with an alternate title for the on state), an image (with an
// alternate image), where the image goes, how it scales, a bezel, a button type that says how
// clicks change the state, and a key equivalent. Its object value is its state.
class ButtonCell : public ActionCell {
public:
    // A push button titled "Button".
    ButtonCell();
    explicit ButtonCell(std::string title);
    explicit ButtonCell(std::shared_ptr<Image> image);
    ButtonCell(const ButtonCell& other) = default;
    std::shared_ptr<Cell> copy() const override { return std::make_shared<ButtonCell>(*this); }

    // The object value is the state; setting a value sets the state from its number.
    void setObjectValue(Value value) override;
    std::string stringValue() const override;
    void setStringValue(std::string value) override;
    void setState(CellStateValue state) override;

    std::string title() const override { return title_; }
    void setTitle(std::string title) override;
    // The title with the cell's font, colour and centred alignment unless one was set.
    virtual AttributedString attributedTitle() const;
    virtual void setAttributedTitle(AttributedString title);
    const std::string& alternateTitle() const { return alternateTitle_; }
    void setAlternateTitle(std::string title);
    virtual AttributedString attributedAlternateTitle() const;
    virtual void setAttributedAlternateTitle(AttributedString title);
    AttributedString attributedStringValue() const override { return attributedTitle(); }

    const std::shared_ptr<Image>& alternateImage() const { return alternateImage_; }
    void setAlternateImage(std::shared_ptr<Image> image);
    CellImagePosition imagePosition() const { return imagePosition_; }
    void setImagePosition(CellImagePosition position);
    ImageScaling imageScaling() const { return imageScaling_; }
    void setImageScaling(ImageScaling scaling);

    // The last type set (values up to 500), the platform's behaviour.
    int buttonType() const { return buttonType_; }
    // Sets how clicks change the state and how the button looks (switches and radio buttons
    // lose their bezel and show their mark).
    virtual void setButtonType(int type);
    CellStateValue nextState() const;
    // Only toggling types (on-off, toggle, switch, radio) change their state on a click.
    void setNextState() override;

    BezelStyle bezelStyle() const { return bezelStyle_; }
    void setBezelStyle(BezelStyle style);
    bool isTransparent() const { return transparent_; }
    void setTransparent(bool flag);
    // The bezel shows only while the pointer is inside; the control then tells the cell when
    // the pointer enters and leaves.
    bool showsBorderOnlyWhileMouseInside() const { return showsBorderOnlyWhileMouseInside_; }
    void setShowsBorderOnlyWhileMouseInside(bool flag);
    bool isMouseInside() const { return mouseInside_; }
    void mouseEntered(const Event& event) override;
    void mouseExited(const Event& event) override;

    std::string keyEquivalent() const override { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
    unsigned keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }
    void setKeyEquivalentModifierMask(unsigned mask) { keyEquivalentModifierMask_ = mask; }

    bool acceptsFirstResponder() const override { return false; }

    Size cellSizeForBounds(const Rect& bounds) const override;
    Rect titleRectForBounds(const Rect& bounds) const override;
    Rect imageRectForBounds(const Rect& bounds) const override;
    void drawWithFrame(const Rect& cellFrame, View* controlView) override;
    void drawInteriorWithFrame(const Rect& cellFrame, View* controlView) override;
    // Draws the bezel (the face of a push button, a box or a circle for switches and radios).
    virtual void drawBezelWithFrame(const Rect& frame, View* controlView);
    virtual void drawImage(const Image& image, const Rect& frame, View* controlView);
    // Draws the title centred vertically in `frame`; answers the rectangle it took.
    virtual Rect drawTitle(const AttributedString& title, const Rect& frame, View* controlView);
    CellHitResult hitTestForEvent(const Event& event, const Rect& cellFrame,
                                  View* controlView) override;

protected:
    TextAttributes textAttributes() const override;
    bool isSwitchOrRadio() const {
        return buttonType_ == SwitchButton || buttonType_ == RadioButton;
    }
    // Pressed look: highlighted, or on for the types that show their state by their face.
    bool showsPressed() const;
    // The image for the current state and highlight.
    const std::shared_ptr<Image>& currentImage() const;
    // Where image and title go inside `content`, by the image position.
    void layoutContent(const Rect& content, bool flipped, Rect* imageRect, Rect* titleRect) const;

private:
    std::string title_;
    std::optional<AttributedString> attributedTitle_;
    std::string alternateTitle_;
    std::optional<AttributedString> attributedAlternateTitle_;
    std::shared_ptr<Image> alternateImage_;
    CellImagePosition imagePosition_ = CellImagePosition::NoImage;
    ImageScaling imageScaling_ = ImageScaling::ProportionallyDown;
    int buttonType_ = MomentaryPushInButton;
    BezelStyle bezelStyle_ = BezelStyle::Rounded;
    bool transparent_ = false;
    bool showsBorderOnlyWhileMouseInside_ = false;
    bool mouseInside_ = false;
    std::string keyEquivalent_;
    unsigned keyEquivalentModifierMask_ = 0;
};

} // namespace platform
