#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/TabView.h"
#include "platform/kit/TabViewItem.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {
class Event;
class Image;
class TrackingArea;
} // namespace platform
class QXGradient;
class QXTabView;

// What a QXTabView tells its delegate beyond the platform's tab messages. Every message is
// optional; a delegate that does not answer tabViewCanCloseItem lets no tab close.
class QXTabViewDelegate : public platform::TabViewDelegate {
public:
    virtual bool tabViewCanCloseItem(QXTabView& /*tabView*/, platform::TabViewItem* /*item*/) {
        return false;
    }
    virtual void tabViewItemRemoved(QXTabView& /*tabView*/, platform::TabViewItem* /*item*/) {}
    // `item` moves to where `target` is now.
    virtual void tabViewItemWillMoveFrom(QXTabView& /*tabView*/, platform::TabViewItem* /*item*/,
                                         platform::TabViewItem* /*target*/) {}
    virtual void tabViewItemMovedFrom(QXTabView& /*tabView*/, platform::TabViewItem* /*item*/,
                                      platform::TabViewItem* /*target*/) {}
    // The items whose labels did not fit at the last redraw, farthest first.
    virtual void
    tabViewOverflowItems(QXTabView& /*tabView*/,
                         const std::vector<std::shared_ptr<platform::TabViewItem>>& /*items*/) {}
};

// A tab view that draws its own content area and strip of labels along its top edge instead
// of the platform's tabs. Labels have one width and spacing; those that do not fit are not
// drawn but reported to the delegate as overflow. The selected label can be dragged sideways
// to reorder the tabs and can carry a close button. The items are QXTabViewItems, which draw
// their own labels.
//
// A drag of a label is followed by the view itself: once the mouse has moved 7 points with
// the button down, the label becomes a translucent image that the view draws under the
// pointer, and the view hears the rest of the drag and its end as a drag source would.
class QXTabView : public platform::TabView {
public:
    // Content area styles.
    static int borderlessView() { return 0; }
    static int squareView() { return 1; }
    static int bezelView() { return 2; }

    // The mouse must travel this far (whole points across plus down) before a label drags.
    static constexpr int kDragThreshold = 7;
    // The drag image's opacity.
    static constexpr double kDragImageOpacity = 0.75;

    explicit QXTabView(const platform::Rect& frame = {});
    ~QXTabView() override;

    void initialize() override;
    void awake() override;

    bool isFlipped() const override { return false; }
    bool acceptsFirstResponder() const override { return false; }
    // The platform's own tabs, border and background stay off whatever is asked.
    void setTabViewType(platform::TabViewType type) override;
    bool drawsBackground() const override { return true; }
    void setDrawsBackground(bool flag) override;

    int viewStyle() const { return _viewStyle; }
    void setViewStyle(int style) { _viewStyle = style; }
    const std::shared_ptr<QXGradient>& viewGradient() const { return _viewGradient; }
    void setViewGradient(std::shared_ptr<QXGradient> gradient) {
        _viewGradient = std::move(gradient);
    }
    const std::optional<platform::Color>& viewBorderColor() const { return _viewBorderColor; }
    void setViewBorderColor(std::optional<platform::Color> color) { _viewBorderColor = color; }
    float labelMinSize() const { return _labelMinSize; }
    void setLabelMinSize(float size) { _labelMinSize = size; }
    float labelMaxSize() const { return _labelMaxSize; }
    void setLabelMaxSize(float size) { _labelMaxSize = size; }
    float labelHeight() const { return _labelHeight; }
    void setLabelHeight(float height) { _labelHeight = height; }
    float labelWidth() const { return _labelWidth; }
    void setLabelWidth(float width) { _labelWidth = width; }
    float labelSpacing() const { return _labelSpacing; }
    void setLabelSpacing(float spacing) { _labelSpacing = spacing; }
    const std::vector<std::shared_ptr<platform::TabViewItem>>& overflowItems() const {
        return _arrayOverflowItems;
    }

    // Where the item's label is drawn; the zero rectangle when there are no items.
    platform::Rect labelRectForItem(const platform::TabViewItem* item) const;
    // The item whose label is under `point` (view coordinates), the selected one winning
    // where labels overlap; nullptr outside the strip.
    platform::TabViewItem* tabViewItemAtPoint(platform::Point point) override;
    // The first item whose identifier matches ignoring case, or nullptr.
    platform::TabViewItem* tabViewItemWithIdentifier(std::string_view identifier) const;
    void selectTabViewItem(platform::TabViewItem* item) override;
    // Where the item views go: below the strip, inset for the content area's border.
    platform::Rect contentRect() const override;

    // Closes the item when the delegate agrees.
    void closeTabViewItem(platform::TabViewItem* item);
    // Moves the item to `index`, telling the delegate before and after.
    void moveViewItem(platform::TabViewItem* item, long index);
    // Exchanges two items without telling the delegate.
    void swapViewItemWithIndex(long first, long second);

    void setFrame(const platform::Rect& frame) override;
    void drawRect(const platform::Rect& dirtyRect) override;
    void mouseDown(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    void mouseMoved(const platform::Event& event) override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;
    void viewDidMoveToWindow() override;

    // The drag source's side of a label drag: the image moved to a screen point (its lower
    // left corner), and the drag ended.
    void draggedImageMovedTo(const platform::Image& image, platform::Point screenPoint);
    void draggedImageEndedAt(const platform::Image& image, platform::Point screenPoint);

    // The label image under way, or nullptr; where it is drawn now; the index the dragged item
    // has now.
    const std::shared_ptr<platform::Image>& dragImage() const { return _dragImage; }
    platform::Point dragImageOrigin() const { return _dragImageOrigin; }
    long currentDragIndex() const { return _currentDragIndex; }

private:
    void rebuildTrackingArea();
    void drawContentArea() const;
    void drawLabels();
    void drawItemLabel(platform::TabViewItem* item);
    bool overflows(const platform::Rect& labelRect) const;
    void startDrag(platform::TabViewItem* item, platform::Point point);
    void redisplayWindow();
    QXTabViewDelegate* tabDelegate() const;
    platform::Point screenPointFromView(platform::Point point) const;

    int _viewStyle = 2;
    std::shared_ptr<QXGradient> _viewGradient;
    std::optional<platform::Color> _viewBorderColor;
    float _labelMinSize = 0;
    float _labelMaxSize = 0;
    float _labelHeight = 20;
    float _labelWidth = 20;
    float _labelSpacing = 0;
    std::shared_ptr<platform::TrackingArea> _trackingArea;
    bool _canDrag = false;
    platform::Point _dragStart;
    std::shared_ptr<platform::Image> _dragImage;
    long _currentDragIndex = -1;
    std::vector<std::shared_ptr<platform::TabViewItem>> _arrayOverflowItems;
    // Where the drag image started and the pointer was then, and where the image is now, in
    // view coordinates.
    platform::Point _dragImageAnchor;
    platform::Point _dragMouseStart;
    platform::Point _dragImageOrigin;
};
