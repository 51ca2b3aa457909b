#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Responder.h"
#include "support/ConvertObjectIntoSubclass.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::make;

struct Shape : platform::Object {
    Shape() = default;
    Shape(const Shape&) = default;
    virtual void initialize() { ++initialized; }
    int sides = 0;
    std::string name;
    std::vector<int> points;
    int initialized = 0;
};

// Carries every field of the shape it is made from; its own start at zero.
struct Tile : Shape {
    explicit Tile(const Shape& shape) : Shape(shape) {}
    Tile(const Tile&) = default;
    void initialize() override {
        Shape::initialize();
        initializedAsTile = true;
    }
    int colour{};
    double weight{};
    std::string label{};
    std::shared_ptr<int> owner{};
    bool initializedAsTile{};
};

struct Sticker : Shape {
    explicit Sticker(const Shape& shape) : Shape(shape) {}
    int glue{};
};

struct Plain {
    int a = 0;
};
struct PlainMore : Plain {
    explicit PlainMore(const Plain& plain) : Plain(plain) {}
    int b{};
};

TEST(ConvertObjectIntoSubclass, KeepsEveryFieldZeroesTheNewOnesAndInitializes) {
    auto shape = make<Shape>();
    shape->sides = 6;
    shape->name = "hexagon";
    shape->points = {1, 2, 3};

    std::shared_ptr<Tile> tile = ConvertObjectIntoSubclass<Tile>(shape);
    ASSERT_TRUE(tile);
    const Shape& converted = *tile;
    EXPECT_EQ(typeid(converted), typeid(Tile));
    EXPECT_EQ(tile->sides, 6);
    EXPECT_EQ(tile->name, "hexagon");
    EXPECT_EQ(tile->points, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(tile->colour, 0);
    EXPECT_EQ(tile->weight, 0.0);
    EXPECT_EQ(tile->label, "");
    EXPECT_EQ(tile->owner, nullptr);
    // initialize ran once more, the subclass's own included.
    EXPECT_EQ(tile->initialized, 2);
    EXPECT_TRUE(tile->initializedAsTile);
    // The given object is untouched.
    EXPECT_EQ(shape->initialized, 1);
    EXPECT_EQ(shape->points.size(), 3u);

    // Without an initialize the conversion is a copy of the base part.
    auto plain = std::make_shared<Plain>(Plain{4});
    auto more = ConvertObjectIntoSubclass<PlainMore>(plain);
    ASSERT_TRUE(more);
    EXPECT_EQ(more->a, 4);
    EXPECT_EQ(more->b, 0);
}

TEST(ConvertObjectIntoSubclass, RefusesWhatItCannotCarryWhole) {
    EXPECT_EQ(ConvertObjectIntoSubclass<Tile>(std::shared_ptr<Shape>()), nullptr);
    // A sibling subclass: its own fields have no place in a tile.
    std::shared_ptr<Shape> sticker = std::make_shared<Sticker>(Shape());
    EXPECT_EQ(ConvertObjectIntoSubclass<Tile>(sticker), nullptr);

    // Already a tile: a whole copy, told initialize again.
    auto original = std::make_shared<Tile>(Shape());
    original->colour = 3;
    original->label = "kept";
    auto again = ConvertObjectIntoSubclass<Tile>(std::shared_ptr<Shape>(original));
    ASSERT_TRUE(again);
    EXPECT_NE(again, original);
    EXPECT_EQ(again->colour, 3);
    EXPECT_EQ(again->label, "kept");
    EXPECT_EQ(again->initialized, 1);
}

class LibraryCell : public platform::ButtonCell {
public:
    explicit LibraryCell(const platform::ButtonCell& cell) : ButtonCell(cell) {}
    void initialize() override {
        ButtonCell::initialize();
        initialized = true;
    }
    int borderWidth{};
    bool initialized{};
};

class OtherCell : public platform::ButtonCell {};

class Target : public platform::ActionTarget {};

class ConvertCellTest : public kittest::KitTest {};

TEST_F(ConvertCellTest, AControlGetsTheConvertedCell) {
    auto button = make<platform::Button>(platform::Rect{0, 0, 80, 24});
    Target target;
    button->setTitle("Call");
    button->setTarget(&target);
    button->setAction("call:");
    button->setTag(12);
    button->setKeyEquivalent("\r");
    button->setState(platform::OnState);
    button->setEnabled(false);
    const platform::Cell* before = button->cell();

    auto cell = ConvertCellOfControl<LibraryCell, platform::ButtonCell>(*button);
    ASSERT_TRUE(cell);
    EXPECT_EQ(button->cell(), cell.get());
    EXPECT_NE(button->cell(), before);
    EXPECT_EQ(cell->controlView(), button.get());
    EXPECT_EQ(button->title(), "Call");
    EXPECT_EQ(button->target(), &target);
    EXPECT_EQ(button->action(), "call:");
    EXPECT_EQ(button->tag(), 12);
    EXPECT_EQ(button->keyEquivalent(), "\r");
    EXPECT_EQ(button->state(), platform::OnState);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(cell->borderWidth, 0);
    EXPECT_TRUE(cell->initialized);

    // A cell of another class stays where it is.
    auto other = std::make_shared<OtherCell>();
    button->setCell(other);
    EXPECT_EQ((ConvertCellOfControl<LibraryCell, platform::ButtonCell>(*button)), nullptr);
    EXPECT_EQ(button->cell(), other.get());
}

} // namespace
