#include "widgets/QXCollectionWindow.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Geometry.h"
#include "widgets/QXContentView.h"
#include "widgets/QXFrameView.h"
#include "widgets/QXToolBar.h"

#include <algorithm>

using platform::Rect;
using platform::Size;

QXCollectionWindow::~QXCollectionWindow() {
    _mainViews.clear();
}

void QXCollectionWindow::initialize() {
    QXBaseWindow::initialize();
    _mainViews.clear();
    _mainViews.reserve(4);
    _currentView = -1;
    setDelegate(this);
}

std::string QXCollectionWindow::sizeKeyForViewName(std::string_view name) {
    return "collectionWindow." + std::string(name) + ".size";
}

void QXCollectionWindow::applyLimits(QXContentView& view, bool resizes) const {
    if (resizes) {
        view.setMinimumSize(contentRectForFrameRect(Rect({}, minSize())).size);
        view.setMaximumSize(contentRectForFrameRect(Rect({}, maxSize())).size);
    } else {
        view.setMinimumSize(view.frame().size);
        view.setMaximumSize(view.frame().size);
    }
}

long QXCollectionWindow::addView(std::shared_ptr<QXContentView> view, std::string name) {
    if (!view)
        return -1;
    view->setName(std::move(name));
    applyLimits(*view, false);
    _mainViews.push_back(std::move(view));
    return static_cast<long>(_mainViews.size()) - 1;
}

long QXCollectionWindow::addView(std::shared_ptr<QXContentView> view, std::string name,
                                 bool resizes, std::shared_ptr<QXToolBar> toolbar) {
    if (!view)
        return -1;
    view->setName(std::move(name));
    applyLimits(*view, resizes);
    view->setToolbar(std::move(toolbar));
    _mainViews.push_back(std::move(view));
    return static_cast<long>(_mainViews.size()) - 1;
}

void QXCollectionWindow::setResize(bool resizes, std::string_view name) {
    const long index = indexOfViewNamed(name);
    if (index >= 0)
        applyLimits(*_mainViews[index], resizes);
}

void QXCollectionWindow::removeView(const QXContentView* view) {
    std::erase_if(_mainViews, [view](const auto& held) { return held.get() == view; });
}

void QXCollectionWindow::removeViewWithName(std::string_view name) {
    const long index = indexOfViewNamed(name);
    if (index >= 0)
        _mainViews.erase(_mainViews.begin() + index);
}

void QXCollectionWindow::swapViewWithName(std::string_view name) {
    const long index = indexOfViewNamed(name);
    if (index >= 0)
        swapViewWithIndex(index);
}

void QXCollectionWindow::swapViewWithIndex(long index) {
    if (index == _currentView || index < 0 || index >= static_cast<long>(_mainViews.size()))
        return;
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    const Size shown = contentSize();
    if (QXContentView* current = currentView(); current && current->wantsRememberSize())
        defaults.setString(sizeKeyForViewName(current->name()), platform::stringFromSize(shown));

    _currentView = index;
    const std::shared_ptr<QXContentView> view = _mainViews[index];
    Size size;
    if (view->wantsRememberSize())
        if (auto stored = defaults.stringForKey(sizeKeyForViewName(view->name())))
            size = platform::sizeFromString(*stored);
    if (size.width < 0.01 && size.height < 0.01)
        size = view->frame().size;

    setContentView(view);
    if (auto* frame = dynamic_cast<QXFrameView*>(frameView()))
        frame->showResize(view->canResize());
    installToolbarOf(*view);
    _zoomButtonEnabled = view->canResize();
    setContentSize(size);
    recalculateKeyViewLoop();
    setAutorecalculatesKeyViewLoop(true);
}

QXContentView* QXCollectionWindow::currentView() const {
    if (_currentView < 0 || _currentView >= static_cast<long>(_mainViews.size()))
        return nullptr;
    return _mainViews[_currentView].get();
}

std::string QXCollectionWindow::currentViewName() const {
    const QXContentView* view = currentView();
    return view ? view->name() : std::string();
}

bool QXCollectionWindow::viewRemembersSize(long index) const {
    if (index < 0 || index >= static_cast<long>(_mainViews.size()))
        return false;
    return _mainViews[index]->wantsRememberSize();
}

void QXCollectionWindow::setViewRemembersSize(long index, bool remember) {
    if (index < 0 || index >= static_cast<long>(_mainViews.size()))
        return;
    _mainViews[index]->setWantsRememberSize(remember);
}

long QXCollectionWindow::indexOfViewNamed(std::string_view name) const {
    auto it = std::find_if(_mainViews.begin(), _mainViews.end(),
                           [name](const auto& view) { return view->name() == name; });
    return it == _mainViews.end() ? -1 : static_cast<long>(it - _mainViews.begin());
}

long QXCollectionWindow::indexOfView(const QXContentView* view) const {
    auto it = std::find_if(_mainViews.begin(), _mainViews.end(),
                           [view](const auto& held) { return held.get() == view; });
    return it == _mainViews.end() ? -1 : static_cast<long>(it - _mainViews.begin());
}

void QXCollectionWindow::installToolbarOf(QXContentView& view) {
    if (view.hasToolbar()) {
        setShowsToolbarButton(true);
        setToolbar(view.toolbar()->nativeToolbar());
    } else {
        setShowsToolbarButton(false);
        setToolbar(nullptr);
    }
}
