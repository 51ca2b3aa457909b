#pragma once

#include "platform/graphics/Color.h"
#include "platform/kit/View.h"

#include <memory>

namespace platform {

class ScrollView;

// The window onto a document view: the clip view's bounds origin is the point of the document
// shown at its origin, so scrolling moves the bounds, never the document. It takes the
// document's flipping, so both share one coordinate system, and it fills only the part that is
// redrawn with its background. Its scroll view (the superview, when it is one) is told of every
// scroll so that the scrollers follow.
class ClipView : public View {
public:
    explicit ClipView(const Rect& frame = {});

    View* documentView() const { return documentView_.get(); }
    // Replaces the document, placed at its own frame origin, scrolled to its start.
    virtual void setDocumentView(std::shared_ptr<View> view);
    // The document's frame, grown to the clip view's size when the document is smaller.
    Rect documentRect() const;
    // The part of the document in sight, in the document's coordinates.
    Rect documentVisibleRect() const;

    // The nearest origin that keeps the clip view inside the document; a document smaller than
    // the clip view stays at its start (its top when flipped, its bottom when not).
    virtual Point constrainScrollPoint(Point proposedNewOrigin) const;
    // Moves the bounds origin to the constrained point.
    virtual void scrollToPoint(Point newOrigin);
    // A document view that changed its frame calls this, so that the scroll position stays
    // legal and the scrollers follow.
    void documentViewFrameDidChange();

    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool flag);
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Color& color);
    // Kept for callers; scrolling always redraws what comes into sight.
    bool copiesOnScroll() const { return copiesOnScroll_; }
    void setCopiesOnScroll(bool flag) { copiesOnScroll_ = flag; }

    bool isFlipped() const override;
    bool isOpaque() const override { return drawsBackground_; }
    void drawRect(const Rect& dirtyRect) override;
    void setBoundsOrigin(Point origin) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;
    void willRemoveSubview(View* subview) override;

private:
    ScrollView* scrollView() const;

    std::shared_ptr<View> documentView_;
    bool drawsBackground_ = true;
    Color backgroundColor_ = Color::controlBackgroundColor();
    bool copiesOnScroll_ = true;
};

// The closest ancestor of `view` that scrolls the content through a clip view: its enclosing
// scroll view, or nullptr.
ScrollView* enclosingScrollView(const View& view);
// The closest clip view above `view`, or nullptr.
ClipView* enclosingClipView(const View& view);
// Scrolls the closest clip view above `view` by the least amount that brings `rect` (in the
// view's coordinates) into sight; true when it moved.
bool scrollRectToVisible(View& view, const Rect& rect);

} // namespace platform
