#include "app/calls/VideoView.h"

#include "app/calls/LayerMenuItem.h"
#include "app/calls/VideoRenderingLayer.h"
#include "engine/CocoaCAOpenGLLayer.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"
#include "platform/layers/TextLayer.h"
#include "platform/layers/Transaction.h"
#include "support/Localization.h"

#include <algorithm>
#include <cmath>

using platform::ConstraintAttribute;
using platform::Layer;
using platform::LayerConstraint;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

using A = ConstraintAttribute;

LayerConstraint toSuper(A attribute, A sourceAttribute, double offset = 0) {
    return LayerConstraint::constraintWithAttribute(attribute, "superlayer", sourceAttribute,
                                                    offset);
}
LayerConstraint toSuperScaled(A attribute, A sourceAttribute, double scale, double offset = 0) {
    return LayerConstraint::constraintWithAttribute(attribute, "superlayer", sourceAttribute, scale,
                                                    offset);
}

platform::Color rgba(double r, double g, double b, double a) {
    return platform::Color(r, g, b, a);
}

void fillInside(Layer& layer, double horizontal, double vertical) {
    layer.addConstraint(toSuper(A::MinX, A::MinX, horizontal));
    layer.addConstraint(toSuper(A::MaxX, A::MaxX, -horizontal));
    layer.addConstraint(toSuper(A::MinY, A::MinY, vertical));
    layer.addConstraint(toSuper(A::MaxY, A::MaxY, -vertical));
}

// A pane: a dark rounded plate with a white glow.
std::shared_ptr<Layer> makePane(const char* name, double z) {
    auto pane = Layer::layer();
    pane->setName(name);
    pane->setAnchorPoint({0, 0});
    pane->setZPosition(z);
    pane->setBackgroundColor(rgba(0.15, 0.15, 0.15, 1));
    pane->setCornerRadius(7);
    pane->setShadowColor(platform::Color::whiteColor());
    pane->setShadowRadius(5);
    pane->setShadowOffset({0, 0});
    pane->setShadowOpacity(0.75);
    return pane;
}

std::shared_ptr<VideoRenderingLayer> makeVideo(const char* name, bool mirrored) {
    auto video = std::make_shared<VideoRenderingLayer>();
    video->setName(name);
    fillInside(*video, 0, 0);
    video->setCornerRadius(7);
    video->setMasksToBounds(true);
    video->setContentsGravity(platform::ContentsGravity::resize);
    video->engineLayer()->setMirrored(mirrored);
    return video;
}

std::shared_ptr<Layer> makeMenu(const char* name) {
    auto menu = Layer::layer();
    menu->setName(name);
    menu->addConstraint(toSuper(A::MidX, A::MidX));
    menu->addConstraint(toSuper(A::MidY, A::MidY));
    menu->setZPosition(20);
    menu->setBackgroundColor(rgba(0, 0, 0, 0.8));
    menu->setCornerRadius(10);
    menu->setBorderColor(platform::Color::whiteColor());
    menu->setBorderWidth(1);
    menu->setContentsGravity(platform::ContentsGravity::resize);
    menu->setHidden(true);
    return menu;
}

std::shared_ptr<Layer> makeInfo(const char* name) {
    auto info = Layer::layer();
    info->setName(name);
    info->setFrame({0, 0, 0, 20});
    info->addConstraint(toSuper(A::MinX, A::MinX));
    info->addConstraint(toSuper(A::MaxX, A::MaxX));
    info->addConstraint(toSuper(A::MaxY, A::MaxY));
    info->setZPosition(25);
    info->setBackgroundColor(rgba(0, 0, 0, 0.5));
    info->setContentsGravity(platform::ContentsGravity::resizeAspect);
    info->setHidden(true);
    return info;
}

std::shared_ptr<platform::TextLayer> makeWaiting(const char* name, std::string text) {
    auto waiting = platform::TextLayer::layer();
    waiting->setName(name);
    waiting->addConstraint(toSuper(A::MidX, A::MidX));
    waiting->addConstraint(toSuper(A::MidY, A::MidY));
    waiting->addConstraint(toSuperScaled(A::Width, A::Width, 0.9));
    waiting->addConstraint(toSuperScaled(A::Height, A::Height, 0, 30));
    waiting->setForegroundColor(platform::Color::whiteColor());
    waiting->setAlignment(platform::TextAlignment::Center);
    waiting->setFontSize(24);
    waiting->setTruncatesTail(true);
    waiting->setString(std::move(text));
    waiting->setHidden(true);
    return waiting;
}

// A line of white text drawn into a picture of its own size.
std::shared_ptr<platform::Image> textImage(const std::string& text) {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName("Lucida Grande", 12);
    attributes.foregroundColor = platform::Color::whiteColor();
    const Size size = platform::sizeWithAttributes(text, attributes);
    auto image = std::make_shared<platform::Image>(
        Size{std::max(std::ceil(size.width), 1.0), std::max(std::ceil(size.height), 1.0)});
    image->lockFocus();
    platform::drawAtPoint(text, {0, 0}, attributes);
    image->unlockFocus();
    return image;
}

bool isUnder(const Layer* layer, const Layer& ancestor) {
    for (; layer; layer = layer->superlayer()) {
        if (layer == &ancestor) {
            return true;
        }
    }
    return false;
}

} // namespace

VideoView::VideoView(const Rect& frame) : QXContentView(frame) {}

VideoView::~VideoView() {
    *alive_ = false;
    if (infoTimer_) {
        infoTimer_->invalidate();
    }
    if (root_) {
        root_->setDisplayObserver(nullptr);
    }
}

void VideoView::awake() {
    setMinimumSize({160, 120});
    setMaximumSize({1930, 1090});
    setAutoresizesSubviews(true);
    root_ = Layer::layer();
    root_->setName("root");
    root_->setFrame(bounds());
    root_->setDelegate(this);
    std::weak_ptr<bool> alive = alive_;
    root_->setDisplayObserver([this, alive] {
        if (alive.lock()) {
            scheduleFrame();
        }
    });
    buildMenus();
    infoTimer_ =
        platform::Timer::scheduledTimerWithTimeInterval(0.3, true, [this, alive](platform::Timer&) {
            if (alive.lock()) {
                updateInfoContents();
            }
        });
    setupLayers();
}

void VideoView::buildMenus() {
    struct Button {
        const char* image;
        const char* alternate;
        long tag;
        const char* action;
    };
    static constexpr Button buttons[] = {
        {"video_mirror.png", nullptr, LayerMenuItem::localTag, "toggleMirror:"},
        {"video_mirror.png", nullptr, LayerMenuItem::remoteTag, "toggleMirror:"},
        {"video_flip.png", nullptr, LayerMenuItem::localTag, "toggleFlip:"},
        {"video_flip.png", nullptr, LayerMenuItem::remoteTag, "toggleFlip:"},
        {"video_HD.png", "video_SD.png", LayerMenuItem::localWithoutRemoteTag, "toggleHD:"},
        {"video_HD.png", "video_SD.png", LayerMenuItem::remoteTag, "toggleHD:"},
        {"video_info.png", nullptr, LayerMenuItem::localTag, "toggleInfo:"},
        {"video_info.png", nullptr, LayerMenuItem::remoteTag, "toggleInfo:"},
    };
    menus_.clear();
    for (const auto& b : buttons) {
        auto image = platform::Image::imageNamed(b.image);
        auto alternate = b.alternate ? platform::Image::imageNamed(b.alternate) : nullptr;
        // A button whose picture the bundle lacks is left out.
        if (!image || (b.alternate && !alternate)) {
            continue;
        }
        menus_.push_back(std::make_shared<LayerMenuItem>(image, alternate, b.tag, b.action, this));
    }
}

void VideoView::setupLayers() {
    localPane_ = makePane("localLayer", 20);
    localVideo_ = makeVideo("localVideo", true);
    localMenu_ = makeMenu("localMenuLayer");
    localInfo_ = makeInfo("localInfoLayer");
    localWaiting_ = makeWaiting(
        "localWaiting", QXLS("msg.video.waiting_camera", "Waiting for your camera to get ready!"));
    localMessage_ = platform::TextLayer::layer();
    localMessage_->setName("localMessage");
    localMessage_->addConstraint(toSuper(A::MidX, A::MidX));
    localMessage_->addConstraint(toSuper(A::MinY, A::MinY, 10));
    localMessage_->addConstraint(toSuper(A::Width, A::Width));
    localMessage_->addConstraint(toSuperScaled(A::Height, A::Height, 0, 40));
    localMessage_->setZPosition(18);
    localMessage_->setForegroundColor(platform::Color(1, 0, 0, 1));
    localMessage_->setBackgroundColor(platform::Color::blackColor());
    localMessage_->setAlignment(platform::TextAlignment::Center);
    localMessage_->setFontSize(16);
    localMessage_->setTruncatesTail(true);
    localMessage_->setString(QXLS("msg.video.paused", "Not sending video."));
    localMessage_->setHidden(true);

    remotePane_ = makePane("remoteLayer", 10);
    remoteVideo_ = makeVideo("remoteVideo", false);
    remoteMenu_ = makeMenu("remoteMenuLayer");
    remoteInfo_ = makeInfo("remoteInfoLayer");
    remoteWaiting_ =
        makeWaiting("remoteWaiting", QXLS("msg.video.waiting_remote", "Waiting to receive video"));
    remotePane_->setHidden(true);

    for (const auto& layer : std::initializer_list<std::shared_ptr<Layer>>{
             localPane_, localVideo_, localMenu_, localInfo_, localWaiting_, localMessage_,
             remotePane_, remoteVideo_, remoteMenu_, remoteInfo_, remoteWaiting_}) {
        layer->setDelegate(this);
    }
    localVideo_->addSublayer(localMenu_);
    localVideo_->addSublayer(localInfo_);
    localPane_->addSublayer(localVideo_);
    localPane_->addSublayer(localWaiting_);
    localPane_->addSublayer(localMessage_);
    remoteVideo_->addSublayer(remoteMenu_);
    remoteVideo_->addSublayer(remoteInfo_);
    remotePane_->addSublayer(remoteVideo_);
    remotePane_->addSublayer(remoteWaiting_);
    root_->addSublayer(localPane_);
    root_->addSublayer(remotePane_);
    adjustLayers();
}

double VideoView::aspect() const {
    return displayHD_ ? 1.7777 : 1.3333;
}

double VideoView::horizontalMargin() const {
    return displayHD_ ? 8.885 : 6.665;
}

std::shared_ptr<CocoaCAOpenGLLayer> VideoView::localLayer() const {
    auto layer = localPane_ ? localPane_->sublayerNamed("localVideo") : nullptr;
    auto* video = dynamic_cast<VideoRenderingLayer*>(layer.get());
    return video ? video->engineLayer() : nullptr;
}

std::shared_ptr<CocoaCAOpenGLLayer> VideoView::remoteLayer() const {
    auto layer = remotePane_ ? remotePane_->sublayerNamed("remoteVideo") : nullptr;
    auto* video = dynamic_cast<VideoRenderingLayer*>(layer.get());
    return video ? video->engineLayer() : nullptr;
}

bool VideoView::hasRemote() const {
    return remotePane_ && !remotePane_->isHidden();
}

void VideoView::setHasRemote(bool flag) {
    allowAnimation_ = true;
    remotePane_->setHidden(!flag);
    adjustLayers();
    if (flag) {
        displayRemoteWaiting();
    } else {
        setSendingLocal(true);
    }
}

void VideoView::displayRemoteWaiting() {
    if (auto layer = remoteLayer()) {
        layer->reset();
    }
    allowAnimation_ = true;
    platform::TransactionScope transaction;
    platform::Transaction::setAnimationDuration(2.0);
    remoteVideo_->setOpacity(0);
    remoteWaiting_->setHidden(false);
}

void VideoView::displayLocalWaiting() {
    if (auto layer = localLayer()) {
        layer->reset();
    }
    allowAnimation_ = true;
    platform::TransactionScope transaction;
    platform::Transaction::setAnimationDuration(0.5);
    localVideo_->setOpacity(0);
    localWaiting_->setHidden(false);
}

void VideoView::setSendingLocal(bool sending) {
    if (hasRemote() && !sending) {
        localMessage_->setHidden(false);
        if (localWaiting_->isHidden()) {
            localVideo_->setOpacity(0.5);
        }
    } else {
        localMessage_->setHidden(true);
        if (localWaiting_->isHidden()) {
            localVideo_->setOpacity(1.0);
        }
    }
}

Size VideoView::contentSize() {
    const double m = horizontalMargin();
    root_->layoutIfNeeded();
    Layer* pane = hasRemote() ? remotePane_.get() : localPane_.get();
    if (!pane) {
        return {2 * m, 10};
    }
    const Rect frame = pane->frame();
    return {frame.width() + 2 * m, frame.height() + 10};
}

Size VideoView::willResize(Size size) {
    allowAnimation_ = false;
    return {size.width, size.width / aspect()};
}

void VideoView::adjustLayers() {
    if (!root_) {
        return;
    }
    const double m = horizontalMargin();
    root_->layoutIfNeeded();
    localPane_->removeAllConstraints();
    if (hasRemote()) {
        const Rect r = remotePane_->frame();
        const Rect l = localPane_->frame();
        const double left = std::max(5.0, l.minX() - r.minX());
        const double right = std::max(5.0, r.maxX() - l.minX() - 0.33 * r.width());
        const double bottom = std::max(5.0, l.minY() - r.minY());
        const double top = std::max(5.0, r.maxY() - l.minY() - 0.33 * r.height());
        if (0.2 * r.width() > left) {
            localPane_->addConstraint(toSuper(A::MinX, A::MinX, left + m));
        } else if (0.2 * r.width() > right) {
            localPane_->addConstraint(toSuper(A::MaxX, A::MaxX, -m - right));
        } else {
            localPane_->addConstraint(toSuper(A::MidX, A::MidX, l.midX() - r.midX()));
        }
        if (0.2 * r.height() > bottom) {
            localPane_->addConstraint(toSuper(A::MinY, A::MinY, bottom + verticalMargin));
        } else if (0.2 * r.height() > top) {
            localPane_->addConstraint(toSuper(A::MaxY, A::MaxY, -verticalMargin - top));
        } else {
            localPane_->addConstraint(toSuper(A::MidY, A::MidY, l.midY() - r.midY()));
        }
        localPane_->addConstraint(toSuperScaled(A::Width, A::Width, 0.33));
        localPane_->addConstraint(toSuperScaled(A::Height, A::Height, 0.33));
    } else {
        fillInside(*localPane_, m, verticalMargin);
    }
    remotePane_->removeAllConstraints();
    fillInside(*remotePane_, m, verticalMargin);
    root_->setNeedsLayout();
    root_->layoutIfNeeded();
    updateMenuLayerContents();
    updateTrackingAreas();
}

std::vector<LayerMenuItem*> VideoView::localMenuItems() const {
    std::vector<LayerMenuItem*> items;
    for (const auto& item : menus_) {
        if (item->tag() == LayerMenuItem::localTag ||
            (item->tag() == LayerMenuItem::localWithoutRemoteTag && !hasRemote())) {
            items.push_back(item.get());
        }
    }
    return items;
}

std::vector<LayerMenuItem*> VideoView::remoteMenuItems() const {
    std::vector<LayerMenuItem*> items;
    for (const auto& item : menus_) {
        if (item->tag() == LayerMenuItem::remoteTag) {
            items.push_back(item.get());
        }
    }
    return items;
}

void VideoView::updateMenu(Layer& menu, Layer& pane, const std::vector<LayerMenuItem*>& items,
                           bool withRemote) {
    double width = 10;
    double tallest = 10;
    for (const auto* item : items) {
        const Size size = item->currentImage()->size();
        width += size.width + 10;
        tallest = std::max(tallest, size.height);
    }
    const double height = tallest + 10;
    auto image = std::make_shared<platform::Image>(Size{width, height});
    image->lockFocus();
    double x = 10;
    for (const auto* item : items) {
        const auto& picture = item->currentImage();
        const Size size = picture->size();
        picture->drawInRect({x, (height - size.height) * 0.5, size.width, size.height},
                            platform::ZeroRect, platform::CompositingOperation::SourceOver,
                            item->pressed() ? 0.5 : 1.0);
        x += size.width + 10;
    }
    image->unlockFocus();
    // A pane too narrow for the menu and some room around it gets a smaller menu.
    double w = width;
    double h = height;
    const double paneWidth = pane.frame().width();
    if (paneWidth < width + 100 && paneWidth > 0) {
        const double scale = paneWidth / (width + 100);
        w *= scale;
        h *= scale;
    }
    platform::TransactionScope transaction;
    platform::Transaction::setDisableActions(true);
    menu.setFrame({0, 0, w, h});
    menu.setCornerRadius(withRemote ? 5 : 10);
    menu.setContents(items.empty() ? nullptr : image);
    if (menu.superlayer()) {
        menu.superlayer()->setNeedsLayout();
        menu.superlayer()->layoutIfNeeded();
    }
}

void VideoView::updateMenuLayerContents() {
    if (!root_) {
        return;
    }
    for (const auto& item : menus_) {
        if (item->action() == "toggleHD:") {
            item->setSelected(displayHD_);
        }
    }
    updateMenu(*localMenu_, *localPane_, localMenuItems(), hasRemote());
    if (hasRemote()) {
        updateMenu(*remoteMenu_, *remotePane_, remoteMenuItems(), true);
    }
}

void VideoView::updatePaneInfo(VideoRenderingLayer& video, platform::TextLayer& waiting,
                               Layer& info, bool local) {
    const auto& engine = video.engineLayer();
    if (!engine || video.isHidden() || isHiddenOrHasHiddenAncestor() || !window()) {
        return;
    }
    if (local && video.superlayer() && video.superlayer()->isHidden()) {
        return;
    }
    if (!local && remotePane_->isHidden()) {
        return;
    }
    if (engine->frameRate() > 0.5 && !waiting.isHidden()) {
        allowAnimation_ = true;
        platform::TransactionScope transaction;
        platform::Transaction::setAnimationDuration(2.0);
        video.setOpacity(1.0);
        waiting.setHidden(true);
    }
    const Rect frame = video.frame();
    const int shownWidth = static_cast<int>(frame.width());
    const int shownHeight = static_cast<int>(frame.height());
    std::string text;
    if (!local) {
        text = platform::formatString(
            "Remote Video (%@): received (%ix%i @ %.1fHz) , displayed (%ix%i)",
            displayHD_ ? "16:9" : "4:3", engine->videoWidth(), engine->videoHeight(),
            engine->frameRate(), shownWidth, shownHeight);
        remoteInfoText_ = text;
    } else if (hasRemote()) {
        text = platform::formatString("c: %ix%i @ %.1fHz, d: %ix%i", engine->videoWidth(),
                                      engine->videoHeight(), engine->frameRate(), shownWidth,
                                      shownHeight);
        localInfoText_ = text;
    } else {
        text = platform::formatString(
            "Local Video (%@): capture (%ix%i @ %.1fHz) , displayed (%ix%i)",
            displayHD_ ? "16:9" : "4:3", engine->videoWidth(), engine->videoHeight(),
            engine->frameRate(), shownWidth, shownHeight);
        localInfoText_ = text;
    }
    {
        platform::TransactionScope transaction;
        platform::Transaction::setDisableActions(true);
        info.setContents(textImage(text));
    }
    if (engine->timeSinceLastRender() > 3.0) {
        local ? displayLocalWaiting() : displayRemoteWaiting();
    }
}

void VideoView::updateInfoContents() {
    if (!root_) {
        return;
    }
    updatePaneInfo(*localVideo_, *localWaiting_, *localInfo_, true);
    updatePaneInfo(*remoteVideo_, *remoteWaiting_, *remoteInfo_, false);
    if (lastMouseMoved_ < platform::RunLoop::main().now()) {
        localMenu_->setHidden(true);
        remoteMenu_->setHidden(true);
    }
}

std::optional<platform::LayerAction> VideoView::actionForLayer(Layer& layer, std::string_view key) {
    if (key == "contents") {
        return platform::LayerAction::none();
    }
    if (&layer == localInfo_.get() || &layer == remoteInfo_.get()) {
        if (key == "hidden") {
            return platform::LayerAction::push(0.5, layer.isHidden());
        }
        return platform::LayerAction::none();
    }
    if (&layer == localMenu_.get() || &layer == remoteMenu_.get()) {
        if (key == "hidden") {
            Layer& other = &layer == localMenu_.get() ? *remoteMenu_ : *localMenu_;
            if (!other.isHidden()) {
                return platform::LayerAction::fade(0.1);
            }
            return platform::LayerAction::fade(layer.isHidden() ? 0.3 : 1.2);
        }
    }
    if (allowAnimation_) {
        return std::nullopt;
    }
    return platform::LayerAction::none();
}

void VideoView::toggleInfo(platform::Object* sender) {
    updateInfoContents();
    auto* item = dynamic_cast<LayerMenuItem*>(sender);
    if (!item) {
        return;
    }
    Layer& info = item->tag() == LayerMenuItem::remoteTag ? *remoteInfo_ : *localInfo_;
    info.setHidden(!info.isHidden());
}

void VideoView::toggleMirror(platform::Object* sender) {
    auto* item = dynamic_cast<LayerMenuItem*>(sender);
    auto layer = !item                                     ? nullptr
                 : item->tag() == LayerMenuItem::remoteTag ? remoteLayer()
                                                           : localLayer();
    if (layer) {
        layer->setMirrored(!layer->mirrored());
    }
}

void VideoView::toggleFlip(platform::Object* sender) {
    auto* item = dynamic_cast<LayerMenuItem*>(sender);
    auto layer = !item                                     ? nullptr
                 : item->tag() == LayerMenuItem::remoteTag ? remoteLayer()
                                                           : localLayer();
    if (layer) {
        layer->setFlipped(!layer->flipped());
    }
}

void VideoView::toggleHD(platform::Object* /*sender*/) {
    displayHD_ = !displayHD_;
    updateMenuLayerContents();
    if (platform::Window* window = View::window()) {
        const Rect frame = window->frame();
        const Rect content = window->contentRectForFrameRect(frame);
        const double ratio = content.height() > 0 ? content.width() / content.height() : 0;
        if ((!displayHD_ && ratio > 1.4) || (displayHD_ && ratio < 1.7)) {
            const Size size{content.height() * aspect(), content.height()};
            Rect reshaped = window->frameRectForContentRect({{0, 0}, size});
            // The centre keeps its place across; the bottom stays.
            reshaped.origin = {frame.midX() - reshaped.width() / 2, frame.minY()};
            allowAnimation_ = false;
            window->setFrame(reshaped, true, true);
        }
    }
    allowAnimation_ = true;
    if (hasRemote()) {
        Rect pane = localPane_->frame();
        pane.size.width = pane.height() * aspect();
        localPane_->setFrame(pane);
    }
}

bool VideoView::respondsToAction(std::string_view action) const {
    return action == "toggleInfo:" || action == "toggleMirror:" || action == "toggleFlip:" ||
           action == "toggleHD:" || QXContentView::respondsToAction(action);
}

bool VideoView::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "toggleInfo:") {
        toggleInfo(sender);
    } else if (action == "toggleMirror:") {
        toggleMirror(sender);
    } else if (action == "toggleFlip:") {
        toggleFlip(sender);
    } else if (action == "toggleHD:") {
        toggleHD(sender);
    } else {
        return QXContentView::tryToPerform(action, sender);
    }
    return true;
}

Point VideoView::pointOf(const platform::Event& event) const {
    return convertPointFromView(event.locationInWindow(), nullptr);
}

void VideoView::mouseMoved(const platform::Event& event) {
    const Point point = pointOf(event);
    if (localPane_->frame().containsPoint(point)) {
        localMenu_->setHidden(false);
        remoteMenu_->setHidden(true);
    } else if (hasRemote() && remotePane_->frame().containsPoint(point)) {
        remoteMenu_->setHidden(false);
        localMenu_->setHidden(true);
    }
    lastMouseMoved_ = platform::RunLoop::main().now() + 1.5;
}

Layer* VideoView::menuLayerAt(Point point) const {
    Layer* hit = root_->hitTest(point);
    if (hit == localMenu_.get() || hit == remoteMenu_.get()) {
        return hit;
    }
    return nullptr;
}

LayerMenuItem* VideoView::menuButtonAt(Layer& menu, Point point) const {
    const auto items = &menu == localMenu_.get() ? localMenuItems() : remoteMenuItems();
    const double width = menu.frame().width();
    // A menu without buttons (their pictures are optional) has nothing to press.
    if (items.empty() || width <= 0) {
        return nullptr;
    }
    const double x = menu.convertPointFromLayer(point, root_.get()).x;
    const auto index =
        static_cast<long>(std::floor(x / (width / static_cast<double>(items.size()))));
    if (index < 0 || index >= static_cast<long>(items.size())) {
        return nullptr;
    }
    return items[static_cast<std::size_t>(index)];
}

void VideoView::mouseDown(const platform::Event& event) {
    const Point point = pointOf(event);
    lastMouse_ = point;
    if (Layer* menu = menuLayerAt(point)) {
        LayerMenuItem* pressed = menuButtonAt(*menu, point);
        if (!pressed) {
            return;
        }
        for (const auto& item : menus_) {
            item->setPressed(item.get() == pressed);
        }
        updateMenuLayerContents();
        return;
    }
    Layer* hit = root_->hitTest(point);
    if (hasRemote() && hit && isUnder(hit, *localPane_)) {
        movePiP_ = true;
        localPane_->setShadowColor(platform::Color(1, 0, 0, 1));
    }
}

void VideoView::mouseDragged(const platform::Event& event) {
    const Point point = pointOf(event);
    if (movePiP_) {
        const Rect r = remotePane_->frame();
        Rect l = localPane_->frame();
        l.origin.x += point.x - lastMouse_.x;
        l.origin.y += point.y - lastMouse_.y;
        l.origin.x = std::max(r.minX(), std::min(l.origin.x, r.maxX() - l.width()));
        l.origin.y = std::max(r.minY(), std::min(l.origin.y, r.maxY() - l.height()));
        platform::TransactionScope transaction;
        platform::Transaction::setDisableActions(true);
        localPane_->setFrame(l);
    }
    lastMouse_ = point;
}

void VideoView::mouseUp(const platform::Event& event) {
    const Point point = pointOf(event);
    if (Layer* menu = menuLayerAt(point)) {
        LayerMenuItem* item = menuButtonAt(*menu, point);
        if (item && item->pressed() && item->target() &&
            item->target()->respondsToAction(item->action())) {
            // The button may be gone when its action returns; keep it for the call.
            std::shared_ptr<LayerMenuItem> keep;
            for (const auto& candidate : menus_) {
                if (candidate.get() == item) {
                    keep = candidate;
                }
            }
            item->target()->tryToPerform(item->action(), item);
        }
    }
    for (const auto& item : menus_) {
        item->setPressed(false);
    }
    updateMenuLayerContents();
    lastMouse_ = point;
    if (movePiP_) {
        movePiP_ = false;
        localPane_->setShadowColor(platform::Color::whiteColor());
        adjustLayers();
    }
}

void VideoView::updateTrackingAreas() {
    if (trackingArea_) {
        removeTrackingArea(trackingArea_.get());
    }
    trackingArea_ = std::make_shared<platform::TrackingArea>(
        root_ ? root_->frame() : bounds(),
        platform::TrackingMouseMoved | platform::TrackingActiveInKeyWindow |
            platform::TrackingInVisibleRect,
        this);
    addTrackingArea(trackingArea_);
}

void VideoView::resetCursorRects() {
    adjustLayers();
}

void VideoView::setFrameSize(Size size) {
    QXContentView::setFrameSize(size);
    if (root_) {
        platform::TransactionScope transaction;
        platform::Transaction::setDisableActions(true);
        root_->setFrame(bounds());
        adjustLayers();
    }
}

void VideoView::scheduleFrame() {
    if (framePending_) {
        return;
    }
    framePending_ = true;
    // Two streams and the fades each ask for pictures; the view composes one every frame
    // period at most.
    const double now = platform::RunLoop::main().now();
    const double delay = std::max(0.0, lastComposed_ + frameInterval - now);
    std::weak_ptr<bool> alive = alive_;
    platform::RunLoop::main().performAfterDelay(
        delay,
        [this, alive] {
            if (alive.lock()) {
                framePending_ = false;
                setNeedsDisplay(true);
            }
        },
        {platform::DefaultRunLoopMode, platform::EventTrackingRunLoopMode});
}

void VideoView::drawRect(const Rect& /*dirtyRect*/) {
    auto* context = platform::GraphicsContext::currentContext();
    if (!root_ || !context) {
        return;
    }
    lastComposed_ = platform::RunLoop::main().now();
    root_->renderInContext(*context);
    // A fade or push in progress needs the next picture even when no frame comes.
    if (root_->isAnimating()) {
        scheduleFrame();
    }
}
