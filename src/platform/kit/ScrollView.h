#pragma once

#include "platform/graphics/Color.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Scroller.h"
#include "platform/kit/View.h"

#include <memory>
#include <string_view>

namespace platform {

// Border types, as the original numbered them.
enum class BorderType : int { NoBorder = 0, LineBorder = 1, BezelBorder = 2, GrooveBorder = 3 };

// A scrolling area: a clip view (the content view) showing part of a document view, with a
// vertical scroller at the right and a horizontal one at the bottom, each on request and, with
// autohiding, only while the document overflows that way. A table's header view is placed above
// the clip view and follows it sideways. The scroll view's own coordinates are unflipped; the
// document keeps whatever flipping it has.
//
// Scrolling: the scroll wheel moves by lines (one wheel step is a line of lineScroll points),
// pageUp:/pageDown: by a page, which is the visible height less pageScroll points so that a
// little of the previous page stays in sight, as with the original.
class ScrollView : public View {
public:
    explicit ScrollView(const Rect& frame = {});
    ~ScrollView() override;

    ClipView* contentView() const { return contentView_.get(); }
    virtual void setContentView(std::shared_ptr<ClipView> clipView);
    View* documentView() const;
    void setDocumentView(std::shared_ptr<View> view);
    Rect documentVisibleRect() const;
    // The size of the clip view as tiled now.
    Size contentSize() const;
    // The clip view's size for a scroll view of `frameSize` with those scrollers and border,
    // and the reverse.
    static Size contentSizeForFrameSize(Size frameSize, bool hasHorizontalScroller,
                                        bool hasVerticalScroller, BorderType borderType);
    static Size frameSizeForContentSize(Size contentSize, bool hasHorizontalScroller,
                                        bool hasVerticalScroller, BorderType borderType);

    bool hasVerticalScroller() const { return hasVerticalScroller_; }
    void setHasVerticalScroller(bool flag);
    bool hasHorizontalScroller() const { return hasHorizontalScroller_; }
    void setHasHorizontalScroller(bool flag);
    bool autohidesScrollers() const { return autohidesScrollers_; }
    void setAutohidesScrollers(bool flag);
    Scroller* verticalScroller() const { return verticalScroller_.get(); }
    void setVerticalScroller(std::shared_ptr<Scroller> scroller);
    Scroller* horizontalScroller() const { return horizontalScroller_.get(); }
    void setHorizontalScroller(std::shared_ptr<Scroller> scroller);

    BorderType borderType() const { return borderType_; }
    void setBorderType(BorderType type);
    // The clip view's background.
    bool drawsBackground() const;
    void setDrawsBackground(bool flag);
    Color backgroundColor() const;
    void setBackgroundColor(const Color& color);

    double lineScroll() const { return verticalLineScroll_; }
    void setLineScroll(double value);
    double verticalLineScroll() const { return verticalLineScroll_; }
    void setVerticalLineScroll(double value) { verticalLineScroll_ = value; }
    double horizontalLineScroll() const { return horizontalLineScroll_; }
    void setHorizontalLineScroll(double value) { horizontalLineScroll_ = value; }
    double pageScroll() const { return verticalPageScroll_; }
    void setPageScroll(double value);
    double verticalPageScroll() const { return verticalPageScroll_; }
    void setVerticalPageScroll(double value) { verticalPageScroll_ = value; }
    double horizontalPageScroll() const { return horizontalPageScroll_; }
    void setHorizontalPageScroll(double value) { horizontalPageScroll_ = value; }

    // Lays out the clip view, the header and the scrollers for the current frame and document.
    virtual void tile();
    // Brings the scrollers (knob size and place, autohiding) and the header in line with the
    // clip view's scroll position; the clip view calls it after every scroll.
    virtual void reflectScrolledClipView(ClipView* clipView);

    // A page towards the document's start or end.
    void pageUp(Object* sender);
    void pageDown(Object* sender);
    // Scrolls by `lines` lines towards the end (negative: the start), vertically or not.
    void scrollByLines(double lines, bool vertical = true);
    // Scrolls towards the document's end by `amount` points (negative: the start).
    void scrollVerticallyBy(double amount);
    void scrollHorizontallyBy(double amount);

    void scrollWheel(const Event& event) override;
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    void drawRect(const Rect& dirtyRect) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    void scrollerMoved(Scroller& scroller);
    View* documentHeaderView() const;
    Rect interiorRect() const;

    std::shared_ptr<ClipView> contentView_;
    std::shared_ptr<ClipView> headerClipView_;
    std::shared_ptr<Scroller> verticalScroller_;
    std::shared_ptr<Scroller> horizontalScroller_;
    bool hasVerticalScroller_ = false;
    bool hasHorizontalScroller_ = false;
    bool autohidesScrollers_ = false;
    BorderType borderType_ = BorderType::NoBorder;
    double verticalLineScroll_ = 10;
    double horizontalLineScroll_ = 10;
    double verticalPageScroll_ = 10;
    double horizontalPageScroll_ = 10;
    bool tiling_ = false;
};

} // namespace platform
