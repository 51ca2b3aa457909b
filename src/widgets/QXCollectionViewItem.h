#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "support/QXMargin.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class View;
}
class QXCollectionView;

// One entry of a QXCollectionView: a view with the margins around it, the size it asks for
// and how it lines up across the stacking direction. Changing any of those lays the
// collection out again.
class QXCollectionViewItem : public platform::Object,
                             public std::enable_shared_from_this<QXCollectionViewItem> {
public:
    // Alignments across the stacking direction; any other value fills the space.
    static constexpr int alignStart = 0;
    static constexpr int alignCenter = 1;
    static constexpr int alignEnd = 2;
    static constexpr int alignFill = 3;

    // The original's initWithTag:.
    explicit QXCollectionViewItem(std::string_view tag = {});
    ~QXCollectionViewItem() override;

    const std::shared_ptr<platform::View>& view() const { return _view; }
    // Takes the view's frame size as the requested size ((0, 0) for none) and lays out.
    void setView(std::shared_ptr<platform::View> view);
    // Swaps the view without touching the requested size: the collection's animations put a
    // holder in place of the view for a while, which must not change what the item asks for.
    void replaceView(std::shared_ptr<platform::View> view);

    const QXMargin& margin() const { return _margin; }
    void setMargin(float left, float right, float top, float bottom);
    void setMargin(const QXMargin& margin);
    platform::Size requestedSize() const { return _requested; }
    void setRequestedSize(platform::Size size);
    int alignment() const { return _alignment; }
    void setAlignment(int alignment);

    const std::string& itemTag() const { return _tag; }
    void setItemTag(std::string tag) { _tag = std::move(tag); }
    QXCollectionView* collectionView() const { return _collectionView; }
    void setCollectionView(QXCollectionView* view) { _collectionView = view; }
    const std::shared_ptr<platform::Object>& representedObject() const { return _repObject; }
    void setRepresentedObject(std::shared_ptr<platform::Object> object) {
        _repObject = std::move(object);
    }

    // Told after "margin", "requestedSize" or "alignment" changed, before the collection lays
    // out again: the stand-in for observing those keys.
    using ChangeObserver = std::function<void(QXCollectionViewItem&, std::string_view key)>;
    void setChangeObserver(ChangeObserver observer) { _observer = std::move(observer); }

    std::string description() const override;

private:
    void changed(std::string_view key);
    void layoutCollection();

    std::shared_ptr<platform::View> _view;
    std::string _tag;
    QXMargin _margin;
    QXCollectionView* _collectionView = nullptr;
    int _alignment = alignCenter;
    platform::Size _requested;
    std::shared_ptr<platform::Object> _repObject;
    ChangeObserver _observer;
};
