#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Scroller.h"
#include "widgets/QXGradient.h"
#include "widgets/QXTableDataView.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using graphics_test::colorNear;
using kittest::KitTest;
using platform::Color;
using platform::make;
using platform::Rect;
using platform::Value;
using platform::View;
using platform::Window;

// Sections by name with their row counts; each band view is 20 points high and asked for once.
class Sections : public QXTableDataViewDataSource {
public:
    std::vector<std::pair<Value, int>> sections{{Value("Inbox"), 3}, {Value("Sent"), 2}};
    std::map<std::string, int> asked;
    std::vector<std::string> withoutBand;
    std::map<std::string, std::shared_ptr<View>> bands;

    std::vector<Value> tableDataViewSections(QXTableDataView&) override {
        std::vector<Value> result;
        for (const auto& [section, rows] : sections)
            result.push_back(section);
        return result;
    }
    int tableDataViewNumberOfRows(QXTableDataView&, const Value& section) override {
        for (const auto& [s, rows] : sections)
            if (s == section)
                return rows;
        return 0;
    }
    std::shared_ptr<View> tableDataViewSectionView(QXTableDataView& view,
                                                   const Value& section) override {
        const std::string key = tableDataViewSectionKey(view, section);
        ++asked[key];
        for (const std::string& name : withoutBand)
            if (name == key)
                return nullptr;
        auto band = std::make_shared<View>(Rect{0, 0, 10, 20});
        bands[key] = band;
        return band;
    }
};

std::shared_ptr<QXGradient> flat(const Color& c) {
    return QXGradient::linearGradientWithAngle(0, {c, c}, {0.0, 1.0});
}

std::shared_ptr<QXTableDataColumn> column(const std::string& id, float width, float min = 40,
                                          float max = 10000) {
    auto c = QXTableDataColumn::columnWithIdentifier(id);
    c->setWidth(width);
    c->setMinWidth(min);
    c->setMaxWidth(max);
    return c;
}

class QXTableDataViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        table = make<QXTableDataView>(Rect{0, 0, 300, 200});
        table->setDataSource(&sections);
        window->contentView()->addSubview(table);
        window->orderFront(nullptr);
    }
    void TearDown() override {
        table->setDataSource(nullptr);
        window.reset();
        KitTest::TearDown();
    }
    std::shared_ptr<platform::Image> draw() {
        table->setNeedsDisplay(true);
        return window->snapshot();
    }
    void rows(int first, int second) {
        sections.sections = {{Value("Inbox"), first}, {Value("Sent"), second}};
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<QXTableDataView> table;
    Sections sections;
};

TEST_F(QXTableDataViewTest, DefaultsAfterInitialize) {
    EXPECT_TRUE(table->alternateRows());
    EXPECT_EQ(table->rowHeight(), 18);
    EXPECT_EQ(table->sectionSpacing(), 2);
    EXPECT_TRUE(table->showColumnHeaders());
    EXPECT_EQ(table->columnHeaderHeight(), 18);
    EXPECT_EQ(table->borderType(), 0u);
    EXPECT_FALSE(table->drawGrid());
    ASSERT_NE(table->horizontalScroller(), nullptr);
    EXPECT_TRUE(table->horizontalScroller()->isHidden());
    EXPECT_EQ(table->horizontalScroller()->frame(), (Rect{-100, -100, 100, 15}));
    EXPECT_EQ(table->verticalScroller()->frame(), (Rect{-100, -100, 15, 100}));
    // A second set-up starts over with only the two scrollers.
    table->addSubview(std::make_shared<View>());
    table->initialize();
    EXPECT_EQ(table->subviews().size(), 2u);
    EXPECT_EQ(table->subviews()[0].get(), table->horizontalScroller());
    EXPECT_EQ(table->verticalScroller()->action(), "scrolled:");
    EXPECT_EQ(table->verticalScroller()->target(), table.get());
    EXPECT_TRUE(table->respondsToAction("scrolled:"));
}

TEST_F(QXTableDataViewTest, ScrollersAndColumnsByContent) {
    struct Case {
        const char* what;
        unsigned border;
        bool headers;
        bool showScrollbars;
        int rows1, rows2;
        float min;
        // Expected: widths of the two columns, then each scroller's frame (empty: hidden),
        // knob proportion and whether it is enabled.
        float width;
        Rect horizontal;
        double horizontalKnob;
        bool horizontalEnabled;
        Rect vertical;
        double verticalKnob;
        bool verticalEnabled;
    };
    const Case cases[] = {
        {"everything fits", 0, true, false, 3, 2, 40, 150, {}, 0, false, {}, 0, false},
        {"rows overflow",
         0,
         true,
         false,
         10,
         10,
         40,
         142.5f,
         {},
         0,
         false,
         Rect{285, 0, 15, 182},
         182.0 / 444,
         true},
        {"columns overflow",
         0,
         true,
         false,
         3,
         2,
         200,
         200,
         Rect{0, 0, 300, 15},
         0.75,
         true,
         {},
         0,
         false},
        {"both overflow", 0, true, false, 10, 10, 200, 200, Rect{0, 0, 285, 15}, 285.0 / 400, true,
         Rect{285, 15, 15, 167}, 167.0 / 444, true},
        {"shown though it fits", 0, true, true, 3, 2, 40, 142.5f, Rect{0, 0, 285, 15}, 1, false,
         Rect{285, 15, 15, 167}, 1, false},
        {"line border",
         1,
         true,
         false,
         10,
         10,
         40,
         141.5f,
         {},
         0,
         false,
         Rect{284, 1, 15, 180},
         180.0 / 444,
         true},
        {"groove border, no headers",
         3,
         false,
         false,
         10,
         10,
         40,
         140.5f,
         {},
         0,
         false,
         Rect{283, 2, 15, 196},
         196.0 / 444,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table = make<QXTableDataView>(Rect{0, 0, 300, 200});
        table->setDataSource(&sections);
        window->contentView()->setSubviews({table});
        table->setBorderType(c.border);
        table->setShowColumnHeaders(c.headers);
        table->setShowScrollbars(c.showScrollbars);
        rows(c.rows1, c.rows2);
        table->addColumn(column("a", c.min, c.min), 0);
        table->addColumn(column("b", c.min, c.min), 1);
        draw();

        EXPECT_FLOAT_EQ(table->columnAtIndex(0)->width(), c.width);
        EXPECT_FLOAT_EQ(table->columnAtIndex(1)->width(), c.width);
        platform::Scroller* h = table->horizontalScroller();
        platform::Scroller* v = table->verticalScroller();
        EXPECT_EQ(h->isHidden(), c.horizontal.isEmpty());
        if (!h->isHidden()) {
            EXPECT_EQ(h->frame(), c.horizontal);
            EXPECT_NEAR(h->knobProportion(), c.horizontalKnob, 1e-6);
            EXPECT_EQ(h->isEnabled(), c.horizontalEnabled);
        }
        EXPECT_EQ(v->isHidden(), c.vertical.isEmpty());
        if (!v->isHidden()) {
            EXPECT_EQ(v->frame(), c.vertical);
            EXPECT_NEAR(v->knobProportion(), c.verticalKnob, 1e-6);
            EXPECT_EQ(v->isEnabled(), c.verticalEnabled);
        }
    }
}

TEST_F(QXTableDataViewTest, BodyBandsStripesAndGrid) {
    const Color plain(1, 0, 0, 1), alternate(0, 1, 0, 1), band(0, 0, 1, 1), grid(0, 0, 0, 1);
    table->setRowGradient(flat(plain));
    table->setAltRowGradient(flat(alternate));
    table->setSectionGradient(flat(band));
    table->addColumn(column("a", 100), 0);
    table->addColumn(column("b", 100), 1);
    auto image = draw();

    // From the top of the body (182): Inbox's band at 160, its rows at 142, 124, 106; Sent's
    // band at 84, rows at 66, 48; empty stripes at 30, 12 and below, the pattern carried on.
    struct Probe {
        int y;
        Color expected;
    };
    const Probe probes[] = {
        {170, band},     {151, plain}, {133, alternate}, {115, plain}, {95, band},
        {75, alternate}, {57, plain},  {39, alternate},  {21, plain},  {5, alternate},
    };
    for (const Probe& p : probes)
        EXPECT_TRUE(colorNear(image->colorAt(250, p.y), p.expected)) << "y " << p.y;
    EXPECT_EQ(sections.bands["Inbox"]->frame(), (Rect{0, 160, 300, 20}));
    EXPECT_EQ(sections.bands["Sent"]->frame(), (Rect{0, 84, 300, 20}));
    EXPECT_FALSE(sections.bands["Inbox"]->isHidden());

    // Grid lines run down the stripes at each column's right edge, not across the bands.
    table->setDrawGrid(true);
    table->setGridColor(grid);
    image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(150, 151), grid));
    EXPECT_TRUE(colorNear(image->colorAt(150, 12), grid));
    EXPECT_TRUE(colorNear(image->colorAt(150, 170), band));
    EXPECT_TRUE(colorNear(image->colorAt(140, 151), plain));

    // With alternation off every stripe is plain.
    table->setAlternateRows(false);
    image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(250, 133), plain));
    EXPECT_TRUE(colorNear(image->colorAt(250, 75), plain));

    // Band views were asked for once each, whatever the number of drawings.
    EXPECT_EQ(sections.asked["Inbox"], 1);
    EXPECT_EQ(sections.asked["Sent"], 1);
}

TEST_F(QXTableDataViewTest, TheBodyFollowsTheScrollers) {
    const Color plain(1, 0, 0, 1), alternate(0, 1, 0, 1), band(0, 0, 1, 1), grid(0, 0, 0, 1);
    table->setRowGradient(flat(plain));
    table->setAltRowGradient(flat(alternate));
    table->setSectionGradient(flat(band));
    table->addColumn(column("a", 100), 0);
    table->addColumn(column("b", 100), 1);

    // 440 points of bands and rows in a body of 182: scrolled to the end, the last rows sit at
    // the bottom, Sent's band at 36 and Inbox's out of sight (its view hidden, not drawn over
    // the header).
    rows(20, 2);
    draw();
    ASSERT_FALSE(table->verticalScroller()->isHidden());
    EXPECT_EQ(sections.bands["Inbox"]->frame(), (Rect{0, 160, 285, 20}));
    table->verticalScroller()->setObjectValue(Value(1.0));
    table->scrolled(table->verticalScroller());
    EXPECT_TRUE(table->needsDisplay());
    auto image = draw();
    EXPECT_TRUE(sections.bands["Inbox"]->isHidden());
    EXPECT_FALSE(sections.bands["Sent"]->isHidden());
    EXPECT_EQ(sections.bands["Sent"]->frame(), (Rect{0, 36, 285, 20}));
    struct Probe {
        int y;
        Color expected;
    };
    for (const Probe& p :
         {Probe{170, alternate}, Probe{45, band}, Probe{27, plain}, Probe{9, alternate}})
        EXPECT_TRUE(colorNear(image->colorAt(250, p.y), p.expected)) << "y " << p.y;

    // Back at the top everything is where it was.
    table->verticalScroller()->setObjectValue(Value(0.0));
    table->scrolled(table->verticalScroller());
    draw();
    EXPECT_EQ(sections.bands["Inbox"]->frame(), (Rect{0, 160, 285, 20}));

    // Two columns of 300 in 300 points: halfway, the grid line between them moves from 300 to
    // 150.
    rows(3, 2);
    table->removeColumn(table->columnAtIndex(1).get());
    table->removeColumn(table->columnAtIndex(0).get());
    table->addColumn(column("a", 300, 300), 0);
    table->addColumn(column("b", 300, 300), 1);
    table->setDrawGrid(true);
    table->setGridColor(grid);
    draw();
    ASSERT_FALSE(table->horizontalScroller()->isHidden());
    image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(150, 151), plain));
    table->horizontalScroller()->setObjectValue(Value(0.5));
    table->scrolled(table->horizontalScroller());
    image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(150, 151), grid));
    EXPECT_TRUE(colorNear(image->colorAt(250, 151), plain));
}

TEST_F(QXTableDataViewTest, ASectionWithoutBandEndsTheBody) {
    const Color plain(1, 0, 0, 1), band(0, 0, 1, 1);
    table->setRowGradient(flat(plain));
    table->setAltRowGradient(flat(plain));
    table->setSectionGradient(flat(band));
    table->setBackgroundGradient(flat(Color(1, 1, 1, 1)));
    draw();
    ASSERT_FALSE(sections.bands["Sent"]->isHidden());

    sections.sections.insert(sections.sections.begin() + 1, {Value("Drafts"), 4});
    sections.withoutBand = {"Drafts"};
    const auto image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(250, 151), plain));
    EXPECT_TRUE(colorNear(image->colorAt(250, 95), Color(1, 1, 1, 1)));
    // The band of a section the body no longer reaches is hidden, not left where it was.
    EXPECT_TRUE(sections.bands["Sent"]->isHidden());
    EXPECT_FALSE(sections.bands["Inbox"]->isHidden());
    // getSectionView hands a band out hidden.
    EXPECT_EQ(table->getSectionView(Value("Inbox")), sections.bands["Inbox"]);
    EXPECT_TRUE(sections.bands["Inbox"]->isHidden());
    EXPECT_EQ(table->getSectionView(Value("Drafts")), nullptr);
}

TEST_F(QXTableDataViewTest, SectionsAreKeyedByTheDataSourcesKey) {
    // Two objects that describe themselves alike still get a band each.
    struct Folder : platform::Object {
        std::string description() const override { return "Folder"; }
    };
    const Value first(std::static_pointer_cast<platform::Object>(std::make_shared<Folder>()));
    const Value second(std::static_pointer_cast<platform::Object>(std::make_shared<Folder>()));
    sections.sections = {{first, 1}, {second, 1}};
    sections.asked.clear();
    draw();
    EXPECT_EQ(sections.asked.size(), 2u);
    EXPECT_NE(table->getSectionView(first), table->getSectionView(second));
    EXPECT_EQ(table->getSectionView(first), table->getSectionView(first));
}

TEST_F(QXTableDataViewTest, HeaderBandPlacesHeaderViews) {
    auto a = column("a", 100);
    auto b = column("b", 100);
    auto hidden = column("hidden", 100);
    for (const auto& c : {a, b, hidden})
        c->setHeaderView(std::make_shared<View>());
    table->addColumn(a, 0);
    table->addColumn(hidden, 1);
    table->addColumn(b, 2);
    table->displayColumn(hidden.get(), false);
    draw();
    // Columns fitted to 150 each; the last header is cut at the band's right edge.
    EXPECT_EQ(a->headerView()->frame(), (Rect{0.5, 182, 150, 18}));
    EXPECT_EQ(b->headerView()->frame(), (Rect{150.5, 182, 149.5, 18}));
    EXPECT_TRUE(hidden->headerView()->isHidden());
    EXPECT_EQ(a->headerView()->superview(), table.get());
    EXPECT_EQ(hidden->headerView()->superview(), nullptr);

    // Shown again, it takes its place between the others, all three refitted to the band.
    table->displayColumn(hidden.get(), true);
    draw();
    EXPECT_FALSE(hidden->headerView()->isHidden());
    EXPECT_NEAR(a->width() + hidden->width() + b->width(), 300, 0.5);
    EXPECT_DOUBLE_EQ(hidden->headerView()->frame().minX(), 0.5 + a->width());
    const double bx = 0.5 + a->width() + hidden->width();
    EXPECT_DOUBLE_EQ(b->headerView()->frame().minX(), bx);
    EXPECT_DOUBLE_EQ(b->headerView()->frame().maxX(), 300);

    // A removed column takes its header view with it.
    table->removeColumn(b.get());
    EXPECT_EQ(b->headerView()->superview(), nullptr);
}

TEST_F(QXTableDataViewTest, HeaderBandWithoutColumns) {
    table->setColumnHeaderGradient(flat(Color(0, 1, 0, 1)));
    table->setColumnSeperator(Color(1, 0, 1, 1));
    auto image = draw();
    for (int x : {1, 100, 150, 298})
        EXPECT_TRUE(colorNear(image->colorAt(x, 190), Color(0, 1, 0, 1))) << x;

    // With columns, a half-point separator follows each one.
    table->addColumn(column("a", 150), 0);
    table->addColumn(column("b", 150), 1);
    image = draw();
    EXPECT_TRUE(colorNear(image->colorAt(100, 190), Color(0, 1, 0, 1)));
    EXPECT_FALSE(colorNear(image->colorAt(150, 190), Color(0, 1, 0, 1), 0.2));
}

TEST_F(QXTableDataViewTest, ColumnListOperations) {
    auto a = column("a", 50);
    auto b = column("b", 50);
    auto twin = column("a", 50);
    table->addColumn(nullptr, 0);
    EXPECT_TRUE(table->columns().empty());
    table->addColumn(a, 5);    // past the end: appended
    table->addColumn(b, -3);   // negative: first
    table->addColumn(twin, 2); // at the count: appended
    ASSERT_EQ(table->columns().size(), 3u);
    EXPECT_EQ(table->columnAtIndex(0), b);
    EXPECT_EQ(table->columnAtIndex(1), a);
    EXPECT_EQ(table->columnAtIndex(2), twin);
    EXPECT_EQ(table->columnAtIndex(-1), nullptr);
    EXPECT_EQ(table->columnAtIndex(3), nullptr);
    // The same identifier finds the first.
    EXPECT_EQ(table->columnWithIdentifier("a"), a);
    EXPECT_EQ(table->indexOfColumn(twin.get()), 1);
    EXPECT_EQ(table->columnWithIdentifier("z"), nullptr);
    auto stranger = column("z", 10);
    EXPECT_EQ(table->indexOfColumn(stranger.get()), 3);
    table->removeColumn(stranger.get());
    EXPECT_EQ(table->columns().size(), 3u);
    table->removeColumn(twin.get());
    EXPECT_EQ(table->columns().size(), 2u);
    EXPECT_EQ(table->columnAtIndex(1), twin);
}

TEST_F(QXTableDataViewTest, FittingStopsWithinTheLimits) {
    auto a = column("a", 50, 40, 60);
    auto b = column("b", 50, 40);
    auto hidden = column("hidden", 500);
    hidden->setHidden(true);
    table->addColumn(a, 0);
    table->addColumn(b, 1);
    table->addColumn(hidden, 2);
    struct Step {
        float available;
        float total;
        float a;
        float b;
    };
    const Step steps[] = {
        {300, 300, 60, 240},
        {50, 80, 40, 40},
        {100.3f, 100.3f, 50.15f, 50.15f},
        {1e9f, 10060, 60, 10000},
    };
    for (const Step& s : steps) {
        EXPECT_FLOAT_EQ(table->sizeColumnsToFit(s.available), s.total) << s.available;
        EXPECT_FLOAT_EQ(a->width(), s.a);
        EXPECT_FLOAT_EQ(b->width(), s.b);
        EXPECT_FLOAT_EQ(table->allColumnsWidth(), s.total);
    }
    EXPECT_FLOAT_EQ(hidden->width(), 500);
}

TEST_F(QXTableDataViewTest, DataHeightCountsFixedUnits) {
    EXPECT_FLOAT_EQ(table->allDataHeight(), 2 * 22 + 5 * 20);
    table->setRowSpacing(2);
    table->setSectionSpacing(5);
    table->setRowHeight(30);
    EXPECT_FLOAT_EQ(table->allDataHeight(), 2 * 25 + 5 * 22);
    table->setDataSource(nullptr);
    EXPECT_FLOAT_EQ(table->allDataHeight(), 0);
}

} // namespace
