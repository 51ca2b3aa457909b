#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "widgets/QXHyperlinkButtonCell.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A text link that opens a web address. A link from an interface definition takes its address
// (and maybe its title) from the brand's "Hyperlinks" entry, keyed by its alternate title, so
// that a brand retargets or rewords every link without touching the interface.
class QXHyperlinkButton : public platform::Button {
public:
    explicit QXHyperlinkButton(const platform::Rect& frame = {});
    static std::shared_ptr<QXHyperlinkButton>
    initWithCoder(const platform::Rect& frame, std::shared_ptr<platform::Cell> decodedCell);

    // The brand's "Hyperlinks" entry, which start-up hands over once the brand is read.
    static void setBrandHyperlinks(platform::Value hyperlinks);
    static const platform::Value& brandHyperlinks();
    // How addresses are opened: by default the desktop's opener; tests record them.
    using URLOpener = std::function<void(const std::string& url)>;
    static void setURLOpener(URLOpener opener);

    // The original's awakeFromNib: without both a target and an action of its own the button
    // becomes its own target for hyperlinkPressed and reads its address from the brand.
    void awake() override;

    QXHyperlinkButtonCell* hyperlinkCell() const;
    const std::optional<std::string>& hyperlink() const { return _hyperlink; }
    void setHyperlink(std::optional<std::string> hyperlink) { _hyperlink = std::move(hyperlink); }
    // Opens the address with its macros filled in; nothing without an address or when the
    // result is not an absolute address.
    void hyperlinkPressed();

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // The pointing hand over an enabled link: the window picks the cursor from cursor
    // rectangles after every move, so the cell's own setting alone would not last.
    void resetCursorRects() override;
    void setEnabled(bool flag) override;

    // Hover reaches the cell without redrawing the button; the cell redraws when it must.
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;
    // A finished click leaves no hover look behind (the pointer may be over another window
    // by the time the address has opened).
    void mouseUp(const platform::Event& event) override;

private:
    std::optional<std::string> _hyperlink;
};
