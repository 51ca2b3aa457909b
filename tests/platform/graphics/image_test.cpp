#include "GraphicsTestSupport.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace platform;
using graphics_test::Canvas;
using graphics_test::colorNear;
using graphics_test::TempDir;

namespace {

// A 30 x 30 image of nine 10 x 10 cells, each its own colour; cells[row][column] with row 0
// at the top.
const Color cells[3][3] = {
    {Color(1, 0, 0, 1), Color(0, 1, 0, 1), Color(0, 0, 1, 1)},
    {Color(1, 1, 0, 1), Color(0, 1, 1, 1), Color(1, 0, 1, 1)},
    {Color(0.5, 0, 0, 1), Color(0, 0.5, 0, 1), Color(0, 0, 0.5, 1)},
};

std::shared_ptr<Image> gridImage() {
    auto image = std::make_shared<Image>(Size(30, 30));
    image->lockFocus();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            cells[row][column].setFill();
            RectFill({column * 10.0, (2 - row) * 10.0, 10, 10});
        }
    }
    image->unlockFocus();
    return image;
}

std::shared_ptr<Image> slice(const Image& source, int row, int column) {
    auto part = std::make_shared<Image>(Size(10, 10));
    part->lockFocus();
    source.drawInRect({0, 0, 10, 10}, {column * 10.0, (2 - row) * 10.0, 10, 10},
                      CompositingOperation::Copy, 1.0);
    part->unlockFocus();
    return part;
}

const char* svgText = R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="10">
<rect x="0" y="0" width="10" height="10" fill="#ff0000"/>
<rect x="10" y="0" width="10" height="10" fill="#0000ff"/></svg>)";

} // namespace

TEST(Image, DrawingIntoAnImageUsesItsOwnUnflippedCoordinates) {
    const auto image = gridImage();
    EXPECT_EQ(image->size(), Size(30, 30));
    EXPECT_TRUE(colorNear(image->colorAt(5, 25), cells[0][0])); // top left
    EXPECT_TRUE(colorNear(image->colorAt(25, 5), cells[2][2])); // bottom right
    EXPECT_EQ(GraphicsContext::currentContext(), nullptr);      // focus was given back
    EXPECT_TRUE(colorNear(image->colorAt(-1, 0), Color::clearColor()));
}

TEST(Image, SourceRectangleLandsUprightInTheDestination) {
    const auto image = gridImage();
    Canvas canvas(40, 40);
    image->drawInRect({0, 0, 20, 20}, {10, 10, 20, 20}, CompositingOperation::SourceOver, 1.0);
    // The source (the top two rows of the right two columns) keeps its top row on top.
    EXPECT_TRUE(colorNear(canvas.at(5, 15), cells[0][1]));
    EXPECT_TRUE(colorNear(canvas.at(15, 15), cells[0][2]));
    EXPECT_TRUE(colorNear(canvas.at(15, 5), cells[1][2]));
    EXPECT_TRUE(colorNear(canvas.at(5, 5), cells[1][1]));
    EXPECT_TRUE(colorNear(canvas.at(25, 5), Color::clearColor()));
}

TEST(Image, FlippedContextsTurnImagesOverUnlessFlippingIsRespected) {
    const auto image = gridImage();
    {
        Canvas canvas(30, 30, true);
        image->drawInRect({0, 0, 30, 30}, ZeroRect, CompositingOperation::SourceOver, 1.0);
        // As on the original platform: upside down on the screen.
        EXPECT_TRUE(colorNear(canvas.at(5, 25), cells[2][0]));
    }
    {
        Canvas canvas(30, 30, true);
        image->drawInRect({0, 0, 30, 30}, ZeroRect, CompositingOperation::SourceOver, 1.0, true);
        EXPECT_TRUE(colorNear(canvas.at(5, 25), cells[0][0]));
    }
    {
        Canvas canvas(30, 30, true);
        image->compositeToPoint({0, 30}, CompositingOperation::SourceOver);
        EXPECT_TRUE(colorNear(canvas.at(5, 25), cells[0][0]));
    }
}

TEST(Image, SourceAtopTintsOnlyWhereTheImageHasInk) {
    Image icon(Size(10, 10));
    icon.lockFocus();
    Color(1, 0, 0, 0.5).setFill();
    RectFill({2, 2, 4, 4});
    Color::blueColor().setFill();
    RectFillUsingOperation({0, 0, 10, 10}, CompositingOperation::SourceAtop);
    icon.unlockFocus();
    EXPECT_TRUE(colorNear(icon.colorAt(3, 3), Color(0, 0, 1, 0.5)));
    EXPECT_TRUE(colorNear(icon.colorAt(8, 8), Color::clearColor()));
}

TEST(Image, FractionAndCopyOperation) {
    Image dot(Size(4, 4));
    dot.lockFocus();
    Color::redColor().setFill();
    RectFill({0, 0, 4, 4});
    dot.unlockFocus();

    Canvas canvas(8, 4);
    Color::whiteColor().setFill();
    RectFill({0, 0, 8, 4});
    dot.drawInRect({0, 0, 4, 4}, ZeroRect, CompositingOperation::SourceOver, 0.5);
    dot.drawInRect({4, 0, 4, 4}, ZeroRect, CompositingOperation::Copy, 0.5);
    EXPECT_TRUE(colorNear(canvas.at(1, 1), Color(1, 0.5, 0.5, 1)));
    // Copy replaces the white with translucent red.
    EXPECT_TRUE(colorNear(canvas.at(6, 1), Color(1, 0, 0, 0.5)));
}

TEST(Image, NinePartDrawingKeepsCornersAtTheirSize) {
    const auto grid = gridImage();
    std::shared_ptr<Image> parts[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            parts[row][column] = slice(*grid, row, column);

    for (const bool flipped : {false, true}) {
        SCOPED_TRACE(flipped ? "flipped" : "unflipped");
        Canvas canvas(100, 60, flipped);
        DrawNinePartImage({0, 0, 100, 60}, parts[0][0].get(), parts[0][1].get(), parts[0][2].get(),
                          parts[1][0].get(), parts[1][1].get(), parts[1][2].get(),
                          parts[2][0].get(), parts[2][1].get(), parts[2][2].get(),
                          CompositingOperation::SourceOver, 1.0, flipped);
        // Pixel rows count from the bottom: the top row of the screen is y 59.
        EXPECT_TRUE(colorNear(canvas.at(0, 59), cells[0][0]));
        EXPECT_TRUE(colorNear(canvas.at(9, 50), cells[0][0]));
        EXPECT_TRUE(colorNear(canvas.at(10, 50), cells[0][1]));
        EXPECT_TRUE(colorNear(canvas.at(90, 59), cells[0][2]));
        EXPECT_TRUE(colorNear(canvas.at(89, 59), cells[0][1]));
        EXPECT_TRUE(colorNear(canvas.at(0, 0), cells[2][0]));
        EXPECT_TRUE(colorNear(canvas.at(99, 9), cells[2][2]));
        EXPECT_TRUE(colorNear(canvas.at(50, 0), cells[2][1]));
        EXPECT_TRUE(colorNear(canvas.at(0, 30), cells[1][0]));
        EXPECT_TRUE(colorNear(canvas.at(99, 30), cells[1][2]));
        EXPECT_TRUE(colorNear(canvas.at(50, 30), cells[1][1]));
        EXPECT_TRUE(colorNear(canvas.at(10, 10), cells[1][1]));
        EXPECT_TRUE(colorNear(canvas.at(89, 49), cells[1][1]));
    }
}

TEST(Image, PngAndSvgLoadFromFilesAndTheBundle) {
    TempDir dir;
    const auto grid = gridImage();
    ASSERT_TRUE(grid->writePNG(dir.path() / "images" / "grid.png") ||
                (std::filesystem::create_directories(dir.path() / "images"),
                 grid->writePNG(dir.path() / "images" / "grid.png")));
    std::ofstream(dir.path() / "images" / "shape.svg") << svgText;
    std::ofstream(dir.path() / "broken.png") << "not a picture";

    auto png = Image::imageWithContentsOfFile(dir.path() / "images" / "grid.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->size(), Size(30, 30));
    EXPECT_TRUE(colorNear(png->colorAt(5, 25), cells[0][0]));
    EXPECT_FALSE(Image::imageWithContentsOfFile(dir.path() / "broken.png"));
    EXPECT_FALSE(Image::imageWithContentsOfFile(dir.path() / "missing.png"));

    const auto previous = Bundle::mainBundle().bundlePath();
    Bundle::setMainBundlePath(dir.path());
    Image::clearImageCache();
    const auto named = Image::imageNamed("grid");
    const auto svg = Image::imageNamed("shape");
    const auto again = Image::imageNamed("grid");
    const auto missing = Image::imageNamed("nothing");
    Bundle::setMainBundlePath(previous);
    Image::clearImageCache();

    ASSERT_TRUE(named);
    EXPECT_EQ(named, again);
    EXPECT_EQ(named->name(), "grid");
    EXPECT_FALSE(missing);
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->size(), Size(20, 10));
    EXPECT_TRUE(colorNear(svg->colorAt(2, 5), Color::redColor()));

    // A vector image is drawn sharply at any size.
    Canvas canvas(80, 40);
    svg->drawInRect({0, 0, 80, 40});
    EXPECT_TRUE(colorNear(canvas.at(38, 20), Color::redColor()));
    EXPECT_TRUE(colorNear(canvas.at(41, 20), Color::blueColor()));
}

TEST(Image, NamesRegisterAndCopiesAreIndependent) {
    auto image = std::make_shared<Image>(Size(2, 2));
    image->setName("lumiq-test-registered");
    EXPECT_EQ(Image::imageNamed("lumiq-test-registered"), image);
    auto copy = image->copy();
    copy->lockFocus();
    Color::redColor().setFill();
    RectFill({0, 0, 2, 2});
    copy->unlockFocus();
    EXPECT_TRUE(colorNear(image->colorAt(0, 0), Color::clearColor()));
    EXPECT_TRUE(colorNear(copy->colorAt(0, 0), Color::redColor()));
    Image::clearImageCache();

    Image empty;
    EXPECT_FALSE(empty.isValid());
    Canvas canvas(4, 4);
    empty.drawInRect({0, 0, 4, 4});
    EXPECT_TRUE(colorNear(canvas.at(1, 1), Color::clearColor()));
}

namespace {

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(Image, JpegFilesLoadAndDamagedOnesAreRefused) {
    const auto fixtures = std::filesystem::path(LUMIQ_SOURCE_DIR) / "tests/fixtures";
    const Color red(220 / 255.0, 10 / 255.0, 10 / 255.0, 1);
    const Color blue(10 / 255.0, 10 / 255.0, 220 / 255.0, 1);
    const Color light(230 / 255.0, 230 / 255.0, 230 / 255.0, 1);
    const Color dark(20 / 255.0, 20 / 255.0, 20 / 255.0, 1);
    // (x, y) from the bottom-left pixel.
    const struct {
        const char* file;
        int x0, y0;
        Color first;
        int x1, y1;
        Color second;
    } cases[] = {
        {"red_blue_60x40.jpg", 10, 20, red, 50, 20, blue},
        {"grey_progressive_60x40.jpg", 30, 35, light, 30, 5, dark},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto image = Image::imageWithContentsOfFile(fixtures / c.file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), Size(60, 40));
        EXPECT_TRUE(colorNear(image->colorAt(c.x0, c.y0), c.first, 0.05));
        EXPECT_TRUE(colorNear(image->colorAt(c.x1, c.y1), c.second, 0.05));

        // Cut off in the middle of its data, or only its first bytes: no picture at all.
        auto bytes = fileBytes(fixtures / c.file);
        for (std::size_t keep : {bytes.size() / 2, std::size_t(3), std::size_t(40)}) {
            const std::vector<std::uint8_t> cut(bytes.begin(),
                                                bytes.begin() + static_cast<long>(keep));
            EXPECT_FALSE(Image::imageWithData(cut)) << keep;
        }
    }
    // The JPEG signature in front of anything else.
    const std::vector<std::uint8_t> fake{0xFF, 0xD8, 0xFF, 'n', 'o', 't', ' ', 'j', 'p', 'g'};
    EXPECT_FALSE(Image::imageWithData(fake));
}

TEST(Image, PngRepresentationReadsBackAsTheSamePicture) {
    const auto grid = gridImage();
    const auto bytes = grid->pngRepresentation();
    ASSERT_FALSE(bytes.empty());
    const auto back = Image::imageWithData(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), Size(30, 30));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_TRUE(
                colorNear(back->colorAt(column * 10 + 5, (2 - row) * 10 + 5), cells[row][column]));
    EXPECT_TRUE(Image().pngRepresentation().empty());
}
