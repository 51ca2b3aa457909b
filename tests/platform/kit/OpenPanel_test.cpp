#include "platform/foundation/TestSupport.h"
#include "platform/kit/Button.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Matrix.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextField.h"

#include <filesystem>
#include <optional>

using namespace kittest;
using platform::Button;
using platform::Matrix;
using platform::OpenPanel;
using platform::SavePanel;
namespace fs = std::filesystem;

namespace {

class OpenPanelTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        for (const char* name : {"b.csv", "a.CSV", "notes.txt", "cards.vcf", ".hidden.csv"}) {
            foundation_test::writeFile(tmp / "docs" / name, "x");
        }
        fs::create_directories(tmp / "docs" / "sub" / "deeper");
        foundation_test::writeFile(tmp / "docs" / "sub" / "c.csv", "x");
        parent = makeWindow({100, 100, 600, 500});
        parent->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        parent.reset();
        KitTest::TearDown();
    }

    // A click the way a user makes it, through the window server.
    static void click(View& view, long clicks = 1) {
        Window* window = view.window();
        ASSERT_NE(window, nullptr);
        const Point centre =
            view.convertPointToView({view.bounds().midX(), view.bounds().midY()}, nullptr);
        mouse(EventType::LeftMouseDown, *window, centre, clicks);
        mouse(EventType::LeftMouseUp, *window, centre, clicks);
    }
    static void clickRow(SavePanel& panel, long row, long clicks = 1) {
        auto* table = panel.fileTable();
        const Rect r = table->rectOfRow(row);
        const Point p = table->convertPointToView({r.minX() + 10, r.midY()}, nullptr);
        for (long c = 1; c <= clicks; ++c) {
            mouse(EventType::LeftMouseDown, *panel.fileTable()->window(), p, c);
            mouse(EventType::LeftMouseUp, *panel.fileTable()->window(), p, c);
        }
    }
    std::optional<int> begin(SavePanel& panel) {
        result.reset();
        panel.beginSheetModalForWindow(*parent, [this](int code) { result = code; });
        EXPECT_EQ(parent->attachedSheet(), &panel);
        return result;
    }

    foundation_test::TempDir tmp;
    std::shared_ptr<Window> parent;
    std::optional<int> result;
};

TEST_F(OpenPanelTest, AFileOfAnAllowedTypeIsChosenFromTheList) {
    auto panel = OpenPanel::openPanel();
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(false);
    panel->setAllowedFileTypes({"csv"});
    panel->setMessage("Pick one");
    panel->setDirectory(tmp / "docs");
    EXPECT_EQ(panel->listedNames(), (std::vector<std::string>{"..", "sub/", "a.CSV", "b.csv"}))
        << "folders first, then files of the type, hidden ones left out";
    EXPECT_FALSE(begin(*panel).has_value());
    EXPECT_FALSE(panel->okButton()->isEnabled()) << "a folder is no file";

    clickRow(*panel, 3);
    EXPECT_EQ(panel->pathField()->stringValue(), (tmp / "docs" / "b.csv").string());
    ASSERT_TRUE(panel->okButton()->isEnabled());
    click(*panel->okButton());
    EXPECT_EQ(result, platform::FileHandlingPanelOKButton);
    EXPECT_EQ(panel->filename(), (tmp / "docs" / "b.csv").lexically_normal());
    EXPECT_EQ(parent->attachedSheet(), nullptr);
    EXPECT_FALSE(panel->isVisible());

    begin(*panel);
    panel->pathField()->setStringValue("notes.txt");
    panel->tryToPerform("pathEntered:", panel->pathField());
    EXPECT_FALSE(result.has_value()) << "a file of another type is refused";
    clickRow(*panel, 1, 2);
    EXPECT_EQ(panel->directory(), (tmp / "docs" / "sub").lexically_normal())
        << "a double click opens a folder";
    EXPECT_EQ(panel->listedNames(), (std::vector<std::string>{"..", "deeper/", "c.csv"}));
    clickRow(*panel, 2, 2);
    EXPECT_EQ(result, platform::FileHandlingPanelOKButton) << "a double click chooses a file";
    EXPECT_EQ(panel->filename(), tmp / "docs" / "sub" / "c.csv");
}

TEST_F(OpenPanelTest, AFolderIsChosenByPathOrAsTheOneShown) {
    auto panel = OpenPanel::openPanel();
    panel->setCanChooseFiles(false);
    panel->setCanChooseDirectories(true);
    panel->setDirectory(tmp.path());
    begin(*panel);
    EXPECT_EQ(panel->listedNames(), (std::vector<std::string>{"..", "docs/"}))
        << "no files in a folder chooser";
    panel->pathField()->setStringValue("docs/sub");
    panel->tryToPerform("pathEntered:", panel->pathField());
    EXPECT_EQ(panel->directory(), (tmp / "docs" / "sub").lexically_normal())
        << "Return on a folder's path opens it";
    EXPECT_EQ(panel->pathField()->stringValue(), "");
    EXPECT_TRUE(panel->okButton()->isEnabled());
    click(*panel->okButton());
    EXPECT_EQ(result, platform::FileHandlingPanelOKButton);
    EXPECT_EQ(panel->filename(), (tmp / "docs" / "sub").lexically_normal());
}

TEST_F(OpenPanelTest, CancelAndAnEndFromOutsideAnswerCancel) {
    auto panel = OpenPanel::openPanel();
    panel->setDirectory(tmp / "docs");
    begin(*panel);
    click(*panel->cancelButton());
    EXPECT_EQ(result, platform::FileHandlingPanelCancelButton);
    EXPECT_EQ(panel->filename(), fs::path());

    begin(*panel);
    WindowServer::shared().endSheet(*panel);
    EXPECT_EQ(result, platform::FileHandlingPanelCancelButton);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(OpenPanelTest, ASavePanelWantsANewNameInAFolderThatExists) {
    auto panel = SavePanel::savePanel();
    panel->setAllowedFileTypes({"csv"});
    panel->setDirectory(tmp / "docs");
    const struct {
        const char* text;
        bool valid;
    } cases[] = {{"out.csv", true}, {"b.csv", true},         {"out.txt", false},
                 {"sub", false},    {"gone/out.csv", false}, {"", false}};
    for (const auto& c : cases) {
        panel->setNameFieldStringValue(c.text);
        EXPECT_EQ(panel->okButton()->isEnabled(), c.valid) << c.text;
    }
}

TEST_F(OpenPanelTest, ARadioMatrixKeepsOneButtonOn) {
    struct Target : platform::ActionTarget {
        bool tryToPerform(std::string_view action, platform::Object*) override {
            heard.emplace_back(action);
            return true;
        }
        bool respondsToAction(std::string_view) const override { return true; }
        std::vector<std::string> heard;
    } target;
    auto matrix = make<Matrix>(Rect{10, 10, 200, 60});
    matrix->setTarget(&target);
    matrix->setAction("optionChanged:");
    matrix->addRadioButton("Keep", 1);
    matrix->addRadioButton("Replace", 0);
    parent->contentView()->addSubview(matrix);
    EXPECT_EQ(matrix->selectedTag(), 1) << "the first is on";

    click(*matrix->buttons()[1]);
    EXPECT_EQ(matrix->selectedTag(), 0);
    EXPECT_EQ(matrix->buttons()[0]->state(), platform::OffState);
    EXPECT_EQ(target.heard, std::vector<std::string>{"optionChanged:"});
    click(*matrix->buttons()[1]);
    EXPECT_EQ(matrix->selectedTag(), 0) << "a second click leaves it on";

    EXPECT_FALSE(matrix->selectCellWithTag(7));
    EXPECT_EQ(matrix->selectedTag(), 0);
    EXPECT_TRUE(matrix->selectCellWithTag(1));
    EXPECT_EQ(matrix->selectedTag(), 1);
    matrix->setTarget(nullptr);
}

} // namespace
