#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/layers/Layer.h"
#include "platform/layers/PixelLayer.h"
#include "platform/layers/TextLayer.h"
#include "platform/layers/Transaction.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

using A = ConstraintAttribute;

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::resetMain(clock); }
    void TearDown() override { RunLoop::resetMain(); }
    void pass(double seconds) { clock->advance(seconds); }
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100);
};

std::shared_ptr<Layer> named(const char* name) {
    auto layer = Layer::layer();
    layer->setName(name);
    return layer;
}

TEST_F(LayerTest, ConstraintsPlaceSublayersAgainstTheSuperlayerAndSiblings) {
    auto root = named("root");
    root->setFrame({0, 0, 400, 300});
    auto fill = named("fill");
    fill->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MinX, "superlayer", A::MinX, 10));
    fill->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MaxX, "superlayer", A::MaxX, -10));
    fill->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MinY, "superlayer", A::MinY, 5));
    fill->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MaxY, "superlayer", A::MaxY, -5));
    auto centred = named("centred");
    centred->addConstraint(
        LayerConstraint::constraintWithAttribute(A::Width, "superlayer", A::Width, 0.9, 0));
    centred->addConstraint(
        LayerConstraint::constraintWithAttribute(A::Height, "superlayer", A::Height, 0, 30));
    centred->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MidX, "superlayer", A::MidX));
    centred->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MidY, "superlayer", A::MidY));
    auto topStrip = named("top");
    topStrip->setFrame({0, 0, 50, 20});
    topStrip->addConstraint(
        LayerConstraint::constraintWithAttribute(A::MaxY, "superlayer", A::MaxY));
    topStrip->addConstraint(LayerConstraint::constraintWithAttribute(A::MinX, "fill", A::MaxX, 2));
    auto loose = named("loose");
    loose->setFrame({7, 8, 9, 10});
    for (const auto& layer : {fill, centred, topStrip, loose})
        root->addSublayer(layer);

    root->layoutIfNeeded();
    EXPECT_EQ(fill->frame(), Rect(10, 5, 380, 290));
    EXPECT_EQ(centred->frame(), Rect(20, 135, 360, 30));
    EXPECT_EQ(topStrip->frame(), Rect(392, 280, 50, 20)) << "a sibling placed before it";
    EXPECT_EQ(loose->frame(), Rect(7, 8, 9, 10)) << "no constraint, no move";

    // A new size lays the constrained ones out again; removed constraints leave the frame.
    root->setFrame({0, 0, 200, 100});
    fill->removeAllConstraints();
    root->layoutIfNeeded();
    EXPECT_EQ(fill->frame(), Rect(10, 5, 380, 290));
    EXPECT_EQ(centred->frame(), Rect(10, 35, 180, 30));
}

TEST_F(LayerTest, HitTestingFindsTheTopmostShownLayerUnderThePoint) {
    auto root = named("root");
    root->setFrame({0, 0, 300, 200});
    auto low = named("low");
    low->setFrame({0, 0, 300, 200});
    low->setZPosition(10);
    auto high = named("high");
    high->setFrame({20, 20, 100, 80});
    high->setZPosition(20);
    auto child = named("child");
    child->setFrame({10, 10, 30, 30});
    high->addSublayer(child);
    // Added after, drawn before: z decides.
    root->addSublayer(high);
    root->addSublayer(low);

    EXPECT_EQ(root->hitTest({35, 35}), child.get());
    EXPECT_EQ(root->hitTest({110, 90}), high.get());
    EXPECT_EQ(root->hitTest({200, 150}), low.get());
    EXPECT_EQ(root->hitTest({301, 150}), nullptr);
    EXPECT_EQ(child->convertPointFromLayer({35, 35}, root.get()), Point(5, 5));
    EXPECT_EQ(child->convertPointToLayer({0, 0}, nullptr), Point(30, 30));

    Transaction::begin();
    Transaction::setDisableActions(true);
    high->setHidden(true);
    Transaction::commit();
    EXPECT_EQ(root->hitTest({35, 35}), low.get()) << "hidden layers take no clicks";
}

TEST_F(LayerTest, FadesAndPushesFollowTheActionAndTheClock) {
    struct Delegate : LayerDelegate {
        std::optional<LayerAction> answer;
        std::vector<bool> hiddenWhenAsked;
        std::optional<LayerAction> actionForLayer(Layer& layer, std::string_view key) override {
            if (key == "hidden")
                hiddenWhenAsked.push_back(layer.isHidden());
            return answer;
        }
    } delegate;
    auto root = named("root");
    root->setFrame({0, 0, 100, 100});
    auto layer = named("fading");
    layer->setFrame({0, 50, 100, 20});
    layer->setDelegate(&delegate);
    root->addSublayer(layer);

    // The transaction's duration is the default fade's.
    Transaction::begin();
    Transaction::setAnimationDuration(2.0);
    layer->setOpacity(0);
    Transaction::commit();
    pass(0.5);
    EXPECT_NEAR(layer->presentationOpacity(), 0.75, 1e-9);
    EXPECT_TRUE(root->isAnimating());
    pass(1.5);
    EXPECT_EQ(layer->presentationOpacity(), 0);
    EXPECT_FALSE(root->isAnimating());

    layer->setOpacity(1);
    pass(1);
    delegate.answer = LayerAction::fade(1.0);
    layer->setHidden(true);
    pass(0.25);
    EXPECT_NEAR(layer->presentationOpacity(), 0.75, 1e-9);
    EXPECT_TRUE(layer->isHidden()) << "the model changes at once";
    pass(1);
    EXPECT_EQ(layer->presentationOpacity(), 0);

    // A push moves the layer in from the top across its own height; the flag reads its old
    // value when the delegate is asked.
    delegate.answer = LayerAction::push(0.5, true);
    layer->setHidden(false);
    EXPECT_EQ(delegate.hiddenWhenAsked, (std::vector<bool>{false, true}));
    EXPECT_EQ(layer->presentationFrame(), Rect(0, 70, 100, 20));
    pass(0.25);
    EXPECT_EQ(layer->presentationFrame(), Rect(0, 60, 100, 20));
    EXPECT_EQ(layer->presentationOpacity(), 1);
    pass(0.25);
    EXPECT_EQ(layer->presentationFrame(), layer->frame());

    // No action: at once.
    delegate.answer = LayerAction::none();
    layer->setHidden(true);
    EXPECT_EQ(layer->presentationOpacity(), 0);
    EXPECT_FALSE(root->isAnimating());
}

TEST_F(LayerTest, ComposesBackgroundsPicturesAndOpacityInZOrder) {
    auto context = GraphicsContext::bitmapContext(40, 20);
    auto root = named("root");
    root->setFrame({0, 0, 40, 20});
    root->setBackgroundColor(Color(0, 0, 1, 1));
    // A 2 x 1 picture, red on the left and green on the right.
    static const std::uint32_t pixels[] = {0xffff0000u, 0xff00ff00u};
    auto picture = PixelLayer::layer();
    picture->setFrame({0, 0, 20, 20});
    picture->setPixels(nullptr, pixels, 2, 1, 8);
    auto veil = Layer::layer();
    veil->setFrame({20, 0, 20, 20});
    veil->setBackgroundColor(Color(1, 1, 1, 1));
    Transaction::begin();
    Transaction::setDisableActions(true);
    veil->setOpacity(0.5);
    Transaction::commit();
    root->addSublayer(picture);
    root->addSublayer(veil);

    auto colour = [&](int x, int y) {
        context->flush();
        return context->makeImage()->colorAt(x, y);
    };
    root->renderInContext(*context);
    EXPECT_EQ(colour(2, 10), Color(1, 0, 0, 1));
    EXPECT_EQ(colour(17, 10), Color(0, 1, 0, 1));
    const Color half = colour(30, 10);
    EXPECT_NEAR(half.redComponent(), 0.5, 0.01);
    EXPECT_NEAR(half.blueComponent(), 1.0, 0.01);

    picture->setMirrored(true);
    root->renderInContext(*context);
    EXPECT_EQ(colour(2, 10), Color(0, 1, 0, 1)) << "mirrored: left and right swap";
    EXPECT_EQ(colour(17, 10), Color(1, 0, 0, 1));
}

TEST_F(LayerTest, ChangesReachTheRootsObserver) {
    int redraws = 0;
    auto root = named("root");
    root->setDisplayObserver([&] { ++redraws; });
    auto text = TextLayer::layer();
    root->addSublayer(text);
    const int before = redraws;
    text->setString("Waiting");
    text->setString("Waiting");
    EXPECT_EQ(redraws, before + 1) << "an unchanged text asks for nothing";
    text->removeFromSuperlayer();
    EXPECT_EQ(text->superlayer(), nullptr);
    EXPECT_TRUE(root->sublayers().empty());
}

} // namespace
