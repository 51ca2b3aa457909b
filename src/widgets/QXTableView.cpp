#include "widgets/QXTableView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"
#include "widgets/QXTableCell.h"

#include <cmath>
#include <vector>

using platform::Color;
using platform::Event;
using platform::Rect;

std::optional<char32_t> QXListKeyCharacter(const Event& event) {
    if (event.type() != platform::EventType::KeyDown)
        return std::nullopt;
    const std::string& text = event.charactersIgnoringModifiers();
    if (text.empty())
        return std::nullopt;
    const char32_t c = platform::firstCodePoint(text);
    if (platform::utf8FromCodePoint(c).size() != text.size())
        return std::nullopt;
    return c;
}

namespace {

void paint(const Rect& rect, const QXGradient* gradient, const Color& fallback) {
    if (gradient) {
        gradient->drawInRect(rect);
        return;
    }
    if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
        context->setFillColor(fallback);
        context->fillRect(rect);
    }
}

} // namespace

QXTableView::QXTableView(const Rect& frame) : platform::TableView(frame) {}

QXTableView::~QXTableView() {
    _hover.removeTrackingArea(*this);
}

void QXTableView::initialize() {
    platform::TableView::initialize();
    internalSetup();
}

void QXTableView::awake() {
    platform::TableView::awake();
    internalSetup();
}

void QXTableView::internalSetup() {
    _hover.resetRows();
    setRowGradient(nullptr);
    setAlternateRowGradient(nullptr);
    setSelectedRowGradient(nullptr);
    setInactiveRowGradient(nullptr);
}

QXTableViewDelegate* QXTableView::qxDelegate() const {
    return dynamic_cast<QXTableViewDelegate*>(delegate());
}

void QXTableView::setTrackMouseOver(bool flag) {
    _hover.setTrackMouseOver(*this, flag);
}

void QXTableView::setRowGradient(std::shared_ptr<QXGradient> gradient) {
    _rowGradient = std::move(gradient);
}

void QXTableView::setAlternateRowGradient(std::shared_ptr<QXGradient> gradient) {
    _altRowGradient = std::move(gradient);
}

void QXTableView::setSelectedRowGradient(std::shared_ptr<QXGradient> gradient) {
    _selectedGradient = std::move(gradient);
}

void QXTableView::setInactiveRowGradient(std::shared_ptr<QXGradient> gradient) {
    _inactiveSelGradient = std::move(gradient);
}

void QXTableView::updateTrackingAreas() {
    platform::TableView::updateTrackingAreas();
    _hover.updateTrackingAreas(*this);
}

void QXTableView::mouseEntered(const Event& /*event*/) {
    _hover.mouseEntered();
}

void QXTableView::mouseExited(const Event& /*event*/) {
    _hover.mouseExited(*this);
}

void QXTableView::mouseMoved(const Event& event) {
    const auto change = _hover.mouseMoved(*this, event);
    if (!change)
        return;
    if (QXTableViewDelegate* d = qxDelegate())
        d->tableViewMouseChangedFromRow(*this, change->previousRow, change->newRow);
}

void QXTableView::keyDown(const Event& event) {
    auto keep = weak_from_this().lock();
    const std::optional<char32_t> c = QXListKeyCharacter(event);
    if (c) {
        switch (*c) {
        case platform::EnterCharacter:
        case platform::CarriageReturnCharacter:
            if (_sendActionOnEnter && !doubleAction().empty()) {
                sendAction(doubleAction(), target());
                return;
            }
            if (QXTableViewDelegate* d = qxDelegate(); d && d->enterKeyPressed())
                return;
            break;
        case platform::BackspaceCharacter:
        case platform::DeleteCharacter:
        case platform::DeleteFunctionKey:
            if (const long row = selectedRow(); row >= 0)
                if (QXTableViewDelegate* d = qxDelegate();
                    d && d->tableViewShouldDeleteRow(*this, row))
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

// Paints every row of the clip rectangle itself, selected or not, then empty stripes below the
// last row; the platform's highlighting is not drawn.
void QXTableView::highlightSelectionInClipRect(const Rect& clipRect) {
    if (!platform::GraphicsContext::currentContext())
        return;
    const platform::IndexSet selected = selectedRowIndexes();
    const platform::Window* window = this->window();
    const bool focused = window && window->firstResponder() == this && window->isKeyWindow();
    const bool alternating = usesAlternatingRowBackgroundColors();
    const std::vector<Color> colors = Color::controlAlternatingRowBackgroundColors();
    const Color& plainColor = colors.at(0);
    const Color& alternateColor = colors.size() > 1 ? colors[1] : colors[0];
    const double spacing = intercellSpacing().height;

    const auto paintUnselected = [&](const Rect& rect, long number) {
        if (alternating && number % 2 == 0)
            paint(rect, _altRowGradient.get(), alternateColor);
        else
            paint(rect, _rowGradient.get(), plainColor);
    };

    long row = rowAtPoint({clipRect.minX() + clipRect.width() * 0.5, clipRect.minY() + 1});
    while (row >= 0) {
        const Rect rect = rectOfRow(row);
        if (!rect.intersects(clipRect))
            break;
        if (selected.count(row) != 0) {
            if (focused)
                paint(rect, _selectedGradient.get(), Color::alternateSelectedControlColor());
            else
                paint(rect, _inactiveSelGradient.get(), Color::secondarySelectedControlColor());
        } else {
            paintUnselected(rect, row);
        }
        const long next = rowAtPoint({rect.minX() + rect.width() * 0.5, rect.maxY() + spacing + 1});
        row = next > row ? next : -1;
    }

    const double step = rowHeight() + spacing;
    if (step <= 0)
        return;
    const long rows = numberOfRows();
    double y = rows > 0 ? rectOfRow(rows - 1).maxY() : 0;
    long counter = rows;
    // A redraw of part of the empty area starts at the first stripe it reaches, with the
    // parity the stripes above it would have had.
    if (clipRect.minY() >= y + step) {
        const long skip = static_cast<long>(std::floor((clipRect.minY() - y) / step));
        y += static_cast<double>(skip) * step;
        counter += skip;
    }
    for (Rect stripe{0, y, frame().width(), step}; stripe.intersects(clipRect);
         stripe = stripe.offsetBy(0, step), ++counter)
        paintUnselected(stripe, counter);
}

void QXTableView::resetCursorRects() {
    platform::TableViewDelegate* d = delegate();
    if (!d)
        return;
    const platform::RowRange rows = rowsInRect(visibleRect());
    for (long row = rows.location; row < rows.end(); ++row) {
        const Rect rowRect = rectOfRow(row);
        for (const auto& column : tableColumns()) {
            const auto cell = d->tableViewDataCellForTableColumn(*this, column.get(), row);
            if (!cell)
                return;
            if (auto* tableCell = dynamic_cast<QXTableCell*>(cell->get()))
                tableCell->addCursorRectsForFrame(rowRect, this);
        }
    }
}
