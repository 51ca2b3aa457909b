#include "platform/kit/ScrollView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/TableHeaderView.h"
#include "platform/kit/TableView.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr std::string_view kScrollerAction = "_doScroller:";

double borderWidth(BorderType type) {
    switch (type) {
    case BorderType::LineBorder:
    case BorderType::BezelBorder:
        return 1;
    case BorderType::GrooveBorder:
        return 2;
    default:
        return 0;
    }
}

// The scroll amount of a page: what is in sight less the overlap, never nothing.
double pageAmount(double visible, double overlap) {
    const double amount = visible - overlap;
    return amount > 0 ? amount : visible;
}

} // namespace

ScrollView::ScrollView(const Rect& frame) : View(frame) {
    setContentView(std::make_shared<ClipView>());
}

ScrollView::~ScrollView() {
    for (const auto& scroller : {verticalScroller_, horizontalScroller_})
        if (scroller && scroller->target() == this)
            scroller->setTarget(nullptr);
}

void ScrollView::setContentView(std::shared_ptr<ClipView> clipView) {
    if (!clipView || clipView == contentView_)
        return;
    std::shared_ptr<View> document;
    if (contentView_) {
        document =
            contentView_->documentView() ? contentView_->documentView()->sharedView() : nullptr;
        contentView_->removeFromSuperview();
    }
    contentView_ = std::move(clipView);
    contentView_->setAutoresizesSubviews(true);
    addSubview(contentView_, WindowOrderingMode::Below, nullptr);
    if (document && !contentView_->documentView())
        contentView_->setDocumentView(document);
    tile();
}

View* ScrollView::documentView() const {
    return contentView_ ? contentView_->documentView() : nullptr;
}

void ScrollView::setDocumentView(std::shared_ptr<View> view) {
    contentView_->setDocumentView(std::move(view));
    tile();
}

Rect ScrollView::documentVisibleRect() const {
    return contentView_->documentVisibleRect();
}

Size ScrollView::contentSize() const {
    return contentView_->frame().size;
}

Size ScrollView::contentSizeForFrameSize(Size frameSize, bool hasHorizontalScroller,
                                         bool hasVerticalScroller, BorderType borderType) {
    const double border = 2 * borderWidth(borderType);
    const double width = Scroller::scrollerWidth();
    return {std::max(0.0, frameSize.width - border - (hasVerticalScroller ? width : 0)),
            std::max(0.0, frameSize.height - border - (hasHorizontalScroller ? width : 0))};
}

Size ScrollView::frameSizeForContentSize(Size contentSize, bool hasHorizontalScroller,
                                         bool hasVerticalScroller, BorderType borderType) {
    const double border = 2 * borderWidth(borderType);
    const double width = Scroller::scrollerWidth();
    return {contentSize.width + border + (hasVerticalScroller ? width : 0),
            contentSize.height + border + (hasHorizontalScroller ? width : 0)};
}

void ScrollView::setHasVerticalScroller(bool flag) {
    if (flag && !verticalScroller_)
        setVerticalScroller(std::make_shared<Scroller>(Rect{0, 0, Scroller::scrollerWidth(), 100}));
    hasVerticalScroller_ = flag;
    tile();
}

void ScrollView::setHasHorizontalScroller(bool flag) {
    if (flag && !horizontalScroller_)
        setHorizontalScroller(
            std::make_shared<Scroller>(Rect{0, 0, 100, Scroller::scrollerWidth()}));
    hasHorizontalScroller_ = flag;
    tile();
}

void ScrollView::setAutohidesScrollers(bool flag) {
    autohidesScrollers_ = flag;
    tile();
}

void ScrollView::setVerticalScroller(std::shared_ptr<Scroller> scroller) {
    if (verticalScroller_)
        verticalScroller_->removeFromSuperview();
    verticalScroller_ = std::move(scroller);
    if (verticalScroller_) {
        verticalScroller_->setTarget(this);
        verticalScroller_->setAction(std::string(kScrollerAction));
        addSubview(verticalScroller_);
    }
    tile();
}

void ScrollView::setHorizontalScroller(std::shared_ptr<Scroller> scroller) {
    if (horizontalScroller_)
        horizontalScroller_->removeFromSuperview();
    horizontalScroller_ = std::move(scroller);
    if (horizontalScroller_) {
        horizontalScroller_->setTarget(this);
        horizontalScroller_->setAction(std::string(kScrollerAction));
        addSubview(horizontalScroller_);
    }
    tile();
}

void ScrollView::setBorderType(BorderType type) {
    if (borderType_ == type)
        return;
    borderType_ = type;
    tile();
    setNeedsDisplay(true);
}

bool ScrollView::drawsBackground() const {
    return contentView_->drawsBackground();
}

void ScrollView::setDrawsBackground(bool flag) {
    contentView_->setDrawsBackground(flag);
}

Color ScrollView::backgroundColor() const {
    return contentView_->backgroundColor();
}

void ScrollView::setBackgroundColor(const Color& color) {
    contentView_->setBackgroundColor(color);
}

void ScrollView::setLineScroll(double value) {
    verticalLineScroll_ = horizontalLineScroll_ = value;
}

void ScrollView::setPageScroll(double value) {
    verticalPageScroll_ = horizontalPageScroll_ = value;
}

Rect ScrollView::interiorRect() const {
    const double border = borderWidth(borderType_);
    return bounds().insetBy(border, border);
}

View* ScrollView::documentHeaderView() const {
    auto* table = dynamic_cast<TableView*>(documentView());
    return table ? table->headerView() : nullptr;
}

// Autohiding depends on the clip view's size, which depends on the scrollers shown, and a
// document that fills its clip view (a table) follows the clip view's size; so the layout is
// repeated until it no longer changes.
void ScrollView::tile() {
    if (tiling_ || !contentView_)
        return;
    tiling_ = true;
    const double width = Scroller::scrollerWidth();
    for (int pass = 0; pass < 4; ++pass) {
        const Rect inner = interiorRect();
        View* header = documentHeaderView();
        const double headerHeight = header ? header->frame().height() : 0;
        const View* document = documentView();
        const Size doc = document ? document->frame().size : Size{};
        bool showV = hasVerticalScroller_ && verticalScroller_;
        bool showH = hasHorizontalScroller_ && horizontalScroller_;
        if (autohidesScrollers_) {
            const bool canV = showV, canH = showH;
            showV = showH = false;
            for (int i = 0; i < 2; ++i) {
                const double clipWidth = inner.width() - (showV ? width : 0);
                const double clipHeight = inner.height() - headerHeight - (showH ? width : 0);
                showV = canV && doc.height > clipHeight + 0.001;
                showH = canH && doc.width > clipWidth + 0.001;
            }
        }
        const double bottom = showH ? width : 0;
        const Rect clip{inner.minX(), inner.minY() + bottom,
                        std::max(0.0, inner.width() - (showV ? width : 0)),
                        std::max(0.0, inner.height() - headerHeight - bottom)};
        const bool changed = contentView_->frame() != clip ||
                             (verticalScroller_ && verticalScroller_->isHidden() == showV) ||
                             (horizontalScroller_ && horizontalScroller_->isHidden() == showH);
        if (verticalScroller_) {
            verticalScroller_->setHidden(!showV);
            verticalScroller_->setFrame(
                {inner.maxX() - width, inner.minY() + bottom, width, clip.height()});
        }
        if (horizontalScroller_) {
            horizontalScroller_->setHidden(!showH);
            horizontalScroller_->setFrame({inner.minX(), inner.minY(), clip.width(), width});
        }
        if (header) {
            if (!headerClipView_) {
                headerClipView_ = std::make_shared<ClipView>();
                addSubview(headerClipView_);
            }
            if (headerClipView_->documentView() != header)
                headerClipView_->setDocumentView(header->sharedView());
            headerClipView_->setHidden(false);
            headerClipView_->setFrame({clip.minX(), clip.maxY(), clip.width(), headerHeight});
        } else if (headerClipView_) {
            headerClipView_->setHidden(true);
            headerClipView_->setDocumentView(nullptr);
        }
        contentView_->setFrame(clip);
        if (!changed)
            break;
    }
    tiling_ = false;
    reflectScrolledClipView(contentView_.get());
    setNeedsDisplay(true);
}

void ScrollView::reflectScrolledClipView(ClipView* clipView) {
    if (!clipView || clipView != contentView_.get())
        return;
    const View* document = clipView->documentView();
    const Rect doc = document ? document->frame() : Rect{};
    const Rect visible = clipView->bounds();
    const auto update = [](Scroller* scroller, double docLength, double visibleLength,
                           double offset) {
        if (!scroller)
            return;
        const double room = docLength - visibleLength;
        scroller->setKnobProportion(docLength > 0 ? std::min(1.0, visibleLength / docLength) : 1);
        scroller->setDoubleValue(room > 0 ? offset / room : 0);
        scroller->setEnabled(room > 0);
    };
    const double verticalOffset =
        clipView->isFlipped() ? visible.minY() - doc.minY() : doc.maxY() - visible.maxY();
    update(verticalScroller_.get(), doc.height(), visible.height(), verticalOffset);
    update(horizontalScroller_.get(), doc.width(), visible.width(), visible.minX() - doc.minX());
    if (headerClipView_ && !headerClipView_->isHidden())
        headerClipView_->scrollToPoint({visible.minX(), headerClipView_->bounds().minY()});
    if (autohidesScrollers_ && !tiling_) {
        const bool needV = hasVerticalScroller_ && doc.height() > visible.height() + 0.001;
        const bool needH = hasHorizontalScroller_ && doc.width() > visible.width() + 0.001;
        if ((verticalScroller_ && verticalScroller_->isHidden() == needV) ||
            (horizontalScroller_ && horizontalScroller_->isHidden() == needH))
            tile();
    }
}

void ScrollView::scrollVerticallyBy(double amount) {
    const Point origin = contentView_->bounds().origin;
    contentView_->scrollToPoint(
        {origin.x, contentView_->isFlipped() ? origin.y + amount : origin.y - amount});
}

void ScrollView::scrollHorizontallyBy(double amount) {
    const Point origin = contentView_->bounds().origin;
    contentView_->scrollToPoint({origin.x + amount, origin.y});
}

void ScrollView::scrollByLines(double lines, bool vertical) {
    if (vertical)
        scrollVerticallyBy(lines * verticalLineScroll_);
    else
        scrollHorizontallyBy(lines * horizontalLineScroll_);
}

void ScrollView::pageUp(Object* /*sender*/) {
    scrollVerticallyBy(-pageAmount(contentView_->bounds().height(), verticalPageScroll_));
}

void ScrollView::pageDown(Object* /*sender*/) {
    scrollVerticallyBy(pageAmount(contentView_->bounds().height(), verticalPageScroll_));
}

// Wheel deltas count lines; a positive y moves the content down, towards the document's start.
// A wheel that cannot scroll this view any further goes on to the enclosing one.
void ScrollView::scrollWheel(const Event& event) {
    const Point before = contentView_->bounds().origin;
    if (event.deltaY() != 0)
        scrollVerticallyBy(-event.deltaY() * verticalLineScroll_);
    if (event.deltaX() != 0)
        scrollHorizontallyBy(-event.deltaX() * horizontalLineScroll_);
    if (contentView_->bounds().origin == before)
        View::scrollWheel(event);
}

void ScrollView::scrollerMoved(Scroller& scroller) {
    const bool vertical = &scroller == verticalScroller_.get();
    const View* document = documentView();
    if (!document)
        return;
    const Rect doc = document->frame();
    const Rect visible = contentView_->bounds();
    switch (scroller.hitPart()) {
    case ScrollerPart::Knob: {
        const double value = scroller.doubleValue();
        if (vertical) {
            const double offset = value * std::max(0.0, doc.height() - visible.height());
            const double y = contentView_->isFlipped() ? doc.minY() + offset
                                                       : doc.maxY() - visible.height() - offset;
            contentView_->scrollToPoint({visible.minX(), y});
        } else {
            const double offset = value * std::max(0.0, doc.width() - visible.width());
            contentView_->scrollToPoint({doc.minX() + offset, visible.minY()});
        }
        break;
    }
    case ScrollerPart::DecrementPage:
    case ScrollerPart::IncrementPage: {
        const double sign = scroller.hitPart() == ScrollerPart::IncrementPage ? 1 : -1;
        if (vertical)
            scrollVerticallyBy(sign * pageAmount(visible.height(), verticalPageScroll_));
        else
            scrollHorizontallyBy(sign * pageAmount(visible.width(), horizontalPageScroll_));
        break;
    }
    case ScrollerPart::DecrementLine:
        scrollByLines(-1, vertical);
        break;
    case ScrollerPart::IncrementLine:
        scrollByLines(1, vertical);
        break;
    default:
        break;
    }
}

bool ScrollView::tryToPerform(std::string_view action, Object* sender) {
    if (action == "pageUp:") {
        pageUp(sender);
        return true;
    }
    if (action == "pageDown:") {
        pageDown(sender);
        return true;
    }
    if (action == kScrollerAction) {
        if (auto* scroller = dynamic_cast<Scroller*>(sender))
            scrollerMoved(*scroller);
        return true;
    }
    return View::tryToPerform(action, sender);
}

bool ScrollView::respondsToAction(std::string_view action) const {
    return action == "pageUp:" || action == "pageDown:" || action == kScrollerAction ||
           View::respondsToAction(action);
}

void ScrollView::drawRect(const Rect& dirtyRect) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    switch (borderType_) {
    case BorderType::LineBorder:
        context->setFillColor(Color::blackColor());
        FrameRect(bounds());
        break;
    case BorderType::BezelBorder:
        context->setFillColor(Color::colorWithCalibratedWhite(0.55, 1));
        FrameRect(bounds());
        break;
    case BorderType::GrooveBorder:
        DrawGroove(bounds(), dirtyRect);
        break;
    default:
        break;
    }
    // The corner between two scrollers shows neither.
    if (verticalScroller_ && horizontalScroller_ && !verticalScroller_->isHidden() &&
        !horizontalScroller_->isHidden()) {
        const Rect inner = interiorRect();
        const double width = Scroller::scrollerWidth();
        context->setFillColor(Color::colorWithCalibratedWhite(0.94, 1));
        context->fillRect({inner.maxX() - width, inner.minY(), width, width});
    }
}

void ScrollView::resizeSubviewsWithOldSize(Size /*oldSize*/) {
    tile();
}

} // namespace platform
