#include "TextFieldTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextView.h"
#include "widgets/QXGenericFieldEditor.h"
#include "widgets/QXSearchField.h"
#include "widgets/QXTextField.h"
#include "widgets/QXToolWindow.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace textfield_test {
namespace {

using platform::make;

// The owner of a search field: its suggestions (the names starting with the text), and what
// the field told it.
class Owner : public QXSearchFieldFilterDelegate, public platform::TableViewDataSource {
public:
    std::vector<std::string> names;
    std::vector<std::string> rows;
    std::vector<std::string> filtered;
    std::vector<std::string> log;
    QXSearchField* field = nullptr;
    // Opens the list whenever the text changes, as the call entry does when new suggestions
    // arrive.
    bool opensOnChange = true;

    void applySearchFilter(const std::string& text) override {
        filtered.push_back(text);
        rows.clear();
        for (const auto& name : names)
            if (name.compare(0, text.size(), text) == 0)
                rows.push_back(name);
    }
    void rowEntryPicked(long row) override { log.push_back("picked:" + std::to_string(row)); }
    void rowEntryDoubleClicked(long row) override {
        log.push_back("doubleClicked:" + std::to_string(row));
    }
    std::optional<bool> keyPressed(const Event& event) override {
        log.push_back("key:" + event.characters());
        return std::nullopt;
    }
    void textFieldLostFocus(QXTextField&) override { log.push_back("lostFocus"); }
    void textDidChange(const platform::Notification&) override {
        if (opensOnChange && field)
            field->tryShowSuggestions(false);
    }

    long numberOfRowsInTableView(platform::TableView&) override {
        return static_cast<long>(rows.size());
    }
    platform::Value tableViewObjectValueForTableColumn(platform::TableView&, platform::TableColumn*,
                                                       long row) override {
        return platform::Value(rows.at(static_cast<std::size_t>(row)));
    }
    int count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const auto& entry) {
            return entry.rfind(prefix, 0) == 0;
        }));
    }
};

class QXSearchFieldTest : public FieldWindowTest {
protected:
    void SetUp() override {
        FieldWindowTest::SetUp();
        field = make<QXSearchField>(Rect(40, 200, 200, 22));
        content->addSubview(field);
        field->awake();
        field->setDataSource(&owner);
        field->setDelegate(&owner);
        owner.field = field.get();
        owner.names = {"Alan", "Albert", "Alice", "Bob"};
        window->makeFirstResponder(field.get());
    }
    void TearDown() override {
        field.reset();
        FieldWindowTest::TearDown();
    }

    QXToolWindow& dropdown() const { return *field->dropdown(); }
    platform::TableView& table() const { return *field->dataView(); }
    long selected() const { return table().selectedRow(); }
    // Whether the selected row lies inside the part of the table in sight, top to bottom.
    bool selectionInSight() const {
        const Rect visible = table().visibleRect();
        const Rect row = table().rectOfRow(selected());
        return visible.minY() <= row.minY() && row.maxY() <= visible.maxY();
    }
    void press(char32_t key, int times = 1) {
        for (int i = 0; i < times; ++i)
            input->key(key);
    }
    // Ten names starting with "a", so every one of them is a suggestion for "a".
    void tenSuggestions() {
        owner.names.clear();
        for (int i = 0; i < 10; ++i)
            owner.names.push_back("a" + std::to_string(i) + " suggestion");
    }

    Owner owner;
    std::shared_ptr<QXSearchField> field;
};

TEST_F(QXSearchFieldTest, TheListOpensUnderTheFieldSizedToItsRows) {
    EXPECT_FALSE(field->isDropDownVisible());
    EXPECT_NE(dynamic_cast<QXGenericFieldEditor*>(field->currentEditor()), nullptr);
    input->type("Al");
    ASSERT_TRUE(field->isDropDownVisible());
    EXPECT_EQ(owner.rows, (std::vector<std::string>{"Alan", "Albert", "Alice"}));
    // Anchored 10 points right of the field's left edge and 1 point below it, on the screen.
    const Point anchor = window->convertBaseToScreen(Point(40 + 10, 200 - 1));
    EXPECT_EQ(dropdown().frame().minX(), anchor.x);
    EXPECT_EQ(dropdown().frame().maxY(), anchor.y);
    // Three rows of 17 plus their spacing of 2; the column as wide as its widest row plus 5.
    double widest = 0;
    for (long row = 0; row < 3; ++row)
        widest = std::max(widest, table().preparedCellAtColumn(0, row)->cellSize().width + 5);
    const platform::TableColumn& column = *table().tableColumns()[0];
    EXPECT_EQ(column.width(), widest);
    EXPECT_EQ(dropdown().contentView()->frame().size, Size(widest + 3, 57));
    EXPECT_EQ(field->lastSearch(), std::optional<std::string>("Al"));
    // The keyboard stays with the field.
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->firstResponder(), field->currentEditor());
    EXPECT_EQ(selected(), -1);
}

TEST_F(QXSearchFieldTest, TheListFollowsTheTextAndClosesWhenNothingMatches) {
    input->type("Al");
    ASSERT_TRUE(field->isDropDownVisible());
    input->type("i");
    EXPECT_EQ(owner.rows, std::vector<std::string>{"Alice"});
    EXPECT_EQ(dropdown().contentView()->frame().height(), 19);
    input->type("x");
    EXPECT_TRUE(owner.rows.empty());
    // Fading out: closed for the keys at once, off the screen once the fade is over.
    EXPECT_FALSE(field->isDropDownVisible());
    platform::RunLoop::main().runFor(0.3);
    EXPECT_FALSE(dropdown().isVisible());
    EXPECT_EQ(field->stringValue(), "Alix");

    // Typing alone does not open the list; its owner does.
    owner.opensOnChange = false;
    input->key(platform::BackspaceCharacter);
    EXPECT_FALSE(dropdown().isVisible());
}

TEST_F(QXSearchFieldTest, TheSameTextIsNotFilteredTwiceButDownAlwaysFiltersAgain) {
    owner.opensOnChange = false;
    input->type("Al");
    EXPECT_TRUE(owner.filtered.empty());
    field->tryShowSuggestions(false);
    field->tryShowSuggestions(false);
    EXPECT_EQ(owner.filtered, std::vector<std::string>{"Al"});
    input->key(platform::EscapeCharacter);
    EXPECT_FALSE(field->isDropDownVisible());
    input->key(platform::DownArrowFunctionKey);
    EXPECT_EQ(owner.filtered, (std::vector<std::string>{"Al", "Al"}));
    EXPECT_TRUE(field->isDropDownVisible());
}

TEST_F(QXSearchFieldTest, ArrowsWalkEveryRowOfALongListThreeRowsHigh) {
    tenSuggestions();
    owner.opensOnChange = false;
    input->type("a");
    input->key(platform::DownArrowFunctionKey);
    ASSERT_TRUE(field->isDropDownVisible());
    EXPECT_EQ(dropdown().contentView()->frame().height(), 57);
    EXPECT_EQ(selected(), -1);
    for (long row = 0; row < 10; ++row) {
        input->key(platform::DownArrowFunctionKey);
        ASSERT_EQ(selected(), row);
        EXPECT_TRUE(selectionInSight()) << "row " << row;
    }
    // Down on the last row changes nothing.
    input->key(platform::DownArrowFunctionKey);
    EXPECT_EQ(selected(), 9);
    for (long row = 8; row >= 0; --row) {
        input->key(platform::UpArrowFunctionKey);
        ASSERT_EQ(selected(), row);
        EXPECT_TRUE(selectionInSight()) << "row " << row;
    }
    // Up on the first row clears the selection; Return then picks nothing and closes the list.
    input->key(platform::UpArrowFunctionKey);
    EXPECT_EQ(selected(), -1);
    EXPECT_EQ(field->stringValue(), "a");
    input->key(platform::CarriageReturnCharacter);
    EXPECT_EQ(owner.count("picked:"), 0);
    EXPECT_FALSE(field->isDropDownVisible());
}

TEST_F(QXSearchFieldTest, ReturnOrEnterPicksTheSelectedRowAndClosesTheListAtOnce) {
    for (const char32_t key : {platform::CarriageReturnCharacter, platform::EnterCharacter}) {
        SCOPED_TRACE(int(key));
        field->setStringValue("");
        input->type("Al");
        press(platform::DownArrowFunctionKey, 2);
        ASSERT_EQ(selected(), 1);
        owner.log.clear();
        input->key(key);
        EXPECT_EQ(owner.log, std::vector<std::string>{"picked:1"});
        EXPECT_FALSE(dropdown().isVisible());
        EXPECT_FALSE(field->lastSearch().has_value());
    }
}

TEST_F(QXSearchFieldTest, EscapeClosesTheListFirstAndClearsTheFieldAfter) {
    input->type("Al");
    ASSERT_TRUE(field->isDropDownVisible());
    input->key(platform::EscapeCharacter);
    EXPECT_FALSE(field->isDropDownVisible());
    EXPECT_EQ(field->stringValue(), "Al");
    input->key(platform::EscapeCharacter);
    EXPECT_EQ(field->stringValue(), "");
    EXPECT_NE(field->currentEditor(), nullptr);
}

TEST_F(QXSearchFieldTest, BlankInputLeavesTheFieldEmpty) {
    input->type("  ");
    EXPECT_EQ(field->stringValue(), "");
    EXPECT_FALSE(field->hasValue());
    input->type(" \t");
    EXPECT_EQ(field->stringValue(), "");
    input->type(" Al");
    EXPECT_EQ(field->stringValue(), "Al");
}

TEST_F(QXSearchFieldTest, AMouseDownElsewhereInTheWindowClosesTheListButNotInTheField) {
    EXPECT_EQ(window->observerViews().size(), 1u);
    input->type("Al");
    input->click(*field, Point(100, 11));
    EXPECT_TRUE(field->isDropDownVisible());
    input->click(*content, Point(20, 20));
    EXPECT_FALSE(field->isDropDownVisible());
    // Leaving the window, the field stops watching its clicks.
    field->removeFromSuperview();
    EXPECT_TRUE(window->observerViews().empty());
}

TEST_F(QXSearchFieldTest, AnyWindowResigningMainClosesTheListAtOnce) {
    input->type("Al");
    ASSERT_TRUE(dropdown().isVisible());
    auto other = make<QXBaseWindow>(Rect(700, 100, 200, 100), platform::ResizableWindowMask);
    other->setContentView(std::make_shared<platform::View>(Rect(0, 0, 200, 100)));
    platform::NotificationCenter::defaultCenter().postNotificationName(
        platform::WindowDidResignMainNotification, other.get());
    EXPECT_FALSE(dropdown().isVisible());
    EXPECT_FALSE(field->lastSearch().has_value());
}

TEST_F(QXSearchFieldTest, EndingTheEditingClosesTheList) {
    auto other = make<QXTextField>(Rect(40, 100, 200, 22));
    content->addSubview(other);
    input->type("Al");
    ASSERT_TRUE(field->isDropDownVisible());
    window->makeFirstResponder(other.get());
    EXPECT_FALSE(field->isDropDownVisible());
    EXPECT_FALSE(field->lastSearch().has_value());
    EXPECT_EQ(owner.count("lostFocus"), 1);
}

TEST_F(QXSearchFieldTest, HeldKeysRepeatOnlyWhereTheyShould) {
    owner.opensOnChange = false;
    // A letter held down types once while the field does not allow repeats.
    input->keyDown('b');
    input->keyDown('b', true);
    input->keyDown('b', true);
    input->keyUp('b');
    EXPECT_EQ(field->stringValue(), "b");
    field->setAllowAutoRepeat(true);
    input->keyDown('b', true);
    EXPECT_EQ(field->stringValue(), "bb");
    field->setAllowAutoRepeat(false);

    // Delete keeps deleting.
    input->type("bbb");
    input->keyDown(platform::DeleteCharacter);
    input->keyDown(platform::DeleteCharacter, true);
    input->keyDown(platform::DeleteCharacter, true);
    EXPECT_EQ(field->stringValue(), "bb");

    // Down keeps moving through the suggestions.
    tenSuggestions();
    field->setStringValue("a");
    input->keyDown(platform::DownArrowFunctionKey);
    ASSERT_TRUE(field->isDropDownVisible());
    for (int i = 0; i < 4; ++i)
        input->keyDown(platform::DownArrowFunctionKey, true);
    EXPECT_EQ(selected(), 3);
}

TEST_F(QXSearchFieldTest, ADoubleClickOnARowTellsTheDelegateAndSendsTheAction) {
    ActionRecorder target;
    field->setTarget(&target);
    field->setAction("dial:");
    input->type("Al");
    ASSERT_TRUE(field->isDropDownVisible());
    const Point row = table().convertPointToView(table().rectOfRow(2).center(), nullptr);
    Input inList(dropdown());
    inList.mouse(EventType::LeftMouseDown, row, 1);
    inList.mouse(EventType::LeftMouseUp, row, 1);
    inList.mouse(EventType::LeftMouseDown, row, 2);
    inList.mouse(EventType::LeftMouseUp, row, 2);
    EXPECT_EQ(owner.log.back(), "doubleClicked:2");
    ASSERT_EQ(target.actions, std::vector<std::string>{"dial:"});
    EXPECT_EQ(target.senders[0], nullptr);
    // The keyboard never left the field.
    EXPECT_EQ(window->firstResponder(), field->currentEditor());
}

TEST_F(QXSearchFieldTest, AFieldGoingAwayClosesItsListAndAsksItsDataSourceNothing) {
    class Counting : public platform::TableViewDataSource {
    public:
        int asked = 0;
        long numberOfRowsInTableView(platform::TableView&) override { return ++asked, 3; }
    } counting;
    field->setDataSource(&counting);
    field->tryShowSuggestions(true);
    ASSERT_TRUE(dropdown().isVisible());
    const int before = counting.asked;
    std::weak_ptr<platform::Window> list = dropdown().sharedWindow();
    field->removeFromSuperview();
    owner.field = nullptr;
    field.reset();
    EXPECT_EQ(counting.asked, before);
    EXPECT_TRUE(list.expired());
}

TEST_F(QXSearchFieldTest, NonASCIITextFiltersAndSizesTheListByWholeCharacters) {
    owner.names = {"Zoë Ångström", "Zoltán", "Zoë Brontë"};
    input->type("Zo");
    EXPECT_EQ(owner.rows.size(), 3u);
    input->type("ë");
    EXPECT_EQ(owner.filtered.back(), "Zoë");
    EXPECT_EQ(owner.rows, (std::vector<std::string>{"Zoë Ångström", "Zoë Brontë"}));
    EXPECT_EQ(dropdown().contentView()->frame().height(), 38);
    input->key(platform::BackspaceCharacter);
    EXPECT_EQ(field->stringValue(), "Zo");
    EXPECT_TRUE(isWholeUTF8(owner.filtered.back()));
    EXPECT_EQ(owner.rows.size(), 3u);
}

} // namespace
} // namespace textfield_test
