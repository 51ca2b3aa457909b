#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "widgets/QXContentView.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The space in points wanted above (before) and below (after) a module.
struct QXModuleSpace {
    float before = 0;
    float after = 0;
    friend bool operator==(const QXModuleSpace&, const QXModuleSpace&) = default;
};

// One entry of a partition view's stack: a named view with its own size limits and spacing.
// Its frame and visibility are its view's.
class Module : public platform::Object {
public:
    Module(std::string name, std::shared_ptr<platform::View> view);

    const std::shared_ptr<platform::View>& view() const { return _view; }
    void setView(std::shared_ptr<platform::View> view) { _view = std::move(view); }
    const std::string& name() const { return _name; }
    platform::Size minSize() const { return _minSize; }
    void setMinSize(platform::Size size) { _minSize = size; }
    platform::Size maxSize() const { return _maxSize; }
    void setMaxSize(platform::Size size) { _maxSize = size; }
    QXModuleSpace space() const { return _space; }
    void setSpace(QXModuleSpace space) { _space = space; }

    // The zero rectangle without a view.
    platform::Rect frame() const;
    void setFrame(const platform::Rect& frame);
    bool visible() const;
    void setVisible(bool visible);
    // Brings the view's size within the limits (the minimum wins), touching the frame only
    // when that changes it.
    void validateFrame();

private:
    std::shared_ptr<platform::View> _view;
    std::string _name;
    platform::Size _minSize;
    platform::Size _maxSize{10000, 10000};
    QXModuleSpace _space;
};

// The content view of the main window's main view: a stack of named modules, top to bottom.
// Its limits come from the visible modules, so the window can never be made smaller than
// their minimums or larger than their maximums, and every change of its height is shared out
// among the modules within their limits. Modules are addressed by their index in the stack;
// bad indexes are ignored by setters and answered with nil, zero or false by getters.
class QXPartitionView : public QXContentView {
public:
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;

    explicit QXPartitionView(const platform::Rect& frame = {});

    void addModule(std::shared_ptr<platform::View> view, std::string name);
    // -1 when no module holds exactly that view.
    long getModuleIndex(const platform::View* view) const;
    platform::View* getModuleView(long index) const;
    std::size_t moduleCount() const { return _modules.size(); }
    const std::vector<std::shared_ptr<Module>>& modules() const { return _modules; }

    // Shows or hides a module, then fits the window to the modules' new desired size.
    void setModule(long index, bool visible);
    bool moduleVisible(long index) const;
    // The position is limited to 0 ... the number of the other modules.
    void moveModule(long index, long position);
    void moveModuleToFront(long index);
    void moveModuleToEnd(long index);
    // Sets the limits, fits the module within them, then fits the window.
    void setModuleConstraints(long index, platform::Size minimumSize, platform::Size maximumSize);
    platform::Size moduleSize(long index) const;
    void setModuleSpaceing(long index, QXModuleSpace space);
    QXModuleSpace moduleSpace(long index) const;

    // What the visible modules take now, with their gaps.
    platform::Size desiredSize() const;
    platform::Size minimumSize() const override;
    platform::Size maximumSize() const override;

    void adjustLayout();
    void setFrame(const platform::Rect& frame) override;
    void setFrameSize(platform::Size size) override;
    int direction() const { return _layout; }
    void setDirection(int direction) { _layout = direction; }

private:
    struct Placed {
        Module* module;
        double gap;
    };
    // The visible modules in order, each with the gap below (or after) it.
    std::vector<Placed> visibleModules() const;
    Module* moduleAt(long index) const;
    platform::Size limitSize(bool maximum) const;
    // Grows a module within its limits; true when it took the whole amount.
    static bool moduleGrowHeightBy(Module& module, double amount);
    static bool moduleGrowWidthBy(Module& module, double amount);
    void layoutVertically();
    void layoutHorizontally();
    void resizeWindowToDesiredSize();

    int _layout = kVertical;
    std::vector<std::shared_ptr<Module>> _modules;
};
