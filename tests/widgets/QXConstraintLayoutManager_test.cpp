#include "widgets/QXConstraintLayoutManager.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

using platform::Rect;
using platform::View;
using C = QXViewConstraint;

namespace {

std::shared_ptr<View> child(View& superview, const Rect& frame) {
    auto view = platform::make<View>(frame);
    superview.addSubview(view);
    return view;
}

// The sign-in form: a right-aligned column of four fields with their labels, the countdown
// text and bar, the two check boxes, the two links, and the progress indicator with its status
// text, in a 300 x 260 part. Every view starts at the origin with its own size.
class SignInForm : public ::testing::Test {
protected:
    void SetUp() override {
        superview->setAutoresizesSubviews(false);
        const std::pair<const char*, platform::Size> sizes[] = {
            {"username", {150, 22}},         {"usernameLabel", {80, 17}},
            {"displayName", {150, 22}},      {"displayNameLabel", {80, 17}},
            {"authName", {150, 22}},         {"authNameLabel", {80, 17}},
            {"password", {150, 22}},         {"passwordLabel", {80, 17}},
            {"remPassword", {120, 18}},      {"remAutoSignIn", {120, 18}},
            {"forgotPassword", {100, 16}},   {"help", {100, 16}},
            {"autoLoginMessage", {200, 17}}, {"autoLoginLevel", {200, 10}},
            {"progress", {16, 16}},          {"statusMessage", {100, 17}},
        };
        for (const auto& [name, size] : sizes)
            views[name] = child(*superview, {0, 0, size.width, size.height});

        // The constraints in the order the form adds them.
        add("username", C(C::MaxX, nullptr, C::MaxX, -20));
        add("username", C(C::MaxY, nullptr, C::MaxY, -5));
        add("usernameLabel", C(C::MaxX, v("username"), C::MinX, -2));
        add("usernameLabel", C(C::MaxY, v("username"), C::MaxY, -2));
        const char* column[][2] = {
            {"displayName", "username"}, {"authName", "displayName"}, {"password", "authName"}};
        for (const auto& [field, above] : column) {
            add(field, C(C::MaxX, nullptr, C::MaxX, -20));
            add(field, C(C::MaxY, v(above), C::MinY, -5));
            const std::string label = std::string(field) + "Label";
            add(label, C(C::MaxX, v(field), C::MinX, -2));
            add(label, C(C::MaxY, v(field), C::MaxY, -2));
        }
        add("remPassword", C(C::MinX, nullptr, C::MidX, 30));
        add("remPassword", C(C::MaxY, v("autoLoginLevel"), C::MinY, -20));
        add("remAutoSignIn", C(C::MinX, v("remPassword"), C::MinX, 0));
        add("remAutoSignIn", C(C::MaxY, v("remPassword"), C::MinY, -2));
        add("forgotPassword", C(C::MinX, v("username"), C::MinX, 0));
        add("forgotPassword", C(C::MaxY, v("remAutoSignIn"), C::MinY, -10));
        add("help", C(C::MinX, v("username"), C::MinX, 0));
        add("help", C(C::MaxY, v("forgotPassword"), C::MinY, -2));
        add("autoLoginMessage", C(C::MinX, nullptr, C::MinX, 20));
        add("autoLoginMessage", C(C::MaxY, v("password"), C::MinY, -5));
        add("autoLoginLevel", C(C::MinX, nullptr, C::MinX, 20));
        add("autoLoginLevel", C(C::MaxY, v("autoLoginMessage"), C::MinY, -5));
        add("progress", C(C::MidX, nullptr, C::MidX, 0));
        add("progress", C(C::MaxY, v("password"), C::MinY, -15));
        add("statusMessage", C(C::MidX, nullptr, C::MidX, 5));
        add("statusMessage", C(C::MaxY, v("progress"), C::MinY, -10));
    }

    std::shared_ptr<View> v(const std::string& name) { return views.at(name); }
    void add(const std::string& name, const QXViewConstraint& constraint) {
        manager.addConstraint(constraint, v(name));
    }

    std::shared_ptr<View> superview = platform::make<View>(Rect{0, 0, 300, 260});
    std::map<std::string, std::shared_ptr<View>> views;
    QXViewConstraintLayoutManager manager;
};

// The check boxes' left edge is given as the superview's centre + 30, but a superview source
// always lends the constrained attribute itself: they land 30 points from the left edge.
TEST_F(SignInForm, PlacesTheColumnAndWhatFollowsItByState) {
    struct Case {
        const char* name;
        std::vector<std::string> hidden;
        // Origins of the views that are shown.
        std::map<std::string, platform::Point> origins;
    };
    const Case cases[] = {
        {"everything shown",
         {},
         {{"username", {130, 233}},
          {"usernameLabel", {48, 236}},
          {"displayName", {130, 206}},
          {"displayNameLabel", {48, 209}},
          {"authName", {130, 179}},
          {"authNameLabel", {48, 182}},
          {"password", {130, 152}},
          {"passwordLabel", {48, 155}},
          {"autoLoginMessage", {20, 130}},
          {"autoLoginLevel", {20, 115}},
          {"remPassword", {30, 77}},
          {"remAutoSignIn", {30, 57}},
          {"forgotPassword", {130, 31}},
          {"help", {130, 13}},
          {"progress", {142, 121}},
          {"statusMessage", {105, 94}}}},
        // A profile without display and authorisation names: the password moves up into the
        // column, its label and everything below it follow.
        {"two fields hidden",
         {"displayName", "displayNameLabel", "authName", "authNameLabel"},
         {{"username", {130, 233}},
          {"password", {130, 206}},
          {"passwordLabel", {48, 209}},
          {"autoLoginMessage", {20, 184}},
          {"autoLoginLevel", {20, 169}},
          {"remPassword", {30, 131}},
          {"progress", {142, 175}},
          {"statusMessage", {105, 148}}}},
        // No countdown: the check boxes hang from the password, 20 points below it.
        {"countdown hidden",
         {"autoLoginMessage", "autoLoginLevel"},
         {{"password", {130, 152}},
          {"remPassword", {30, 114}},
          {"remAutoSignIn", {30, 94}},
          {"forgotPassword", {130, 68}},
          {"help", {130, 50}}}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        for (const auto& [name, view] : views)
            view->setHidden(false);
        for (const std::string& name : t.hidden)
            v(name)->setHidden(true);
        manager.layout();
        for (const auto& [name, origin] : t.origins) {
            SCOPED_TRACE(name);
            EXPECT_EQ(v(name)->frame().origin, origin);
        }
        // Moving never resizes here: no view has two constraints on one axis.
        EXPECT_EQ(v("password")->frame().size, platform::Size(150, 22));
        // A second pass changes nothing.
        const Rect before = v("help")->frame();
        manager.layout();
        EXPECT_EQ(v("help")->frame(), before);
    }
}

TEST(QXViewConstraintLayoutManager, HiddenButtonsInARowCloseUp) {
    struct Case {
        const char* name;
        // How B is constrained: "row" (min X after A), "top only" (max Y only), "none".
        const char* bConstraints;
        bool hideB;
        double xB, xD;
    };
    const Case cases[] = {
        {"all shown", "row", false, 42, 74},
        {"B hidden: D follows A", "row", true, 0, 42},
        // B's own constraint has nothing for min X: D falls back to the superview.
        {"B hidden without min X", "top only", true, 0, 2},
        // B is not managed at all: D keeps to the hidden B itself.
        {"B hidden and unmanaged", "none", true, 500, 532},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto superview = platform::make<View>(Rect{0, 0, 300, 40});
        auto a = child(*superview, {0, 0, 30, 20});
        auto b = child(*superview, {500, 0, 30, 20});
        auto d = child(*superview, {0, 0, 30, 20});
        QXViewConstraintLayoutManager manager;
        manager.addConstraint(C(C::MinX, nullptr, C::MinX, 10), a);
        if (std::string(t.bConstraints) == "row")
            manager.addConstraint(C(C::MinX, a, C::MaxX, 2), b);
        else if (std::string(t.bConstraints) == "top only")
            manager.addConstraint(C(C::MaxY, nullptr, C::MaxY, -5), b);
        manager.addConstraint(C(C::MinX, b, C::MaxX, 2), d);
        b->setHidden(t.hideB);
        manager.layout();
        EXPECT_EQ(a->frame().minX(), 10);
        if (!t.hideB) {
            EXPECT_EQ(b->frame().minX(), t.xB);
        }
        EXPECT_EQ(d->frame().minX(), t.xD);
    }
}

// A row of three 30-point buttons inside a panel, the first 8 points from the row's left edge,
// the next ones 3 points apart. The row sits away from its window's origin: its bounds count,
// not its frame. Whatever is hidden, the first shown button keeps the 8-point margin.
TEST(QXViewConstraintLayoutManager, FirstShownButtonOfARowKeepsTheRowMargin) {
    struct Case {
        const char* name;
        std::vector<int> hidden;
        // Left edges of the three buttons; hidden ones are not checked.
        double x[3];
    };
    const Case cases[] = {
        {"all shown", {}, {8, 41, 74}},
        {"first hidden", {0}, {0, 8, 41}},
        {"middle hidden", {1}, {8, 0, 41}},
        {"first two hidden", {0, 1}, {0, 0, 8}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto window = platform::make<View>(Rect{0, 0, 400, 100});
        auto row = child(*window, {50, 30, 300, 40});
        std::shared_ptr<View> buttons[3];
        for (auto& button : buttons)
            button = child(*row, {200, 0, 30, 20});
        QXViewConstraintLayoutManager manager;
        manager.addConstraint(C(C::MinX, row, C::MinX, 8), buttons[0]);
        manager.addConstraint(C(C::MinX, buttons[0], C::MaxX, 3), buttons[1]);
        manager.addConstraint(C(C::MinX, buttons[1], C::MaxX, 3), buttons[2]);
        for (int i : t.hidden)
            buttons[i]->setHidden(true);
        manager.layout();
        for (int i = 0; i < 3; ++i)
            if (!buttons[i]->isHidden()) {
                EXPECT_EQ(buttons[i]->frame().minX(), t.x[i]) << "button " << i;
            }
    }
}

TEST(QXViewConstraintLayoutManager, CyclesEndAndInsertionOrderDecidesWhichLinkIsSkipped) {
    auto superview = platform::make<View>(Rect{0, 0, 300, 40});
    auto first = child(*superview, {0, 0, 10, 10});
    auto second = child(*superview, {100, 0, 10, 10});
    QXViewConstraintLayoutManager manager;
    manager.addConstraint(C(C::MinX, second, C::MaxX, 5), first);
    manager.addConstraint(C(C::MinX, first, C::MaxX, 5), second);
    manager.layout();
    // Placing `first` places `second` first, which skips its link back while `first` waits;
    // then `second` is placed again after `first`.
    EXPECT_EQ(first->frame().minX(), 115);
    EXPECT_EQ(second->frame().minX(), 130);
}

TEST(QXViewConstraintLayoutManager, HiddenSourcesInACircleFallBackToTheSuperview) {
    auto superview = platform::make<View>(Rect{0, 0, 300, 40});
    auto a = child(*superview, {50, 0, 10, 10});
    auto b = child(*superview, {80, 0, 10, 10});
    auto c = child(*superview, {0, 0, 10, 10});
    QXViewConstraintLayoutManager manager;
    manager.addConstraint(C(C::MinX, b, C::MaxX, 5), a);
    manager.addConstraint(C(C::MinX, a, C::MaxX, 5), b);
    manager.addConstraint(C(C::MinX, a, C::MaxX, 7), c);
    a->setHidden(true);
    b->setHidden(true);
    EXPECT_EQ(manager.sourceViewForAttribute(C::MinX, *c), nullptr);
    manager.layout();
    EXPECT_EQ(c->frame().minX(), 7);
}

TEST(QXViewConstraintLayoutManager, EdgesToTheSuperviewAndStretching) {
    struct Case {
        const char* name;
        std::vector<QXViewConstraint> constraints;
        Rect expected;
    };
    const Case cases[] = {
        {"right edge 20 short of the superview's",
         {C(C::MaxX, nullptr, C::MaxX, -20)},
         {230, 10, 50, 20}},
        {"both edges stretch",
         {C(C::MinX, nullptr, C::MinX, 10), C(C::MaxX, nullptr, C::MaxX, -10)},
         {10, 10, 280, 20}},
        {"min X and width",
         {C(C::MinX, nullptr, C::MinX, 10), C(C::Width, nullptr, C::Width, 10)},
         {10, 10, 280, 20}},
        {"top and bottom stretch",
         {C(C::MinY, nullptr, C::MinY, 5), C(C::MaxY, nullptr, C::MaxY, -5)},
         {0, 5, 50, 90}},
        {"centred both ways",
         {C(C::MidX, nullptr, C::MidX, 0), C(C::MidY, nullptr, C::MidY, 0)},
         {125, 40, 50, 20}},
        // The source attribute is ignored for the superview: the attribute itself is used.
        {"superview source attribute", {C(C::MinX, nullptr, C::MaxX, 10)}, {10, 10, 50, 20}},
        {"attribute 8 is stored but never applied", {C(8, nullptr, C::MinX, 40)}, {0, 10, 50, 20}},
        {"a later constraint replaces the earlier",
         {C(C::MinX, nullptr, C::MinX, 10), C(C::MinX, nullptr, C::MinX, 30)},
         {30, 10, 50, 20}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto superview = platform::make<View>(Rect{0, 0, 300, 100});
        auto view = child(*superview, {0, 10, 50, 20});
        QXViewConstraintLayoutManager manager;
        for (const auto& constraint : t.constraints)
            manager.addConstraint(constraint, view);
        manager.layout();
        EXPECT_EQ(view->frame(), t.expected);
    }
}

TEST(QXViewConstraintLayoutManager, ChangeAttributeMovesOrStretches) {
    // V spans x 10..50 (centre 30); S spans x 100..160 (centre 130), y 100..160.
    struct Case {
        const char* name;
        C::Attribute attr, srcAttr, keep;
        double offset;
        Rect expected;
    };
    const Case cases[] = {
        {"min X to min X", C::MinX, C::MinX, 0, 0, {100, 0, 40, 10}},
        {"mid X to mid X", C::MidX, C::MidX, 0, 0, {110, 0, 40, 10}},
        {"max X to max X less 5", C::MaxX, C::MaxX, 0, -5, {115, 0, 40, 10}},
        {"keep min, new mid", C::MidX, C::MidX, C::MinX, 0, {10, 0, 240, 10}},
        {"keep min, new max", C::MaxX, C::MaxX, C::MinX, 0, {10, 0, 150, 10}},
        {"keep mid, new min", C::MinX, C::MinX, C::MidX, -80, {20, 0, 20, 10}},
        {"keep mid, new max", C::MaxX, C::MinX, C::MidX, 0, {-40, 0, 140, 10}},
        {"keep max, new min", C::MinX, C::MinX, C::MaxX, -70, {30, 0, 20, 10}},
        {"keep max, new mid", C::MidX, C::MinX, C::MaxX, -70, {10, 0, 40, 10}},
        // A source attribute of the other axis gives the view's own x, without the offset.
        {"other axis, min", C::MinX, C::MinY, 0, 99, {10, 0, 40, 10}},
        {"other axis, mid", C::MidX, C::MaxY, 0, 99, {-10, 0, 40, 10}},
        {"bottom to top", C::MinY, C::MaxY, 0, 2, {10, 162, 40, 10}},
        {"top to bottom", C::MaxY, C::MinY, 0, -3, {10, 87, 40, 10}},
        {"unknown attribute", 9, C::MinX, 0, 0, {10, 0, 40, 10}},
    };
    auto superview = platform::make<View>(Rect{0, 0, 300, 200});
    auto source = child(*superview, {100, 100, 60, 60});
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto view = child(*superview, {10, 0, 40, 10});
        QXViewConstraintLayoutManager::changeAttribute(t.attr, *view, source.get(), t.srcAttr,
                                                       t.offset, t.keep);
        EXPECT_EQ(view->frame(), t.expected);
    }
}

TEST(QXViewConstraintLayoutManager, ResetForgetsTheViewAndKeepsTheOrderOfTheRest) {
    auto superview = platform::make<View>(Rect{0, 0, 300, 100});
    auto a = child(*superview, {0, 0, 10, 10});
    auto b = child(*superview, {0, 0, 10, 10});
    a->setToolTip("Dial");
    QXViewConstraintLayoutManager manager;
    manager.addConstraint(C(C::MinX, nullptr, C::MinX, 10), a);
    manager.addConstraint(C(C::MinX, nullptr, C::MinX, 20), b);
    manager.addConstraint(C(C::MinY, nullptr, C::MinY, 5), a);
    ASSERT_EQ(manager.containers().size(), 2u);
    EXPECT_EQ(manager.containers()[0]->view(), a.get());
    EXPECT_EQ(manager.containers()[0]->constraints().size(), 2u);

    manager.layout();
    EXPECT_EQ(a->toolTip(), "Dial");

    manager.resetConstraintsForView(a.get());
    EXPECT_EQ(manager.findContainer(a.get()), nullptr);
    a->setFrameOrigin({0, 0});
    manager.layout();
    EXPECT_EQ(a->frame().origin, platform::Point(0, 0));
    EXPECT_EQ(b->frame().minX(), 20);
    // A view constrained again comes last.
    manager.addConstraint(C(C::MinX, nullptr, C::MinX, 10), a);
    EXPECT_EQ(manager.containers().back()->view(), a.get());
}

} // namespace
