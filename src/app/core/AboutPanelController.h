#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Panel.h"
#include "platform/kit/View.h"

#include <memory>
#include <vector>

namespace platform {
class Event;
class ScrollView;
class TextField;
} // namespace platform

// What a fancy panel offers its delegate before handling an event itself. A true answer
// consumes the event.
class NSFancyPanelDelegate {
public:
    virtual ~NSFancyPanelDelegate() = default;
    virtual bool handlesKeyDown(const platform::Event& /*event*/, platform::Window& /*window*/) {
        return false;
    }
    virtual bool handlesMouseDown(const platform::Event& /*event*/, platform::Window& /*window*/) {
        return false;
    }
};

// A panel that may become key and main, and that lets its delegate (when the window delegate
// is also an NSFancyPanelDelegate) take key-downs and left or right mouse-downs first.
class NSFancyPanel : public platform::Panel {
public:
    using platform::Panel::Panel;

    bool canBecomeKeyWindow() const override { return true; }
    bool canBecomeMainWindow() const override { return true; }
    void sendEvent(const platform::Event& event) override;
};

// The About box's credits: read-only attributed text, flipped, as wide as its clip view and as
// tall as its text. Each paragraph keeps its own alignment, as in the original's text view.
class CreditsTextView : public platform::View {
public:
    explicit CreditsTextView(const platform::Rect& frame = {});

    const platform::AttributedString& attributedString() const { return text_; }
    void setAttributedString(platform::AttributedString text);
    // The text's height at the view's width.
    double textHeight() const { return textHeight_; }
    // Lays the text out again for the view's width and fits the height to it.
    void sizeToFit();

    bool isFlipped() const override { return true; }
    void drawRect(const platform::Rect& dirtyRect) override;
    void setFrameSize(platform::Size size) override;

private:
    struct Paragraph {
        platform::TextLayout layout;
        double y = 0;
        double height = 0;
    };
    void layout();

    platform::AttributedString text_;
    std::vector<Paragraph> paragraphs_;
    double textHeight_ = 0;
    double laidOutWidth_ = -1;
    bool fitting_ = false;
};

// The About box: the product's name, version and build over slowly scrolling credits, in a
// white panel. One shared instance, made from the interface definition "AboutPanel".
class AboutPanelController : public platform::Object,
                             public platform::Awakable,
                             public platform::WindowDelegate,
                             public NSFancyPanelDelegate {
public:
    // The credits move one point each tick.
    static constexpr platform::TimeInterval kScrollInterval = 0.03;
    // Line breaks put before and after the credits, so they scroll in from below and out above.
    static constexpr int kBlankLines = 10;
    // Where the copyright goes in the credits, in characters.
    static constexpr std::size_t kCopyrightIndex = 5;

    AboutPanelController();
    ~AboutPanelController() override;
    AboutPanelController(const AboutPanelController&) = delete;
    AboutPanelController& operator=(const AboutPanelController&) = delete;

    // Made with its interface definition on first use.
    static AboutPanelController& sharedInstance();
    // Forgets the shared instance (tests, and the end of the application).
    static void releaseSharedInstance();
    static void registerInterfaceDefinition();

    void awake() override;

    // Back to the top, scrolling, in front as the key window.
    void showPanel();
    // Scrolling stopped, ordered out.
    void hidePanel();
    void setShowsScroller(bool flag);
    // The bundle's "about.rtf"; empty when it is missing or not readable.
    platform::AttributedString textToScroll() const;

    void scrollOneUnit();
    bool isScrolling() const { return scrollingTimer != nullptr; }

    // Escape, Return and Enter close the box; other keys go to the panel.
    bool handlesKeyDown(const platform::Event& event, platform::Window& window) override;
    // A click anywhere but on the credits' scroller closes the box.
    bool handlesMouseDown(const platform::Event& event, platform::Window& window) override;
    void windowWillClose(platform::Window& window) override;

    // Outlets, set by the interface definition.
    std::shared_ptr<platform::Panel> panelInNib;
    std::shared_ptr<NSFancyPanel> panelToDisplay;
    std::shared_ptr<platform::ScrollView> textScrollView;
    std::shared_ptr<CreditsTextView> textView;
    std::shared_ptr<platform::TextField> versionField;
    std::shared_ptr<platform::TextField> shortInfoField;
    std::shared_ptr<platform::Timer> scrollingTimer;

private:
    void startScrolling();
    void stopScrolling();
    void scrollToTop();
};
