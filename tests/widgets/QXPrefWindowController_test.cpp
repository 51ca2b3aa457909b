#include "QXBaseWindowTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/ToolbarItem.h"
#include "widgets/QXPrefWindowController.h"

#include <string>
#include <vector>

namespace skinned_test {
namespace {

using platform::make;
using platform::View;
using platform::Window;

// A window whose frame has a title bar above its content, as window managers that draw inside
// the frame would give it.
class TitledWindow : public Window {
public:
    using Window::Window;
    Rect frameRectForContentRect(const Rect& c) const override {
        return {c.minX(), c.minY(), c.width(), c.height() + titleBar};
    }
    Rect contentRectForFrameRect(const Rect& f) const override {
        return {f.minX(), f.minY(), f.width(), f.height() - titleBar};
    }
    static inline double titleBar = 22;
};

// A pane that writes what it is told into a shared journal.
class JournalPane : public QXPrefPane {
public:
    JournalPane(std::string name, double height, std::vector<std::string>& journal,
                bool pinnedToTop = true)
        : name_(std::move(name)), journal_(journal), view_(make<View>(Rect(0, 0, 200, height))) {
        if (pinnedToTop)
            view_->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    }
    std::shared_ptr<View> view() override { return view_; }
    void commitEditing() override { note("commitEditing"); }
    void viewWillShow(QXPrefWindowController&) override { note("viewWillShow"); }
    void viewDidShow(QXPrefWindowController&) override { note("viewDidShow"); }
    void viewWillHide(QXPrefWindowController&) override { note("viewWillHide"); }
    void viewDidHide(QXPrefWindowController&) override { note("viewDidHide"); }

private:
    void note(const std::string& what) { journal_.push_back(name_ + " " + what); }
    std::string name_;
    std::vector<std::string>& journal_;
    std::shared_ptr<View> view_;
};

struct PaneSpec {
    std::string identifier;
    std::string label;
    double height;
    bool pinnedToTop = true;
};

// Loads its window from a definition of the test's, a TitledWindow titled "Preferences", and
// registers the panes it is given each time the window is shown.
class TestPrefController : public QXPrefWindowController {
public:
    std::string windowNibName() const override { return "TestPreferences"; }
    void setupToolbar() override {
        for (const auto& [spec, pane] : panes)
            addViewController(pane, spec.identifier, spec.label,
                              std::make_shared<platform::Image>(Size(32, 32)));
    }
    void add(const PaneSpec& spec, std::vector<std::string>& journal) {
        panes.emplace_back(spec, std::make_shared<JournalPane>(spec.label, spec.height, journal,
                                                               spec.pinnedToTop));
    }
    std::vector<std::pair<PaneSpec, std::shared_ptr<JournalPane>>> panes;
};

class PrefWindowTest : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        platform::setLogSink([this](std::string_view line) { log.emplace_back(line); });
        platform::InterfaceDefinition::registerDefinition(
            "TestPreferences", [](platform::InterfaceDefinitionLoad& load) {
                auto window =
                    make<TitledWindow>(Rect(0, 0, 480, 300),
                                       platform::TitledWindowMask | platform::ClosableWindowMask);
                window->setTitle("Preferences");
                load.addTopLevelObject(window);
                if (auto* owner = dynamic_cast<QXPrefWindowController*>(load.owner()))
                    owner->setWindow(window);
            });
    }
    void TearDown() override {
        controller.reset();
        platform::InterfaceDefinition::unregisterDefinition("TestPreferences");
        platform::setLogSink(nullptr);
        TitledWindow::titleBar = 22;
        SkinnedWindowTest::TearDown();
    }

    void makeController(const std::vector<PaneSpec>& specs) {
        controller = std::make_unique<TestPrefController>();
        for (const auto& spec : specs)
            controller->add(spec, journal);
    }

    // The toolbar strip's height for the controller's panes, measured on a toolbar of the
    // same kind as the one the window gets.
    double stripHeight() {
        controller->setupToolbar();
        platform::Toolbar probe("probe");
        probe.setDisplayMode(platform::ToolbarDisplayMode::IconAndLabel);
        probe.setDelegate(controller.get());
        return probe.height();
    }

    std::shared_ptr<JournalPane> pane(std::size_t i) { return controller->panes[i].second; }

    std::unique_ptr<TestPrefController> controller;
    std::vector<std::string> journal;
    std::vector<std::string> log;
};

const std::vector<PaneSpec> kPanes = {
    {"General", "General", 300},
    {"Audio", "Audio", 120},
    {"Devices", "Devices", 450},
    {"Advanced", "Advanced", 80, false},
};

TEST_F(PrefWindowTest, SwitchingPanesFitsTheHeightAndKeepsTheTopEdge) {
    makeController(kPanes);
    // Title bar and toolbar together take 78 points.
    TitledWindow::titleBar = 78 - stripHeight();
    controller->showWindow(nullptr);
    Window* window = controller->window();
    ASSERT_NE(window, nullptr);
    const double top = window->frame().maxY();
    const double left = window->frame().minX();
    EXPECT_EQ(window->frame().height(), 378);

    struct Step {
        const char* identifier;
        bool animate;
        double windowHeight;
    };
    const Step steps[] = {
        {"Audio", false, 198},  {"Devices", true, 528},  {"Advanced", false, 158},
        {"General", true, 378}, {"Devices", false, 528},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.identifier);
        controller->displayViewWithIdentifier(step.identifier, step.animate);
        EXPECT_EQ(window->frame().height(), step.windowHeight);
        EXPECT_EQ(window->frame().maxY(), top);
        EXPECT_EQ(window->frame().minX(), left);
        auto shown = controller->paneWithIdentifier(step.identifier)->view();
        EXPECT_EQ(shown->superview(), window->contentView());
        // The pane fills the width and sits right under the toolbar.
        const Rect f = shown->frame();
        EXPECT_NEAR(f.minX(), 0, 1e-9);
        EXPECT_NEAR(f.minY(), 0, 1e-9);
        EXPECT_EQ(f.size, Size(480, step.windowHeight - 78));
        EXPECT_EQ(window->toolbar()->selectedItemIdentifier(), step.identifier);
    }
}

TEST_F(PrefWindowTest, WithoutVerticalResizingAPaneHangsFromTheToolbar) {
    makeController(kPanes);
    controller->setVerticalResize(false);
    controller->showWindow(nullptr);
    Window* window = controller->window();
    const Rect frame = window->frame();
    const double area = window->contentRectForFrameRect(frame).height() -
                        window->toolbar()->toolbarView()->frame().height();
    EXPECT_EQ(pane(0)->view()->frame(), Rect(0, area - 300, 480, 300));
    controller->displayViewWithIdentifier("Advanced", false);
    EXPECT_EQ(window->frame(), frame);
    EXPECT_EQ(pane(3)->view()->frame(), Rect(0, 0, 480, 80)) << "not pinned: stays put";
}

TEST_F(PrefWindowTest, OpeningOnAPaneFromAMenu) {
    makeController(kPanes);
    controller->showWindow(nullptr);
    controller->displayViewWithIdentifier("Devices", true);
    const std::vector<std::string> expected = {
        "General viewWillShow",  "General viewDidShow", "General viewWillHide",
        "General commitEditing", "General viewDidHide", "Devices viewWillShow",
        "Devices viewDidShow",
    };
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(controller->window()->title(), "Preferences - Devices");
    EXPECT_EQ(controller->currentIdentifier(), "Devices");
    EXPECT_EQ(pane(0)->view()->superview(), nullptr);
    EXPECT_TRUE(controller->window()->isVisible());
    EXPECT_EQ(controller->window()->toolbar()->identifier(), "PreferencesToolbar");
    EXPECT_TRUE(log.empty()) << "pane changes are not logged";
}

TEST_F(PrefWindowTest, ChoosingTheShownPaneChangesNothing) {
    makeController(kPanes);
    controller->showWindow(nullptr);
    journal.clear();
    log.clear();
    const Rect frame = controller->window()->frame();
    auto item = pane(0)->representedObject();
    ASSERT_NE(item, nullptr);
    item->performAction();
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(controller->window()->frame(), frame);

    // The toolbar's item for another pane switches to it, animated.
    auto audio = pane(1)->representedObject();
    EXPECT_EQ(audio->label(), "Audio");
    EXPECT_EQ(audio->action(), "switchToolbarItem:");
    audio->performAction();
    EXPECT_EQ(controller->currentIdentifier(), "Audio");
    EXPECT_EQ(controller->window()->title(), "Preferences - Audio");

    // Identifiers nobody registered are ignored, without a log line.
    log.clear();
    controller->displayViewWithIdentifier("Nothing", false);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(controller->currentIdentifier(), "Audio");
}

TEST_F(PrefWindowTest, ClosingHidesThePaneSoTheNextShowStartsAtTheFirst) {
    makeController(kPanes);
    controller->showWindow(nullptr);
    controller->displayViewWithIdentifier("Audio", false);
    // Showing the open window again keeps its pane.
    controller->showWindow(nullptr);
    EXPECT_EQ(controller->currentIdentifier(), "Audio");

    journal.clear();
    controller->window()->close();
    EXPECT_EQ(journal, (std::vector<std::string>{"Audio viewWillHide", "Audio commitEditing",
                                                 "Audio viewDidHide"}));
    EXPECT_EQ(controller->currentIdentifier(), std::nullopt);
    controller->showWindow(nullptr);
    EXPECT_EQ(controller->currentIdentifier(), "General");
}

TEST_F(PrefWindowTest, ASheetOnTheWindowEndsWhenThePaneChanges) {
    makeController(kPanes);
    controller->showWindow(nullptr);
    auto sheet = make<Window>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    int code = -1;
    platform::WindowServer::shared().beginSheet(*sheet, *controller->window(),
                                                [&code](int returnCode) { code = returnCode; });
    ASSERT_EQ(controller->window()->attachedSheet(), sheet.get());
    controller->displayViewWithIdentifier("Audio", false);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(controller->window()->attachedSheet(), nullptr);
}

TEST_F(PrefWindowTest, WithNoPaneTheWindowShowsEmptyAndSaysSo) {
    makeController({});
    controller->showWindow(nullptr);
    Window* window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(controller->currentIdentifier(), std::nullopt);
    EXPECT_TRUE(window->toolbar()->items().empty());
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("no pane"), std::string::npos);
    EXPECT_EQ(window->title(), "Preferences");
}

TEST_F(PrefWindowTest, RegistrationIgnoresMissingPartsAndKeepsOrder) {
    makeController(kPanes);
    controller->addViewController(nullptr, "Nobody", "Nobody", nullptr);
    controller->addViewController(pane(0), "", "Empty", nullptr);
    EXPECT_TRUE(controller->prefIdentifiers().empty());
    controller->showWindow(nullptr);
    EXPECT_EQ(controller->prefIdentifiers(),
              (std::vector<std::string>{"General", "Audio", "Devices", "Advanced"}));
    auto& toolbar = *controller->window()->toolbar();
    EXPECT_EQ(controller->toolbarSelectableItemIdentifiers(toolbar), controller->prefIdentifiers());
    ASSERT_EQ(toolbar.items().size(), 4u);
    EXPECT_EQ(toolbar.items()[2]->itemIdentifier(), "Devices");
    EXPECT_EQ(controller->toolbarItemForItemIdentifier(toolbar, "Nothing", true), nullptr);
    EXPECT_EQ(controller->window()->delegate(), controller.get());
    EXPECT_FALSE(controller->window()->showsResizeIndicator());
    EXPECT_FALSE(controller->window()->showsToolbarButton());
}

TEST_F(PrefWindowTest, HorizontalResizingWidensUntilEveryItemShows) {
    std::vector<PaneSpec> many;
    for (int i = 0; i < 8; ++i)
        many.push_back({"Pane" + std::to_string(i), "Pane number " + std::to_string(i), 100});
    for (double limit : {2000.0, 300.0}) {
        SCOPED_TRACE(limit);
        controller.reset();
        platform::WindowServer::shared().reset();
        makeController(many);
        controller->setHorizontalResize(true);
        controller->window()->setMaxSize({limit, 2000});
        controller->showWindow(nullptr);
        Window* window = controller->window();
        auto& toolbar = *window->toolbar();
        const double width = window->frame().width();
        EXPECT_EQ(std::fmod(width - 480, 10), 0);
        if (limit > 1000) {
            EXPECT_EQ(toolbar.visibleItems().size(), 8u);
            window->setContentSize({width - 10, 100});
            EXPECT_LT(toolbar.visibleItems().size(), 8u) << "10 points fewer would not do";
        } else {
            EXPECT_EQ(width, 480) << "the window's limit is already passed";
        }
    }
}

TEST_F(PrefWindowTest, ThePreferencesDefinitionGivesATitledWindow) {
    class Plain : public QXPrefWindowController {
    public:
        void setupToolbar() override { addViewController(pane, "Accounts", "Accounts"); }
        std::shared_ptr<QXPrefPane> pane;
    };
    platform::InterfaceDefinition::unregisterDefinition("Preferences");
    Plain plain;
    plain.pane = std::make_shared<JournalPane>("Accounts", 250, journal);
    EXPECT_EQ(plain.windowNibName(), "Preferences");
    plain.showWindow(nullptr);
    ASSERT_NE(plain.window(), nullptr);
    EXPECT_EQ(plain.window()->title(), "Preferences - Accounts");
    EXPECT_EQ(plain.window()->delegate(), &plain);
    EXPECT_EQ(plain.window()->toolbar()->identifier(), "PreferencesToolbar");
    const double strip = plain.window()->toolbar()->toolbarView()->frame().height();
    EXPECT_EQ(plain.window()->frame().height(), 250 + strip);
}

} // namespace
} // namespace skinned_test
