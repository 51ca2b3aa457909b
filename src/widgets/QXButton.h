#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "widgets/QXButtonCell.h"

#include <memory>

// The general push button of the interface: the platform button's behaviour with all drawing
// handed to a QXButtonCell, whose drawing type the caller picks with setButtonType.
// Like the original platform's controls it is a flipped view, so the cell's geometry (the
// title offsets of the nine-part face among them) comes out as designed.
class QXButton : public platform::Button {
public:
    // The original's initWithFrame:; the cell is a QXButtonCell.
    explicit QXButton(const platform::Rect& frame = {});
    // The original's initWithCoder:: a button an interface definition made with the platform's
    // plain cell. That cell is re-typed as a QXButtonCell, keeping its key equivalent.
    static std::shared_ptr<QXButton> initWithCoder(const platform::Rect& frame,
                                                   std::shared_ptr<platform::Cell> decodedCell);

    bool isFlipped() const override { return true; }

    // The cell's images; nothing or nullptr when the cell is not a QXButtonCell.
    void setHighlightImage(std::shared_ptr<platform::Image> image);
    std::shared_ptr<platform::Image> highlightImage() const;
    void setDisabledImage(std::shared_ptr<platform::Image> image);
    std::shared_ptr<platform::Image> disabledImage() const;
    // Passed to the cell whatever its class; the drawing type reads 500 for other cells.
    void setButtonType(int type);
    int buttonType() const;

    QXButtonCell* qxCell() const;

protected:
    // Installs a QXButtonCell made from the plain cell now in place, when it is one.
    void convertPlainCell();
};
