#include "platform/kit/Alert.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform {

namespace {

constexpr std::string_view kButtonAction = "alertButtonPressed:";
constexpr double kWidth = 420;
constexpr double kMargin = 20;
constexpr double kIconSize = 64;
constexpr double kTextLeft = 24 + kIconSize + 16;
constexpr double kButtonGap = 12;
constexpr double kButtonHeight = 22;

Alert::PresentationHook& presentationHook() {
    static Alert::PresentationHook hook;
    return hook;
}

// The sign of the alert's style where no icon was given.
class AlertIconView : public View {
public:
    AlertIconView(const Rect& frame, AlertStyle style, std::shared_ptr<Image> icon)
        : View(frame), style_(style), icon_(std::move(icon)) {}

    void drawRect(const Rect& /*dirty*/) override {
        GraphicsContext* context = GraphicsContext::currentContext();
        if (!context)
            return;
        const Rect b = bounds();
        if (icon_) {
            icon_->drawInRect(
                rectForImageInFrame(icon_->size(), b, ImageScaling::ProportionallyUpOrDown),
                ZeroRect, CompositingOperation::SourceOver, 1.0, true);
            return;
        }
        TextAttributes attributes;
        attributes.font = Font::boldSystemFontOfSize(36);
        ParagraphStyle paragraph;
        paragraph.alignment = TextAlignment::Center;
        attributes.paragraphStyle = paragraph;
        if (style_ == AlertStyle::Informational) {
            context->setFillColor(Color(0.22, 0.46, 0.84, 1));
            context->fillPath(BezierPath::bezierPathWithOvalInRect(b.insetBy(6, 6)));
            attributes.foregroundColor = Color::whiteColor();
            drawInRect("i", {b.minX(), b.midY() - 22, b.width(), 44}, attributes);
            return;
        }
        BezierPath triangle;
        triangle.moveToPoint({b.midX(), b.maxY() - 4});
        triangle.lineToPoint({b.maxX() - 4, b.minY() + 6});
        triangle.lineToPoint({b.minX() + 4, b.minY() + 6});
        triangle.closePath();
        context->setFillColor(style_ == AlertStyle::Critical ? Color(0.85, 0.2, 0.15, 1)
                                                             : Color(0.98, 0.78, 0.15, 1));
        context->fillPath(triangle);
        attributes.foregroundColor =
            style_ == AlertStyle::Critical ? Color::whiteColor() : Color::blackColor();
        drawInRect("!", {b.minX(), b.minY() + 6, b.width(), 44}, attributes);
    }

private:
    AlertStyle style_;
    std::shared_ptr<Image> icon_;
};

// The alert's panel: Return and Escape press the buttons whose keys they are.
class AlertPanel : public Panel {
public:
    using Panel::Panel;

    void keyDown(const Event& event) override {
        if (View* root = rootView(); root && root->performKeyEquivalent(event))
            return;
        Panel::keyDown(event);
    }
};

std::shared_ptr<TextField> makeLabel(const Font& font) {
    auto label = std::make_shared<TextField>();
    label->setEditable(false);
    label->setSelectable(false);
    label->setBezeled(false);
    label->setDrawsBackground(false);
    label->cell()->setWraps(true);
    label->setFont(font);
    return label;
}

double labelHeight(TextField& label, double width) {
    if (label.stringValue().empty())
        return 0;
    return std::ceil(label.cell()->cellSizeForBounds({0, 0, width, 1e6}).height);
}

} // namespace

std::shared_ptr<Alert> Alert::alert() {
    return std::make_shared<Alert>();
}

Alert::Alert() = default;

Alert::~Alert() {
    for (const auto& button : buttons_)
        if (button->target() == this)
            button->setTarget(nullptr);
}

void Alert::setMessageText(std::string text) {
    messageText_ = std::move(text);
    needsLayout_ = true;
}

void Alert::setInformativeText(std::string text) {
    informativeText_ = std::move(text);
    needsLayout_ = true;
}

void Alert::setAlertStyle(AlertStyle style) {
    style_ = style;
    needsLayout_ = true;
}

void Alert::setIcon(std::shared_ptr<Image> icon) {
    icon_ = std::move(icon);
    needsLayout_ = true;
}

void Alert::setAccessoryView(std::shared_ptr<View> view) {
    accessoryView_ = std::move(view);
    needsLayout_ = true;
}

std::shared_ptr<Button> Alert::addButtonWithTitle(std::string title) {
    auto button = std::make_shared<Button>(Rect{0, 0, 82, kButtonHeight});
    const bool cancel = title == "Cancel";
    button->setTitle(std::move(title));
    button->setTag(1000 + static_cast<long>(buttons_.size()));
    button->setTarget(this);
    button->setAction(std::string(kButtonAction));
    if (buttons_.empty())
        button->setKeyEquivalent("\r");
    else if (cancel)
        button->setKeyEquivalent("\x1b");
    buttons_.push_back(button);
    needsLayout_ = true;
    return button;
}

void Alert::ensureButtons() {
    if (buttons_.empty())
        addButtonWithTitle("OK");
}

void Alert::buildPanel() {
    if (panel_)
        return;
    panel_ = make<AlertPanel>(Rect{0, 0, kWidth, 150}, TitledWindowMask);
    panel_->setReleasedWhenClosed(false);
    panel_->setContentView(std::make_shared<View>(Rect{0, 0, kWidth, 150}));
    messageField_ = makeLabel(Font::boldSystemFontOfSize(13));
    informativeField_ = makeLabel(Font::systemFontOfSize(Font::smallSystemFontSize()));
}

Panel* Alert::window() {
    layout();
    return panel_.get();
}

void Alert::layout() {
    buildPanel();
    if (!needsLayout_)
        return;
    needsLayout_ = false;
    View* content = panel_->contentView();
    for (const auto& sub : std::vector<std::shared_ptr<View>>(content->subviews()))
        sub->removeFromSuperview();

    const double textWidth = kWidth - kTextLeft - kMargin;
    messageField_->setStringValue(messageText_);
    informativeField_->setStringValue(informativeText_);
    const double messageHeight = labelHeight(*messageField_, textWidth);
    const double informativeHeight = labelHeight(*informativeField_, textWidth);
    // A wrapping label given as the accessory takes the text column's width and the height
    // its text needs, so that a long reason is shown whole.
    if (auto* label = dynamic_cast<TextField*>(accessoryView_.get());
        label && label->cell()->wraps())
        label->setFrameSize({textWidth, std::max(labelHeight(*label, textWidth), 1.0)});
    const double accessoryHeight = accessoryView_ ? accessoryView_->frame().height() : 0;

    // Heights from the top: margin, texts (8 points apart), accessory, buttons, margin.
    double textBlock = messageHeight;
    if (informativeHeight > 0)
        textBlock += (textBlock > 0 ? 8 : 0) + informativeHeight;
    if (accessoryHeight > 0)
        textBlock += 12 + accessoryHeight;
    const double top = 15;
    const double body = std::max(kIconSize, textBlock);
    const double height = top + body + 20 + kButtonHeight + kMargin;
    panel_->setContentSize({kWidth, height});
    content->setFrame({0, 0, kWidth, height});

    iconView_ = std::make_shared<AlertIconView>(
        Rect{24, height - top - kIconSize, kIconSize, kIconSize}, style_, icon_);
    content->addSubview(iconView_);

    double y = height - top;
    if (messageHeight > 0) {
        y -= messageHeight;
        messageField_->setFrame({kTextLeft, y, textWidth, messageHeight});
        content->addSubview(messageField_);
    }
    if (informativeHeight > 0) {
        y -= (messageHeight > 0 ? 8 : 0) + informativeHeight;
        informativeField_->setFrame({kTextLeft, y, textWidth, informativeHeight});
        content->addSubview(informativeField_);
    }
    if (accessoryView_) {
        y -= 12 + accessoryHeight;
        accessoryView_->setFrameOrigin({kTextLeft, y});
        content->addSubview(accessoryView_);
    }

    // The first button at the right, the next ones leftwards.
    double right = kWidth - kMargin;
    for (const auto& button : buttons_) {
        const double width = std::max(82.0, std::ceil(button->cell()->cellSize().width));
        button->setFrame({right - width, kMargin, width, kButtonHeight});
        right -= width + kButtonGap;
        content->addSubview(button);
    }
    panel_->setInitialFirstResponder(nullptr);
}

int Alert::runModal() {
    auto keep = weak_from_this().lock();
    ensureButtons();
    layout();
    panel_->center();
    panel_->setLevel(ModalPanelWindowLevel);
    showing_ = true;
    asSheet_ = false;
    std::optional<RunLoop::TaskId> hookTask;
    if (presentationHook()) {
        // Runs inside the modal session; taken back if the session ends first.
        hookTask = RunLoop::main().performInModes(
            [this] {
                if (showing_ && presentationHook())
                    presentationHook()(*this);
            },
            {std::string(ModalPanelRunLoopMode)});
    }
    const int code = WindowServer::shared().runModalForWindow(*panel_);
    if (hookTask)
        RunLoop::main().cancelTask(*hookTask);
    showing_ = false;
    panel_->orderOut(nullptr);
    return code;
}

void Alert::beginSheetModalForWindow(Window& window, CompletionHandler completion) {
    ensureButtons();
    layout();
    panel_->setLevel(NormalWindowLevel);
    showing_ = true;
    asSheet_ = true;
    // The sheet keeps the alert alive; it is let go on the next pass of the loop, after the
    // completion that may still be using it.
    auto keep = weak_from_this().lock();
    WindowServer::shared().beginSheet(
        *panel_, window, [this, keep, completion = std::move(completion)](int code) {
            showing_ = false;
            if (completion)
                completion(code);
            if (panel_->isVisible())
                panel_->orderOut(nullptr);
            if (keep)
                RunLoop::main().performInModes([keep] {}, commonModes());
        });
    if (presentationHook() && showing_ && panel_->sheetParent())
        presentationHook()(*this);
}

void Alert::setPresentationHook(PresentationHook hook) {
    presentationHook() = std::move(hook);
}

void Alert::pressButtonForTesting(std::size_t index) {
    if (index >= buttons_.size() || !panel_)
        return;
    Button& button = *buttons_[index];
    const Point centre =
        button.convertPointToView({button.bounds().midX(), button.bounds().midY()}, nullptr);
    WindowServer& server = WindowServer::shared();
    server.postEvent(Event::mouseEvent(EventType::LeftMouseDown, centre, 0, panel_.get()));
    server.postEvent(Event::mouseEvent(EventType::LeftMouseUp, centre, 0, panel_.get()));
    server.dispatchPendingEvents();
}

bool Alert::respondsToAction(std::string_view action) const {
    return action == kButtonAction;
}

bool Alert::tryToPerform(std::string_view action, Object* sender) {
    if (action != kButtonAction)
        return false;
    auto* button = dynamic_cast<Button*>(sender);
    if (!button || !showing_)
        return true;
    auto keep = weak_from_this().lock();
    const int code = static_cast<int>(button->tag());
    if (asSheet_)
        WindowServer::shared().endSheet(*panel_, code);
    else
        WindowServer::shared().stopModalWithCode(code);
    return true;
}

std::string Alert::description() const {
    return "<Alert \"" + messageText_ + "\">";
}

} // namespace platform
