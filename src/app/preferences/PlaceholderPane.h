#pragma once

#include "platform/graphics/Font.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "widgets/QXPrefWindowController.h"

#include <memory>
#include <string>

// A pane whose content is not built yet: its title on an otherwise empty view.
class PlaceholderPane : public QXPrefPane {
public:
    explicit PlaceholderPane(std::string title) : title_(std::move(title)) {}
    std::shared_ptr<platform::View> view() override {
        if (!view_) {
            view_ = platform::make<platform::View>(platform::Rect(0, 0, 480, 260));
            view_->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
            view_->addSubview(
                platform::TextField::labelWithString(title_, platform::Rect(20, 210, 440, 24),
                                                     platform::Font::boldSystemFontOfSize(13)));
        }
        return view_;
    }

private:
    std::string title_;
    std::shared_ptr<platform::View> view_;
};
