#pragma once

#include "platform/kit/View.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

// One relation: an edge or centre of a view lies at an edge or centre of a source view (or,
// without one, of the superview) plus an offset.
class QXViewConstraint {
public:
    // Attribute numbers; y grows upwards, so MaxY is the top edge.
    using Attribute = std::uint16_t;
    static constexpr Attribute MinX = 1;
    static constexpr Attribute MidX = 2;
    static constexpr Attribute MaxX = 3;
    // From the view's x to the source's right side.
    static constexpr Attribute Width = 4;
    static constexpr Attribute MinY = 5;
    static constexpr Attribute MidY = 6;
    static constexpr Attribute MaxY = 7;

    QXViewConstraint(Attribute attr, std::shared_ptr<platform::View> srcView, Attribute srcAttr,
                     double offset);
    static QXViewConstraint constraintWithAttribute(Attribute attr,
                                                    std::shared_ptr<platform::View> srcView,
                                                    Attribute srcAttr, double offset);

    platform::View* srcView() const { return _srcView.get(); }
    double offset() const { return _offset; }
    Attribute srcAttr() const { return _srcAttr; }
    Attribute attr() const { return _attr; }

private:
    std::shared_ptr<platform::View> _srcView;
    double _offset;
    Attribute _srcAttr;
    Attribute _attr;
};

// A constrained view with at most one constraint per attribute.
class ViewContainer {
public:
    explicit ViewContainer(std::shared_ptr<platform::View> view);

    platform::View* view() const { return _view.get(); }
    const std::map<QXViewConstraint::Attribute, QXViewConstraint>& constraints() const {
        return _constraints;
    }
    // Nullptr when the view has no constraint for the attribute.
    const QXViewConstraint* constraint(QXViewConstraint::Attribute attr) const;
    // A later constraint for the same attribute replaces the earlier one.
    void setConstraint(const QXViewConstraint& constraint);

private:
    std::map<QXViewConstraint::Attribute, QXViewConstraint> _constraints;
    std::shared_ptr<platform::View> _view;
};

// Places views by simple relations, so that rows of buttons close up when one is hidden: a
// constraint whose source is hidden falls through to the source's own constraint for the same
// attribute. When that chain ends at the superview, the last hidden source's edge and offset
// apply, so the first shown button of a row keeps the row's margin. The superview, named or
// not, is always measured by its bounds. Views are placed one at a time, sources first; a stack of
// the views being placed breaks cycles. Views are kept in the order their first constraint was
// added.
class QXViewConstraintLayoutManager {
public:
    QXViewConstraintLayoutManager();

    void addConstraint(const QXViewConstraint& constraint, std::shared_ptr<platform::View> view);
    void resetConstraintsForView(const platform::View* view);
    // Places every visible constrained view, then refreshes the tooltips of all of them so
    // that their areas follow the moved views.
    void layout();

    ViewContainer* findContainer(const platform::View* view) const;
    const std::vector<std::unique_ptr<ViewContainer>>& containers() const { return _views; }

    // The steps of layout.
    void placeView(platform::View& view);
    void calculatePlacement(platform::View& view);
    void calculateConstraintOfView(platform::View& view, QXViewConstraint::Attribute attr);
    // The visible view the constraint for `attr` refers to after hidden sources are followed
    // through; nullptr for the superview.
    platform::View* sourceViewForAttribute(QXViewConstraint::Attribute attr,
                                           const platform::View& view) const;
    // Moves (or, with a kept attribute of the same axis, stretches) the view so that `attr`
    // lies at `srcAttr` of `relativeTo` (the superview's bounds when null) plus the offset.
    static void changeAttribute(QXViewConstraint::Attribute attr, platform::View& view,
                                const platform::View* relativeTo,
                                QXViewConstraint::Attribute srcAttr, double offset,
                                QXViewConstraint::Attribute keep);

private:
    // As sourceViewForAttribute; *lastLink becomes the constraint of the last hidden source
    // followed (nullptr when none was).
    platform::View* resolveSource(QXViewConstraint::Attribute attr, const platform::View& view,
                                  const QXViewConstraint** lastLink) const;
    std::vector<std::unique_ptr<ViewContainer>> _views;
    std::unordered_set<const platform::View*> _placedViews;
    std::vector<const platform::View*> _stack;
};
