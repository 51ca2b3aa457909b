// The cost of a table frame against its row count: a 400 x 600 off-screen window with a
// scrolled three-column table of 100 or 100,000 rows, drawing one screen of rows, and scrolling
// by a page and drawing what came into sight. The two row counts must cost the same, since only
// the rows in sight are asked for and drawn.

#include "platform/kit/ScrollView.h"
#include "platform/kit/TableView.h"
#include "platform/kit/Window.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using platform::Rect;

class Rows : public platform::TableViewDataSource {
public:
    explicit Rows(long count) : count_(count) {}
    long numberOfRowsInTableView(platform::TableView&) override { return count_; }
    platform::Value tableViewObjectValueForTableColumn(platform::TableView&,
                                                       platform::TableColumn* column,
                                                       long row) override {
        ++asked;
        if (column->identifier() == "number")
            return platform::Value(row);
        if (column->identifier() == "status")
            return platform::Value(row % 3 == 0 ? "Available" : "Away");
        return platform::Value("Contact " + std::to_string(row));
    }
    long asked = 0;

private:
    long count_;
};

struct TableWindow {
    explicit TableWindow(long rows) : source(rows) {
        window =
            platform::make<platform::Window>(Rect{100, 100, 400, 600}, platform::TitledWindowMask);
        scroll = std::make_shared<platform::ScrollView>(Rect{0, 0, 400, 600});
        scroll->setHasVerticalScroller(true);
        table = platform::make<platform::TableView>(Rect{0, 0, 385, 600});
        for (const char* id : {"name", "number", "status"}) {
            auto column = std::make_shared<platform::TableColumn>(id);
            column->setWidth(120);
            table->addTableColumn(column);
        }
        table->setUsesAlternatingRowBackgroundColors(true);
        table->setDataSource(&source);
        scroll->setDocumentView(table);
        window->setContentView(scroll);
        table->selectRow(3, false);
        window->display();
    }
    ~TableWindow() { table->setDataSource(nullptr); }

    // Scrolls a page down, back to the top after the last page.
    void page() {
        const Rect visible = table->visibleRect();
        if (visible.maxY() >= table->frame().height())
            scroll->contentView()->scrollToPoint({0, 0});
        else
            scroll->pageDown(nullptr);
    }

    Rows source;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::ScrollView> scroll;
    std::shared_ptr<platform::TableView> table;
};

void TableDrawScreen(benchmark::State& state) {
    TableWindow fixture(state.range(0));
    fixture.source.asked = 0;
    for (auto _ : state)
        fixture.window->display();
    state.counters["cells/frame"] = benchmark::Counter(static_cast<double>(fixture.source.asked) /
                                                       static_cast<double>(state.iterations()));
}
BENCHMARK(TableDrawScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

void TableScrollPage(benchmark::State& state) {
    TableWindow fixture(state.range(0));
    fixture.source.asked = 0;
    for (auto _ : state) {
        fixture.page();
        fixture.window->displayIfNeeded();
    }
    state.counters["cells/frame"] = benchmark::Counter(static_cast<double>(fixture.source.asked) /
                                                       static_cast<double>(state.iterations()));
}
BENCHMARK(TableScrollPage)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Building the table and its first frame, which reads the row count once.
void TableReloadAndFirstFrame(benchmark::State& state) {
    TableWindow fixture(state.range(0));
    for (auto _ : state) {
        fixture.table->reloadData();
        fixture.window->displayIfNeeded();
    }
}
BENCHMARK(TableReloadAndFirstFrame)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
