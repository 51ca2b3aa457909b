#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "widgets/QXButton.h"

#include <memory>
#include <optional>
#include <string>

// A QXButton fixed to the nine-part image drawing, its title in a class-wide colour that
// start-up sets from the brand.
class QXScalableButton : public QXButton {
public:
    explicit QXScalableButton(const platform::Rect& frame = {});
    static std::shared_ptr<QXScalableButton>
    initWithCoder(const platform::Rect& frame, std::shared_ptr<platform::Cell> decodedCell);

    static void setDefaultFontColor(std::optional<platform::Color> color);
    static std::optional<platform::Color> defaultFontColor();

    // The nine-part drawing and the default title colour (black until one is set).
    void initialize() override;
    // The platform's, keeping the colour the title had.
    void setTitle(std::string title);
};
