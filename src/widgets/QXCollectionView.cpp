#include "widgets/QXCollectionView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Window.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXGradient.h"

#include <algorithm>

using platform::Rect;
using platform::Size;
using platform::View;

QXCollectionView::QXCollectionView(const Rect& frame) : View(frame) {
    _objects.reserve(10);
}

// Running animations are stopped only after they stop talking to this view, so that no
// callback reaches it while it goes away.
QXCollectionView::~QXCollectionView() {
    for (auto& item : _objects)
        if (item->collectionView() == this)
            item->setCollectionView(nullptr);
    _objects.clear();
    auto animations = std::move(_animations);
    _animations.clear();
    for (auto& [key, record] : animations) {
        if (record._animation) {
            record._animation->setDelegate(nullptr);
            record._animation->stopAnimation();
        }
    }
    _gradient.reset();
}

bool QXCollectionView::contains(const QXCollectionViewItem* item) const {
    return item && std::any_of(_objects.begin(), _objects.end(),
                               [item](const auto& object) { return object.get() == item; });
}

void QXCollectionView::insertItem(const std::shared_ptr<QXCollectionViewItem>& item, long index) {
    if (!item || contains(item.get()))
        return;
    index = std::clamp(index, 0L, static_cast<long>(_objects.size()));
    item->setCollectionView(this);
    const auto& view = item->view();
    if (view) {
        view->setHidden(true);
        addSubview(view);
    }
    _objects.insert(_objects.begin() + index, item);
    if (view) {
        if (index > 0)
            if (const auto& previous = _objects[index - 1]->view())
                previous->setNextKeyView(view.get());
        if (index + 1 < static_cast<long>(_objects.size()))
            if (const auto& next = _objects[index + 1]->view())
                view->setNextKeyView(next.get());
    }
    layoutViews();
}

void QXCollectionView::appendItem(const std::shared_ptr<QXCollectionViewItem>& item) {
    insertItem(item, static_cast<long>(_objects.size()));
}

// A hidden item has nothing to fade, so it goes at once rather than leave an empty gap for
// the length of an animation.
void QXCollectionView::removeItem(const std::shared_ptr<QXCollectionViewItem>& item) {
    if (_animate && contains(item.get()) && isItemVisible(item.get())) {
        CVAnimation record;
        record.setItem(item);
        record.setShowing(false);
        record.setRemove(true);
        record.setFadeIn(true);
        record.setReveal(false);
        animateViewItem(std::move(record));
    } else {
        deleteItem(item);
    }
}

void QXCollectionView::removeAllItems() {
    const auto items = _objects;
    for (const auto& item : items)
        removeItem(item);
}

void QXCollectionView::deleteItem(const std::shared_ptr<QXCollectionViewItem>& item) {
    auto it = std::find(_objects.begin(), _objects.end(), item);
    if (it != _objects.end()) {
        if (const auto& view = item->view()) {
            if (View* previous = view->previousKeyView())
                previous->setNextKeyView(view->nextKeyView());
            view->removeFromSuperview();
        }
        item->setCollectionView(nullptr);
        _objects.erase(it);
    }
    layoutViews();
}

std::shared_ptr<QXCollectionViewItem>
QXCollectionView::findItemWithTag(std::string_view tag) const {
    for (const auto& item : _objects)
        if (item->itemTag() == tag)
            return item;
    return nullptr;
}

std::int32_t QXCollectionView::indexOfItem(const QXCollectionViewItem* item) const {
    for (std::size_t i = 0; i < _objects.size(); ++i)
        if (_objects[i].get() == item)
            return static_cast<std::int32_t>(i);
    return NotFound;
}

std::shared_ptr<QXCollectionViewItem> QXCollectionView::itemAtIndex(long index) const {
    if (index < 0 || index >= static_cast<long>(_objects.size()))
        return nullptr;
    return _objects[index];
}

void QXCollectionView::makeKeyItem(const QXCollectionViewItem* item) {
    if (item && item->view() && window())
        window()->makeFirstResponder(item->view().get());
}

// Asking for the state the item is already heading to changes nothing; the animation's own
// target counts, not the holder that stands in for the view meanwhile.
void QXCollectionView::showItem(const std::shared_ptr<QXCollectionViewItem>& item, bool visible) {
    if (!contains(item.get()) || !item->view() || isItemVisible(item.get()) == visible)
        return;
    if (_animate) {
        CVAnimation record;
        record.setItem(item);
        record.setShowing(visible);
        record.setFadeIn(true);
        record.setReveal(false);
        animateViewItem(std::move(record));
    } else {
        item->view()->setHidden(!visible);
        layoutViews();
    }
}

void QXCollectionView::swapView(std::shared_ptr<View> view,
                                const std::shared_ptr<QXCollectionViewItem>& item) {
    if (!view || !contains(item.get()) || view == item->view())
        return;
    // A show or hide still running for the item ends first, so the view swapped out is the
    // real one and not its holder.
    if (const CVAnimation* running = recordForItem(item.get()))
        std::shared_ptr<platform::ViewAnimation>(running->_animation)->stopAnimation();
    if (!_animate || !item->view()) {
        if (item->view())
            item->view()->removeFromSuperview();
        addSubview(view);
        item->setView(std::move(view));
        return;
    }
    CVAnimation outgoing;
    outgoing.setItem(item);
    outgoing.setShowing(false);
    outgoing.setLeave(true);
    animateViewItem(std::move(outgoing));

    view->setHidden(true);
    addSubview(view);
    item->setView(view);
    CVAnimation incoming;
    incoming.setItem(item);
    incoming.setShowing(true);
    animateViewItem(std::move(incoming));
}

const CVAnimation* QXCollectionView::recordForItem(const QXCollectionViewItem* item) const {
    for (const auto& [key, record] : _animations)
        if (!record._leave && record._animatedItem.lock().get() == item)
            return &record;
    return nullptr;
}

bool QXCollectionView::isItemVisible(const QXCollectionViewItem* item) const {
    if (const CVAnimation* record = recordForItem(item))
        return record->showing();
    if (contains(item))
        return item->view() && !item->view()->isHidden();
    return false;
}

Size QXCollectionView::internalSize(bool includeHidden) const {
    double width = 0;
    double height = 0;
    for (const auto& item : _objects) {
        const auto& view = item->view();
        if (!includeHidden && (!view || view->isHidden()))
            continue;
        const QXMargin& m = item->margin();
        const Size requested = item->requestedSize();
        const double itemWidth = requested.width + m.left + m.right;
        const double itemHeight = requested.height + m.top + m.bottom;
        if (_layout == layoutLeftToRight) {
            height = std::max(height, itemHeight);
            width += itemWidth;
        } else if (_layout == layoutTopDown) {
            height += itemHeight;
            width = std::max(width, itemWidth);
        }
    }
    return {width, height};
}

void QXCollectionView::layoutViews() {
    const Rect bounds = this->bounds();
    const Rect frame = this->frame();
    double cursorY = bounds.height();
    double cursorX = 0;
    const bool topDown = _layout == layoutTopDown;
    const double across = topDown ? frame.width() : frame.height();
    for (const auto& item : _objects) {
        const auto& view = item->view();
        if (!view)
            continue;
        const QXMargin& m = item->margin();
        const double rw = item->requestedSize().width;
        const double rh = item->requestedSize().height;
        Rect r;
        if (topDown) {
            r.origin.y = cursorY - m.top - rh;
            r.size.height = rh;
            r.size.width = rw;
            switch (item->alignment()) {
            case QXCollectionViewItem::alignStart:
                r.origin.x = m.left;
                break;
            case QXCollectionViewItem::alignCenter:
                r.origin.x = (across - rw) / 2;
                break;
            case QXCollectionViewItem::alignEnd:
                r.origin.x = across - rw - m.right;
                break;
            default:
                r.origin.x = m.left;
                r.size.width = across - m.left - m.right;
                break;
            }
            view->setFrame(r);
            if (!view->isHidden())
                cursorY = r.origin.y - m.bottom;
        } else {
            const double base = bounds.height() - frame.height();
            r.origin.x = cursorX + m.left;
            r.size.width = rw;
            r.size.height = rh;
            switch (item->alignment()) {
            case QXCollectionViewItem::alignStart:
                r.origin.y = base + m.bottom;
                break;
            case QXCollectionViewItem::alignCenter:
                r.origin.y = base + (across - rh) / 2.0;
                break;
            case QXCollectionViewItem::alignEnd:
                r.origin.y = bounds.height() - rh - m.top;
                break;
            default:
                r.origin.y = base + m.bottom;
                r.size.height = across - m.top - m.bottom;
                break;
            }
            view->setFrame(r);
            if (!view->isHidden())
                cursorX = r.origin.x + m.right + rw;
        }
        if (!view->isHidden())
            view->setNeedsDisplay(true);
    }
    setNeedsDisplay(true);
    display();
    notifySizeChange(requiredSize());
}

void QXCollectionView::notifySizeChange(Size size) {
    const bool changed = size != _currentSize;
    _currentSize = size;
    if (changed && _delegate)
        _delegate->collectionViewRequiresSize(*this, size);
}

void QXCollectionView::animateViewItem(CVAnimation record) {
    auto item = record._animatedItem.lock();
    if (!item || !contains(item.get()) || !item->view())
        return;
    // One show or hide at a time per item: a newer request takes over from where the older
    // one is cut short.
    if (!record._leave)
        if (const CVAnimation* running = recordForItem(item.get()))
            std::shared_ptr<platform::ViewAnimation>(running->_animation)->stopAnimation();
    if (!contains(item.get()) || !item->view())
        return;

    std::shared_ptr<View> real = item->view();
    record._realView = real;
    real->setFrameOrigin({0, 0});
    auto holder = platform::make<View>(real->frame());
    holder->setHidden(true);
    holder->addSubview(real);
    addSubview(holder);
    record._holder = holder;
    item->replaceView(holder);
    holder->setHidden(false);
    layoutViews();

    platform::ViewAnimationTarget target;
    target.view = real.get();
    const Rect frame = real->frame();
    if (record._reveal) {
        Rect collapsed = frame;
        collapsed.origin.y = frame.midY();
        collapsed.size.height = 0;
        if (record._showing) {
            real->setHidden(false);
            target.startFrame = collapsed;
            target.endFrame = frame;
        } else {
            target.startFrame = frame;
            target.endFrame = collapsed;
        }
    } else if (record._showing) {
        real->setHidden(false);
        target.effect = platform::ViewAnimationEffect::FadeIn;
    } else {
        target.effect = platform::ViewAnimationEffect::FadeOut;
    }

    auto animation = std::make_shared<platform::ViewAnimation>(
        std::vector<platform::ViewAnimationTarget>{target});
    animation->setDuration(_duration);
    animation->setAnimationCurve(platform::AnimationCurve::Linear);
    animation->setAnimationBlockingMode(platform::AnimationBlockingMode::Nonblocking);
    animation->setDelegate(this);
    record._animation = animation;
    _animations[animation.get()] = std::move(record);
    animation->startAnimation();
}

void QXCollectionView::animationDidEnd(platform::Animation& animation) {
    finishAnimation(animation);
}

void QXCollectionView::animationDidStop(platform::Animation& animation) {
    finishAnimation(animation);
}

void QXCollectionView::finishAnimation(platform::Animation& animation) {
    auto it = _animations.find(&animation);
    if (it == _animations.end())
        return;
    const CVAnimation record = it->second;
    auto real = record._realView.lock();
    auto holder = record._holder.lock();
    auto item = record._animatedItem.lock();
    const bool listed = contains(item.get());
    if (real && holder) {
        real->setFrame(holder->frame());
        // A fade cut short leaves the view part way; the next one starts from full opacity.
        if (animation.currentProgress() < 1.0)
            real->setAlphaValue(1.0);
        if (record._leave || !listed)
            real->removeFromSuperview();
        else
            addSubview(real);
        holder->removeFromSuperview();
        real->setHidden(!record._showing);
        if (item && !record._leave && item->view() == holder)
            item->replaceView(real);
    }
    if (record._removeAfter && item)
        deleteItem(item);
    _animations.erase(&animation);
}

void QXCollectionView::drawRect(const Rect& /*dirtyRect*/) {
    platform::Color::clearColor().set();
    platform::RectFill(bounds());
    if (_gradient)
        _gradient->drawInRect(bounds());
}

platform::DragOperation QXCollectionView::draggingEntered(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

std::optional<platform::DragOperation>
QXCollectionView::draggingUpdated(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

void QXCollectionView::draggingExited(platform::DraggingInfo* /*info*/) {}

bool QXCollectionView::prepareForDragOperation(platform::DraggingInfo& /*info*/) {
    return true;
}

bool QXCollectionView::performDragOperation(platform::DraggingInfo& info) {
    return _delegate && _delegate->collectionViewDragInfo(*this, info);
}
