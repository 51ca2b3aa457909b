#include "widgets/QXTableDataView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Scroller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

using platform::Color;
using platform::Rect;
using platform::Value;
using platform::View;

namespace {

constexpr const char* kAltRowGradient =
    "linear@-90.0:c(0.93,0.95,1.0,1.0)@0.0,c(0.93,0.95,1.0,1.0)@1.0";
constexpr const char* kRowGradient = "linear@-90.0:c(1.0,1.0,1.0,1.0)@0.0,c(1.0,1.0,1.0,1.0)@1.0";
constexpr const char* kSectionGradient =
    "linear@-90.0:c(0.59,0.59,0.69,1.0)@0.0,c(0.49,0.49,0.59,1.0)@1.0";
constexpr const char* kBackgroundGradient =
    "linear@90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0";
constexpr const char* kColumnHeaderGradient =
    "linear@90.0:c(0.89,0.89,0.92,1.0)@0.0,c(0.69,0.69,0.72,"
    "1.0)@0.5,c(0.89,0.89,0.92,1.0)@1.0";
// The fixed height a section band and a row count for in the data height.
constexpr float kDataUnit = 20;
constexpr const char* kScrolledAction = "scrolled:";

std::shared_ptr<QXGradient> gradient(const char* text) {
    return QXGradient::gradientFromString(std::string_view(text));
}

void fill(const std::shared_ptr<QXGradient>& g, const Rect& rect) {
    if (g)
        g->drawInRect(rect);
}

} // namespace

QXTableDataColumn::QXTableDataColumn(std::string identifier) : _identifier(std::move(identifier)) {}

std::shared_ptr<QXTableDataColumn> QXTableDataColumn::columnWithIdentifier(std::string identifier) {
    return std::make_shared<QXTableDataColumn>(std::move(identifier));
}

std::string QXTableDataViewDataSource::tableDataViewSectionKey(QXTableDataView& /*view*/,
                                                               const Value& section) {
    if (section.isObject()) {
        char identity[32];
        std::snprintf(identity, sizeof identity, "object:%p",
                      static_cast<const void*>(section.object().get()));
        return identity;
    }
    return section.stringValue();
}

QXTableDataView::QXTableDataView(const Rect& frame) : View(frame) {}

QXTableDataView::~QXTableDataView() = default;

void QXTableDataView::initialize() {
    View::initialize();
    const std::vector<std::shared_ptr<View>> subviews = this->subviews();
    for (const auto& view : subviews)
        view->removeFromSuperview();
    setAlternateRows(true);
    setAltRowGradient(gradient(kAltRowGradient));
    setRowGradient(gradient(kRowGradient));
    setRowHeight(18);
    setRowSpacing(0);
    setSectionGradient(gradient(kSectionGradient));
    setSectionSpacing(2);
    setDisclosureColor(Color::colorWithCalibratedRed(0.2, 0.2, 0.2, 0.8));
    setDrawGrid(false);
    setGridColor(Color::colorWithCalibratedWhite(0.5, 1.0));
    setBackgroundGradient(gradient(kBackgroundGradient));
    setBorderType(0);
    setBorderColor(Color::blackColor());
    setShowColumnHeaders(true);
    setColumnHeaderHeight(18);
    setColumnHeaderGradient(gradient(kColumnHeaderGradient));
    setColumnSeperator(Color::blackColor());
    setShowScrollbars(false);
    setDataSource(nullptr);
    _columns.clear();
    const double s = platform::Scroller::scrollerWidth();
    if (!_horScr)
        _horScr = std::make_shared<platform::Scroller>(Rect{-100, -100, 100, s});
    if (!_vertScr)
        _vertScr = std::make_shared<platform::Scroller>(Rect{-100, -100, s, 100});
    for (const auto& scroller : {_horScr, _vertScr}) {
        scroller->setHidden(true);
        addSubview(scroller);
        scroller->setTarget(this);
        scroller->setAction(kScrolledAction);
    }
    _cellCache.clear();
    setNeedsDisplay(true);
}

bool QXTableDataView::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == kScrolledAction) {
        scrolled(sender);
        return true;
    }
    return View::tryToPerform(action, sender);
}

bool QXTableDataView::respondsToAction(std::string_view action) const {
    return action == kScrolledAction || View::respondsToAction(action);
}

void QXTableDataView::scrolled(platform::Object* /*sender*/) {
    setNeedsDisplay(true);
}

float QXTableDataView::bodyContentHeight() {
    if (!_dataSource)
        return 0;
    const float step = _rowHeight + _rowSpacing;
    float height = 0;
    for (const Value& section : _dataSource->tableDataViewSections(*this)) {
        const std::shared_ptr<View> band = sectionBandView(section);
        if (!band)
            break;
        height += static_cast<float>(band->frame().height()) + _sectionSpacing +
                  step * static_cast<float>(
                             std::max(0, _dataSource->tableDataViewNumberOfRows(*this, section)));
    }
    return height;
}

// How far the scrollers have moved the body: their value (0 at the top or left) times what
// does not fit.
float QXTableDataView::scrollOffset(const platform::Scroller& scroller, float content,
                                    float visible) const {
    if (scroller.isHidden() || content <= visible)
        return 0;
    const double value = std::clamp(scroller.objectValue().doubleValue(), 0.0, 1.0);
    return static_cast<float>(value) * (content - visible);
}

// The inset follows the border type at once, so measuring before the first drawing agrees
// with what drawing will use.
void QXTableDataView::setBorderType(unsigned type) {
    _border = type;
    _contentInset = type == 1 ? 1.0f : (type == 2 || type == 3) ? 2.0f : 0.0f;
}

void QXTableDataView::addColumn(std::shared_ptr<QXTableDataColumn> column, int index) {
    if (!column)
        return;
    index = std::max(index, 0);
    if (index < static_cast<int>(_columns.size()))
        _columns.insert(_columns.begin() + index, std::move(column));
    else
        _columns.push_back(std::move(column));
}

// A removed column's header view leaves the band with it, rather than staying shown where the
// column last was.
void QXTableDataView::removeColumn(const QXTableDataColumn* column) {
    const int index = indexOfColumn(column);
    if (index >= static_cast<int>(_columns.size()))
        return;
    const std::shared_ptr<QXTableDataColumn> removed = _columns[static_cast<std::size_t>(index)];
    _columns.erase(_columns.begin() + index);
    if (const auto& header = removed->headerView(); header && header->superview() == this)
        header->removeFromSuperview();
}

std::shared_ptr<QXTableDataColumn> QXTableDataView::columnAtIndex(int index) const {
    if (index < 0 || index >= static_cast<int>(_columns.size()))
        return nullptr;
    return _columns[static_cast<std::size_t>(index)];
}

std::shared_ptr<QXTableDataColumn>
QXTableDataView::columnWithIdentifier(std::string_view identifier) const {
    for (const auto& column : _columns)
        if (column->identifier() == identifier)
            return column;
    return nullptr;
}

int QXTableDataView::indexOfColumn(const QXTableDataColumn* column) const {
    const int count = static_cast<int>(_columns.size());
    if (!column)
        return count;
    for (int i = 0; i < count; ++i)
        if (_columns[static_cast<std::size_t>(i)]->identifier() == column->identifier())
            return i;
    return count;
}

void QXTableDataView::displayColumn(QXTableDataColumn* column, bool show) {
    if (column)
        column->setHidden(!show);
    setNeedsDisplay(true);
}

// Each pass shares the difference equally among the visible columns that can move that way and
// clamps them to their limits. A pass either closes the gap or pins at least one more column
// at a limit, so the passes end; the cap only guards against widths that are not numbers.
float QXTableDataView::sizeColumnsToFit(float width) {
    const std::size_t maxPasses = 2 * _columns.size() + 4;
    float total = 0;
    for (std::size_t pass = 0;; ++pass) {
        total = 0;
        int canGrow = 0;
        int canShrink = 0;
        for (const auto& column : _columns) {
            if (column->isHidden())
                continue;
            total += column->width();
            if (column->maxWidth() > column->width())
                ++canGrow;
            if (column->width() > column->minWidth())
                ++canShrink;
        }
        const float difference = width - total;
        if (std::fabs(difference) < 0.5f || (difference > 0 && canGrow == 0) ||
            (difference < 0 && canShrink == 0) || pass >= maxPasses)
            return total;
        const bool grow = difference > 0;
        const float share = difference / static_cast<float>(grow ? canGrow : canShrink);
        for (const auto& column : _columns) {
            if (column->isHidden())
                continue;
            const bool movable =
                grow ? column->maxWidth() > column->width() : column->width() > column->minWidth();
            float w = column->width() + (movable ? share : 0.0f);
            w = std::min(w, column->maxWidth());
            w = std::max(w, column->minWidth());
            column->setWidth(w);
        }
    }
}

float QXTableDataView::allColumnsWidth() const {
    float total = 0;
    for (const auto& column : _columns)
        if (!column->isHidden())
            total += column->width();
    return total;
}

float QXTableDataView::allDataHeight() {
    if (!_dataSource)
        return 0;
    float height = 0;
    for (const Value& section : _dataSource->tableDataViewSections(*this)) {
        height += _sectionSpacing + kDataUnit;
        height += static_cast<float>(_dataSource->tableDataViewNumberOfRows(*this, section)) *
                  (_rowSpacing + kDataUnit);
    }
    return height;
}

std::string QXTableDataView::cacheKey(const Value& section) {
    return "s=" + _dataSource->tableDataViewSectionKey(*this, section) + ",r=-,c=-";
}

std::shared_ptr<View> QXTableDataView::sectionBandView(const Value& section) {
    if (!_dataSource)
        return nullptr;
    const std::string key = cacheKey(section);
    if (auto it = _cellCache.find(key); it != _cellCache.end())
        return it->second;
    std::shared_ptr<View> view = _dataSource->tableDataViewSectionView(*this, section);
    if (!view)
        return nullptr;
    view->removeFromSuperview();
    _cellCache[key] = view;
    addSubview(view);
    return view;
}

std::shared_ptr<View> QXTableDataView::getSectionView(const Value& section) {
    std::shared_ptr<View> view = sectionBandView(section);
    if (view)
        view->setHidden(true);
    return view;
}

Rect QXTableDataView::contentRect() const {
    return bounds().insetBy(_contentInset, _contentInset);
}

void QXTableDataView::drawRect(const Rect& /*dirtyRect*/) {
    drawBorder();
    drawBackground();
    dispScrollers();
    drawColumnHeader();
    drawTableBody();
}

void QXTableDataView::drawBorder() {
    const Rect b = bounds();
    switch (_border) {
    case 3:
        platform::DrawGroove(b, b);
        break;
    case 2:
        platform::DrawLightBezel(b, b);
        break;
    case 1:
        _borderColor.set();
        platform::FrameRect(b);
        break;
    default:
        break;
    }
    setBorderType(_border);
}

void QXTableDataView::drawBackground() {
    fill(_backgroundGradient, contentRect());
}

// A scroller shown only because showScrollbars is set takes its room like a needed one, so
// that it lies inside the view rather than past its right edge.
void QXTableDataView::dispScrollers() {
    Rect r = contentRect();
    if (_drawColumnHeader)
        r.size.height -= _columnHeaderHeight;
    const double s = platform::Scroller::scrollerWidth();
    float contentWidth = sizeColumnsToFit(static_cast<float>(r.width()));
    const float dataHeight = allDataHeight();

    const bool needVertical = dataHeight > r.height();
    const bool showVertical = needVertical || _showScrollbars;
    if (showVertical) {
        r.size.width -= s;
        contentWidth = sizeColumnsToFit(static_cast<float>(r.width()));
    }
    const bool needHorizontal = contentWidth > r.width();
    const bool showHorizontal = needHorizontal || _showScrollbars;
    if (showHorizontal)
        r.size.height -= s;

    if (showHorizontal)
        _horScr->setFrame({r.minX(), r.minY(), r.width(), s});
    if (showVertical)
        _vertScr->setFrame({r.maxX(), r.minY() + (showHorizontal ? s : 0), s, r.height()});
    if (showHorizontal && showVertical) {
        if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
            context->setFillColor(Color::whiteColor());
            context->fillRect({r.maxX(), r.minY(), s, s});
        }
    }
    _horScr->setHidden(!showHorizontal);
    _vertScr->setHidden(!showVertical);

    if (showVertical) {
        _vertScr->setKnobProportion(dataHeight > 0 ? r.height() / dataHeight : 1.0);
        _vertScr->setEnabled(dataHeight > r.height());
    }
    if (showHorizontal) {
        _horScr->setKnobProportion(contentWidth > 0 ? r.width() / contentWidth : 1.0);
        _horScr->setEnabled(contentWidth > r.width());
    }
}

void QXTableDataView::drawColumnHeader() {
    if (!_drawColumnHeader)
        return;
    Rect r = contentRect();
    const Rect band{r.minX(), r.maxY() - _columnHeaderHeight, r.width(), _columnHeaderHeight};
    fill(_columnHeaderGradient, band);
    r.size.height -= _columnHeaderHeight;

    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    _columnSeperator.set();
    const auto separatorAt = [&](double x) {
        if (context)
            context->fillRect({x, band.minY(), 0.5, band.height()});
    };
    if (!_vertScr->isHidden()) {
        r.size.width -= _vertScr->frame().width();
        separatorAt(r.width());
    }
    double x = 0.5 - scrollOffset(*_horScr, allColumnsWidth(), static_cast<float>(r.width()));
    for (const auto& column : _columns) {
        const std::shared_ptr<View>& header = column->headerView();
        if (column->isHidden()) {
            if (header)
                header->setHidden(true);
            continue;
        }
        if (header) {
            const double width =
                x + column->width() < band.width() ? column->width() : band.width() - x;
            header->setFrame({x, band.minY(), width, band.height()});
            header->setHidden(false);
            if (header->superview() != this)
                addSubview(header);
        }
        x += column->width();
        if (x < r.width())
            separatorAt(x);
    }
    platform::BezierPath::strokeLineFromPoint({0, band.minY() - 0.5},
                                              {r.minX() + r.width(), band.minY() - 0.5});
}

void QXTableDataView::drawGridForStripe(float y, float x0) {
    if (!_drawGrid)
        return;
    float x = x0;
    for (const auto& column : _columns) {
        if (column->isHidden())
            continue;
        x += column->width();
        platform::BezierPath::strokeLineFromPoint({x + 0.5, y},
                                                  {x + 0.5, y + _rowHeight + _rowSpacing});
    }
}

// Band views that this pass does not lay out end hidden, those it lays out shown; each keeps
// its state when it does not change, so drawing does not ask for more drawing.
void QXTableDataView::drawTableBody() {
    Rect body = contentRect();
    if (_drawColumnHeader)
        body.size.height -= _columnHeaderHeight;
    if (!_vertScr->isHidden())
        body.size.width -= _vertScr->frame().width();
    if (!_horScr->isHidden()) {
        body.size.height -= _horScr->frame().height();
        body.origin.y += _horScr->frame().height();
    }
    // The scrollers move the body: rows up, columns left.
    const float x0 = -scrollOffset(*_horScr, allColumnsWidth(), static_cast<float>(body.width()));
    const float top =
        static_cast<float>(body.maxY()) +
        scrollOffset(*_vertScr, bodyContentHeight(), static_cast<float>(body.height()));

    std::set<const View*> laidOut;
    {
        platform::GraphicsStateSaver saver;
        platform::RectClip(body);
        _gridColor.setStroke();

        const std::vector<Value> sections =
            _dataSource ? _dataSource->tableDataViewSections(*this) : std::vector<Value>{};
        float y = top;
        bool alternate = false;
        const float step = _rowHeight + _rowSpacing;
        const auto stripe = [&] {
            y -= step;
            const bool useAlternate = alternate && _alternateRows;
            fill(useAlternate ? _altRowGradient : _rowGradient, {0, y, body.width(), _rowHeight});
            alternate = !alternate;
            drawGridForStripe(y, x0);
        };
        bool stopped = false;
        for (const Value& section : sections) {
            const std::shared_ptr<View> band = sectionBandView(section);
            if (!band || body.minY() > y) {
                stopped = true;
                break;
            }
            const double bandHeight = band->frame().height();
            y -= static_cast<float>(bandHeight) + _sectionSpacing;
            const Rect bandRect{0, y, body.width(), bandHeight};
            fill(_sectionGradient, bandRect);
            // A band view is a view of its own, which the body's clip does not cut: it shows
            // only while wholly inside the body.
            if (bandRect.minY() >= body.minY() - 0.5 && bandRect.maxY() <= body.maxY() + 0.5) {
                band->setFrame(bandRect);
                laidOut.insert(band.get());
            }
            const int rows = _dataSource->tableDataViewNumberOfRows(*this, section);
            for (int row = 0; row < rows && !stopped; ++row) {
                stripe();
                stopped = y < 0;
            }
            if (stopped)
                break;
        }
        if (!stopped && step > 0)
            while (y > 0)
                stripe();
    }
    for (const auto& [key, view] : _cellCache)
        view->setHidden(laidOut.count(view.get()) == 0);
}
