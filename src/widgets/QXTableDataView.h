#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/kit/View.h"
#include "widgets/QXGradient.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Scroller;
}

class QXTableDataView;

// A column of the self-drawn table: an identity, a width fitted between its limits, and an
// optional view shown over it in the header band. Sorting, resizing and moving are flags kept
// for the caller; the table does nothing with them.
class QXTableDataColumn : public platform::Object {
public:
    explicit QXTableDataColumn(std::string identifier = {});
    static std::shared_ptr<QXTableDataColumn> columnWithIdentifier(std::string identifier);

    const std::string& identifier() const { return _identifier; }
    void setIdentifier(std::string identifier) { _identifier = std::move(identifier); }
    bool isHidden() const { return _hidden; }
    void setHidden(bool flag) { _hidden = flag; }
    float minWidth() const { return _minWidth; }
    void setMinWidth(float width) { _minWidth = width; }
    float maxWidth() const { return _maxWidth; }
    void setMaxWidth(float width) { _maxWidth = width; }
    float width() const { return _width; }
    // Not clamped: fitting brings the width within the limits.
    void setWidth(float width) { _width = width; }
    bool supportsSorting() const { return _canSort; }
    void setSupportsSorting(bool flag) { _canSort = flag; }
    bool userCanResize() const { return _userResizes; }
    void setUserCanResize(bool flag) { _userResizes = flag; }
    bool userCanMove() const { return _canMove; }
    void setUserCanMove(bool flag) { _canMove = flag; }
    const std::shared_ptr<platform::View>& headerView() const { return _headerView; }
    void setHeaderView(std::shared_ptr<platform::View> view) { _headerView = std::move(view); }

private:
    std::string _identifier;
    bool _hidden = false;
    float _minWidth = 40;
    float _maxWidth = 10000;
    float _width = 0;
    bool _canSort = false;
    bool _userResizes = false;
    bool _canMove = true;
    std::shared_ptr<platform::View> _headerView;
};

// Where the self-drawn table's sections come from. A section is any value the data source
// chooses (a string, a number, an object handle). Not owned by the table.
class QXTableDataViewDataSource {
public:
    virtual ~QXTableDataViewDataSource() = default;

    virtual std::vector<platform::Value> tableDataViewSections(QXTableDataView& /*view*/) {
        return {};
    }
    virtual int tableDataViewNumberOfRows(QXTableDataView& /*view*/,
                                          const platform::Value& /*section*/) {
        return 0;
    }
    // The view shown as the section's band; its height is the band's height.
    virtual std::shared_ptr<platform::View>
    tableDataViewSectionView(QXTableDataView& /*view*/, const platform::Value& /*section*/) {
        return nullptr;
    }
    // The key the section's band view is kept under, so that two sections never share a band
    // by looking alike. The default: the text of a string or number section, and the identity
    // of an object section.
    virtual std::string tableDataViewSectionKey(QXTableDataView& view,
                                                const platform::Value& section);
};

// A self-drawn, sectioned table (a plain view): a border, a background, a band of column
// headers, and a body of section bands and alternating row stripes with optional vertical grid
// lines, plus two scrollers of its own that show how much overflows. Cell contents are not
// drawn, and it takes no mouse or key input. The view is not flipped: the header band is at the
// top and the body is drawn from the top down.
class QXTableDataView : public platform::View {
public:
    explicit QXTableDataView(const platform::Rect& frame = {});
    ~QXTableDataView() override;

    // Removes every subview, sets every default, makes the hidden scrollers and the empty
    // section cache.
    void initialize() override;

    void drawRect(const platform::Rect& dirtyRect) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Columns, left to right.
    void addColumn(std::shared_ptr<QXTableDataColumn> column, int index);
    void removeColumn(const QXTableDataColumn* column);
    std::shared_ptr<QXTableDataColumn> columnAtIndex(int index) const;
    std::shared_ptr<QXTableDataColumn> columnWithIdentifier(std::string_view identifier) const;
    // The first column with the same identifier; the count when none has it.
    int indexOfColumn(const QXTableDataColumn* column) const;
    // Hides or shows a column and redraws.
    void displayColumn(QXTableDataColumn* column, bool show);
    const std::vector<std::shared_ptr<QXTableDataColumn>>& columns() const { return _columns; }

    // Fits the visible columns to `width` within their limits; the total of their widths.
    float sizeColumnsToFit(float width);
    float allColumnsWidth() const;
    // 20 points for each section band and each row, plus the spacings.
    float allDataHeight();

    // The section's band view, from the cache or the data source, hidden; nullptr when the
    // data source gives none.
    std::shared_ptr<platform::View> getSectionView(const platform::Value& section);

    // The scrollers' action: the body and the header band follow the scrollers' values.
    void scrolled(platform::Object* sender);

    QXTableDataViewDataSource* dataSource() const { return _dataSource; }
    void setDataSource(QXTableDataViewDataSource* source) { _dataSource = source; }

    bool alternateRows() const { return _alternateRows; }
    void setAlternateRows(bool flag) { _alternateRows = flag; }
    const std::shared_ptr<QXGradient>& altRowGradient() const { return _altRowGradient; }
    void setAltRowGradient(std::shared_ptr<QXGradient> g) { _altRowGradient = std::move(g); }
    const std::shared_ptr<QXGradient>& rowGradient() const { return _rowGradient; }
    void setRowGradient(std::shared_ptr<QXGradient> g) { _rowGradient = std::move(g); }
    float rowHeight() const { return _rowHeight; }
    void setRowHeight(float height) { _rowHeight = height; }
    float rowSpacing() const { return _rowSpacing; }
    void setRowSpacing(float spacing) { _rowSpacing = spacing; }
    const std::shared_ptr<QXGradient>& sectionGradient() const { return _sectionGradient; }
    void setSectionGradient(std::shared_ptr<QXGradient> g) { _sectionGradient = std::move(g); }
    float sectionSpacing() const { return _sectionSpacing; }
    void setSectionSpacing(float spacing) { _sectionSpacing = spacing; }
    const platform::Color& disclosureColor() const { return _disclosureColor; }
    void setDisclosureColor(const platform::Color& color) { _disclosureColor = color; }
    bool drawGrid() const { return _drawGrid; }
    void setDrawGrid(bool flag) { _drawGrid = flag; }
    const platform::Color& gridColor() const { return _gridColor; }
    void setGridColor(const platform::Color& color) { _gridColor = color; }
    const std::shared_ptr<QXGradient>& backgroundGradient() const { return _backgroundGradient; }
    void setBackgroundGradient(std::shared_ptr<QXGradient> g) {
        _backgroundGradient = std::move(g);
    }
    // 0 none, 1 line, 2 bezel, 3 groove.
    unsigned borderType() const { return _border; }
    void setBorderType(unsigned type);
    const platform::Color& borderColor() const { return _borderColor; }
    void setBorderColor(const platform::Color& color) { _borderColor = color; }
    bool showColumnHeaders() const { return _drawColumnHeader; }
    void setShowColumnHeaders(bool flag) { _drawColumnHeader = flag; }
    float columnHeaderHeight() const { return _columnHeaderHeight; }
    void setColumnHeaderHeight(float height) { _columnHeaderHeight = height; }
    const std::shared_ptr<QXGradient>& columnHeaderGradient() const {
        return _columnHeaderGradient;
    }
    void setColumnHeaderGradient(std::shared_ptr<QXGradient> g) {
        _columnHeaderGradient = std::move(g);
    }
    const platform::Color& columnSeperator() const { return _columnSeperator; }
    void setColumnSeperator(const platform::Color& color) { _columnSeperator = color; }
    bool showScrollbars() const { return _showScrollbars; }
    void setShowScrollbars(bool flag) { _showScrollbars = flag; }
    float contentInset() const { return _contentInset; }

    platform::Scroller* horizontalScroller() const { return _horScr.get(); }
    platform::Scroller* verticalScroller() const { return _vertScr.get(); }

protected:
    virtual void drawBorder();
    virtual void drawBackground();
    virtual void dispScrollers();
    virtual void drawColumnHeader();
    virtual void drawTableBody();

private:
    platform::Rect contentRect() const;
    std::string cacheKey(const platform::Value& section);
    std::shared_ptr<platform::View> sectionBandView(const platform::Value& section);
    void drawGridForStripe(float y, float x0);
    // The height the body's bands and rows take, up to the first section without a band.
    float bodyContentHeight();
    float scrollOffset(const platform::Scroller& scroller, float content, float visible) const;

    bool _alternateRows = true;
    std::shared_ptr<QXGradient> _altRowGradient;
    std::shared_ptr<QXGradient> _rowGradient;
    float _rowHeight = 18;
    float _rowSpacing = 0;
    std::shared_ptr<QXGradient> _sectionGradient;
    float _sectionSpacing = 2;
    platform::Color _disclosureColor;
    bool _drawGrid = false;
    platform::Color _gridColor;
    std::shared_ptr<QXGradient> _backgroundGradient;
    unsigned _border = 0;
    platform::Color _borderColor;
    bool _drawColumnHeader = true;
    float _columnHeaderHeight = 18;
    std::shared_ptr<QXGradient> _columnHeaderGradient;
    platform::Color _columnSeperator;
    bool _showScrollbars = false;
    QXTableDataViewDataSource* _dataSource = nullptr;
    float _contentInset = 0;
    std::vector<std::shared_ptr<QXTableDataColumn>> _columns;
    std::shared_ptr<platform::Scroller> _horScr;
    std::shared_ptr<platform::Scroller> _vertScr;
    std::map<std::string, std::shared_ptr<platform::View>> _cellCache;
};
