#include "widgets/QXCollectionViewItem.h"

#include "platform/kit/View.h"
#include "widgets/QXCollectionView.h"

QXCollectionViewItem::QXCollectionViewItem(std::string_view tag) : _tag(tag) {}

QXCollectionViewItem::~QXCollectionViewItem() = default;

void QXCollectionViewItem::setView(std::shared_ptr<platform::View> view) {
    if (view != _view)
        _view = std::move(view);
    _requested = _view ? _view->frame().size : platform::Size{};
    layoutCollection();
}

void QXCollectionViewItem::replaceView(std::shared_ptr<platform::View> view) {
    _view = std::move(view);
    layoutCollection();
}

void QXCollectionViewItem::setMargin(float left, float right, float top, float bottom) {
    setMargin(QXMargin{left, right, top, bottom});
}

void QXCollectionViewItem::setMargin(const QXMargin& margin) {
    _margin = margin;
    changed("margin");
}

void QXCollectionViewItem::setRequestedSize(platform::Size size) {
    _requested = size;
    changed("requestedSize");
}

void QXCollectionViewItem::setAlignment(int alignment) {
    _alignment = alignment;
    changed("alignment");
}

void QXCollectionViewItem::changed(std::string_view key) {
    if (_observer)
        _observer(*this, key);
    layoutCollection();
}

void QXCollectionViewItem::layoutCollection() {
    if (_collectionView)
        _collectionView->layoutViews();
}

std::string QXCollectionViewItem::description() const {
    return "<QXCollectionViewItem " + _tag + ">";
}
