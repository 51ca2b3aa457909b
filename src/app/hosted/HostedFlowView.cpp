#include "app/hosted/HostedFlowView.h"

#include "platform/graphics/Font.h"
#include "platform/kit/TextField.h"
#include "widgets/QXCollectionWindow.h"
#include "widgets/QXContentView.h"

std::shared_ptr<QXContentView> makeHostedFlowView(std::string text) {
    auto view = platform::make<QXContentView>(platform::Rect(0, 0, 340, 420));
    auto label = platform::TextField::labelWithString(
        std::move(text), platform::Rect(20, 190, 300, 40), platform::Font::systemFontOfSize(13));
    label->setAlignment(platform::TextAlignment::Center);
    label->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin |
                               platform::ViewMaxYMargin);
    view->addSubview(label);
    return view;
}

void addHostedFlowView(QXCollectionWindow& window, const std::string& name, std::string text) {
    if (window.indexOfViewNamed(name) < 0)
        window.addView(makeHostedFlowView(std::move(text)), name);
}
