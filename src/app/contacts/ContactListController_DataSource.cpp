#include "app/contacts/ContactGroupCell.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactWithGroup.h"
#include "platform/kit/TableColumn.h"
#include "support/Localization.h"

#include <algorithm>

namespace {

std::shared_ptr<OVEntity> entityOf(const platform::OutlineItem& item) {
    return std::dynamic_pointer_cast<OVEntity>(item);
}

} // namespace

std::shared_ptr<ContactWithGroup>
ContactListController::rowItem(const std::shared_ptr<OVEntity>& contact,
                               const std::shared_ptr<OVEntity>& parent) {
    const std::string key =
        std::to_string(contact->uniqueId()) + "+" + std::to_string(parent->uniqueId());
    auto& cached = _cgDictionary[key];
    auto row = std::dynamic_pointer_cast<ContactWithGroup>(cached);
    if (!row) {
        row = std::make_shared<ContactWithGroup>(contact, parent);
        cached = row;
        observe(contact);
        // The extended row follows its contact onto the new item.
        if (_expandedItem && _expandedItem->contact() == contact &&
            (_expandedItem->group() == parent || _expandedItem->group()->uniqueId() < 0 ||
             parent->uniqueId() < 0)) {
            _expandedItem = row;
        }
    }
    return row;
}

long ContactListController::outlineViewNumberOfChildrenOfItem(platform::OutlineView&,
                                                              const platform::OutlineItem& item) {
    if (!item) {
        return _entityRoot ? static_cast<long>(_entityRoot->entities().size()) : 0;
    }
    if (auto group = entityOf(item); group && group->type() == OVEntity::typeGroup) {
        return static_cast<long>(group->entities().size());
    }
    return 0;
}

platform::OutlineItem ContactListController::outlineViewChild(platform::OutlineView&, long index,
                                                              const platform::OutlineItem& item) {
    if (!item) {
        if (!_entityRoot || index < 0 ||
            index >= static_cast<long>(_entityRoot->entities().size())) {
            return nullptr;
        }
        const auto& entity = _entityRoot->entities()[static_cast<std::size_t>(index)];
        if (entity->type() == OVEntity::typeGroup) {
            auto& cached = _cgDictionary[std::to_string(entity->uniqueId())];
            if (!cached) {
                cached = entity;
                observe(entity);
            }
            return cached;
        }
        return rowItem(entity, _entityRoot);
    }
    auto group = entityOf(item);
    if (!group || index < 0 || index >= static_cast<long>(group->entities().size())) {
        return nullptr;
    }
    return rowItem(group->entities()[static_cast<std::size_t>(index)], group);
}

bool ContactListController::outlineViewIsItemExpandable(platform::OutlineView&,
                                                        const platform::OutlineItem& item) {
    auto group = entityOf(item);
    return _treeViewMode && group && group->type() == OVEntity::typeGroup;
}

platform::Value ContactListController::outlineViewObjectValueForTableColumn(
    platform::OutlineView&, platform::TableColumn* column, const platform::OutlineItem& item) {
    if (!column || column->identifier() != "name") {
        return {};
    }
    if (auto group = entityOf(item)) {
        std::string name = group->displayName();
        if (group == _editingItem) {
            return name; // renamed as it is, without the count
        }
        if (name == "Mac Address Book") {
            name = QXLS("msg.contacts.editor.typename_MacADR", "MAC Address Book");
        }
        const auto shown = group->entities().size();
        const auto all = group->entitiesAll().size();
        if (all > 0 && !_showOfflineContacts) {
            return name + " (" + std::to_string(shown) + "/" + std::to_string(all) + ")";
        }
        return name + " (" + std::to_string(all) + ")";
    }
    if (auto row = std::dynamic_pointer_cast<ContactWithGroup>(item)) {
        return row->contact()->displayName();
    }
    return {};
}

std::optional<std::shared_ptr<platform::Cell>>
ContactListController::outlineViewDataCellForTableColumn(platform::OutlineView&,
                                                         platform::TableColumn* column,
                                                         const platform::OutlineItem& item) {
    if (!column) {
        return std::shared_ptr<platform::Cell>();
    }
    if (auto group = entityOf(item)) {
        auto cell = std::make_shared<ContactGroupCell>();
        cell->setGroupName(group->displayName() == "Mac Address Book"
                               ? QXLS("msg.contacts.editor.typename_MacADR", "MAC Address Book")
                               : group->displayName());
        cell->setGroupItems(static_cast<int>(group->entities().size()));
        cell->setTotalNum(static_cast<int>(group->entitiesAll().size()));
        cell->setShowTotal(!_showOfflineContacts);
        cell->setEditable(true);
        cell->setSelectable(true);
        cell->setLineBreakMode(platform::LineBreakMode::ByTruncatingTail);
        return cell;
    }
    auto cell = std::make_shared<ContactCell>();
    cell->setDelegate(this);
    cell->setType(item && item == _expandedItem ? ContactCell::extendedType
                  : _condensedView              ? ContactCell::condensedType
                                                : ContactCell::normalType);
    cell->setContact(item);
    return cell;
}

void ContactListController::outlineViewWillDisplayCell(platform::OutlineView& outlineView,
                                                       platform::Cell& cell, platform::TableColumn*,
                                                       const platform::OutlineItem& item) {
    if (auto* contactCell = dynamic_cast<ContactCell*>(&cell)) {
        const long row = outlineView.rowForItem(item);
        contactCell->setDisplayButtons(row >= 0 && row == _contactOutlineView->mouseOverRow());
    }
}

std::optional<double>
ContactListController::outlineViewHeightOfRowByItem(platform::OutlineView& outlineView,
                                                    const platform::OutlineItem& item) {
    if (entityOf(item)) {
        return outlineView.rowHeight() - 10;
    }
    if (item && item == _expandedItem) {
        ContactCell cell;
        cell.setDelegate(this);
        cell.setType(ContactCell::extendedType);
        cell.setContact(item);
        return cell.minSize().height;
    }
    return _condensedView ? 25.0 : 35.0;
}

bool ContactListController::outlineViewIsGroupItem(platform::OutlineView&,
                                                   const platform::OutlineItem& item) {
    auto group = entityOf(item);
    return _treeViewMode && group && group->type() == OVEntity::typeGroup;
}

void ContactListController::outlineViewItemDidExpand(const platform::Notification& notification) {
    if (auto group = entityOf(notification.userInfo[platform::OutlineViewItemKey].object())) {
        _expandedGroups.insert(group);
    }
}

void ContactListController::outlineViewItemDidCollapse(const platform::Notification& notification) {
    if (auto group = entityOf(notification.userInfo[platform::OutlineViewItemKey].object())) {
        _expandedGroups.erase(group);
    }
}

void ContactListController::outlineViewMouseChangedFromRow(QXOutlineView& outlineView,
                                                           long previousRow, long newRow) {
    for (long row : {previousRow, newRow}) {
        if (row >= 0) {
            outlineView.setNeedsDisplayInRect(outlineView.rectOfRow(row));
        }
    }
}

bool ContactListController::shouldDisplaySeparator(const platform::OutlineItem& rowItem) {
    if (!_treeViewMode || _searchSession) {
        return true;
    }
    const long row = _contactOutlineView->rowForItem(rowItem);
    if (row < 0 || row + 1 >= _contactOutlineView->numberOfRows()) {
        return true;
    }
    return _contactOutlineView->levelForRow(row + 1) != 0;
}

std::vector<CellLink> ContactListController::linksForContact(const OVEntity& contact) {
    std::vector<CellLink> links;
    for (const auto& field : contact.fields()) {
        const bool communicates = field->hasType(OVField::fieldTypeVoiceVideo |
                                                 OVField::fieldTypeIM | OVField::fieldTypeSMS) ||
                                  field->name() == OVField::fieldEmailAddr ||
                                  field->name() == OVField::fieldWebAddress;
        if (communicates) {
            links.emplace_back(field->valueStrToDisplay(), field->valueStr(), field->name(),
                               field->type(), field);
        }
    }
    return links;
}
