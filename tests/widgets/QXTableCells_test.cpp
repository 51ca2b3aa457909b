#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextView.h"
#include "support/TextExtensions.h"
#include "widgets/QXBadgedButton.h"
#include "widgets/QXIMArchiveTableView.h"
#include "widgets/QXImageAndTextCell.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using graphics_test::colorNear;
using kittest::KitTest;
using kittest::RecordingView;
using platform::Color;
using platform::Image;
using platform::make;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::Value;

std::shared_ptr<Image> filled(Size size, const Color& color) {
    auto image = std::make_shared<Image>(size);
    image->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(color);
    platform::GraphicsContext::currentContext()->fillRect({{0, 0}, size});
    image->unlockFocus();
    return image;
}

std::shared_ptr<QXImageAndTextCell> textCell(int spacing) {
    auto cell = std::make_shared<QXImageAndTextCell>(Value(spacing));
    cell->setStringValue("Hello");
    return cell;
}

TEST(QXImageAndTextCellTest, SetUpAndImageCopies) {
    QXImageAndTextCell plain;
    EXPECT_EQ(plain.lineBreakMode(), platform::LineBreakMode::ByTruncatingTail);
    EXPECT_TRUE(plain.isSelectable());
    EXPECT_EQ(plain.imageTextSpacing(), 0);
    EXPECT_EQ(QXImageAndTextCell(Value("6")).imageTextSpacing(), 6);

    auto image = filled({16, 10}, Color(1, 0, 0, 1));
    auto cell = textCell(4);
    cell->setImage(image);
    cell->setPrimaryImage(image);
    ASSERT_NE(cell->image(), nullptr);
    EXPECT_NE(cell->image(), image);
    EXPECT_EQ(cell->image()->size(), image->size());
    EXPECT_NE(cell->primaryImage(), image);
    const auto kept = cell->image();
    cell->setImage(kept);
    EXPECT_EQ(cell->image(), kept);

    // Copies share both images.
    auto copy = std::dynamic_pointer_cast<QXImageAndTextCell>(cell->copy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->image(), cell->image());
    EXPECT_EQ(copy->primaryImage(), cell->primaryImage());
    EXPECT_EQ(copy->imageTextSpacing(), 4);
}

TEST(QXImageAndTextCellTest, SizeGrowsByImagesAndBothSpacings) {
    // The platform's own measure of the same text.
    platform::TextFieldCell platformCell("Hello");
    const Size base = platformCell.cellSize();
    struct Case {
        int spacing;
        Size primary;
        Size image;
        double extra;
    };
    const Case cases[] = {
        {0, {}, {}, 0},
        {4, {}, {}, 8},
        {4, {10, 10}, {}, 18},
        {4, {}, {16, 12}, 24},
        {3, {10, 10}, {16, 12}, 32},
    };
    for (const Case& c : cases) {
        auto cell = textCell(c.spacing);
        if (c.primary.width > 0)
            cell->setPrimaryImage(filled(c.primary, Color(0, 1, 0, 1)));
        if (c.image.width > 0)
            cell->setImage(filled(c.image, Color(1, 0, 0, 1)));
        const Size size = cell->cellSize();
        EXPECT_DOUBLE_EQ(size.width, base.width + c.extra) << c.spacing << " " << c.extra;
        EXPECT_DOUBLE_EQ(size.height, base.height);
    }
}

TEST(QXImageAndTextCellTest, ImageAndTitleRectangles) {
    auto cell = textCell(4);
    const Rect bounds{10, 20, 200, 30};
    EXPECT_EQ(cell->imageRectForBounds(bounds), Rect{});
    EXPECT_EQ(cell->titleRectForBounds(bounds), Rect{});

    cell->setImage(filled({16, 9}, Color(1, 0, 0, 1)));
    EXPECT_EQ(cell->imageRectForBounds(bounds), (Rect{14, 20 + std::ceil(10.5), 16, 9}));
    const double textHeight =
        OrvantaExtensions::heightForWidth(cell->attributedStringValue(), 1000);
    EXPECT_EQ(cell->titleRectForBounds(bounds), (Rect{30, 20 + 15 - 0.5 * textHeight, 180, 30}));
}

TEST(QXImageAndTextCellTest, HitTestFindsTheImage) {
    auto view = std::make_shared<platform::View>(Rect{0, 0, 300, 100});
    const auto hit = [&](const QXImageAndTextCell& c, Point p) {
        const auto event = platform::Event::mouseEvent(platform::EventType::LeftMouseDown, p);
        return const_cast<QXImageAndTextCell&>(c).hitTestForEvent(event, {10, 10, 200, 30},
                                                                  view.get());
    };
    auto cell = textCell(4);
    const platform::CellHitResult text = hit(*cell, {15, 15});
    EXPECT_EQ(text, platform::CellHitContentArea | platform::CellHitEditableTextArea);
    cell->setImage(filled({16, 12}, Color(1, 0, 0, 1)));
    // The image's slice keeps the image's size, at the frame's bottom-left corner.
    EXPECT_EQ(hit(*cell, {15, 15}), platform::CellHitContentArea);
    EXPECT_EQ(hit(*cell, {15, 30}), text);
    EXPECT_EQ(hit(*cell, {100, 15}), text);
}

TEST(QXImageAndTextCellTest, EditingUsesTheFrameLessTheImageSlice) {
    auto view = std::make_shared<platform::View>(Rect{0, 0, 300, 100});
    auto editor = make<platform::TextView>();
    const Rect frame{10, 10, 200, 30};
    struct Case {
        Size image;
        double cut;
    };
    for (const Case& c : {Case{{}, 4}, Case{{16, 12}, 20}}) {
        auto cell = textCell(4);
        if (c.image.width > 0)
            cell->setImage(filled(c.image, Color(1, 0, 0, 1)));
        const Rect rest{frame.minX() + c.cut, frame.minY(), frame.width() - c.cut, frame.height()};
        const Rect expected = platform::TextFieldCell().titleRectForBounds(rest);
        cell->editWithFrame(frame, view.get(), *editor, nullptr, nullptr);
        EXPECT_EQ(editor->frame(), expected) << c.cut;
        cell->endEditing(*editor);
        cell->selectWithFrame(frame, view.get(), *editor, nullptr, 0, 2);
        EXPECT_EQ(editor->frame(), expected) << c.cut;
        cell->endEditing(*editor);
    }
}

// Drawn into an unflipped 200 x 30 picture: the primary image after the spacing, the image
// five points after the primary's slice, and text only when there is an image.
TEST(QXImageAndTextCellTest, DrawsImagesThenText) {
    const auto draw = [](QXImageAndTextCell& cell) {
        auto context = platform::GraphicsContext::bitmapContext(200, 30);
        platform::ContextScope scope(*context);
        cell.drawWithFrame({0, 0, 200, 30}, nullptr);
        return context->makeImage();
    };
    const auto hasInk = [](const Image& image, int fromX) {
        for (int x = fromX; x < 200; ++x)
            for (int y = 0; y < 30; ++y)
                if (image.colorAt(x, y).alphaComponent() > 0.3)
                    return true;
        return false;
    };
    const Color green(0, 1, 0, 1), red(1, 0, 0, 1), clear(0, 0, 0, 0);

    auto cell = textCell(4);
    auto picture = draw(*cell);
    EXPECT_FALSE(hasInk(*picture, 0));

    cell->setPrimaryImage(filled({8, 8}, green));
    cell->setImage(filled({10, 10}, red));
    picture = draw(*cell);
    EXPECT_TRUE(colorNear(picture->colorAt(2, 15), clear));
    EXPECT_TRUE(colorNear(picture->colorAt(5, 15), green));
    EXPECT_TRUE(colorNear(picture->colorAt(11, 18), green));
    EXPECT_TRUE(colorNear(picture->colorAt(14, 15), clear));
    EXPECT_TRUE(colorNear(picture->colorAt(18, 11), red));
    EXPECT_TRUE(colorNear(picture->colorAt(26, 19), red));
    EXPECT_TRUE(colorNear(picture->colorAt(18, 9), clear));
    EXPECT_TRUE(hasInk(*picture, 30));

    // A cell without an image borrows the image of a cell given as its value.
    auto borrower = std::make_shared<QXImageAndTextCell>();
    borrower->setObjectValue(Value(std::static_pointer_cast<platform::Object>(cell)));
    draw(*borrower);
    ASSERT_NE(borrower->image(), nullptr);
    EXPECT_EQ(borrower->image()->size(), (Size{10, 10}));
}

// The archive's table: only Delete and forward delete go to the delegate.
class Archive : public QXIMArchiveTableViewDelegate {
public:
    int answer = -1; // -1: not implemented, 0: declines, 1: takes the key
    int deletes = 0;
    bool deleteSelection(QXIMArchiveTableView& table) override {
        if (answer < 0)
            return QXIMArchiveTableViewDelegate::deleteSelection(table);
        ++deletes;
        return answer == 1;
    }
};

class Messages : public platform::TableViewDataSource {
public:
    long numberOfRowsInTableView(platform::TableView&) override { return 100; }
};

class QXIMArchiveTableViewTest : public KitTest {};

TEST_F(QXIMArchiveTableViewTest, DeleteKeysAskTheDelegate) {
    auto window = makeWindow({100, 100, 300, 220});
    auto content = std::make_shared<RecordingView>(Rect{0, 0, 300, 220}, "content");
    window->setContentView(content);
    auto scroll = std::make_shared<platform::ScrollView>(Rect{0, 20, 300, 200});
    auto table = make<QXIMArchiveTableView>();
    table->addTableColumn(std::make_shared<platform::TableColumn>("text"));
    Messages messages;
    Archive archive;
    table->setDataSource(&messages);
    table->setDelegate(&archive);
    scroll->setDocumentView(table);
    content->addSubview(scroll);
    window->makeKeyAndOrderFront(nullptr);
    window->makeFirstResponder(table.get());
    table->selectRow(3, false);

    using platform::utf8FromCodePoint;
    struct Case {
        std::string characters;
        int answer;
        int deletes;
        bool toPlatform;
        int scroll;
    };
    const Case cases[] = {
        {utf8FromCodePoint(platform::DeleteCharacter), 1, 1, false, 0},
        {utf8FromCodePoint(platform::DeleteCharacter), 0, 1, true, 0},
        {utf8FromCodePoint(platform::DeleteCharacter), -1, 0, true, 0},
        {utf8FromCodePoint(platform::DeleteFunctionKey), 1, 1, false, 0},
        {utf8FromCodePoint(platform::BackspaceCharacter), 1, 0, true, 0},
        {utf8FromCodePoint(platform::PageDownFunctionKey), 1, 0, true, 1},
        {utf8FromCodePoint(platform::PageUpFunctionKey), 1, 0, true, -1},
    };
    for (const Case& c : cases) {
        archive.answer = c.answer;
        archive.deletes = 0;
        content->events.clear();
        scroll->contentView()->scrollToPoint({0, 300});
        const double before = scroll->contentView()->bounds().minY();
        key(c.characters);
        EXPECT_EQ(archive.deletes, c.deletes) << c.characters.size() << " " << c.answer;
        EXPECT_EQ(content->events.size(), c.toPlatform ? 1u : 0u);
        const double moved = scroll->contentView()->bounds().minY() - before;
        EXPECT_EQ((moved > 0) - (moved < 0), c.scroll);
    }
    table->setDataSource(nullptr);
    table->setDelegate(nullptr);
}

class QXBadgedButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button = make<QXBadgedButton>(Rect{0, 0, 40, 40});
        button->setImage(filled({40, 40}, blue));
        button->awake();
    }
    // The circle's diameter for a text in the badge's own attributes.
    double diameter(const std::string& text) const {
        const Size s = platform::sizeWithAttributes(text, button->textAttributes());
        return std::max(s.width, s.height) + 4;
    }
    bool badgedAt(int x, int y) const {
        const Color c = button->image()->colorAt(x, y);
        return c.redComponent() > 0.3 && c.blueComponent() < 0.7;
    }

    const Color blue{0, 0, 1, 1};
    std::shared_ptr<QXBadgedButton> button;
};

TEST_F(QXBadgedButtonTest, CountsShowInACircleAtTheTopRight) {
    struct Case {
        int count;
        int shown;
        std::string text;
    };
    const Case cases[] = {
        {5, 5, "5"}, {42, 42, "42"}, {999, 999, "999"}, {1000, 999, "999"}, {-1, -1, "*"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        button->badgeIcon(c.count);
        EXPECT_EQ(button->badgeCount(), c.shown);
        const double d = diameter(c.text);
        const int middle = static_cast<int>(40 - d / 2);
        // Just inside the circle's bottom edge, below the text; left of the circle and far from
        // it the icon is untouched.
        EXPECT_TRUE(badgedAt(middle, static_cast<int>(40 - d) + 1));
        EXPECT_FALSE(badgedAt(static_cast<int>(40 - d) - 2, middle));
        EXPECT_TRUE(colorNear(button->image()->colorAt(3, 3), blue));
    }
    EXPECT_LT(diameter("5"), diameter("42"));
    EXPECT_LT(diameter("42"), diameter("999"));

    // Badges do not pile up: a small one after a large one leaves the large one's edge blue.
    button->badgeIcon(999);
    const int largeEdge = static_cast<int>(40 - diameter("999")) + 1;
    const int largeMiddle = static_cast<int>(40 - diameter("999") / 2);
    ASSERT_GT(40 - diameter("5"), largeEdge + 1);
    EXPECT_TRUE(badgedAt(largeEdge, largeMiddle));
    button->badgeIcon(5);
    EXPECT_TRUE(colorNear(button->image()->colorAt(largeEdge, largeMiddle), blue));

    button->badgeIcon(0);
    EXPECT_EQ(button->badgeCount(), 0);
    EXPECT_EQ(button->image(), button->originalIcon());
    EXPECT_FALSE(badgedAt(38, 38));
}

TEST(QXBadgedButtonCodeTest, AButtonMadeInCodeHasNoIconToBadge) {
    auto button = make<QXBadgedButton>(Rect{0, 0, 40, 40});
    button->setImage(filled({40, 40}, Color(0, 0, 1, 1)));
    button->badgeIcon(3);
    EXPECT_EQ(button->badgeCount(), 3);
    EXPECT_EQ(button->image(), nullptr);
}

} // namespace
