#include "app/contacts/ContactCell.h"
#include "app/contacts/ContactGroupCell.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>

namespace {

using platform::Point;
using platform::Rect;

// Records what the cell asks its delegate to do.
struct Recorder : ContactCellDelegate {
    bool buttonAvailable(int, const OVEntity&) override { return true; }
    bool buttonHasMenu(int type, const OVEntity&) override {
        return type == CellButton::buttonTypeCall;
    }
    std::vector<CellLink> linksForContact(const OVEntity&) override { return links; }
    void showMenuForButton(int type, const Rect&, const OVEntity&) override {
        actions.push_back("menu " + std::to_string(type));
    }
    void buttonClicked(int type, const Rect&, const OVEntity&) override {
        actions.push_back("click " + std::to_string(type));
    }
    void linkClicked(const CellLink& link, const OVEntity&) override {
        actions.push_back("link " + link.address);
    }
    std::vector<CellLink> links;
    std::vector<std::string> actions;
};

class ContactCellTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
        platform::setScreenBackend(nullptr);
        platform::WindowServer::shared().reset();
        contact->defaultPresence()->update(OVPresenceStatus::statusAvailable, "Available");
        delegate.links = {{"+1555", "+1555", "mobile", OVField::fieldTypeVoiceVideo},
                          {"  ", "blank", "home", OVField::fieldTypeVoiceVideo},
                          {"eve@x", "eve@x", "email", OVField::fieldTypeNone}};
        cell.setDelegate(&delegate);
        cell.setContact(contact);
    }
    void TearDown() override { platform::WindowServer::shared().reset(); }

    // A press at the point, released there at once or (release false) held.
    void press(Point at, bool release) {
        if (release)
            platform::WindowServer::shared().postEvent(
                platform::Event::mouseEvent(platform::EventType::LeftMouseUp, at));
        cell.trackMouse(platform::Event::mouseEvent(platform::EventType::LeftMouseDown, at), frame,
                        nullptr, true);
    }

    std::shared_ptr<OVEntity> contact =
        std::make_shared<OVEntity>(7, OVEntity::typeLogicalContact, "Eve Example");
    Recorder delegate;
    ContactCell cell;
    Rect frame{10, 100, 300, 110};
};

TEST_F(ContactCellTest, GeometryOfTheThreeForms) {
    struct Case {
        int type;
        OVPresenceStatus status;
        double height;
        Rect avatar, icon;
        Point name;
        double nameWidth;
        Point presence;
    } cases[] = {
        // The name starts 18 points right of the status icon, or in its place without one.
        {ContactCell::condensedType,
         OVPresenceStatus::statusAvailable,
         20,
         {},
         {10, 103, 16, 16},
         {28, 103},
         182,
         {}},
        {ContactCell::condensedType, OVPresenceStatus::statusNone, 20, {}, {}, {10, 103}, 200, {}},
        {ContactCell::normalType,
         OVPresenceStatus::statusBusy,
         35,
         {8, 104, 27, 27},
         {44, 103, 16, 16},
         {63, 103},
         147,
         {63, 119}},
        {ContactCell::normalType,
         OVPresenceStatus::statusNone,
         35,
         {8, 104, 27, 27},
         {},
         {45, 103},
         165,
         {45, 119}},
        {ContactCell::extendedType,
         OVPresenceStatus::statusOffline,
         110,
         {8, 104, 40, 40},
         {58, 108, 16, 16},
         {78, 103},
         132,
         {}},
    };
    for (const auto& c : cases) {
        contact->defaultPresence()->update(c.status, "");
        cell.setType(c.type);
        const Rect row{10, 100, 300, c.height};
        const auto g = cell.geometryForFrame(row);
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(static_cast<int>(c.status)));
        EXPECT_EQ(g.avatar, c.avatar);
        EXPECT_EQ(g.statusIcon, c.icon);
        EXPECT_EQ(g.name, c.name);
        EXPECT_EQ(g.nameWidth, c.nameWidth) << "the name ends 100 points before the right edge";
        if (c.type == ContactCell::normalType)
            EXPECT_EQ(g.presence, c.presence);
        // The buttons from the right end leftwards, 20 points apart.
        ASSERT_EQ(g.buttons.size(), 4u);
        EXPECT_EQ(g.buttons[0], (Rect{290, 103, 16, 16}));
        EXPECT_EQ(g.buttons[3], (Rect{230, 103, 16, 16}));
        EXPECT_EQ(cell.minSize().height, c.height) << "an extended row grows 20 a link";
    }
}

TEST_F(ContactCellTest, ABlankLinkTakesNoLineAndEveryLineRunsItsOwnLink) {
    cell.setType(ContactCell::extendedType);
    cell.setContact(contact);
    const auto g = cell.geometryForFrame(frame);
    ASSERT_EQ(g.linkAreas.size(), 2u);
    EXPECT_EQ(g.linkAreas[0].minY(), 150);
    EXPECT_EQ(g.linkAreas[1].minY(), 170);
    EXPECT_EQ(g.linkOfArea, (std::vector<std::size_t>{0, 2}));

    // A click on the second line drawn runs the e-mail address drawn there, not the blank one.
    press({g.linkAreas[1].minX() + 30, 175}, true);
    press({g.linkAreas[0].minX() + 30, 155}, true);
    EXPECT_EQ(delegate.actions, (std::vector<std::string>{"link eve@x", "link +1555"}));
}

TEST_F(ContactCellTest, HeldButtonsOpenTheirMenusAndReleasesClick) {
    cell.setType(ContactCell::normalType);
    cell.setDisplayButtons(true);
    cell.setContact(contact);
    const auto g = cell.geometryForFrame({10, 100, 300, 35});
    const auto centre = [&](int type) {
        return g.buttons[static_cast<std::size_t>(type)].center();
    };
    struct Case {
        int button;
        bool release;
        std::string action;
    } cases[] = {
        {CellButton::buttonTypeMoreMenu, false, "menu 0"}, // the more button waits 0.01 s
        {CellButton::buttonTypeCall, false, "menu 1"},     // a button with a menu 0.5 s
        {CellButton::buttonTypeCall, true, "click 1"},     // released before: a click
        {CellButton::buttonTypeChat, true, "click 2"},
    };
    const Rect rowFrame{10, 100, 300, 35};
    for (const auto& c : cases) {
        delegate.actions.clear();
        const double before = platform::RunLoop::main().now();
        if (c.release)
            platform::WindowServer::shared().postEvent(
                platform::Event::mouseEvent(platform::EventType::LeftMouseUp, centre(c.button)));
        cell.trackMouse(
            platform::Event::mouseEvent(platform::EventType::LeftMouseDown, centre(c.button)),
            rowFrame, nullptr, true);
        EXPECT_EQ(delegate.actions, std::vector<std::string>{c.action});
        if (!c.release) {
            const double waited = platform::RunLoop::main().now() - before;
            EXPECT_NEAR(waited, c.button == 0 ? 0.01 : 0.5, 1e-6);
        }
    }
    // Released outside the button: nothing.
    delegate.actions.clear();
    platform::WindowServer::shared().postEvent(
        platform::Event::mouseEvent(platform::EventType::LeftMouseUp, {20, 110}));
    cell.trackMouse(platform::Event::mouseEvent(platform::EventType::LeftMouseDown, centre(2)),
                    rowFrame, nullptr, true);
    EXPECT_TRUE(delegate.actions.empty());
}

TEST(ContactGroupCell, CountsAndRoomForTheName) {
    struct Case {
        int shown, total;
        bool showTotal;
        std::string text;
    } cases[] = {{4, 12, true, "4/12"}, {12, 12, false, "12"}, {0, 0, false, "0"}};
    for (const auto& c : cases) {
        ContactGroupCell cell;
        cell.setGroupItems(c.shown);
        cell.setTotalNum(c.total);
        cell.setShowTotal(c.showTotal);
        EXPECT_EQ(cell.countText(), c.text);
    }
    ContactGroupCell cell;
    cell.setGroupName(std::string(200, 'W'));
    cell.setGroupItems(3);
    const auto g = cell.geometryForFrame({18, 0, 200, 25});
    EXPECT_EQ(g.name.minX(), 20);
    EXPECT_EQ(g.nameWidth, 180) << "the name stops 40 points before the right end";
    EXPECT_LE(g.name.width(), 180);
    EXPECT_LT(g.shownName.size(), 200u);
    EXPECT_EQ(g.count.maxX(), 215) << "the count ends 5 points before the area's end";
    EXPECT_EQ(cell.minSize().height, 20);
}

} // namespace
