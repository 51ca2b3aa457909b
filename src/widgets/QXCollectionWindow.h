#pragma once

#include "widgets/QXBaseWindow.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QXContentView;
class QXToolBar;

// A skinned window that holds several named content views and shows one at a time. Swapping
// resizes the window to the new view, shows the resize handle and the toolbar as the view
// wants, and for views that ask for it saves the old view's size and restores the new one's
// through the user default "collectionWindow.<name>.size".
class QXCollectionWindow : public QXBaseWindow {
public:
    using QXBaseWindow::QXBaseWindow;
    ~QXCollectionWindow() override;

    void initialize() override;

    // A fixed-size view: its current frame size becomes both its minimum and maximum.
    long addView(std::shared_ptr<QXContentView> view, std::string name);
    // A resizing view takes the window's own limits, as content sizes; the toolbar may be null.
    long addView(std::shared_ptr<QXContentView> view, std::string name, bool resizes,
                 std::shared_ptr<QXToolBar> toolbar);
    void setResize(bool resizes, std::string_view name);
    void removeView(const QXContentView* view);
    void removeViewWithName(std::string_view name);

    void swapViewWithName(std::string_view name);
    void swapViewWithIndex(long index);

    QXContentView* currentView() const;
    long currentViewIndex() const { return _currentView; }
    // Empty when no view is shown.
    std::string currentViewName() const;

    bool viewRemembersSize(long index) const;
    void setViewRemembersSize(long index, bool remember);
    long indexOfViewNamed(std::string_view name) const;
    long indexOfView(const QXContentView* view) const;

    const std::vector<std::shared_ptr<QXContentView>>& views() const { return _mainViews; }
    // The zoom button follows the shown view: enabled only when it can resize.
    bool isZoomButtonEnabled() const { return _zoomButtonEnabled; }

    // The user-defaults key of a view's remembered size.
    static std::string sizeKeyForViewName(std::string_view name);

private:
    void applyLimits(QXContentView& view, bool resizes) const;
    // Shows the toolbar button and takes the view's toolbar, or hides both.
    void installToolbarOf(QXContentView& view);

    std::vector<std::shared_ptr<QXContentView>> _mainViews;
    long _currentView = -1;
    bool _zoomButtonEnabled = true;
};
