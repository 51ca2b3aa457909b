#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

#include <memory>
#include <string>

class QXBaseWindow;
class QXToolBar;

// Asked by a content view before it resizes its subviews. The protocol shares the content
// view's name in the original; here it carries the Delegate suffix.
class QXContentViewDelegate {
public:
    virtual ~QXContentViewDelegate() = default;
    // True when the delegate has laid the subviews out itself.
    virtual bool qxcvWillResizeSubviews() { return false; }
};

// The content of a skinned window: a view that knows its own limits, its name, an optional
// toolbar and whether its window should remember its size. The window's size clamping reads
// the limits, so the content view decides how far its window can be resized.
class QXContentView : public platform::View {
public:
    explicit QXContentView(const platform::Rect& frame = {}) : View(frame) {}

    virtual platform::Size minimumSize() const { return _minSize; }
    void setMinimumSize(platform::Size size) { _minSize = size; }
    virtual platform::Size maximumSize() const { return _maxSize; }
    void setMaximumSize(platform::Size size) { _maxSize = size; }
    // True when the limits differ by more than 0.1 in either dimension.
    bool canResize() const;

    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }

    const std::shared_ptr<QXToolBar>& toolbar() const { return _toolbar; }
    void setToolbar(std::shared_ptr<QXToolBar> toolbar) { _toolbar = std::move(toolbar); }
    bool hasToolbar() const { return _toolbar != nullptr; }

    bool wantsRememberSize() const { return _wantsRememberSize; }
    void setWantsRememberSize(bool flag) { _wantsRememberSize = flag; }

    QXContentViewDelegate* delegate() const { return _delegate; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(QXContentViewDelegate* delegate) { _delegate = delegate; }

    // The view's window when it is a skinned window, else nullptr. Hides View::window(),
    // which answers any window.
    QXBaseWindow* window() const;

    void resizeSubviewsWithOldSize(platform::Size oldSize) override;

private:
    platform::Size _minSize;
    platform::Size _maxSize{10000, 10000};
    std::string _name;
    std::shared_ptr<QXToolBar> _toolbar;
    bool _wantsRememberSize = false;
    QXContentViewDelegate* _delegate = nullptr;
};
