#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/Helpers.h"
#include "engine/CallHistoryService.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Event.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"
#include "support/MenuExtensions.h"
#include "support/ValueTransformers.h"

#include <algorithm>

using Model = OVConversationModel;

namespace {

std::string addressTypeLabel(OVAddressType type) {
    return ContactAddressStringTransformer()
        .transformedValue(platform::Value(static_cast<long long>(type)))
        .stringValue();
}

int keyCodeOf(const std::string& characters) {
    return characters.empty() ? 0 : static_cast<unsigned char>(characters.front());
}

} // namespace

bool ConversationViewController::inTargetEntry() const {
    if (!_conversationModel)
        return false;
    const auto state = _conversationModel->getVisualStateName();
    return state == Model::forwardBeginVisualState ||
           state == Model::invitingToConferenceVisualState ||
           state == Model::transferBeginVisualState;
}

// The panel's view.

void ConversationViewController::conversationViewGotFocus() {
    if (_numberEntryModel)
        _numberEntryModel->gotFocus(true);
}

void ConversationViewController::conversationViewLostFocus() {
    if (_numberEntryModel)
        _numberEntryModel->lostFocus(true);
}

void ConversationViewController::keyPressedOnView(const platform::Event& event) {
    if (_numberEntryModel)
        _numberEntryModel->keyIsPressed(keyCodeOf(event.characters()));
}

void ConversationViewController::keyReleasedOnView(const platform::Event& event) {
    if (_numberEntryModel)
        _numberEntryModel->keyIsReleased(keyCodeOf(event.charactersIgnoringModifiers()));
}

// Drops.

void ConversationViewController::receivedDraggedItem(const platform::Value& item) {
    if (!_conversationModel || !_conversation || _conversationModel->getRelatedConversation())
        return;
    const bool targetEntry = inTargetEntry();
    const bool conferenceAdd =
        _conversation->canCallAndAddParticipant() && feature("conferencingEnabled");
    auto* field = _o.numberEntryTextField.get();
    if (item.isString()) {
        const std::string text = item.stringValue();
        if (targetEntry) {
            if (field)
                field->setStringValue(text);
            _numberEntryModel->setNumberEntered(text);
        } else if (conferenceAdd) {
            _conversation->callAndAddParticipant(text, -1);
        }
        updateCallButtons();
        return;
    }
    const auto object = item.object();
    std::shared_ptr<OVEntity> entity;
    if (auto row = std::dynamic_pointer_cast<ContactWithGroup>(object))
        entity = row->contact();
    else
        entity = std::dynamic_pointer_cast<OVEntity>(object);
    if (entity) {
        if (entity->type() == OVEntity::typePhysicalContact ||
            entity->type() == OVEntity::typeLogicalContact) {
            if (!feature("primaryNumberEnabled") && entity->callableAddresses().size() > 1) {
                receivedDraggedEntity(entity);
                return;
            }
            const auto primary = entity->getPrimary(OVField::fieldPrimaryTypeCall);
            if (primary && !primary->valueStrToDisplay().empty()) {
                if (targetEntry) {
                    _numberEntryModel->setObjectEntered(primary->valueStr(), entity->displayName(),
                                                        addressTypeOfFieldName(primary->name()),
                                                        entity->uniqueId());
                    if (field && field->window())
                        field->window()->makeFirstResponder(field);
                } else if (conferenceAdd) {
                    _conversation->callAndAddParticipant(primary->valueStr(), entity->uniqueId());
                }
            }
        }
    } else if (auto entry = std::dynamic_pointer_cast<OVModelCallHistoryItem>(object)) {
        const long long contact = entry->record().entityID;
        if (targetEntry) {
            if (entry->addressType() != OVAddressType::email) {
                _numberEntryModel->setObjectEntered(
                    entry->addressType() == OVAddressType::softphone ? entry->address()
                                                                     : entry->addressToDisplay(),
                    entry->display(), entry->addressType(), contact);
                if (field && field->window())
                    field->window()->makeFirstResponder(field);
            }
        } else if (conferenceAdd) {
            _conversation->callAndAddParticipant(entry->address(), contact);
        }
    }
    updateCallButtons();
}

// A contact with several numbers: a menu of them at the pointer, each adding that number.
void ConversationViewController::receivedDraggedEntity(const std::shared_ptr<OVEntity>& entity) {
    auto menu = std::make_shared<platform::Menu>();
    menu->setAutoenablesItems(false);
    for (const auto& address : entity->callableAddresses()) {
        const std::string title =
            platform::formatString("%@ [%@: %@]", entity->displayName(),
                                   addressTypeLabel(addressTypeOfFieldName(address->name())),
                                   address->valueStrToDisplay());
        auto added = OrvantaExtensions::addItemWithTitle(*menu, title, this,
                                                         "contextCallDroppedAddress:", "",
                                                         platform::Value(address->valueStr()));
        added->setTag(static_cast<long>(entity->uniqueId()));
    }
    _droppedContactMenu = menu;
    auto* view = _o.conversationView.get();
    auto* window = view ? view->window() : nullptr;
    if (!window)
        return;
    const auto event = platform::Event::mouseEvent(platform::EventType::LeftMouseDown,
                                                   window->mouseLocationOutsideOfEventStream());
    platform::Menu::popUpContextMenu(menu, event, view);
}

void ConversationViewController::contextCallDroppedAddress(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !item->representedObject().isString() || !_conversation || !_conversationModel ||
        _conversationModel->getRelatedConversation())
        return;
    const std::string address = item->representedObject().stringValue();
    if (inTargetEntry())
        _numberEntryModel->setObjectEntered(address, item->title(), OVAddressType::other,
                                            item->tag());
    else if (_conversation->canCallAndAddParticipant() && feature("conferencingEnabled"))
        _conversation->callAndAddParticipant(address, item->tag());
    updateCallButtons();
}

// The in-call number entry field.

std::optional<bool> ConversationViewController::keyPressed(const platform::Event& event) {
    if (!_numberEntryModel || event.type() != platform::EventType::KeyDown)
        return false;
    const std::string& plain = event.charactersIgnoringModifiers();
    if (plain.size() != 1)
        return false;
    if (plain.front() == '\r' || plain.front() == '\x03') {
        if (_o.numberEntryTextField)
            _o.numberEntryTextField->tidyup(false);
        _numberEntryModel->specialKeyPressed(OVNumberEntryModel::returnKey);
        return true;
    }
    Helpers::instance().numberEntryKeyPressed(
        event, *_numberEntryModel,
        _o.numberEntryTextField ? _o.numberEntryTextField->stringValue() : std::string());
    return false;
}

std::optional<bool> ConversationViewController::keyReleased(const platform::Event& event) {
    if (_numberEntryModel)
        Helpers::instance().numberEntryKeyReleased(event, *_numberEntryModel);
    return true;
}

void ConversationViewController::clearPressed() {
    if (_numberEntryModel)
        _numberEntryModel->clearNumberEntered();
}

void ConversationViewController::textFieldGotFocus(QXTextField& field) {
    if (_numberEntryModel && &field == _o.numberEntryTextField.get())
        _numberEntryModel->gotFocus(true);
}

void ConversationViewController::textFieldLostFocus(QXTextField& field) {
    if (_numberEntryModel && &field == _o.numberEntryTextField.get())
        _numberEntryModel->lostFocus(true);
}

void ConversationViewController::rowEntryPicked(long row) {
    if (_autoCompleteModel)
        _cefSuggestions.pick(*_autoCompleteModel, row);
}

void ConversationViewController::rowEntryDoubleClicked(long row) {
    rowEntryPicked(row);
}

void ConversationViewController::dropDownMenuWillShowMenu(QXTextField& /*field*/,
                                                          platform::Menu& menu) {
    if (_autoCompleteModel)
        NumberEntrySuggestions::appendRedialItems(*_autoCompleteModel, menu, this,
                                                  "contextRedialItemPicked:");
}

void ConversationViewController::contextRedialItemPicked(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !_autoCompleteModel)
        return;
    auto entry =
        std::dynamic_pointer_cast<OVModelCallHistoryItem>(item->representedObject().object());
    if (!entry)
        return;
    _autoCompleteModel->setRedialItem(entry);
    _autoCompleteModel->redialAction();
}

long ConversationViewController::numberOfRowsInTableView(platform::TableView& /*tableView*/) {
    return _cefSuggestions.numberOfRows();
}

platform::Value ConversationViewController::tableViewObjectValueForTableColumn(
    platform::TableView& /*tableView*/, platform::TableColumn* column, long row) {
    return _cefSuggestions.objectValue(column, row);
}

// The engine.

void ConversationViewController::ovmdNumberEntryPropertyChanged(const std::string& name) {
    auto* field = _o.numberEntryTextField.get();
    if (!_numberEntryModel)
        return;
    if (name == OVNumberEntryModel::numberEnteredProperty) {
        if (field && field->stringValue() != _numberEntryModel->numberEntered())
            field->setStringValue(_numberEntryModel->numberEntered());
        updateCallButtons();
    } else if (name == OVNumberEntryModel::objectEnteredProperty) {
        if (field) {
            if (const auto item = _numberEntryModel->objectEntered()) {
                platform::TextAttributes attributes;
                attributes.font = field->font().fontWithItalic(true);
                attributes.foregroundColor = platform::Color(0.5, 0.5, 0.5, 1);
                field->setItemString(platform::AttributedString(
                    platform::formatString("%@ [%@:%@]", item->displayName(),
                                           addressTypeLabel(item->addressType()),
                                           item->addressToDisplay()),
                    attributes));
            } else {
                field->setItemString(std::nullopt);
            }
        }
        updateCallButtons();
    }
}

void ConversationViewController::ovmdNumberEntryFocusRequested(OVNumberEntryModel& /*model*/) {
    auto* field = _o.numberEntryTextField.get();
    auto* window = field ? field->window() : nullptr;
    if (!window)
        return;
    if (field->currentEditor() && window->firstResponder() == field->currentEditor())
        return;
    window->makeFirstResponder(field);
    if (auto* editor = field->currentEditor())
        editor->setSelectedRange({editor->string().size(), 0});
}

void ConversationViewController::ovmdNumberEntryTextSelectionStateRequested(int state) {
    auto* editor = textEditor();
    if (!_numberEntryModel || !editor)
        return;
    const auto range = editor->selectedRange();
    _numberEntryModel->setTextSelectionState(state, static_cast<long>(range.location),
                                             static_cast<long>(range.length));
}

void ConversationViewController::ovmdNumberEntryUpdateTextSelectionState(int /*state*/, long start,
                                                                         long length) {
    auto* editor = textEditor();
    if (!editor || start < 0 || length < 0)
        return;
    editor->setSelectedRange({static_cast<std::size_t>(start), static_cast<std::size_t>(length)});
}

void ConversationViewController::ovmdAutoCompletePropertyChanged(const std::string& name) {
    auto* field = _o.numberEntryTextField.get();
    if (!field || !_autoCompleteModel || name != OVAutoCompleteModel::isAutoCompleteShownProperty)
        return;
    if (_autoCompleteModel->getIsAutoCompleteShown())
        field->tryShowSuggestions(true);
    else
        field->tidyup(true);
}

void ConversationViewController::ovmdAutoCompleteListCollectionChanged() {
    if (_autoCompleteModel)
        _cefSuggestions.reload(*_autoCompleteModel);
}
