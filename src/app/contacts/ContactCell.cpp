#include "app/contacts/ContactCell.h"

#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"
#include "platform/kit/View.h"
#include "platform/kit/WindowServer.h"
#include "support/ImageExtensions.h"
#include "support/Localization.h"
#include "support/TextExtensions.h"
#include "support/ValueTransformers.h"

#include <algorithm>

using platform::Point;
using platform::Rect;

namespace {

constexpr int kStatusNone = static_cast<int>(OVPresenceStatus::statusNone);

platform::TextAttributes rowText(double size, platform::Color color,
                                 std::string_view font = "Lucida Grande") {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName(font, size);
    attributes.foregroundColor = color;
    return attributes;
}

const platform::Color kBlack(0, 0, 0, 1);
const platform::Color kWhite(1, 1, 1, 1);
const platform::Color kDarkGrey(0.33, 0.33, 0.33, 1);
const platform::Color kGrey(0.5, 0.5, 0.5, 1);
const platform::Color kLinkColour(0.2, 0.2, 1.0, 1.0);
const platform::Color kLinkHighlighted(0.6, 0.6, 1.0, 1.0);

// The address line's label source for the field-type-pair transformer.
class AddressTypePair : public FieldTypePair {
public:
    AddressTypePair(std::string type, int communication)
        : _type(std::move(type)), _communication(communication) {}
    std::string addressType() const override { return _type; }
    int communicationType() const override { return _communication; }

private:
    std::string _type;
    int _communication;
};

bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::shared_ptr<platform::Image> namedImage(std::string_view name) {
    return platform::Image::imageNamed(name);
}

// The icon of an address line.
std::string linkIconName(const CellLink& link) {
    if (link.communicationType & (OVField::fieldTypeSMS | OVField::fieldTypeIM)) {
        return "chat";
    }
    const std::string& type = link.addressType;
    if (link.communicationType & OVField::fieldTypeVoiceVideo) {
        for (auto name : {"softphone", "home", "work", "mobile", "fax"}) {
            if (type == name) {
                return name;
            }
        }
        return "other";
    }
    if (type == OVField::fieldEmailAddr) {
        return "email";
    }
    if (type == OVField::fieldWebAddress) {
        return "web";
    }
    if (type == OVField::fieldFaxNum || type == OVField::fieldPagerNum) {
        return type;
    }
    return "other";
}

} // namespace

ContactCell::ContactCell() {
    _buttons = {CellButton(CellButton::buttonTypeMoreMenu, namedImage("CCmore")),
                CellButton(CellButton::buttonTypeCall, namedImage("CCcall")),
                CellButton(CellButton::buttonTypeChat, namedImage("CCchat")),
                CellButton(CellButton::buttonTypeSMS, namedImage("CCSMS"))};
}

std::shared_ptr<platform::Cell> ContactCell::copy() const {
    return std::make_shared<ContactCell>(*this);
}

void ContactCell::setContact(const std::shared_ptr<platform::Object>& item) {
    if (auto row = std::dynamic_pointer_cast<ContactWithGroup>(item)) {
        _rowItem = row;
        _contact = row->contact();
    } else if (auto entity = std::dynamic_pointer_cast<OVEntity>(item)) {
        _rowItem.reset();
        _contact = std::move(entity);
    } else {
        _rowItem.reset();
        _contact.reset();
    }
    _links.clear();
    for (auto& button : _buttons) {
        button.available = false;
        button.hidden = false;
        button.hasMenu = false;
    }
    if (!_contact || !_delegate) {
        return;
    }
    for (auto& button : _buttons) {
        button.available = _delegate->buttonAvailable(button.type, *_contact);
        button.hidden = _delegate->buttonHidden(button.type, *_contact);
        button.hasMenu = _delegate->buttonHasMenu(button.type, *_contact);
    }
    _links = _delegate->linksForContact(*_contact);
}

platform::Size ContactCell::minSizeForType(int type) {
    return {10000, type == condensedType ? 20.0 : (type == extendedType ? 50.0 : 35.0)};
}

platform::Size ContactCell::minSize() const {
    platform::Size size = minSizeForType(_type);
    if (_type == extendedType) {
        size.height += 20.0 * static_cast<double>(_links.size());
    }
    return size;
}

std::string ContactCell::presenceText() const {
    if (!_contact) {
        return {};
    }
    const auto presence = _contact->defaultPresence();
    if (!presence || presence->status() == OVPresenceStatus::statusNone) {
        return {};
    }
    if (presence->message().empty()) {
        return {};
    }
    return ContactOperations::instance().translatePresenceMessage(presence->message());
}

std::string ContactCell::blockingText() const {
    if (!_contact) {
        return {};
    }
    const auto state = _contact->getFieldByName(OVField::fieldBlockState);
    if (!state) {
        return {};
    }
    if (state->valueStr() == "blocked") {
        return QXLS("msg.contact.blocked", "Blocked");
    }
    if (state->valueStr() == "partiallyBlocked") {
        return QXLS("msg.contact.partiallyBlocked", "Partially Blocked");
    }
    return {};
}

std::string ContactCell::rightText() const {
    std::string text = blockingText();
    if (text.empty() && _contact) {
        if (auto organization = _contact->getFieldByName(OVField::fieldOrganization)) {
            text = organization->valueStr();
        }
    }
    return text;
}

std::string ContactCell::nameText() const {
    if (!_contact) {
        return {};
    }
    std::string name = _contact->displayName();
    if (_type == condensedType) {
        if (const std::string presence = presenceText(); !presence.empty()) {
            name += " - " + presence;
        }
        if (const std::string blocked = blockingText(); !blocked.empty()) {
            name += " (" + blocked + ")";
        }
    }
    return name;
}

std::string ContactCell::linkText(const CellLink& link) {
    const int communication = (link.communicationType & OVField::fieldTypeSMS)
                                  ? static_cast<int>(OVCommunicationType::commTypeSMS)
                              : (link.communicationType & OVField::fieldTypeIM)
                                  ? static_cast<int>(OVCommunicationType::commTypeIM)
                                  : static_cast<int>(OVCommunicationType::commTypeCall);
    const platform::Value label = FieldTypePairStringTransformer().transformedValue(
        platform::Value(std::make_shared<AddressTypePair>(link.addressType, communication)));
    const std::string text = label.isString() ? label.stringValue() : link.addressType;
    return text + ": " + link.displayAddress;
}

ContactCell::Geometry ContactCell::geometryForFrame(const Rect& frame) const {
    Geometry g;
    const double x = frame.minX(), y = frame.minY(), w = frame.width(), h = frame.height();
    const bool hasPresence = _contact && _contact->presenceStatus() != kStatusNone;
    const double shift = hasPresence ? 18 : 0;
    switch (_type) {
    case condensedType:
        g.statusIcon = {x, y + 3, 16, 16};
        g.name = {x + shift, y + 3};
        break;
    case extendedType: {
        g.avatar = {x - 2, y + 4, 40, 40};
        g.statusIcon = {x + 48, y + 8, 16, 16};
        g.name = {x + 50 + shift, y + 3};
        const double nameHeight =
            platform::sizeWithAttributes(nameText(), rowText(20, kBlack)).height;
        g.presence = {g.name.x, y + nameHeight + 3};
        break;
    }
    default:
        g.avatar = {x - 2, y + 4, h - 8, h - 8};
        g.statusIcon = {x + h - 1, y + 3, 16, 16};
        g.name = {x + h + shift, y + 3};
        g.presence = {g.name.x, y + 19};
        break;
    }
    if (!hasPresence) {
        g.statusIcon = {};
    }
    g.nameWidth = std::max(0.0, x + w - 100 - g.name.x);
    for (std::size_t i = 0; i < _buttons.size(); ++i) {
        const platform::Size size = _buttons[i].frame.size;
        g.buttons.push_back(
            {x + w - 20 - 20.0 * static_cast<double>(i), y + 3, size.width, size.height});
    }
    if (_type == extendedType) {
        // Blank lines take no row, and each area answers for the link drawn in it.
        double lineY = y + 50;
        for (std::size_t i = 0; i < _links.size(); ++i) {
            if (isBlank(_links[i].displayAddress)) {
                continue;
            }
            const platform::Size text =
                platform::sizeWithAttributes(linkText(_links[i]), rowText(12, kLinkColour));
            const double width = std::min(text.width + 40, x + w - 10 - g.name.x);
            g.linkAreas.push_back(
                {g.name.x, lineY, std::max(0.0, width), std::max(16.0, text.height)});
            g.linkOfArea.push_back(i);
            lineY += 20;
        }
    }
    return g;
}

const CellLink* ContactCell::linkAtPoint(const Rect& frame, Point point) const {
    const Geometry g = geometryForFrame(frame);
    for (std::size_t i = 0; i < g.linkAreas.size(); ++i) {
        if (g.linkAreas[i].containsPoint(point)) {
            return &_links[g.linkOfArea[i]];
        }
    }
    return nullptr;
}

void ContactCell::drawInteriorWithFrame(const Rect& cellFrame, platform::View* controlView) {
    if (!_contact) {
        return;
    }
    const Geometry g = geometryForFrame(cellFrame);
    const bool highlighted = isHighlighted();
    const double nameSize = _type == extendedType ? 20 : 12;

    if (!g.avatar.isEmpty()) {
        std::shared_ptr<platform::Image> avatar;
        if (auto field = _contact->getPrimary(OVField::fieldPrimaryTypeAvatar)) {
            const auto& bytes = field->valueStr();
            avatar = platform::Image::imageWithData(std::span<const std::uint8_t>(
                reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        }
        if (!avatar) {
            avatar = namedImage("AvatarSample");
        }
        if (avatar) {
            OrvantaExtensions::drawPreservingArInRect(
                *avatar, g.avatar, {}, platform::CompositingOperation::SourceOver, 1.0, true);
        }
    }
    if (!g.statusIcon.isEmpty()) {
        const std::string icon = PresenceStatusIconNameTransformer::iconNameForStatus(
                                     platform::Value(_contact->presenceStatus())) +
                                 "_3";
        if (auto image = namedImage(icon)) {
            OrvantaExtensions::drawPreservingArInRect(
                *image, g.statusIcon, {}, platform::CompositingOperation::SourceOver, 1.0, true);
        }
    }

    // The name, the part from " - (" on in oblique, cut 100 points before the right edge.
    const auto nameAttributes = rowText(nameSize, highlighted ? kWhite : kBlack);
    platform::AttributedString name(nameText(), nameAttributes);
    if (const auto split = name.string().find(" - ("); split != std::string::npos) {
        platform::TextAttributes oblique;
        oblique.font = platform::Font::fontWithName("Helvetica-Oblique", nameSize);
        name.addAttributes(oblique, {split, name.length() - split});
    }
    const auto shownName = OrvantaExtensions::truncateForWidth(name, static_cast<int>(g.nameWidth));
    shownName.drawAtPoint(g.name);

    const double right = cellFrame.maxX();
    double rightWidth = 0;
    if (_type != condensedType) {
        const std::string blocked = blockingText();
        const std::string rightString = rightText();
        if (!rightString.empty()) {
            const auto attributes = blocked.empty() ? rowText(10, kGrey) : rowText(10, kWhite);
            const platform::Size size = platform::sizeWithAttributes(rightString, attributes);
            rightWidth = size.width;
            const Point at{right - 5 - size.width,
                           cellFrame.minY() + (_type == extendedType ? 30 : 21)};
            if (!blocked.empty()) {
                if (auto* context = platform::GraphicsContext::currentContext()) {
                    context->setFillColor(platform::Color(0.85, 0.1, 0.1, 1));
                    context->fillRect({at.x - 2, at.y + 1, size.width + 4, size.height - 2});
                }
            }
            platform::drawAtPoint(rightString, at, attributes);
        }
        const std::string presence = presenceText();
        if (!presence.empty()) {
            const auto attributes = rowText(11, highlighted ? kWhite : kDarkGrey);
            const double width = cellFrame.width() - g.presence.x - rightWidth;
            OrvantaExtensions::truncateForWidth(platform::AttributedString(presence, attributes),
                                                static_cast<int>(std::max(0.0, width)))
                .drawAtPoint(g.presence);
        }
    }

    if (_contact->getFieldByName(OVField::fieldAlertEnabled) &&
        _contact->getFieldByName(OVField::fieldAlertEnabled)->valueStr() ==
            OVField::fieldValueTrue) {
        if (auto alert = namedImage("AlertList")) {
            const double after = std::min(shownName.size().width, g.nameWidth);
            const Rect mark{g.name.x + after + (_type == condensedType ? 3 : 5),
                            cellFrame.minY() + 5, 16, 16};
            OrvantaExtensions::drawPreservingArInRect(
                *alert, mark, {}, platform::CompositingOperation::SourceOver, 1.0, true);
        }
    }

    for (std::size_t i = 0; i < g.linkAreas.size(); ++i) {
        const CellLink& link = _links[g.linkOfArea[i]];
        const Rect& area = g.linkAreas[i];
        if (auto icon = namedImage(linkIconName(link))) {
            OrvantaExtensions::drawPreservingArInRect(*icon, {area.minX(), area.minY(), 16, 16}, {},
                                                      platform::CompositingOperation::SourceOver,
                                                      1.0, true);
        }
        auto attributes = rowText(12, highlighted ? kLinkHighlighted : kLinkColour);
        if (_pressPoint && area.containsPoint(*_pressPoint) && area.containsPoint(_currentPoint)) {
            attributes.underlineStyle = 1;
        }
        const platform::AttributedString text(linkText(link), attributes);
        OrvantaExtensions::truncateForWidth(
            text, static_cast<int>(std::max(0.0, cellFrame.maxX() - 10 - (area.minX() + 20))))
            .drawAtPoint({area.minX() + 20, area.minY()});
    }

    if (_dispButtons || _type == extendedType) {
        for (std::size_t i = 0; i < _buttons.size(); ++i) {
            CellButton button = _buttons[i];
            button.frame = g.buttons[i];
            button.draw();
        }
    }

    if (_delegate &&
        _delegate->shouldDisplaySeparator(
            _rowItem ? _rowItem : std::static_pointer_cast<platform::Object>(_contact))) {
        if (auto* context = platform::GraphicsContext::currentContext()) {
            context->setFillColor(platform::Color(0.8, 0.8, 0.8, 1.0));
            context->fillRect({0, cellFrame.maxY() - 1, cellFrame.width() + 20, 1});
        }
    }
    (void)controlView;
}

platform::CellHitResult ContactCell::hitTestForEvent(const platform::Event& event,
                                                     const Rect& cellFrame,
                                                     platform::View* controlView) {
    const Point point = controlView
                            ? controlView->convertPointFromView(event.locationInWindow(), nullptr)
                            : event.locationInWindow();
    if (_dispButtons || _type == extendedType) {
        const Geometry g = geometryForFrame(cellFrame);
        const auto inside = [&](const Rect& r) { return r.containsPoint(point); };
        if (std::any_of(g.buttons.begin(), g.buttons.end(), inside) ||
            std::any_of(g.linkAreas.begin(), g.linkAreas.end(), inside)) {
            _pressPoint.reset();
            return platform::CellHitContentArea | platform::CellHitTrackableArea;
        }
    }
    return platform::CellHitContentArea;
}

bool ContactCell::trackMouse(const platform::Event& event, const Rect& cellFrame,
                             platform::View* controlView, bool /*untilMouseUp*/) {
    const auto toView = [&](const platform::Event& e) {
        return controlView ? controlView->convertPointFromView(e.locationInWindow(), nullptr)
                           : e.locationInWindow();
    };
    const auto redraw = [&] {
        if (controlView) {
            controlView->setNeedsDisplayInRect(cellFrame);
        }
    };
    const Geometry g = geometryForFrame(cellFrame);
    const Point press = toView(event);
    _currentPoint = press;
    const auto inside = [&](const Rect& r) { return r.containsPoint(press); };
    const bool onButton = (_dispButtons || _type == extendedType) &&
                          std::any_of(g.buttons.begin(), g.buttons.end(), inside);
    const bool onLink = std::any_of(g.linkAreas.begin(), g.linkAreas.end(), inside);
    if (!onButton && !onLink) {
        return true;
    }
    _pressPoint = press;

    std::optional<std::size_t> target;
    if (onButton) {
        for (std::size_t i = 0; i < _buttons.size(); ++i) {
            if (_buttons[i].available && !_buttons[i].hidden && g.buttons[i].containsPoint(press)) {
                target = i;
            }
        }
    }
    std::optional<double> limit;
    if (target) {
        if (_buttons[*target].type == CellButton::buttonTypeMoreMenu) {
            limit = moreButtonDelay;
        } else if (_buttons[*target].hasMenu) {
            limit = menuButtonDelay;
        }
        _buttons[*target].pressed = true;
    }
    redraw();

    platform::RunLoop& loop = platform::RunLoop::main();
    auto& server = platform::WindowServer::shared();
    const double deadline = limit ? loop.now() + *limit : 0;
    bool released = false;
    bool timedOut = false;
    while (!released && !timedOut) {
        const double until = limit ? deadline : loop.now() + 0.25;
        std::optional<platform::Event> next =
            server.nextEventMatchingMask(platform::LeftMouseUpMask | platform::LeftMouseDraggedMask,
                                         until, platform::EventTrackingRunLoopMode, true);
        if (!next) {
            if (limit && loop.now() >= deadline) {
                timedOut = true;
            } else if (loop.manualClock() && !limit) {
                break; // nothing more can arrive
            }
            continue;
        }
        _currentPoint = toView(*next);
        redraw();
        released = next->type() == platform::EventType::LeftMouseUp;
    }

    const auto contact = _contact; // the delegate may give the cell another row
    if (target) {
        _buttons[*target].pressed = false;
        const CellButton& button = _buttons[*target];
        const Rect frame = g.buttons[*target];
        if (timedOut) {
            if (_delegate && contact) {
                _delegate->showMenuForButton(button.type, frame, *contact);
            }
        } else if (released && frame.containsPoint(_currentPoint) && _delegate && contact) {
            _delegate->buttonClicked(button.type, frame, *contact);
        }
    } else if (released && _delegate && contact) {
        for (std::size_t i = 0; i < g.linkAreas.size(); ++i) {
            if (g.linkAreas[i].containsPoint(press) &&
                g.linkAreas[i].containsPoint(_currentPoint)) {
                const CellLink link = _links[g.linkOfArea[i]];
                _delegate->linkClicked(link, *contact);
                break;
            }
        }
    }
    _pressPoint.reset();
    redraw();
    return true;
}

void ContactCell::addCursorRectsForFrame(const Rect& frame, platform::View* view) {
    if (!view || _type != extendedType) {
        return;
    }
    for (const Rect& area : geometryForFrame(frame).linkAreas) {
        view->addCursorRect(area, platform::Cursor::pointingHandCursor());
    }
}
