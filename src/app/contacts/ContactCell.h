#pragma once

#include "app/contacts/CellButton.h"
#include "app/contacts/CellLink.h"
#include "widgets/QXTableCell.h"

#include <memory>
#include <string>
#include <vector>

class OVEntity;

// What a contact cell asks of its owner (the contact list, the favourites and the personal
// address book). Every question has a default: buttons not available, not hidden, without a
// menu; no links, no separator, no actions.
class ContactCellDelegate {
public:
    virtual ~ContactCellDelegate() = default;
    virtual bool buttonAvailable(int /*type*/, const OVEntity& /*contact*/) { return false; }
    virtual bool buttonHidden(int /*type*/, const OVEntity& /*contact*/) { return false; }
    virtual bool buttonHasMenu(int /*type*/, const OVEntity& /*contact*/) { return false; }
    virtual void showMenuForButton(int /*type*/, const platform::Rect& /*frame*/,
                                   const OVEntity& /*contact*/) {}
    virtual void buttonClicked(int /*type*/, const platform::Rect& /*frame*/,
                               const OVEntity& /*contact*/) {}
    virtual std::vector<CellLink> linksForContact(const OVEntity& /*contact*/) { return {}; }
    virtual void linkClicked(const CellLink& /*link*/, const OVEntity& /*contact*/) {}
    virtual bool shouldDisplaySeparator(const std::shared_ptr<platform::Object>& /*rowItem*/) {
        return false;
    }
};

// One contact row, condensed (one line), normal (avatar, name, presence text, organisation or
// blocking mark) or extended (large avatar and name, one clickable line per address). The
// buttons (more, call, chat, text message) show at the right end while the mouse is over the
// row, and always in the extended form; the cell tracks presses on them and on the address
// lines itself and tells its delegate.
class ContactCell : public QXTableCell {
public:
    static constexpr int condensedType = 0;
    static constexpr int normalType = 1;
    static constexpr int extendedType = 2;

    // How long a press on the more button, or on a button with a menu, waits before the menu
    // shows instead of a click.
    static constexpr double moreButtonDelay = 0.01;
    static constexpr double menuButtonDelay = 0.5;

    ContactCell();
    ContactCell(const ContactCell&) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // A ContactWithGroup row item or a bare contact entity; anything else clears the cell.
    // Reads the buttons' states and the links from the delegate.
    void setContact(const std::shared_ptr<platform::Object>& item);
    const std::shared_ptr<OVEntity>& contact() const { return _contact; }
    const std::shared_ptr<platform::Object>& rowItem() const { return _rowItem; }

    // The row's form (condensed, normal, extended); the cell's own kind stays reachable.
    using QXTableCell::setType;
    using QXTableCell::type;
    int type() const { return _type; }
    void setType(int type) { _type = type; }
    bool displayButtons() const { return _dispButtons; }
    void setDisplayButtons(bool flag) { _dispButtons = flag; }
    ContactCellDelegate* delegate() const { return _delegate; }
    void setDelegate(ContactCellDelegate* delegate) { _delegate = delegate; }
    const std::vector<CellButton>& buttons() const { return _buttons; }
    const std::vector<CellLink>& links() const { return _links; }

    static platform::Size minSizeForType(int type);
    // The type's size; an extended row grows 20 points for every link, blank ones included.
    platform::Size minSize() const override;

    // The texts: the name (with " - presence" and " (blocked)" in the condensed form), the
    // presence line and the right text (the blocking mark, else the organisation).
    std::string nameText() const;
    std::string presenceText() const;
    std::string blockingText() const;
    std::string rightText() const;
    // "Home: +1 555 0100".
    static std::string linkText(const CellLink& link);

    // Where everything of a row goes in a frame of a flipped view.
    struct Geometry {
        platform::Rect avatar;                 // empty in the condensed form
        platform::Rect statusIcon;             // empty without a presence
        platform::Point name;                  // the name's origin
        double nameWidth = 0;                  // the name ends 100 points before the right edge
        platform::Point presence;              // the presence line's origin (normal and extended)
        std::vector<platform::Rect> buttons;   // more, call, chat, SMS
        std::vector<platform::Rect> linkAreas; // the address lines drawn, top to bottom
        std::vector<std::size_t> linkOfArea;   // the link each drawn line stands for
    };
    Geometry geometryForFrame(const platform::Rect& frame) const;
    // The link of the address line at the point, or nullptr.
    const CellLink* linkAtPoint(const platform::Rect& frame, platform::Point point) const;

    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    platform::CellHitResult hitTestForEvent(const platform::Event& event,
                                            const platform::Rect& cellFrame,
                                            platform::View* controlView) override;
    bool trackMouse(const platform::Event& event, const platform::Rect& cellFrame,
                    platform::View* controlView, bool untilMouseUp) override;
    void addCursorRectsForFrame(const platform::Rect& frame, platform::View* view) override;

private:
    int _type = normalType;
    ContactCellDelegate* _delegate = nullptr;
    std::shared_ptr<OVEntity> _contact;
    std::shared_ptr<platform::Object> _rowItem;
    bool _dispButtons = false;
    std::vector<CellButton> _buttons;
    std::vector<CellLink> _links;
    // The press being tracked: where it began and where the mouse is now.
    std::optional<platform::Point> _pressPoint;
    platform::Point _currentPoint;
};
