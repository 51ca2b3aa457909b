#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Cell.h"
#include "widgets/QXGradient.h"

#include <memory>
#include <string>

namespace platform {
class Image;
class View;
} // namespace platform

// The base of the list cells: a cell that fills its frame with a grey gradient, or a blue-grey
// one while highlighted, and answers the row sizes the lists ask of it. Subclasses draw their
// own rows and may add cursor rectangles over parts of them.
class QXTableCell : public platform::Cell {
public:
    // The original's initTextCell: and initImageCell:; initialize() then runs setup(). A cell
    // made without initialize() (as an interface definition decodes it) has no gradients and
    // its interior draws nothing.
    QXTableCell();
    explicit QXTableCell(std::string text);
    explicit QXTableCell(std::shared_ptr<platform::Image> image);
    QXTableCell(const QXTableCell& other) = default;

    void initialize() override;
    std::shared_ptr<platform::Cell> copy() const override;

    // Makes the two default gradients.
    virtual void setup();

    const std::shared_ptr<QXGradient>& backgroundGradient() const { return _background; }
    void setBackgroundGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& highlightGradient() const { return _highlight; }
    void setHighlightGradient(std::shared_ptr<QXGradient> gradient);

    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;

    // The lists size a row from its cell's minimum size.
    virtual platform::Size minSize() const;
    virtual platform::Size maxSize() const;

    // Called by the branded tables with a row's whole rectangle when they rebuild their cursor
    // rectangles; the base adds none.
    virtual void addCursorRectsForFrame(const platform::Rect& frame, platform::View* view);

protected:
    std::shared_ptr<QXGradient> _background;
    std::shared_ptr<QXGradient> _highlight;
};
