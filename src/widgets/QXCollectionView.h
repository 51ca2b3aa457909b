#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Animation.h"
#include "platform/kit/DragSession.h"
#include "platform/kit/View.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QXCollectionView;
class QXCollectionViewItem;
class QXGradient;

// What a collection view tells its delegate. Both messages are optional.
class QXCollectionViewDelegate {
public:
    virtual ~QXCollectionViewDelegate() = default;
    // The stacked size changed; the delegate grows or shrinks what surrounds the view.
    virtual void collectionViewRequiresSize(QXCollectionView& /*view*/, platform::Size /*size*/) {}
    // A drop on the view. Answer true when the message is handled; the drop then succeeds.
    virtual bool collectionViewDragInfo(QXCollectionView& /*view*/,
                                        platform::DraggingInfo& /*info*/) {
        return false;
    }
};

// One running item animation: what it does to which item, and with which views.
class CVAnimation {
public:
    std::weak_ptr<QXCollectionViewItem> item() const { return _animatedItem; }
    void setItem(std::weak_ptr<QXCollectionViewItem> item) { _animatedItem = std::move(item); }
    bool showing() const { return _showing; }
    void setShowing(bool flag) { _showing = flag; }
    bool remove() const { return _removeAfter; }
    void setRemove(bool flag) { _removeAfter = flag; }
    std::weak_ptr<platform::View> animView() const { return _realView; }
    void setAnimView(std::weak_ptr<platform::View> view) { _realView = std::move(view); }
    bool fadeIn() const { return _fadeIn; }
    void setFadeIn(bool flag) { _fadeIn = flag; }
    bool reveal() const { return _reveal; }
    void setReveal(bool flag) { _reveal = flag; }
    // The real view leaves the collection at the end instead of becoming the item's view
    // again: the outgoing half of an animated swap.
    bool leave() const { return _leave; }
    void setLeave(bool flag) { _leave = flag; }

private:
    friend class QXCollectionView;
    std::weak_ptr<QXCollectionViewItem> _animatedItem;
    bool _showing = true;
    bool _removeAfter = false;
    std::weak_ptr<platform::View> _realView;
    bool _fadeIn = true;
    bool _reveal = false;
    bool _leave = false;
    std::weak_ptr<platform::View> _holder;
    std::shared_ptr<platform::ViewAnimation> _animation;
};

// Stacks one view per item, top-down or left to right, each with its own margins, requested
// size and alignment across the stack. Items can be shown, hidden and removed with a fade (or
// a reveal) on the main run loop, and whenever the stacked size changes the delegate hears of
// it, so that the window or scroll area around the view can follow.
class QXCollectionView : public platform::View,
                         public platform::AnimationDelegate,
                         public platform::DraggingDestination {
public:
    static constexpr int layoutLeftToRight = 0;
    static constexpr int layoutTopDown = 1;
    // indexOfItem's answer for an item that is not in the view.
    static constexpr std::int32_t NotFound = 2147483647;

    explicit QXCollectionView(const platform::Rect& frame = {});
    ~QXCollectionView() override;

    // Insertion is never animated; the item's view stays hidden until it is shown.
    void insertItem(const std::shared_ptr<QXCollectionViewItem>& item, long index);
    void appendItem(const std::shared_ptr<QXCollectionViewItem>& item);
    // Fades the item out first when animating; it leaves the list at the end of the fade.
    void removeItem(const std::shared_ptr<QXCollectionViewItem>& item);
    void removeAllItems();
    // Takes the item out at once (the view is laid out again in every case).
    void deleteItem(const std::shared_ptr<QXCollectionViewItem>& item);
    std::shared_ptr<QXCollectionViewItem> findItemWithTag(std::string_view tag) const;
    std::int32_t indexOfItem(const QXCollectionViewItem* item) const;
    std::shared_ptr<QXCollectionViewItem> itemAtIndex(long index) const;
    const std::vector<std::shared_ptr<QXCollectionViewItem>>& viewItems() const { return _objects; }
    void makeKeyItem(const QXCollectionViewItem* item);

    void showItem(const std::shared_ptr<QXCollectionViewItem>& item, bool visible);
    // Gives the item another view; when animating the old view fades out and leaves while the
    // new one fades in.
    void swapView(std::shared_ptr<platform::View> view,
                  const std::shared_ptr<QXCollectionViewItem>& item);
    // While an animation runs for the item, whether it is being shown.
    bool isItemVisible(const QXCollectionViewItem* item) const;

    // Sizes of the stack: without and with hidden items.
    platform::Size requiredSize() const { return internalSize(false); }
    platform::Size requiredSizeOfAllObjects() const { return internalSize(true); }

    void layoutViews();
    void animateViewItem(CVAnimation record);
    void notifySizeChange(platform::Size size);

    void drawRect(const platform::Rect& dirtyRect) override;

    // Drops: every drag is answered with copying; the delegate takes the drop.
    std::vector<std::string> registeredDraggedTypes() const override { return _draggedTypes; }
    void registerForDraggedTypes(std::vector<std::string> types) {
        _draggedTypes = std::move(types);
    }
    platform::DragOperation draggingEntered(platform::DraggingInfo& info) override;
    std::optional<platform::DragOperation> draggingUpdated(platform::DraggingInfo& info) override;
    void draggingExited(platform::DraggingInfo* info) override;
    bool prepareForDragOperation(platform::DraggingInfo& info) override;
    bool performDragOperation(platform::DraggingInfo& info) override;

    void animationDidEnd(platform::Animation& animation) override;
    void animationDidStop(platform::Animation& animation) override;

    const std::shared_ptr<QXGradient>& backgroundGradient() const { return _gradient; }
    void setBackgroundGradient(std::shared_ptr<QXGradient> gradient) {
        _gradient = std::move(gradient);
    }
    // Not laid out again when changed.
    std::int32_t layout() const { return _layout; }
    void setLayout(std::int32_t layout) { _layout = layout; }
    bool animate() const { return _animate; }
    void setAnimate(bool flag) { _animate = flag; }
    double animationDuration() const { return _duration; }
    void setAnimationDuration(double duration) { _duration = duration; }
    QXCollectionViewDelegate* delegate() const { return _delegate; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(QXCollectionViewDelegate* delegate) { _delegate = delegate; }

    // Running item animations (tests and diagnostics).
    std::size_t runningAnimationCount() const { return _animations.size(); }

private:
    platform::Size internalSize(bool includeHidden) const;
    bool contains(const QXCollectionViewItem* item) const;
    const CVAnimation* recordForItem(const QXCollectionViewItem* item) const;
    void finishAnimation(platform::Animation& animation);

    std::vector<std::shared_ptr<QXCollectionViewItem>> _objects;
    std::shared_ptr<QXGradient> _gradient;
    std::int32_t _layout = layoutTopDown;
    bool _animate = false;
    double _duration = 0.25;
    // Keyed by the animation object itself: the original's key, the text of its hash, could
    // collide once truncated to 32 bits.
    std::map<const platform::Animation*, CVAnimation> _animations;
    QXCollectionViewDelegate* _delegate = nullptr;
    platform::Size _currentSize;
    std::vector<std::string> _draggedTypes;
};
