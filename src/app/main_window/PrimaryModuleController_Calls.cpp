#include "app/core/AppController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"
#include "support/BrandText.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "support/StringExtensions.h"
#include "support/ValueTransformers.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXGradient.h"

#include <algorithm>

namespace {

constexpr std::string_view kVideoCallAsDefaultKey = "mainPhone.videoCallAsDefault";

const platform::Value& brandSection() {
    static const platform::Value empty;
    auto* controller = AppController::sharedAppController();
    return controller ? controller->brandDict()["PrimaryModule"] : empty;
}

std::string addressTypeLabel(OVAddressType type) {
    return ContactAddressStringTransformer()
        .transformedValue(platform::Value(static_cast<long long>(type)))
        .stringValue();
}

bool carriesDialKey(std::string_view characters, std::string_view dialKeys) {
    return characters.find_first_of(dialKeys) != std::string_view::npos;
}

} // namespace

void PrimaryModuleController::styleFieldAndButton() {
    const platform::Value& brand = brandSection();
    if (_ibDialButton) {
        _ibDialButton->setNormalGradient(
            QXGradient::gradientFromString(brand["DialButtonGradient"].string()));
        _ibDialButton->setPressedGradient(
            QXGradient::gradientFromString(brand["DialButtonGradientPressed"].string()));
        _ibDialButton->setBorderColor(
            colorWithRGBAfromString(brand["DialButtonBorderColor"].string()));
        _ibDialButton->setFontColor(colorWithRGBAfromString(brand["DialButtonFontColor"].string()));
        _ibDialButton->setMenu(_ibDialMenu);
        _ibDialButton->setTitle(QXLS("msg.menuitem.call_action.call", "Call"));
    }
    if (!_cef)
        return;
    _cef->setActiveRightButtonNamed("clear");
    _cef->setInactiveRightButtonNamed("drop_down");
    _cef->setUsesMenu(true);
    _cef->setResignResponderOnCancel(false);
    _cef->setAllowAutoRepeat(false);
    _cef->setDelegate(this);
    _cef->setDataSource(this);
    if (const auto* gradient = brand["AutoCompleteGradient"].string())
        _cef->setDropdownGradient(QXGradient::gradientFromString(gradient));
    if (brand["AutoCompleteMaxVisibleLines"].isNumber() ||
        brand["AutoCompleteMaxVisibleLines"].isString())
        _cef->setMaximumVisibleSuggestions(brand["AutoCompleteMaxVisibleLines"].intValue());
    if (!brand["CallEntryFieldRadius"].isNull())
        _cef->setRadius(brand["CallEntryFieldRadius"].floatValue());
    const bool contacts =
        StartupService::instance().featuresService() &&
        StartupService::instance().featuresService()->featureAvailable("contactsEnabled");
    platform::TextAttributes placeholder;
    placeholder.font = _cef->font().fontWithItalic(true);
    placeholder.foregroundColor = platform::Color(0.5, 0.5, 0.5, 1);
    _cef->setPlaceholderString(platform::AttributedString(
        contacts ? QXLS("msg.phone.cef.placeHolder", "Enter a name or number")
                 : QXLS("msg.phone.cef.placeHolderNumberOnly", "Enter number"),
        placeholder));
}

std::optional<bool> PrimaryModuleController::keyPressed(const platform::Event& event) {
    if (!_numberEntryModel)
        return false;
    const std::string& characters = event.characters();
    if (carriesDialKey(characters, kDialKeys)) {
        // The field still inserts the key; the engine only plays its tone.
        _numberEntryModel->keyIsPressed(static_cast<unsigned char>(characters.front()));
        return false;
    }
    const std::string& plain = event.charactersIgnoringModifiers();
    if (event.type() == platform::EventType::KeyDown && plain.size() == 1 &&
        (plain.front() == '\r' || plain.front() == '\x03')) {
        if (_cef)
            _cef->tidyup(false);
        _numberEntryModel->specialKeyPressed(OVNumberEntryModel::returnKey);
        return true;
    }
    return false;
}

std::optional<bool> PrimaryModuleController::keyReleased(const platform::Event& event) {
    if (event.type() == platform::EventType::FlagsChanged)
        return true;
    if (!_numberEntryModel || !_phoneService)
        return false;
    const std::string& plain = event.charactersIgnoringModifiers();
    if (carriesDialKey(event.characters(), kDialKeys) && !plain.empty())
        _numberEntryModel->keyIsReleased(static_cast<unsigned char>(plain.front()));
    else
        _phoneService->getDTMFService()->stopTone();
    if (!_dialPlanService) {
        _dialPlanService = _phoneService->getDialPlanService();
        _dialPlanService->setDelegate(this);
    }
    _dialPlanService->isNumberCallable(
        OrvantaExtensions::whitespaceAndNewlineTrimmed(_numberEntryModel->numberEntered()));
    return false;
}

void PrimaryModuleController::textDidChange(const platform::Notification& /*notification*/) {
    // Pasted or deleted text reaches the engine only this way.
    if (_numberEntryModel && _cef)
        _numberEntryModel->setNumberEntered(_cef->stringValue());
}

void PrimaryModuleController::clearPressed() {
    if (_numberEntryModel)
        _numberEntryModel->clearNumberEntered();
}

void PrimaryModuleController::textFieldGotFocus(QXTextField& field) {
    if (_numberEntryModel && &field == _cef.get())
        _numberEntryModel->gotFocus(true);
}

void PrimaryModuleController::textFieldLostFocus(QXTextField& field) {
    if (_numberEntryModel && &field == _cef.get())
        _numberEntryModel->lostFocus(true);
}

void PrimaryModuleController::rowEntryPicked(long row) {
    if (_autoCompleteModel)
        _cefSuggestions.pick(*_autoCompleteModel, row);
}

void PrimaryModuleController::rowEntryDoubleClicked(long row) {
    rowEntryPicked(row);
}

void PrimaryModuleController::dropDownMenuWillShowMenu(QXTextField& /*field*/,
                                                       platform::Menu& menu) {
    if (_autoCompleteModel)
        NumberEntrySuggestions::appendRedialItems(*_autoCompleteModel, menu, this, "contextCall:");
}

long PrimaryModuleController::numberOfRowsInTableView(platform::TableView& /*tableView*/) {
    return _cefSuggestions.numberOfRows();
}

platform::Value PrimaryModuleController::tableViewObjectValueForTableColumn(
    platform::TableView& /*tableView*/, platform::TableColumn* column, long row) {
    return _cefSuggestions.objectValue(column, row);
}

void PrimaryModuleController::ovmdNumberEntryPropertyChanged(const std::string& propertyName) {
    if (!_cef || !_numberEntryModel)
        return;
    if (propertyName == OVNumberEntryModel::numberEnteredProperty) {
        const std::string& number = _numberEntryModel->numberEntered();
        if (_cef->isEnabled()) {
            if (_cef->stringValue() != number)
                _cef->setStringValue(number);
        } else if (!number.empty()) {
            _numberEntryModel->clearNumberEntered();
        }
    } else if (propertyName == OVNumberEntryModel::objectEnteredProperty) {
        const auto item = _numberEntryModel->objectEntered();
        if (!item) {
            _cef->setItemString(std::nullopt);
            return;
        }
        platform::TextAttributes attributes;
        attributes.font = platform::Font::fontWithName("Helvetica", _cef->font().pointSize())
                              .fontWithItalic(true);
        attributes.foregroundColor = platform::Color(0.5, 0.5, 0.5, 1);
        _cef->setItemString(platform::AttributedString(
            platform::formatString("%@ [%@:%@]", item->displayName(),
                                   addressTypeLabel(item->addressType()), item->addressToDisplay()),
            attributes));
    }
}

void PrimaryModuleController::ovmdNumberEntryFocusRequested(OVNumberEntryModel& /*model*/) {
    if (!_cef || !_cef->window())
        return;
    platform::Window* window = _cef->window();
    if (_cef->currentEditor() && window->firstResponder() == _cef->currentEditor())
        return;
    window->makeFirstResponder(_cef.get());
    if (auto* editor = _cef->currentEditor())
        editor->setSelectedRange({editor->string().size(), 0});
}

void PrimaryModuleController::ovmdNumberEntryTextSelectionStateRequested(int state) {
    auto* editor = _cef ? _cef->currentEditor() : nullptr;
    if (!_numberEntryModel || !editor)
        return;
    const auto range = editor->selectedRange();
    _numberEntryModel->setTextSelectionState(state, static_cast<long>(range.location),
                                             static_cast<long>(range.length));
}

void PrimaryModuleController::ovmdNumberEntryUpdateTextSelectionState(int /*state*/, long start,
                                                                      long length) {
    auto* editor = _cef ? _cef->currentEditor() : nullptr;
    if (!editor || start < 0 || length < 0)
        return;
    const platform::TextRange range{static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(length)};
    editor->setSelectedRange(range);
}

void PrimaryModuleController::ovmdAutoCompleteListCollectionChanged() {
    if (_autoCompleteModel)
        _cefSuggestions.reload(*_autoCompleteModel);
}

void PrimaryModuleController::ovmdAutoCompletePropertyChanged(const std::string& /*name*/) {
    if (!_cef || !_autoCompleteModel)
        return;
    if (_autoCompleteModel->getIsAutoCompleteShown())
        _cef->tryShowSuggestions(true);
    else
        _cef->tidyup(true);
}

void PrimaryModuleController::newConversationAllowed(bool allowed) {
    if (!_cef)
        return;
    if (allowed) {
        _cef->setEnabled(true);
        platform::Window* window = _cef->window();
        if (window && window->firstResponder() == window)
            window->makeFirstResponder(_cef.get());
        return;
    }
    _cef->tidyup(true);
    if (_numberEntryModel)
        _numberEntryModel->clearNumberEntered();
    _cef->setEnabled(false);
}

void PrimaryModuleController::call(int kind) {
    if (_cef)
        _cef->tidyup(false);
    if (!_callEntryModel)
        return;
    if (!_callEntryModel->canAudioCall()) {
        _callEntryModel->call();
        return;
    }
    switch (kind) {
    case 0:
        _callEntryModel->audioCall();
        break;
    case 1:
        if (_callEntryModel->canVideoCall())
            _callEntryModel->videoCall();
        else
            _callEntryModel->audioCall();
        break;
    case 2:
        if (_callEntryModel->canConferenceCall())
            _callEntryModel->conferenceCall();
        else
            _callEntryModel->call();
        break;
    default:
        break;
    }
    _numberEntryModel->clearNumberEntered();
}

void PrimaryModuleController::callParticipant(platform::Object* /*sender*/) {
    call(_defualtCallMethod);
}

void PrimaryModuleController::redial(platform::Object* /*sender*/) {
    ++_redialRequests;
    if (!_callHistoryService)
        return;
    const auto items = _callHistoryService->redialHistoryItems();
    if (!items.empty())
        items.front()->audioCall();
}

void PrimaryModuleController::contextCall(platform::MenuItem* item) {
    if (!item || !_autoCompleteModel)
        return;
    auto entry =
        std::dynamic_pointer_cast<OVModelCallHistoryItem>(item->representedObject().object());
    if (!entry)
        return;
    _autoCompleteModel->setRedialItem(entry);
    _autoCompleteModel->redialAction();
}

void PrimaryModuleController::clearSuggestion() {
    if (_cef)
        _cef->tidyup(false);
    if (_numberEntryModel)
        _numberEntryModel->keyIsReleased(' ');
}

void PrimaryModuleController::focusCallEntryField() {
    if (!_cef || !_cef->window())
        return;
    auto* editor = _cef->currentEditor();
    const auto selection = editor ? editor->selectedRange() : platform::TextRange{};
    _cef->window()->makeFirstResponder(_cef.get());
    if (auto* now = _cef->currentEditor(); now && editor)
        now->setSelectedRange(selection);
}

std::shared_ptr<SettingBlock> PrimaryModuleController::defaultCallActionSetting() const {
    auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    if (!phone)
        return nullptr;
    return phone->getPreferenceSettings()
        ->sub("preferences")
        ->sub("application")
        ->sub("defaultCallAction");
}

void PrimaryModuleController::setDefaultCallAction(int value) {
    static constexpr std::pair<const char*, const char*> titles[] = {
        {"msg.menuitem.call_action.call", "Call"},
        {"msg.menuitem.call_action.video_call", "Video call"},
        {"msg.menuitem.call_action.conference_call", "Conference call"}};
    const auto& [key, english] = titles[std::clamp(value, 0, 2)];
    if (_ibDialButton)
        _ibDialButton->setTitle(QXLS(key, english));
    _defualtCallMethod = value;
    if (auto setting = defaultCallActionSetting())
        setting->setLongSetting(value, true);
}

void PrimaryModuleController::contextSetAudioCallAsDefault(platform::Object* /*sender*/) {
    setDefaultCallAction(0);
}

void PrimaryModuleController::contextSetVideoCallAsDefault(platform::Object* /*sender*/) {
    setDefaultCallAction(1);
}

void PrimaryModuleController::contextSetConferenceCallAsDefault(platform::Object* /*sender*/) {
    setDefaultCallAction(2);
}

void PrimaryModuleController::restoreUserInterfaceStateUsingOVSettings() {
    const auto setting = defaultCallActionSetting();
    _defualtCallMethod = setting ? static_cast<int>(setting->longSetting()) : 0;
    if (_defualtCallMethod == 1)
        contextSetVideoCallAsDefault(nullptr);
    else if (_defualtCallMethod == 0)
        contextSetAudioCallAsDefault(nullptr);
    else
        contextSetConferenceCallAsDefault(nullptr);
}

void PrimaryModuleController::loadUserSetting() {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    const platform::Value& old = defaults.objectForKey(kVideoCallAsDefaultKey);
    if (old.isNull())
        return;
    if (old.boolValue())
        contextSetVideoCallAsDefault(nullptr);
    else
        contextSetAudioCallAsDefault(nullptr);
    defaults.removeObjectForKey(kVideoCallAsDefaultKey);
}
