#include "widgets/QXSearchField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/StringExtensions.h"
#include "widgets/QXBaseFrameView.h"
#include "widgets/QXBaseWindow.h"
#include "widgets/QXGradient.h"
#include "widgets/QXToolWindow.h"

#include <algorithm>
#include <typeinfo>

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

// Enter and Return, the keys that pick a suggestion.
bool isPickKey(const platform::Event& event) {
    if (event.type() != platform::EventType::KeyDown)
        return false;
    const std::string& chars = event.charactersIgnoringModifiers();
    if (chars.empty() || platform::utf8FromCodePoint(platform::firstCodePoint(chars)) != chars)
        return false;
    const char32_t c = platform::firstCodePoint(chars);
    return c == platform::EnterCharacter || c == platform::CarriageReturnCharacter;
}

bool isMouseDown(const platform::Event& event) {
    const platform::EventType type = event.type();
    return type == platform::EventType::LeftMouseDown ||
           type == platform::EventType::RightMouseDown ||
           type == platform::EventType::OtherMouseDown;
}

// The table a field gets when nobody gave it one: one text column, no header, in a scroll
// view that scrolls vertically.
std::shared_ptr<platform::TableView> makeDefaultDataView() {
    auto table = platform::make<platform::TableView>(Rect(0, 0, 100, 30));
    table->setHeaderView(nullptr);
    table->addTableColumn(platform::make<platform::TableColumn>("suggestion"));
    auto scroll = platform::make<platform::ScrollView>(Rect(0, 0, 100, 30));
    scroll->setHasVerticalScroller(true);
    scroll->setAutohidesScrollers(true);
    scroll->setDocumentView(table);
    return table;
}

} // namespace

QXSearchField::QXSearchField(const Rect& frame) : QXTextField(frame) {
    // Inside a skinned window, search fields share the editor that passes keys to them first.
    QXBaseWindow::registerSharedFieldEditorClass(typeid(QXSearchField), true);
}

QXSearchField::~QXSearchField() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (_dataView) {
        // The table goes with the field; it must not ask its data source anything on the way
        // (an owner going away may already be gone).
        _dataView->setDataSource(nullptr);
        if (_dataView->delegate() == this)
            _dataView->setDelegate(nullptr);
        if (_dataView->target() == this)
            _dataView->setTarget(nullptr);
    }
    if (_dropdown)
        _dropdown->orderOut();
    _dropdown.reset();
    _lastSearch.reset();
    _dataView.reset();
}

void QXSearchField::setDataView(std::shared_ptr<platform::TableView> dataView) {
    _dataView = std::move(dataView);
}

void QXSearchField::awake() {
    QXTextField::awake();
    _dropdown = platform::make<QXToolWindow>();
    _dropdown->setType(QXToolWindow::dropdownType());
    _dropdown->setBackgroundGradient(
        QXGradient::linearGradientWithAngle(90,
                                            {Color::colorWithCalibratedRed(0.99, 1.0, 0.99, 0.99),
                                             Color::colorWithCalibratedRed(0.99, 1.0, 0.99, 0.9)},
                                            {0.92, 1.0}));
    _dropdown->setHasShadow(true);

    if (!_dataView)
        _dataView = makeDefaultDataView();
    std::shared_ptr<platform::View> scroll;
    if (platform::View* clip = _dataView->superview())
        if (platform::View* enclosing = clip->superview())
            if (dynamic_cast<platform::ScrollView*>(enclosing))
                scroll = enclosing->sharedView();
    if (!scroll) {
        // A table outside a scroll view still scrolls in the list.
        auto made = platform::make<platform::ScrollView>(Rect(0, 0, 100, 30));
        made->setHasVerticalScroller(true);
        made->setAutohidesScrollers(true);
        _dataView->removeFromSuperview();
        made->setDocumentView(_dataView);
        scroll = made;
    }
    scroll->setFrame(Rect(0, 0, 100, 30));
    scroll->removeFromSuperview();
    _dropdown->setContentView(scroll);

    _dataView->setDelegate(this);
    _dataView->setAllowsEmptySelection(true);
    _dataView->setTarget(this);
    _dataView->setAction(std::string());
    _dataView->setDoubleAction("tryDialSelection");

    _maxVisLines = 3;
    _lastSearch.reset();

    auto& center = platform::NotificationCenter::defaultCenter();
    center.removeObserver(this, platform::WindowDidResignMainNotification, nullptr);
    center.addObserver(this, platform::WindowDidResignMainNotification, nullptr,
                       [this](const platform::Notification&) { tidyup(false); });
}

platform::TableViewDataSource* QXSearchField::dataSource() const {
    return _dataView ? _dataView->dataSource() : nullptr;
}

void QXSearchField::setDataSource(platform::TableViewDataSource* dataSource) {
    if (_dataView)
        _dataView->setDataSource(dataSource);
}

void QXSearchField::setDropdownGradient(std::shared_ptr<QXGradient> gradient) {
    if (_dropdown)
        _dropdown->setBackgroundGradient(std::move(gradient));
}

bool QXSearchField::isDropDownVisible() const {
    // A list fading out is already closed for the keys: they must not move through rows that
    // are about to vanish, and Down must open it afresh.
    return _dropdown && _dropdown->isVisible() && !_dropdown->isFading();
}

QXSearchFieldFilterDelegate* QXSearchField::filterDelegate() const {
    return dynamic_cast<QXSearchFieldFilterDelegate*>(delegate());
}

void QXSearchField::fadeOutDropdown() {
    if (_dropdown && _dropdown->isVisible())
        _dropdown->orderOut(nullptr);
}

void QXSearchField::tryShowSuggestions(bool force) {
    auto keep = weak_from_this().lock();
    const std::string text = stringValue();
    if (!force && _lastSearch && *_lastSearch == text) {
        _lastSearch = text;
        return;
    }
    if (_dataView && _dropdown) {
        if (auto* filter = dynamic_cast<QXSearchFieldFilterDelegate*>(_dataView->dataSource()))
            filter->applySearchFilter(text);
        _dataView->reloadData();
        const long rows = _dataView->numberOfRows();

        // Each column as wide as its widest row (with a little air), within its limits.
        double widths = 0;
        const auto columns = _dataView->tableColumns();
        for (long c = 0; c < static_cast<long>(columns.size()); ++c) {
            platform::TableColumn& column = *columns[c];
            double w = column.minWidth();
            for (long r = 0; r < rows; ++r) {
                const auto cell = _dataView->preparedCellAtColumn(c, r);
                if (!cell)
                    continue;
                const double needed = cell->cellSize().width + 5;
                if (needed > w)
                    w = std::min(needed, column.maxWidth());
            }
            column.setWidth(w);
            widths += w;
        }
        const Size spacing = _dataView->intercellSpacing();
        const double height = (_dataView->rowHeight() + spacing.height) *
                              static_cast<double>(std::min<long>(_maxVisLines, rows));
        const double width = widths + spacing.width * static_cast<double>(columns.size());

        platform::Window* window = this->window();
        if (height <= 3 || width <= 3) {
            fadeOutDropdown();
        } else if (window) {
            platform::View* frameView = nullptr;
            if (auto* skinned = dynamic_cast<QXBaseWindow*>(window))
                frameView = skinned->frameView();
            const Rect f =
                superview() ? superview()->convertRectToView(frame(), frameView) : frame();
            if (!isDropDownVisible()) {
                const Point anchor(f.minX() + 10, f.minY() - 1);
                _dataView->deselectAll(nullptr);
                _dropdown->setContentSize(Size(width, height));
                _dropdown->showForWindow(window, anchor);
            } else {
                _dropdown->setContentSize(Size(width, height));
            }
            if (platform::View* content = _dropdown->contentView())
                content->setFrameOrigin(
                    _dropdown->contentRectForFrameRect(_dropdown->frame()).origin);
        }
    }
    _lastSearch = text;
}

void QXSearchField::tidyup(bool fade) {
    if (_dropdown) {
        if (fade)
            fadeOutDropdown();
        else
            _dropdown->orderOut();
    }
    _lastSearch.reset();
    QXTextField::tidyup();
}

void QXSearchField::tryDialSelection() {
    auto keep = weak_from_this().lock();
    const long row = _dataView ? _dataView->selectedRow() : -1;
    if (row >= 0)
        if (QXSearchFieldFilterDelegate* picker = filterDelegate())
            picker->rowEntryDoubleClicked(row);
    sendActionToTargetIfAnswered();
}

std::optional<bool> QXSearchField::keyPressed(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    if (isPickKey(event) && isDropDownVisible() && _dataView && _dataView->selectedRow() >= 0) {
        if (QXSearchFieldFilterDelegate* picker = filterDelegate()) {
            picker->rowEntryPicked(_dataView->selectedRow());
            tidyup(false);
            return true;
        }
    }
    return QXTextField::keyPressed(event);
}

void QXSearchField::textDidChange(const platform::Notification& notification) {
    auto keep = weak_from_this().lock();
    const std::string value = stringValue();
    if (OrvantaExtensions::whitespaceAndNewlineTrimmed(value).empty()) {
        // Blank input leaves the field empty. An empty field is left alone, so that deleting
        // the last character can still be undone.
        if (!value.empty())
            setStringValue(std::string());
    } else if (isDropDownVisible()) {
        if (value.empty()) {
            fadeOutDropdown();
            _lastSearch.reset();
        }
        tryShowSuggestions(false);
    }
    QXTextField::textDidChange(notification);
}

void QXSearchField::textDidEndEditing(const platform::Notification& notification) {
    auto keep = weak_from_this().lock();
    fadeOutDropdown();
    _lastSearch.reset();
    QXTextField::textDidEndEditing(notification);
}

bool QXSearchField::textViewDoCommandBySelector(platform::TextView& textView,
                                                std::string_view selector) {
    auto keep = weak_from_this().lock();
    const bool visible = isDropDownVisible();
    if (selector == "cancelOperation:" && visible) {
        fadeOutDropdown();
        return true;
    }
    if (selector == "insertNewline:" && visible) {
        const long row = _dataView ? _dataView->selectedRow() : -1;
        if (row >= 0)
            if (QXSearchFieldFilterDelegate* picker = filterDelegate())
                picker->rowEntryPicked(row);
        fadeOutDropdown();
        return false;
    }
    if (selector == "moveDown:") {
        if (!visible) {
            tryShowSuggestions(true);
        } else if (_dataView) {
            const long next = _dataView->selectedRow() + 1;
            if (next < _dataView->numberOfRows()) {
                _dataView->selectRow(next, false);
                _dataView->scrollRowToVisible(next);
            }
        }
        return true;
    }
    if (selector == "moveUp:") {
        if (visible && _dataView) {
            const long selected = _dataView->selectedRow();
            if (selected <= 0) {
                _dataView->deselectAll(nullptr);
            } else {
                _dataView->selectRow(selected - 1, false);
                _dataView->scrollRowToVisible(selected - 1);
            }
        }
        return true;
    }
    return QXTextField::textViewDoCommandBySelector(textView, selector);
}

platform::View* QXSearchField::hitTest(Point point) {
    if (isDropDownVisible() && superview()) {
        const platform::Event* event = platform::WindowServer::shared().currentEvent();
        if (event && isMouseDown(*event)) {
            const Point p = platform::pointInView(*event, *superview());
            if (!superview()->mouseInRect(p, frame()))
                fadeOutDropdown();
        }
    }
    return QXTextField::hitTest(point);
}

void QXSearchField::viewWillMoveToWindow(platform::Window* window) {
    QXTextField::viewWillMoveToWindow(window);
    if (auto* old = dynamic_cast<QXBaseWindow*>(this->window()))
        old->removeObserverView(this);
    if (auto* skinned = dynamic_cast<QXBaseWindow*>(window))
        skinned->addObserverView(this);
}

void QXSearchField::tableViewSelectionDidChange(const platform::Notification& /*notification*/) {}

bool QXSearchField::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "tryDialSelection") {
        tryDialSelection();
        return true;
    }
    return QXTextField::tryToPerform(action, sender);
}

bool QXSearchField::respondsToAction(std::string_view action) const {
    return action == "tryDialSelection" || QXTextField::respondsToAction(action);
}
