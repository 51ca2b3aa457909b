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
            auto label = std::make_shared<platform::TextField>(platform::Rect(20, 210, 440, 24));
            label->setEditable(false);
            label->setSelectable(false);
            label->setBezeled(false);
            label->setBordered(false);
            label->setDrawsBackground(false);
            label->setFont(platform::Font::boldSystemFontOfSize(13));
            label->setStringValue(title_);
            view_->addSubview(label);
        }
        return view_;
    }

private:
    std::string title_;
    std::shared_ptr<platform::View> view_;
};
