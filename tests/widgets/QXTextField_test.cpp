#include "TextFieldTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Application.h"
#include "platform/kit/Control.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButtonCell.h"
#include "platform/kit/TextView.h"
#include "support/TextExtensions.h"
#include "widgets/QXGenericFieldEditor.h"
#include "widgets/QXTextField.h"
#include "widgets/QXTextFieldCell.h"
#include "widgets/QXTextFieldNoCopyPaste.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace textfield_test {
namespace {

using platform::make;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);
const Color kBlue(0, 0, 1, 1);
const Color kYellow(1, 1, 0, 1);
const Color kPurple(0.5, 0, 0.5, 1);

// Writes down what the field tells its delegate.
class Recorder : public QXTextFieldDelegate {
public:
    std::vector<std::string> log;
    std::optional<bool> pressedAnswer;
    const QXTextField* field = nullptr;
    bool itemStringWhenPressed = false;
    std::vector<std::string> menuItems;

    void textFieldGotFocus(QXTextField&) override { log.push_back("gotFocus"); }
    void textFieldLostFocus(QXTextField&) override { log.push_back("lostFocus"); }
    void clearPressed() override { log.push_back("clearPressed"); }
    void dropDownMenuWillShowMenu(QXTextField&, platform::Menu& menu) override {
        log.push_back("willShowMenu");
        for (const auto& item : menu.itemArray())
            menuItems.push_back(item->title());
        menu.addItemWithTitle("Redial 5550100", "", "");
    }
    std::optional<bool> keyPressed(const Event& event) override {
        log.push_back("key:" + event.characters());
        if (field)
            itemStringWhenPressed = field->itemString().has_value();
        return pressedAnswer;
    }
    void textDidChange(const platform::Notification&) override {
        log.push_back(std::string("changed:") + (field && field->hasValue() ? "value" : "empty"));
    }
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }
};

class QXTextFieldTest : public FieldWindowTest {
protected:
    void SetUp() override {
        FieldWindowTest::SetUp();
        // Right button: 12 x 12 sets with every variant; left button: 10 x 10, normal only.
        bundle = std::make_unique<TestBundle>();
        bundle->addImage("tfr_n", {12, 12}, kRed);
        bundle->addImage("tfr_h", {12, 12}, kGreen);
        bundle->addImage("tfr_p", {12, 12}, kBlue);
        bundle->addImage("tfsolo", {12, 12}, kYellow);
        bundle->addImage("tfleft", {10, 10}, kPurple);
        bundle->addImage("tftall", {10, 40}, kYellow);
    }
    void TearDown() override {
        FieldWindowTest::TearDown();
        bundle.reset();
    }

    std::shared_ptr<QXTextField> addField(Rect frame = {20, 200, 200, 24}) {
        auto field = make<QXTextField>(frame);
        content->addSubview(field);
        recorder.field = field.get();
        field->setDelegate(&recorder);
        return field;
    }
    // The middle of the field's right button, in the field's coordinates.
    static Point rightButton(const QXTextField& field) {
        return field.rightButtonAreaForFrame(field.bounds()).center();
    }

    std::unique_ptr<TestBundle> bundle;
    Recorder recorder;
};

TEST_F(QXTextFieldTest, ButtonImageSetsFallBackAsTheirNamesAllow) {
    // Active set / inactive set, whether the field holds a value, and the image expected
    // normal, under the pointer and pressed.
    struct Case {
        const char* active;
        const char* inactive;
        bool hasValue;
        Color normal, hover, pressed;
    };
    const Case cases[] = {
        {"tfr", "tfr", true, kRed, kGreen, kBlue},
        // A base name without "_n" is a one-image set: every state shows it.
        {"tfsolo", "tfsolo", false, kYellow, kYellow, kYellow},
        // An active set without variants borrows the inactive set's.
        {"tfsolo", "tfr", true, kYellow, kGreen, kBlue},
        {"tfr", "tfsolo", false, kYellow, kYellow, kYellow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.active) + "/" + c.inactive);
        auto field = addField();
        field->setActiveRightButtonNamed(c.active);
        field->setInactiveRightButtonNamed(c.inactive);
        field->setStringValue(c.hasValue ? "5550100" : "");
        const Rect b = field->bounds();
        EXPECT_TRUE(near(middleOf(*field->getRightImageForFrame(b, c.hasValue)), c.normal));
        input->move(*field, Point(5, 12));
        input->move(*field, rightButton(*field));
        ASSERT_EQ(field->rightButtonState(), 1);
        EXPECT_TRUE(near(middleOf(*field->getRightImageForFrame(b, c.hasValue)), c.hover));
        input->down(*field, rightButton(*field));
        ASSERT_EQ(field->rightButtonState(), 2);
        EXPECT_TRUE(near(middleOf(*field->getRightImageForFrame(b, c.hasValue)), c.pressed));
        field->setActiveRightButtonTarget(nullptr, "");
        field->setInactiveRightButtonTarget(nullptr, "");
        input->up(*field, rightButton(*field));
        input->move(*field, Point(5, 12));
        field->removeFromSuperview();
    }
}

TEST_F(QXTextFieldTest, ARightButtonNeedsBothSetsWhileTheLeftOneNeedsOnlyItsOwn) {
    auto field = addField();
    field->setActiveRightButtonNamed("tfr");
    field->setActiveLeftButtonNamed("tfleft");
    const Rect b = field->bounds();
    EXPECT_EQ(field->getRightImageForFrame(b, true), nullptr);
    EXPECT_TRUE(field->rightButtonAreaForFrame(b).isEmpty());
    EXPECT_TRUE(field->trackingAreas().empty());
    // Without a value the left button shows its (missing) inactive set: nothing.
    EXPECT_TRUE(field->leftButtonAreaForFrame(b).isEmpty());
    field->setStringValue("1");
    EXPECT_EQ(field->leftButtonAreaForFrame(b).size, Size(10, 10));

    field->setInactiveRightButtonNamed("tfr");
    EXPECT_NE(field->getRightImageForFrame(b, true), nullptr);
    ASSERT_EQ(field->trackingAreas().size(), 1u);
    EXPECT_EQ(field->trackingAreas()[0]->rect(), field->rightButtonAreaForFrame(b));
}

TEST_F(QXTextFieldTest, AnImageTallerThanTheFieldIsDrawnScaledWithoutChangingTheStoredOne) {
    auto field = addField(Rect(20, 200, 200, 24));
    field->setActiveRightButtonNamed("tftall");
    field->setInactiveRightButtonNamed("tftall");
    const auto shown = field->getRightImageForFrame(field->bounds(), true);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->size(), Size(5, 20));
    EXPECT_EQ(Image::imageNamed("tftall")->size(), Size(10, 40));
    EXPECT_EQ(field->rightButtonAreaForFrame(field->bounds()), Rect(200 - 5 - 2, 2, 5, 20));
}

TEST_F(QXTextFieldTest, ButtonAndTextAreasFollowTheBezel) {
    struct Case {
        bool bezeled;
        platform::TextFieldBezelStyle style;
        float radius;
        double offset, spacing;
    };
    const Case cases[] = {
        {false, platform::TextFieldBezelStyle::Square, 0, 1, 2},
        {true, platform::TextFieldBezelStyle::Square, 0, 2, 2},
        {true, platform::TextFieldBezelStyle::Rounded, 0, 3, -6},
        {false, platform::TextFieldBezelStyle::Square, 5, 1, 2},
    };
    auto field = addField(Rect(20, 200, 200, 24));
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfr");
    field->setActiveLeftButtonNamed("tfleft");
    field->setInactiveLeftButtonNamed("tfleft");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bezeled << " " << int(c.style) << " " << c.radius);
        field->setBezeled(c.bezeled);
        field->setBezelStyle(c.style);
        field->setRadius(c.radius);
        EXPECT_EQ(field->buttonOffset(), c.offset);
        EXPECT_EQ(field->textSpacing(), c.spacing);
        const Rect b = field->bounds();
        EXPECT_EQ(field->rightButtonAreaForFrame(b), Rect(200 - 12 - c.offset, 6, 12, 12));
        EXPECT_EQ(field->leftButtonAreaForFrame(b), Rect(c.offset, 7, 10, 10));
        const double x = 10 + c.spacing + c.radius;
        const double w = 200 - (12 + c.spacing) - (10 + c.spacing) - c.radius;
        EXPECT_EQ(field->textAreaForFrame(b), Rect(x, 0, w, 24));
    }
}

TEST_F(QXTextFieldTest, EditingHappensInsideTheTextArea) {
    auto field = addField();
    field->setBezeled(false);
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfr");
    window->makeFirstResponder(field.get());
    platform::TextView* editor = field->currentEditor();
    ASSERT_NE(editor, nullptr);
    const Rect area = field->textAreaForFrame(field->bounds());
    EXPECT_LE(editor->frame().maxX(), area.maxX());
    EXPECT_LT(editor->frame().maxX(), field->rightButtonAreaForFrame(field->bounds()).minX());
}

TEST_F(QXTextFieldTest, ARoundedFieldsTextStaysPutWhenEditingStarts) {
    auto field = addField(Rect(20, 200, 200, 24));
    field->setBezeled(false);
    field->setRadius(8);
    field->setStringValue("Hello");
    // The first column with ink in the field's part of the content view, and the top row of
    // the first letter's ink (the caret, further right, does not count).
    const auto inkStart = [&] {
        Picture picture(*content, content->frame().size);
        const auto ink = [&](int x, int y) {
            const Color c = picture.fromTop(x, y);
            return c.redComponent() < 0.5 && c.greenComponent() < 0.5 && c.blueComponent() < 0.5;
        };
        int left = picture.width(), top = picture.height();
        for (int y = 300 - 224 + 3; y < 300 - 200 - 3; ++y)
            for (int x = 20 + 9; x < 20 + 150; ++x)
                if (ink(x, y))
                    left = std::min(left, x);
        for (int y = 300 - 224 + 3; y < 300 - 200 - 3; ++y)
            for (int x = left; x < left + 3; ++x)
                if (ink(x, y))
                    top = std::min(top, y);
        return std::make_pair(left, top);
    };
    const auto drawn = inkStart();
    window->makeFirstResponder(field.get());
    ASSERT_NE(field->currentEditor(), nullptr);
    field->currentEditor()->setSelectedRange({5, 0});
    const auto edited = inkStart();
    EXPECT_NEAR(edited.first, drawn.first, 1);
    EXPECT_NEAR(edited.second, drawn.second, 1);
}

TEST_F(QXTextFieldTest, EscapeAlwaysClearsAndGivesUpTheFocusOnlyWhenAsked) {
    for (const bool resign : {false, true}) {
        SCOPED_TRACE(resign);
        recorder.log.clear();
        auto field = addField();
        field->setResignResponderOnCancel(resign);
        window->makeFirstResponder(field.get());
        input->type("42");
        ASSERT_EQ(field->stringValue(), "42");
        input->key(platform::EscapeCharacter);
        EXPECT_EQ(field->stringValue(), "");
        EXPECT_FALSE(field->hasValue());
        EXPECT_EQ(recorder.count("clearPressed"), 1);
        EXPECT_EQ(field->currentEditor() != nullptr, !resign);
        EXPECT_EQ(recorder.count("lostFocus"), resign ? 1 : 0);
        field->removeFromSuperview();
    }
}

TEST_F(QXTextFieldTest, ReturnSendsTheActionWithoutSenderEvenWhenEmpty) {
    auto field = addField();
    ActionRecorder target;
    field->setTarget(&target);
    field->setAction("dial:");
    window->makeFirstResponder(field.get());
    input->key(platform::CarriageReturnCharacter);
    ASSERT_EQ(target.actions, std::vector<std::string>{"dial:"});
    EXPECT_EQ(target.senders[0], nullptr);
    // The field keeps the keyboard: Return did not end editing.
    EXPECT_NE(field->currentEditor(), nullptr);
    EXPECT_EQ(recorder.count("lostFocus"), 0);
}

TEST_F(QXTextFieldTest, ADelegateThatPerformsACommandKeepsTheEditorFromDoingItAgain) {
    class Swallower : public Recorder {
    public:
        bool controlTextViewDoCommandBySelector(QXTextField&, platform::TextView&,
                                                std::string_view selector) override {
            commands.emplace_back(selector);
            return selector == "cancelOperation:";
        }
        std::vector<std::string> commands;
    } swallower;
    auto field = addField();
    field->setDelegate(&swallower);
    window->makeFirstResponder(field.get());
    input->type("7");
    input->key(platform::EscapeCharacter);
    EXPECT_EQ(swallower.commands, std::vector<std::string>{"cancelOperation:"});
    EXPECT_EQ(field->stringValue(), "7");
    EXPECT_EQ(swallower.count("clearPressed"), 0);
}

TEST_F(QXTextFieldTest, TypingRemovesTheItemStringBeforeTheDelegateSeesTheKey) {
    // Keys reach the field first only through the library's field editor.
    platform::Window::setFieldEditorFactory([] { return make<QXGenericFieldEditor>(); });
    auto field = addField();
    field->setItemString(platform::AttributedString("Alice Example"));
    window->makeFirstResponder(field.get());
    input->key('5');
    platform::Window::setFieldEditorFactory({});
    EXPECT_FALSE(recorder.itemStringWhenPressed);
    EXPECT_FALSE(field->itemString().has_value());
    EXPECT_EQ(field->stringValue(), "5");

    // A delegate that consumes a key keeps it out of the field.
    recorder.pressedAnswer = true;
    input->key('6');
    EXPECT_EQ(field->stringValue(), "5");
}

TEST_F(QXTextFieldTest, FocusAndChangesReachTheDelegateButNotTheControlNotification) {
    auto field = addField();
    auto other = make<QXTextField>(Rect(20, 100, 200, 24));
    content->addSubview(other);
    int controlNotifications = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::ControlTextDidChangeNotification, field.get(),
        [&](const platform::Notification&) { ++controlNotifications; });

    input->click(*field, Point(100, 12));
    EXPECT_EQ(recorder.log, std::vector<std::string>{"gotFocus"});
    input->type("a");
    input->key(platform::BackspaceCharacter);
    EXPECT_EQ(recorder.count("changed:value"), 1);
    EXPECT_EQ(recorder.count("changed:empty"), 1);
    EXPECT_EQ(controlNotifications, 0);

    input->click(*other, Point(100, 12));
    EXPECT_EQ(recorder.count("lostFocus"), 1);
    EXPECT_EQ(recorder.count("gotFocus"), 1);
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(QXTextFieldTest, TheRightButtonClearsAValueAndOpensTheMenuWhenEmpty) {
    auto field = addField();
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfsolo");
    field->setUsesMenu(true);
    ASSERT_NE(field->popUpCell(), nullptr);
    EXPECT_TRUE(field->popUpCell()->pullsDown());

    std::vector<std::string> shown;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        for (const auto& item : menu.itemArray())
            shown.push_back(item->title());
        menu.cancelTracking();
    });
    input->click(*field, rightButton(*field));
    EXPECT_EQ(recorder.count("willShowMenu"), 1);
    // The delegate got the pull-down's title item, and the menu shown held what it added.
    EXPECT_EQ(recorder.menuItems, std::vector<std::string>{""});
    EXPECT_EQ(shown, (std::vector<std::string>{"", "Redial 5550100"}));
    EXPECT_EQ(field->rightButtonState(), 1);

    field->setStringValue("5550100");
    input->click(*field, rightButton(*field));
    EXPECT_EQ(field->stringValue(), "");
    EXPECT_EQ(recorder.count("clearPressed"), 1);
    EXPECT_EQ(recorder.count("willShowMenu"), 1);

    // Without a menu the inactive button does nothing.
    field->setUsesMenu(false);
    input->click(*field, rightButton(*field));
    EXPECT_EQ(recorder.count("willShowMenu"), 1);
}

TEST_F(QXTextFieldTest, ButtonClicksGoToTheirTargetsAndPressedSurvivesLeaving) {
    auto field = addField();
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfr");
    field->setActiveLeftButtonNamed("tfleft");
    field->setInactiveLeftButtonNamed("tfleft");
    ActionRecorder active, inactive;
    field->setActiveRightButtonTarget(&active, "lookUp:");
    field->setInactiveRightButtonTarget(&inactive, "history:");

    input->click(*field, rightButton(*field));
    EXPECT_EQ(inactive.actions, std::vector<std::string>{"history:"});
    EXPECT_EQ(inactive.senders[0], nullptr);
    field->setItemString(platform::AttributedString("Bob"));
    input->click(*field, rightButton(*field));
    EXPECT_EQ(active.actions, std::vector<std::string>{"lookUp:"});

    // Pressed until the release, even when the pointer leaves; a release elsewhere sends
    // nothing.
    input->move(*field, rightButton(*field));
    input->down(*field, rightButton(*field));
    input->move(*field, Point(150, 12));
    EXPECT_EQ(field->rightButtonState(), 2);
    input->up(*field, Point(100, 12));
    EXPECT_EQ(field->rightButtonState(), 0);
    EXPECT_EQ(active.actions.size(), 1u);

    // The left button only shows its states.
    const Point left = field->leftButtonAreaForFrame(field->bounds()).center();
    input->down(*field, left);
    EXPECT_EQ(field->leftButtonState(), 2);
    input->up(*field, left);
    EXPECT_EQ(field->leftButtonState(), 1);
    EXPECT_EQ(active.actions.size() + inactive.actions.size(), 2u);

    // A disabled field sends nothing.
    field->setEnabled(false);
    input->click(*field, rightButton(*field));
    EXPECT_EQ(active.actions.size(), 1u);
}

TEST_F(QXTextFieldTest, AClickOnAButtonLeavesTheEditingSessionAlone) {
    auto field = addField();
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfr");
    ActionRecorder target;
    field->setActiveRightButtonTarget(&target, "lookUp:");
    window->makeFirstResponder(field.get());
    input->type("12");
    platform::TextView* editor = field->currentEditor();
    ASSERT_NE(editor, nullptr);
    input->click(*field, rightButton(*field));
    EXPECT_EQ(target.actions.size(), 1u);
    EXPECT_EQ(field->currentEditor(), editor);
    EXPECT_EQ(window->firstResponder(), editor);
    EXPECT_EQ(recorder.count("lostFocus"), 0);
}

class QXTextFieldDrawingTest : public QXTextFieldTest {
protected:
    // A field at the origin, outside any window, so a picture of it is the field alone.
    std::shared_ptr<QXTextField> loneField(Size size = {160, 24}) {
        auto field = make<QXTextField>(Rect(Point(), size));
        field->setBezeled(false);
        field->setDrawsBackground(false);
        return field;
    }
    static bool isInk(const Color& c) {
        return c.redComponent() < 0.6 && c.greenComponent() < 0.6 && c.alphaComponent() > 0.5;
    }
    // The columns with ink between the rows (from the top) `top` and `bottom`.
    static std::vector<int> inkColumns(const Picture& picture, int top, int bottom) {
        std::vector<int> columns;
        for (int x = 0; x < picture.width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (isInk(picture.fromTop(x, y))) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }
};

TEST_F(QXTextFieldDrawingTest, WithoutARadiusThePlatformDrawsAndTheButtonsGoOnTop) {
    auto field = loneField();
    field->setActiveRightButtonNamed("tfr");
    field->setInactiveRightButtonNamed("tfsolo");
    const Rect r = field->rightButtonAreaForFrame(field->bounds());
    {
        Picture picture(*field, field->frame().size);
        EXPECT_TRUE(near(picture.fromTop(int(r.midX()), int(r.midY())), kYellow));
    }
    field->setStringValue("1");
    Picture picture(*field, field->frame().size);
    EXPECT_TRUE(near(picture.fromTop(int(r.midX()), int(r.midY())), kRed));
    EXPECT_FALSE(near(picture.fromTop(int(r.minX()) - 2, int(r.midY())), kRed));
}

TEST_F(QXTextFieldDrawingTest, ARoundedFieldDrawsItsBorderInteriorAndText) {
    auto field = loneField();
    field->setRadius(6);
    Picture empty(*field, field->frame().size);
    // The application is not active here: the border is the lighter grey.
    const Color edge = empty.fromTop(0, 12);
    EXPECT_GT(edge.redComponent(), 0.65);
    EXPECT_LT(edge.redComponent(), 0.85);
    EXPECT_TRUE(near(empty.fromTop(80, 14), Color(1, 1, 1, 1)));
    EXPECT_TRUE(inkColumns(empty, 3, 21).empty());

    field->setStringValue("Hello");
    Picture text(*field, field->frame().size);
    const auto columns = inkColumns(text, 3, 21);
    ASSERT_FALSE(columns.empty());
    // The text starts 3.5 points into the text area, which the radius moved right.
    EXPECT_GE(columns.front(), 6 + 3);
}

TEST_F(QXTextFieldDrawingTest, ThePlaceholderIsAlignedBetweenTheButtons) {
    platform::TextAttributes attributes;
    attributes.foregroundColor = Color(0, 0, 0, 1);
    const platform::AttributedString placeholder("Call", attributes);
    const double textWidth = placeholder.size().width;
    for (const int alignment : {0, 1, 2}) {
        SCOPED_TRACE(alignment);
        auto field = loneField(Size(200, 24));
        field->setActiveRightButtonNamed("tfr");
        field->setInactiveRightButtonNamed("tfr");
        field->setPlaceholderString(placeholder);
        field->setPlaceholderAlignment(alignment);
        const Rect r = field->rightButtonAreaForFrame(field->bounds());
        const double x0 = 2;
        const double w = r.minX() - r.width() - x0;
        const double expected = alignment == 1   ? x0 + w - textWidth
                                : alignment == 0 ? x0 + (w - textWidth) / 2
                                                 : x0;
        Picture picture(*field, field->frame().size);
        const auto columns = inkColumns(picture, 0, 24);
        ASSERT_FALSE(columns.empty());
        EXPECT_NEAR(columns.front(), expected, 3);

        // A value hides it (the value itself is drawn white here, invisible on white).
        field->setTextColor(Color(1, 1, 1, 1));
        field->setStringValue("9");
        Picture withValue(*field, field->frame().size);
        EXPECT_TRUE(inkColumns(withValue, 0, 24).empty());
    }
}

TEST_F(QXTextFieldTest, NonASCIITextIsTypedDeletedAndDrawnWithoutCuttingACharacter) {
    auto field = addField();
    window->makeFirstResponder(field.get());
    input->type("Grüße 日本");
    EXPECT_EQ(field->stringValue(), "Grüße 日本");
    input->key(platform::BackspaceCharacter);
    EXPECT_EQ(field->stringValue(), "Grüße 日");
    input->key(platform::LeftArrowFunctionKey);
    input->key(platform::BackspaceCharacter);
    EXPECT_EQ(field->stringValue(), "Grüße日");
    EXPECT_TRUE(field->hasValue());

    // An item string too long for the field is shortened on a character boundary and drawn
    // no further than the space it is given.
    auto lone = make<QXTextField>(Rect(0, 0, 120, 24));
    lone->setBezeled(false);
    lone->setDrawsBackground(false);
    lone->setActiveRightButtonNamed("tfsolo");
    lone->setInactiveRightButtonNamed("tfsolo");
    platform::TextAttributes attributes;
    attributes.foregroundColor = Color(0, 0, 0, 1);
    const platform::AttributedString item("Zoë Ångström 日本語テキスト", attributes);
    lone->setItemString(item);
    const Rect r = lone->rightButtonAreaForFrame(lone->bounds());
    const double width = r.minX() - r.width() - 2;
    const auto shortened = OrvantaExtensions::truncateForWidth(item, int(width));
    EXPECT_TRUE(isWholeUTF8(shortened.string()));
    EXPECT_LT(shortened.length(), item.length());
    Picture picture(*lone, lone->frame().size);
    bool inkPastTheSpace = false;
    for (int x = int(std::ceil(2 + 12 + width)) + 1; x < int(r.minX()); ++x)
        for (int y = 0; y < 24; ++y)
            inkPastTheSpace = inkPastTheSpace || (picture.fromTop(x, y).alphaComponent() > 0.5 &&
                                                  picture.fromTop(x, y).redComponent() < 0.3);
    EXPECT_FALSE(inkPastTheSpace);
}

TEST_F(QXTextFieldTest, LoadingFromADefinitionConvertsTheCellAndMakesAnItalicPlaceholder) {
    auto field = std::make_shared<QXTextField>(Rect(20, 200, 200, 24));
    auto plain = std::make_shared<platform::TextFieldCell>("typed");
    plain->setEditable(true);
    plain->setBezeled(true);
    plain->setBezelStyle(platform::TextFieldBezelStyle::Rounded);
    plain->setPlaceholderString("Name or number");
    plain->setTag(202);
    plain->setAction("dial:");
    field->setCell(plain);
    field->setRadius(4);
    field->awake();
    EXPECT_NE(dynamic_cast<QXTextFieldCell*>(field->cell()), nullptr);
    EXPECT_EQ(field->stringValue(), "typed");
    EXPECT_TRUE(field->isEditable());
    EXPECT_EQ(field->bezelStyle(), platform::TextFieldBezelStyle::Rounded);
    EXPECT_EQ(field->tag(), 202);
    EXPECT_EQ(field->action(), "dial:");
    EXPECT_EQ(field->radius(), 0);
    EXPECT_FALSE(field->hasValue());
    ASSERT_TRUE(field->placeholderString().has_value());
    EXPECT_EQ(field->placeholderString()->string(), "Name or number");
    const auto attributes = field->placeholderString()->attributesAtIndex(0);
    EXPECT_TRUE(attributes.effectiveFont().isItalic());
    EXPECT_TRUE(near(attributes.effectiveForegroundColor(), Color::grayColor()));
    // The platform cell's own placeholder is not drawn a second time.
    EXPECT_EQ(field->textFieldCell()->placeholderString(), "");
}

TEST_F(QXTextFieldTest, TheBarredFieldEditsInAnEditorThatRefusesCopyAndPaste) {
    auto barred = make<QXTextFieldNoCopyPaste>(Rect(20, 100, 200, 24));
    content->addSubview(barred);
    window->makeFirstResponder(barred.get());
    auto* editor = dynamic_cast<QXGenericFieldEditor*>(barred->currentEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->allowCopyPaste());
    input->type("secret@example.org");
    platform::Pasteboard::generalPasteboard().clearContents();
    input->key('a', platform::CommandKeyMask);
    input->key('c', platform::CommandKeyMask);
    EXPECT_FALSE(platform::Pasteboard::generalPasteboard()
                     .stringForType(platform::PasteboardTypeString)
                     .has_value());
}

} // namespace
} // namespace textfield_test
