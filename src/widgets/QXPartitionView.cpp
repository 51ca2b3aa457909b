#include "widgets/QXPartitionView.h"

#include "widgets/QXBaseWindow.h"

#include <algorithm>
#include <cmath>

using platform::Rect;
using platform::Size;
using platform::View;

namespace {

// Enough rounds for any stack: each round either fills the space or leaves out at least one
// module that reached a limit; the cap only guards against rounding that never settles.
constexpr int kMaxSharingRounds = 1000;

} // namespace

Module::Module(std::string name, std::shared_ptr<View> view)
    : _view(std::move(view)), _name(std::move(name)) {}

Rect Module::frame() const {
    return _view ? _view->frame() : Rect();
}

void Module::setFrame(const Rect& frame) {
    if (_view)
        _view->setFrame(frame);
}

bool Module::visible() const {
    return _view && !_view->isHidden();
}

void Module::setVisible(bool visible) {
    if (_view)
        _view->setHidden(!visible);
}

void Module::validateFrame() {
    if (!_view)
        return;
    const Rect old = _view->frame();
    Size size = old.size;
    size.width = std::max(_minSize.width, std::min(_maxSize.width, size.width));
    size.height = std::max(_minSize.height, std::min(_maxSize.height, size.height));
    if (size != old.size)
        _view->setFrame(Rect(old.origin, size));
}

QXPartitionView::QXPartitionView(const Rect& frame) : QXContentView(frame) {
    // The stack places its modules itself.
    setAutoresizesSubviews(false);
}

Module* QXPartitionView::moduleAt(long index) const {
    if (index < 0 || index >= static_cast<long>(_modules.size()))
        return nullptr;
    return _modules[index].get();
}

void QXPartitionView::addModule(std::shared_ptr<View> view, std::string name) {
    if (!view)
        return;
    addSubview(view);
    _modules.push_back(std::make_shared<Module>(std::move(name), std::move(view)));
}

long QXPartitionView::getModuleIndex(const View* view) const {
    for (std::size_t i = 0; i < _modules.size(); ++i)
        if (_modules[i]->view().get() == view)
            return static_cast<long>(i);
    return -1;
}

View* QXPartitionView::getModuleView(long index) const {
    const Module* module = moduleAt(index);
    return module ? module->view().get() : nullptr;
}

void QXPartitionView::setModule(long index, bool visible) {
    Module* module = moduleAt(index);
    if (!module)
        return;
    module->setVisible(visible);
    if (module->view())
        module->view()->setNeedsDisplay(true);
    resizeWindowToDesiredSize();
}

bool QXPartitionView::moduleVisible(long index) const {
    const Module* module = moduleAt(index);
    return module && module->visible();
}

void QXPartitionView::moveModule(long index, long position) {
    if (!moduleAt(index))
        return;
    auto module = _modules[index];
    _modules.erase(_modules.begin() + index);
    position = std::clamp(position, 0L, static_cast<long>(_modules.size()));
    _modules.insert(_modules.begin() + position, std::move(module));
}

void QXPartitionView::moveModuleToFront(long index) {
    moveModule(index, 0);
}

void QXPartitionView::moveModuleToEnd(long index) {
    moveModule(index, static_cast<long>(_modules.size()));
}

void QXPartitionView::setModuleConstraints(long index, Size minimumSize, Size maximumSize) {
    Module* module = moduleAt(index);
    if (!module)
        return;
    module->setMaxSize(maximumSize);
    module->setMinSize(minimumSize);
    module->validateFrame();
    resizeWindowToDesiredSize();
}

Size QXPartitionView::moduleSize(long index) const {
    const Module* module = moduleAt(index);
    return module ? module->frame().size : Size();
}

void QXPartitionView::setModuleSpaceing(long index, QXModuleSpace space) {
    if (Module* module = moduleAt(index))
        module->setSpace(space);
}

QXModuleSpace QXPartitionView::moduleSpace(long index) const {
    const Module* module = moduleAt(index);
    return module ? module->space() : QXModuleSpace();
}

std::vector<QXPartitionView::Placed> QXPartitionView::visibleModules() const {
    std::vector<Placed> placed;
    for (const auto& module : _modules)
        if (module->visible())
            placed.push_back({module.get(), 0});
    // The gap between neighbours is the larger of the upper's "after" and the lower's
    // "before"; the last module has none below it.
    for (std::size_t i = 0; i + 1 < placed.size(); ++i)
        placed[i].gap =
            std::max(placed[i].module->space().after, placed[i + 1].module->space().before);
    return placed;
}

Size QXPartitionView::desiredSize() const {
    Size size;
    for (const Placed& p : visibleModules()) {
        const Size frame = p.module->frame().size;
        if (_layout == kVertical) {
            size.height += frame.height + p.gap;
        } else {
            size.width += frame.width + p.gap;
            size.height = std::max(size.height, frame.height);
        }
    }
    return size;
}

Size QXPartitionView::limitSize(bool maximum) const {
    Size size;
    for (const Placed& p : visibleModules()) {
        const Size limit = maximum ? p.module->maxSize() : p.module->minSize();
        // A module that may shrink to nothing brings no spacing with it.
        if (_layout == kVertical) {
            size.height += limit.height + (limit.height > 0 ? p.gap : 0);
            size.width = std::max(size.width, limit.width);
        } else {
            size.width += limit.width + (limit.width > 0 ? p.gap : 0);
            size.height = std::max(size.height, limit.height);
        }
    }
    return size;
}

Size QXPartitionView::minimumSize() const {
    return limitSize(false);
}

Size QXPartitionView::maximumSize() const {
    return limitSize(true);
}

bool QXPartitionView::moduleGrowHeightBy(Module& module, double amount) {
    Rect frame = module.frame();
    const double target = frame.height() + amount;
    frame.size.height = std::max<double>(module.minSize().height,
                                         std::min<double>(module.maxSize().height, target));
    module.setFrame(frame);
    return target <= module.maxSize().height && target >= module.minSize().height;
}

bool QXPartitionView::moduleGrowWidthBy(Module& module, double amount) {
    Rect frame = module.frame();
    const double target = frame.width() + amount;
    frame.size.width =
        std::max<double>(module.minSize().width, std::min<double>(module.maxSize().width, target));
    module.setFrame(frame);
    return target <= module.maxSize().width && target >= module.minSize().width;
}

void QXPartitionView::adjustLayout() {
    if (_layout == kVertical)
        layoutVertically();
    else
        layoutHorizontally();
    setNeedsDisplay(true);
}

void QXPartitionView::layoutVertically() {
    const std::vector<Placed> placed = visibleModules();
    if (placed.empty())
        return;
    const Rect b = bounds();
    const auto total = [&placed] {
        double sum = 0;
        for (const Placed& p : placed)
            sum += p.module->frame().height() + p.gap;
        return sum;
    };
    double used = total();
    double share = (b.height() - used) / static_cast<double>(placed.size());
    // Modules that reach a limit keep it; the rest is shared among those that can still
    // change, and what nobody can take stays empty at the bottom (or overflows it).
    for (int round = 0; std::abs(b.height() - used) > 0.01 && round < kMaxSharingRounds; ++round) {
        int took = 0;
        for (const Placed& p : placed)
            if (moduleGrowHeightBy(*p.module, share))
                ++took;
        used = total();
        if (took == 0)
            break;
        share = (b.height() - used) / took;
    }

    double y = b.height();
    for (const Placed& p : placed) {
        Module& module = *p.module;
        moduleGrowWidthBy(module, b.width() - module.frame().width());
        const Size size = module.frame().size;
        y -= size.height;
        module.setFrame(Rect((b.width() - size.width) * 0.5, y, size.width, size.height));
        module.view()->setNeedsDisplay(true);
        y -= p.gap;
    }
}

// The main window always stacks vertically; the horizontal stack mirrors the vertical one,
// left to right, with shorter modules centred vertically.
void QXPartitionView::layoutHorizontally() {
    const std::vector<Placed> placed = visibleModules();
    if (placed.empty())
        return;
    const Rect b = bounds();
    const auto total = [&placed] {
        double sum = 0;
        for (const Placed& p : placed)
            sum += p.module->frame().width() + p.gap;
        return sum;
    };
    double used = total();
    double share = (b.width() - used) / static_cast<double>(placed.size());
    for (int round = 0; std::abs(b.width() - used) > 0.01 && round < kMaxSharingRounds; ++round) {
        int took = 0;
        for (const Placed& p : placed)
            if (moduleGrowWidthBy(*p.module, share))
                ++took;
        used = total();
        if (took == 0)
            break;
        share = (b.width() - used) / took;
    }

    double x = 0;
    for (const Placed& p : placed) {
        Module& module = *p.module;
        moduleGrowHeightBy(module, b.height() - module.frame().height());
        const Size size = module.frame().size;
        module.setFrame(Rect(x, (b.height() - size.height) * 0.5, size.width, size.height));
        module.view()->setNeedsDisplay(true);
        x += size.width + p.gap;
    }
}

void QXPartitionView::setFrame(const Rect& frame) {
    View::setFrameOrigin(frame.origin);
    View::setFrameSize(frame.size);
    adjustLayout();
}

void QXPartitionView::setFrameSize(Size size) {
    View::setFrameSize(size);
    adjustLayout();
}

void QXPartitionView::resizeWindowToDesiredSize() {
    QXBaseWindow* baseWindow = window();
    if (!baseWindow)
        return;
    const Size content = baseWindow->contentSize();
    const Size desired = desiredSize();
    baseWindow->setContentSize(_layout == kVertical ? Size{content.width, desired.height}
                                                    : Size{desired.width, content.height});
}
