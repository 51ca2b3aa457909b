#include "widgets/QXIMArchiveTableView.h"

#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "widgets/QXTableView.h"

QXIMArchiveTableView::QXIMArchiveTableView(const platform::Rect& frame)
    : platform::TableView(frame) {}

void QXIMArchiveTableView::keyDown(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    if (const std::optional<char32_t> c = QXListKeyCharacter(event)) {
        switch (*c) {
        case platform::DeleteCharacter:
        case platform::DeleteFunctionKey:
            if (auto* d = dynamic_cast<QXIMArchiveTableViewDelegate*>(delegate());
                d && d->deleteSelection(*this))
                return;
            break;
        case platform::PageUpFunctionKey:
            if (platform::ScrollView* scroll = platform::enclosingScrollView(*this))
                scroll->pageUp(this);
            break;
        case platform::PageDownFunctionKey:
            if (platform::ScrollView* scroll = platform::enclosingScrollView(*this))
                scroll->pageDown(this);
            break;
        default:
            break;
        }
    }
    platform::TableView::keyDown(event);
}
