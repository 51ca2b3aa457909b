#include "app/core/SignInTestSupport.h"
#include "app/main_window/DialpadViewController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/TextView.h"
#include "widgets/QXAttachWindow.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXSearchField.h"

using namespace app_test;

namespace {

TEST(DialpadLabel, BracesMakeSmallGreyTextAndEscapesBecomeTabsAndLineBreaks) {
    struct Case {
        std::string brand, text;
        std::size_t large;
    };
    const Case cases[] = {
        {"2{ABC}", "2ABC", 1}, {"1\\n{voice}", "1\nvoice", 2}, {"\\t#", "\t#", 2}, {"*", "*", 1},
        {"{}", "", 0},
    };
    for (const auto& c : cases) {
        const auto label = DialpadViewController::labelFromBrandText(c.brand);
        EXPECT_EQ(label.string(), c.text) << c.brand;
        for (std::size_t i = 0; i < label.length(); ++i) {
            const auto font = label.attributesAtIndex(i).font;
            ASSERT_TRUE(font) << c.brand;
            EXPECT_EQ(font->pointSize(), i < c.large ? 17 : 11) << c.brand << " at " << i;
        }
    }
}

class DialpadTest : public SignInTest {
protected:
    static PrimaryModuleController& primary() {
        return PrimaryModuleController::sharedController();
    }
    static std::shared_ptr<platform::Button> toggle(bool on) {
        auto button = std::make_shared<platform::Button>();
        button->setButtonType(platform::PushOnPushOffButton);
        button->setState(on ? platform::OnState : platform::OffState);
        return button;
    }
};

TEST_F(DialpadTest, DockedPadJoinsTheStackAtTheBottomAndSendsEachKeyAsPressAndRelease) {
    signInToMainView();
    primary().toggleDialpad(toggle(true).get());
    auto* pad = primary().dockedDialpad();
    ASSERT_TRUE(pad);
    ASSERT_FALSE(primary().views().empty());
    EXPECT_EQ(primary().views().back(), pad->view()) << "at the bottom of the stack";

    // The grid: "*0#" on the bottom row, "123" on top, every key the size of "0".
    auto* zero = pad->keyFor('0');
    EXPECT_EQ(pad->keyFor('*')->frame().minY(), 0);
    EXPECT_GT(pad->keyFor('1')->frame().minY(), pad->keyFor('4')->frame().minY());
    EXPECT_LT(pad->keyFor('*')->frame().minX(), zero->frame().minX());
    EXPECT_EQ(pad->keyFor('#')->frame().size, zero->frame().size);
    EXPECT_EQ(zero->attributedTitle().string(), "0 +") << "the brand's label";

    for (char key : std::string("5#"))
        click(*pad->keyFor(key));
    EXPECT_EQ(pad->model()->keyLog(), (std::vector<std::string>{"+5", "-5", "+#", "-#"}));

    // The model's pressed key is the highlighted one; a code of no key lights none.
    pad->model()->setPressedKey('9');
    EXPECT_TRUE(pad->keyFor('9')->isHighlighted());
    pad->model()->setPressedKey('A');
    for (const auto& key : pad->keys())
        EXPECT_FALSE(key->isHighlighted());

    primary().toggleDialpad(toggle(false).get());
    EXPECT_FALSE(primary().dockedDialpad());
    EXPECT_EQ(std::count(primary().views().begin(), primary().views().end(), nullptr), 0);
}

TEST_F(DialpadTest, FloatingPadSlidesOutBesideTheMainWindowAndIsGoneAfterClose) {
    signInToMainView();
    EXPECT_FALSE(DialpadWindowController::dialpadExist());
    auto& pad = DialpadWindowController::sharedController();
    ASSERT_TRUE(pad.window() && pad.dialpad());
    EXPECT_EQ(pad.window()->attachWindow(), &window()) << "docked to the main window";
    EXPECT_EQ(pad.window()->contentView(), pad.dialpad()->view().get());
    EXPECT_FALSE(pad.isVisible()) << "collapsed behind the main window until shown";

    pad.showWindow(nullptr);
    settle();
    EXPECT_TRUE(pad.isVisible());
    // Out on the main window's right (the brand's side), top edges level, the pad's full size.
    const auto main = window().frame();
    const auto frame = pad.window()->frame();
    EXPECT_DOUBLE_EQ(frame.minX(), main.maxX());
    EXPECT_DOUBLE_EQ(frame.maxY(), main.maxY());
    EXPECT_EQ(frame.size,
              pad.window()->frameRectForContentRect(pad.dialpad()->view()->frame()).size);
    // It follows the main window.
    window().setFrameOrigin({main.minX() + 40, main.minY()});
    settle();
    EXPECT_DOUBLE_EQ(pad.window()->frame().minX(), main.maxX() + 40);

    auto* seven = pad.dialpad()->keyFor('7');
    click(*seven);
    EXPECT_EQ(pad.dialpad()->model()->keyLog(), (std::vector<std::string>{"+7", "-7"}));

    std::weak_ptr<platform::Window> shown = pad.window()->sharedWindow();
    pad.close();
    EXPECT_FALSE(DialpadWindowController::dialpadExist());
    EXPECT_TRUE(shown.expired()) << "the window goes with its controller";
    EXPECT_FALSE(DialpadWindowController::sharedController().isVisible()) << "a fresh one";
    DialpadWindowController::releaseSharedController();
}

TEST_F(DialpadTest, KeysWithNoCallAreTypedIntoTheCallEntryWhichTakesTheFocus) {
    signInToMainView();
    primary().toggleDialpad(toggle(true).get());
    auto* pad = primary().dockedDialpad();
    ASSERT_TRUE(pad);
    window().makeFirstResponder(nullptr);
    for (char key : std::string("555*1"))
        click(*pad->keyFor(key));
    settle();
    EXPECT_EQ(primary().numberEntryModel()->numberEntered(), "555*1");
    EXPECT_EQ(primary().getCallEntryField()->stringValue(), "555*1");
    auto* field = primary().getCallEntryField();
    EXPECT_TRUE(window().firstResponder() == field ||
                (field->currentEditor() && window().firstResponder() == field->currentEditor()))
        << "the call entry has the keyboard";

    // In a call the keys are tones down the call and leave the entry alone.
    primary().numberEntryModel()->clearNumberEntered();
    auto call = engine().phoneService()->getConversationService()->audioConversation(
        "sip:bob@sip.lumiq.example", -1);
    runFor(3.0);
    settle();
    ASSERT_TRUE(call->isLive() && call->wasConnected());
    click(*pad->keyFor('9'));
    settle();
    EXPECT_EQ(primary().numberEntryModel()->numberEntered(), "");
    EXPECT_EQ(call->tonesSent(), "9");
    call->end();
    settle();
}

} // namespace
