#include "app/core/AboutPanelController.h"

#include "engine/FeaturesService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Scroller.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "support/RTFReader.h"

#include <algorithm>
#include <cmath>

using platform::AttributedString;
using platform::Rect;
using platform::Size;

namespace {

std::shared_ptr<AboutPanelController>& sharedController() {
    // Made first, the main loop and the window server outlive the shared controller, whose
    // windows and timer they hold.
    platform::RunLoop::main();
    platform::WindowServer::shared();
    static std::shared_ptr<AboutPanelController> controller;
    return controller;
}

std::shared_ptr<platform::TextField> makeLabel(const Rect& frame, const platform::Font& font) {
    auto label = platform::TextField::labelWithString({}, frame, font);
    label->setAlignment(platform::TextAlignment::Center);
    label->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    return label;
}

AttributedString lineBreaks(int count) {
    return AttributedString(std::string(static_cast<std::size_t>(count), '\n'));
}

// The interface definition "AboutPanel": the panel as laid out, with the product's icon, the
// two version fields and the credits in a borderless scroll view without a visible scroller.
struct AboutPanelBuilder {
    static void build(platform::InterfaceDefinitionLoad& load) {
        auto* owner = dynamic_cast<AboutPanelController*>(load.owner());
        auto panel = platform::make<platform::Panel>(
            Rect{0, 0, 320, 340}, platform::TitledWindowMask | platform::ClosableWindowMask);
        panel->setTitle("About " + platform::Bundle::mainBundle().bundleName());
        platform::View* content = panel->contentView();

        auto icon = platform::make<platform::ImageView>(Rect{128, 268, 64, 64});
        icon->setImage(platform::Image::imageNamed("AppIcon"));
        icon->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
        icon->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMaxXMargin |
                                  platform::ViewMinYMargin);
        content->addSubview(icon);

        auto shortInfo = makeLabel({20, 242, 280, 20}, platform::Font::boldSystemFontOfSize(13));
        content->addSubview(shortInfo);
        auto version = makeLabel({20, 224, 280, 16}, platform::Font::systemFontOfSize(10));
        version->setTextColor(platform::Color::darkGrayColor());
        content->addSubview(version);

        auto scroll = platform::make<platform::ScrollView>(Rect{20, 16, 280, 200});
        scroll->setBorderType(platform::BorderType::NoBorder);
        scroll->setHasVerticalScroller(false);
        scroll->setDrawsBackground(false);
        scroll->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        auto credits = platform::make<CreditsTextView>(Rect{0, 0, 280, 200});
        credits->setAutoresizingMask(platform::ViewWidthSizable);
        scroll->setDocumentView(credits);
        content->addSubview(scroll);

        load.addTopLevelObject(panel);
        if (!owner)
            return;
        owner->panelInNib = panel;
        owner->textScrollView = scroll;
        owner->textView = credits;
        owner->versionField = version;
        owner->shortInfoField = shortInfo;
        load.wakeLater(static_cast<platform::Awakable*>(owner));
    }
};

} // namespace

void NSFancyPanel::sendEvent(const platform::Event& event) {
    auto keep = sharedWindow();
    if (auto* fancy = dynamic_cast<NSFancyPanelDelegate*>(delegate())) {
        const platform::EventType type = event.type();
        if (type == platform::EventType::KeyDown && fancy->handlesKeyDown(event, *this))
            return;
        if ((type == platform::EventType::LeftMouseDown ||
             type == platform::EventType::RightMouseDown) &&
            fancy->handlesMouseDown(event, *this))
            return;
    }
    platform::Panel::sendEvent(event);
}

CreditsTextView::CreditsTextView(const Rect& frame) : View(frame) {}

void CreditsTextView::setAttributedString(AttributedString text) {
    text_ = std::move(text);
    laidOutWidth_ = -1;
    sizeToFit();
}

void CreditsTextView::layout() {
    const double width = bounds().width();
    if (width == laidOutWidth_)
        return;
    laidOutWidth_ = width;
    paragraphs_.clear();
    // One layout a paragraph, so that each keeps the alignment of its own first character.
    const std::string& text = text_.string();
    double y = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        if (last && start == end && !text.empty())
            break;
        Paragraph paragraph;
        AttributedString piece = text_.attributedSubstringFromRange({start, end - start});
        if (piece.empty()) {
            // An empty line is as tall as a line of the font at that place.
            const platform::TextAttributes attributes =
                text_.empty() ? platform::TextAttributes{}
                              : text_.attributesAtIndex(std::min(start, text.size() - 1));
            paragraph.height = std::ceil(attributes.effectiveFont().defaultLineHeightForFont());
        } else {
            paragraph.layout = platform::TextLayout(piece, std::max(1.0, width));
            paragraph.height = paragraph.layout.usedRect().maxY();
        }
        paragraph.y = y;
        y += paragraph.height;
        paragraphs_.push_back(std::move(paragraph));
        start = end + 1;
    }
    textHeight_ = y;
}

void CreditsTextView::sizeToFit() {
    layout();
    if (fitting_)
        return;
    fitting_ = true;
    if (frame().height() != textHeight_)
        View::setFrameSize({frame().width(), textHeight_});
    fitting_ = false;
    if (platform::ClipView* clip = platform::enclosingClipView(*this))
        clip->documentViewFrameDidChange();
    setNeedsDisplay(true);
}

void CreditsTextView::setFrameSize(Size size) {
    const bool widthChanged = size.width != frame().width();
    View::setFrameSize(size);
    if (widthChanged && !fitting_)
        sizeToFit();
}

void CreditsTextView::drawRect(const Rect& dirtyRect) {
    if (!platform::GraphicsContext::currentContext())
        return;
    for (const Paragraph& paragraph : paragraphs_) {
        if (paragraph.y > dirtyRect.maxY() || paragraph.y + paragraph.height < dirtyRect.minY())
            continue;
        paragraph.layout.drawAtTopLeft({0, paragraph.y});
    }
}

AboutPanelController::AboutPanelController() = default;

AboutPanelController::~AboutPanelController() {
    stopScrolling();
    if (panelToDisplay && panelToDisplay->delegate() == this)
        panelToDisplay->setDelegate(nullptr);
}

void AboutPanelController::registerInterfaceDefinition() {
    if (!platform::InterfaceDefinition::isRegistered("AboutPanel"))
        platform::InterfaceDefinition::registerDefinition("AboutPanel", &AboutPanelBuilder::build);
}

AboutPanelController& AboutPanelController::sharedInstance() {
    auto& shared = sharedController();
    if (!shared) {
        registerInterfaceDefinition();
        shared = std::make_shared<AboutPanelController>();
        if (!platform::InterfaceDefinition::load("AboutPanel", shared.get()))
            platform::Log("The About panel cannot be loaded");
    }
    return *shared;
}

void AboutPanelController::releaseSharedInstance() {
    if (auto& shared = sharedController()) {
        shared->hidePanel();
        shared.reset();
    }
}

void AboutPanelController::awake() {
    if (!panelInNib)
        return;
    // The shown panel is made here rather than in the definition so that it can be a fancy
    // panel: white, shadowed, staying on screen when the application is in the background.
    const Rect contentRect = panelInNib->contentRectForFrameRect(panelInNib->frame());
    panelToDisplay = platform::make<NSFancyPanel>(
        contentRect, platform::TitledWindowMask | platform::ClosableWindowMask,
        platform::BackingStoreType::Buffered, false);
    panelToDisplay->setTitle(panelInNib->title());
    panelToDisplay->setBackgroundColor(platform::Color::whiteColor());
    panelToDisplay->setHasShadow(true);
    panelToDisplay->setHidesOnDeactivate(false);
    panelToDisplay->setBecomesKeyOnlyIfNeeded(false);
    std::shared_ptr<platform::View> content = panelInNib->contentView()->sharedView();
    // The nib panel lets go of its content first, so that it never again speaks for it.
    panelInNib->setContentView(std::make_shared<platform::View>());
    panelToDisplay->setContentView(content);
    panelToDisplay->setDelegate(this);

    const platform::Bundle& bundle = platform::Bundle::mainBundle();
    const platform::Value& shortVersion =
        bundle.objectForInfoDictionaryKey("CFBundleShortVersionString");
    if (shortInfoField && shortVersion.string())
        shortInfoField->setStringValue(bundle.bundleName() + " " + *shortVersion.string());
    const platform::Value& version = bundle.objectForInfoDictionaryKey("CFBundleVersion");
    if (versionField && version.string())
        versionField->setStringValue("Build " + *version.string());

    AttributedString credits = textToScroll();
    credits.insertAttributedString(lineBreaks(kBlankLines), 0);
    credits.appendAttributedString(lineBreaks(kBlankLines));
    const auto features = StartupService::instance().featuresService();
    const std::string* copyright =
        bundle.objectForInfoDictionaryKey("NSHumanReadableCopyright").string();
    // A brand that asks for the copyright but whose bundle has none gets the credits alone.
    if (features && features->featureAvailable("about_box_has_copyright_info") && copyright &&
        !copyright->empty()) {
        platform::TextAttributes centred;
        centred.font = platform::Font::fontWithName("Monaco", 12);
        platform::ParagraphStyle paragraph;
        paragraph.alignment = platform::TextAlignment::Center;
        centred.paragraphStyle = paragraph;
        credits.insertAttributedString(AttributedString(*copyright, centred),
                                       std::min(kCopyrightIndex, credits.length()));
        platform::TextAttributes small;
        small.font = platform::Font::fontWithName("Helvetica", 10);
        credits.appendAttributedString(AttributedString(*copyright, small));
    }
    if (textView)
        textView->setAttributedString(std::move(credits));

    panelToDisplay->center();
}

platform::AttributedString AboutPanelController::textToScroll() const {
    const std::optional<std::filesystem::path> path =
        platform::Bundle::mainBundle().pathForResource("about", "rtf");
    std::optional<AttributedString> text = path ? attributedStringWithRTFFile(*path) : std::nullopt;
    if (!text) {
        platform::Log("The credits (about.rtf) cannot be read");
        return {};
    }
    return std::move(*text);
}

void AboutPanelController::showPanel() {
    if (!panelToDisplay)
        return;
    scrollToTop();
    startScrolling();
    panelToDisplay->makeKeyAndOrderFront(nullptr);
}

void AboutPanelController::hidePanel() {
    stopScrolling();
    if (panelToDisplay)
        panelToDisplay->orderOut(nullptr);
}

void AboutPanelController::setShowsScroller(bool flag) {
    if (textScrollView)
        textScrollView->setHasVerticalScroller(flag);
}

void AboutPanelController::scrollToTop() {
    if (!textScrollView)
        return;
    textScrollView->contentView()->scrollToPoint({0, 0});
}

void AboutPanelController::startScrolling() {
    if (scrollingTimer)
        return;
    scrollingTimer = platform::Timer::scheduledTimerWithTimeInterval(
        kScrollInterval, true, [this](platform::Timer&) { scrollOneUnit(); });
}

void AboutPanelController::stopScrolling() {
    if (!scrollingTimer)
        return;
    scrollingTimer->invalidate();
    scrollingTimer.reset();
}

void AboutPanelController::scrollOneUnit() {
    if (!textScrollView)
        return;
    platform::ClipView* clip = textScrollView->contentView();
    const Rect visible = clip->documentVisibleRect();
    clip->scrollToPoint({visible.minX(), visible.minY() + 1});
}

bool AboutPanelController::handlesKeyDown(const platform::Event& event,
                                          platform::Window& /*window*/) {
    const char32_t key = platform::firstCodePoint(event.characters());
    if (key != platform::EscapeCharacter && key != platform::CarriageReturnCharacter &&
        key != platform::EnterCharacter)
        return false;
    hidePanel();
    return true;
}

bool AboutPanelController::handlesMouseDown(const platform::Event& event,
                                            platform::Window& window) {
    platform::View* root = window.rootView();
    platform::View* hit = root ? root->hitTest(event.locationInWindow()) : nullptr;
    for (platform::View* view = hit; view; view = view->superview())
        if (dynamic_cast<platform::Scroller*>(view))
            return false;
    hidePanel();
    return true;
}

void AboutPanelController::windowWillClose(platform::Window& /*window*/) {
    // Closed from its title bar: the timer must not go on scrolling a panel nobody sees.
    stopScrolling();
}
