#include "app/calls/ConversationViewController.h"

#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/core/AppController.h"
#include "engine/StartupService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/BrandText.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXCollectionView.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXGradient.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXOutlinePath.h"

#include <cmath>
#include <cstdio>

using platform::Rect;

namespace {

constexpr std::string_view kDefinition = "ConversationView";
int gPanelCounter = 0;

const platform::Value& brandSection() {
    static const platform::Value empty;
    auto* controller = AppController::sharedAppController();
    return controller ? controller->brandDict()["ConversationView"] : empty;
}

std::shared_ptr<platform::TextField> label(const Rect& frame, double size, bool bold = false) {
    auto field = platform::TextField::labelWithString(
        {}, frame,
        bold ? platform::Font::boldSystemFontOfSize(size) : platform::Font::systemFontOfSize(size));
    return field;
}

std::shared_ptr<QXImageButton> imageButton(platform::View& row, std::string title,
                                           std::string_view action, double width = 60) {
    auto button = platform::make<QXImageButton>(Rect(0, 0, width, 24));
    button->setTitle(std::move(title));
    button->setButtonToggles(false);
    button->setAction(std::string(action));
    row.addSubview(button);
    return button;
}

// Widens the button when its title needs more room than the brand's size gives it, so that a
// longer word (or a longer translation) is never broken over two lines.
void fitTitle(QXImageButton& button) {
    auto* cell = button.imageCell();
    if (!cell || button.title().empty())
        return;
    const QXMargin& margins = cell->margins();
    const double needed = std::ceil(button.attributedTitle().size().width) + margins.left +
                          margins.right + 2 * cell->borderWidth() + 4;
    if (button.frame().width() < needed)
        button.setFrameSize({needed, button.frame().height()});
}

std::shared_ptr<platform::Button> plainButton(platform::View& row, std::string title,
                                              std::string_view action, double width = 60) {
    auto button = std::make_shared<platform::Button>(Rect(0, 0, width, 24));
    button->setTitle(std::move(title));
    button->setAction(std::string(action));
    row.addSubview(button);
    return button;
}

} // namespace

void ConversationViewController::registerDefinition() {
    if (!platform::InterfaceDefinition::isRegistered(kDefinition))
        platform::InterfaceDefinition::registerDefinition(
            std::string(kDefinition), &ConversationViewController::buildDefinition);
}

void ConversationViewController::buildDefinition(platform::InterfaceDefinitionLoad& load) {
    auto* owner = dynamic_cast<ConversationViewController*>(load.owner());
    ConversationViewOutlets o;
    constexpr double width = 330;
    o.conversationView = std::make_shared<ConversationView>(Rect(0, 0, width, 84));
    auto& panel = *o.conversationView;
    o.connectionStatus = label(Rect(10, 62, 240, 15), 10);
    o.connectionStatus->setTextColor(platform::Color(0.3, 0.33, 0.4, 1));
    o.connectionStatus->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    o.holdParticipant = label(Rect(10, 40, 300, 18), 13, true);
    o.holdParticipant->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    o.speakerIndicator = std::make_shared<platform::ImageView>(Rect(width - 46, 62, 16, 16));
    o.micIndicator = std::make_shared<platform::ImageView>(Rect(width - 26, 62, 16, 16));
    o.encryptedIndicator = std::make_shared<platform::ImageView>(Rect(width - 66, 62, 16, 16));
    for (const auto& view : {o.speakerIndicator, o.micIndicator, o.encryptedIndicator})
        view->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);
    o.recordingProgress =
        std::make_shared<platform::ProgressIndicator>(Rect(width - 120, 62, 14, 14));
    o.recordingLabel = label(Rect(width - 104, 62, 34, 14), 9, true);
    o.recordingLabel->setStringValue("REC");
    o.recordingLabel->setTextColor(platform::Color(0.8, 0.1, 0.1, 1));
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             o.recordingProgress, o.recordingLabel})
        view->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);

    o.buttonsView = std::make_shared<platform::View>(Rect(0, 0, width, 36));
    o.buttonsView->setAutoresizingMask(platform::ViewWidthSizable);
    o.buttonsPlaceholderView = std::make_shared<platform::View>(Rect(0, 0, width, 36));
    auto& row = *o.buttonsPlaceholderView;
    o.muteMic = imageButton(row, QXLS("msg.call.button.mute", "Mute"), "muteMic:", 52);
    o.hold = imageButton(row, QXLS("msg.call.button.hold", "Hold"), "hold:", 48);
    o.transfer =
        imageButton(row, QXLS("msg.call.button.transfer", "Transfer"), "startTransfer:", 64);
    o.quickTransfer = imageButton(row, "\u25be", "", 16);
    o.startVideo =
        imageButton(row, QXLS("msg.call.button.start_video", "Video"), "startVideo:", 52);
    o.stopVideo =
        imageButton(row, QXLS("msg.call.button.stop_video", "Stop Video"), "stopVideo:", 72);
    o.close = imageButton(row, QXLS("msg.call.button.end", "End"), "end:", 48);
    o.actionMenuButton = plainButton(row, "\u2026", "", 24);
    o.mute = imageButton(row, QXLS("msg.call.button.mute", "Mute"), "", 52);
    o.resume = imageButton(row, QXLS("msg.call.button.resume", "Resume"), "resume:", 64);
    o.transferInert = imageButton(row, QXLS("msg.call.button.transfer", "Transfer"), "", 64);
    o.video = imageButton(row, QXLS("msg.call.button.start_video", "Video"), "", 52);
    o.answerVideo = imageButton(row, QXLS("msg.call.button.answer_video", "Video"), "answer:", 56);
    o.answerAudio = imageButton(row, QXLS("msg.call.button.answer_audio", "Audio only"),
                                "answerWithAudioOnly:", 72);
    o.answer = imageButton(row, QXLS("msg.call.button.answer", "Answer"), "answer:", 64);
    o.callForward = imageButton(row, QXLS("msg.call.button.forward", "Forward"), "forward:", 64);
    o.decline = imageButton(row, QXLS("msg.call.button.decline", "Decline"), "decline:", 64);
    o.im = plainButton(row, QXLS("msg.call.button.im", "IM"), "im:", 32);
    o.addContact = plainButton(row, "+", "addContact:", 24);

    o.numberEntryView = std::make_shared<platform::View>(Rect(0, 0, width, 36));
    o.numberEntryView->setAutoresizingMask(platform::ViewWidthSizable);
    auto& entry = *o.numberEntryView;
    o.numberEntryTextField = platform::make<QXSearchField>(Rect(0, 4, 170, 24));
    entry.addSubview(o.numberEntryTextField);
    o.transferNow = platform::make<QXBezierComboButton>(Rect(0, 4, 76, 24));
    o.transferNow->setTitle(QXLS("msg.call.button.transfer_now", "Transfer"));
    o.transferNow->setAction("blindTransfer:");
    entry.addSubview(o.transferNow);
    o.forwardNow =
        imageButton(entry, QXLS("msg.call.button.forward_now", "Forward"), "forward:", 64);
    o.add = imageButton(entry, QXLS("msg.call.button.add", "Add"), "add:", 48);
    o.cancel = plainButton(entry, QXLS("msg.call.button.cancel", "Cancel"), "cancel:", 56);

    o.conversationHoldView = std::make_shared<ConversationView>(Rect(0, 0, width, 40));
    auto& holdView = *o.conversationHoldView;
    o.connectionStatusHoldView = label(Rect(10, 3, 160, 14), 10);
    o.resumeOnHold = imageButton(holdView, QXLS("msg.call.button.resume", "Resume"), "resume:", 60);
    o.resumeOnHold->setFrameOrigin({width - 128, 8});
    o.closeOnHold = imageButton(holdView, QXLS("msg.call.button.end", "End"), "end:", 48);
    o.closeOnHold->setFrameOrigin({width - 60, 8});
    o.muteOnHold = imageButton(holdView, QXLS("msg.call.button.mute", "Mute"), "", 48);
    o.muteOnHold->setFrameOrigin({width - 180, 8});
    o.forwardOnHold = imageButton(holdView, QXLS("msg.call.button.transfer", "Transfer"), "", 48);
    o.videoOnHold = imageButton(holdView, QXLS("msg.call.button.start_video", "Video"), "", 48);
    o.answerOnHold = imageButton(holdView, QXLS("msg.call.button.answer", "Answer"), "answer:", 60);
    o.declineOnHold =
        imageButton(holdView, QXLS("msg.call.button.decline", "Decline"), "decline:", 60);
    for (const auto& b : {o.forwardOnHold, o.videoOnHold, o.answerOnHold, o.declineOnHold})
        b->setHidden(true);
    o.recordingStopOnHold = plainButton(holdView, "\u25a0", "stopRecording:", 20);
    o.recordingLabelOnHold = label(Rect(170, 3, 30, 14), 9, true);
    o.recordingProgressOnHold = std::make_shared<platform::ProgressIndicator>(Rect(200, 3, 14, 14));
    holdView.addSubview(o.connectionStatusHoldView);
    holdView.addSubview(o.recordingLabelOnHold);
    holdView.addSubview(o.recordingProgressOnHold);
    o.recordingStop = plainButton(panel, "\u25a0", "stopRecording:", 20);
    o.recordingStop->setFrame(Rect(width - 140, 61, 18, 16));
    o.recordingStop->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);

    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             o.connectionStatus, o.holdParticipant, o.speakerIndicator, o.micIndicator,
             o.encryptedIndicator, o.recordingProgress, o.recordingLabel, o.buttonsView,
             o.numberEntryView})
        panel.addSubview(view);

    load.addTopLevelObject(o.conversationView);
    load.addTopLevelObject(o.conversationHoldView);
    load.wakeLater(o.numberEntryTextField.get());
    load.wakeLater(o.transferNow.get());
    if (owner)
        owner->setOutlets(std::move(o));
}

ConversationViewController::ConversationViewController(std::shared_ptr<OVConversationModel> model) {
    _phoneService = StartupService::instance().phoneService();
    if (_phoneService)
        _phoneService->setDelegate(this);
    _conversationModel = std::move(model);
    _conversationModel->setDelegate(this);
    _conversation = _conversationModel->getSpaceConversation();
    _conversation->setDelegate(this);
    _numberEntryModel = _conversationModel->getNumberEntryModel();
    _numberEntryModel->setDelegate(this);
    _autoCompleteModel = _conversationModel->getAutoCompleteModel();
    if (_autoCompleteModel)
        _autoCompleteModel->setDelegate(this);
    _baseParticipantStatus.clear();
    _transferStatus = 0;
    _viewItem = std::make_shared<QXCollectionViewItem>("call " + std::to_string(gPanelCounter++));
}

ConversationViewController::~ConversationViewController() {
    cleanup();
    for (const auto& menu : {_actionsMenu, _quickTransferMenu, _ibNumberEntryActionsMenu})
        if (menu) {
            menu->setDelegate(nullptr);
            menu->cancelTracking();
        }
}

bool ConversationViewController::instantiate() {
    registerDefinition();
    const auto loaded = platform::InterfaceDefinition::load(kDefinition, this);
    if (!loaded || !_o.conversationView)
        return false;
    awake();
    return true;
}

void ConversationViewController::setOutlets(ConversationViewOutlets outlets) {
    _o = std::move(outlets);
}

bool ConversationViewController::feature(std::string_view name) const {
    auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

void ConversationViewController::awake() {
    // 1. Level meters.
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, UpdateSpeakerOutputLevelNotification, nullptr,
                       [this](const platform::Notification& n) {
                           setSpeakerVolumeLevelPercentage(n.userInfo[EntryPercent].intValue());
                       });
    center.addObserver(this, UpdateMicOutputLevelNotification, nullptr,
                       [this](const platform::Notification& n) {
                           setMicVolumeLevelPercentage(n.userInfo[EntryPercent].intValue());
                       });
    _observing = true;
    const platform::Value& brand = brandSection();
    _collapseOnHold = brand["CollapseOnHold"].boolValue();
    // 3-4. Both rows sit at the panel's foot; the design-time holder's buttons join the row.
    for (const auto& row : {_o.numberEntryView, _o.buttonsView}) {
        if (!row)
            continue;
        auto frame = row->frame();
        frame.origin.y = _o.conversationView->frame().origin.y;
        row->setFrame(frame);
    }
    if (_o.buttonsPlaceholderView && _o.buttonsView) {
        const auto subviews = _o.buttonsPlaceholderView->subviews();
        for (const auto& view : subviews) {
            view->removeFromSuperview();
            _o.buttonsView->addSubview(view);
        }
    }
    // Targets: every action of the panel goes to this controller.
    for (auto* view : std::initializer_list<platform::View*>{
             _o.conversationView.get(), _o.conversationHoldView.get(), _o.numberEntryView.get()})
        if (view)
            for (const auto& sub : view->subviews())
                if (auto* control = dynamic_cast<platform::Control*>(sub.get()))
                    control->setTarget(this);
    if (_o.buttonsView)
        for (const auto& sub : _o.buttonsView->subviews())
            if (auto* control = dynamic_cast<platform::Control*>(sub.get()))
                control->setTarget(this);
    styleButtons();
    constrainButtons();
    // 7. Placeholder of the number entry.
    if (auto* field = _o.numberEntryTextField.get()) {
        platform::TextAttributes placeholder;
        placeholder.font = field->font().fontWithItalic(true);
        placeholder.foregroundColor = platform::Color(0.5, 0.5, 0.5, 1);
        field->setPlaceholderString(platform::AttributedString(
            feature("contactsEnabled")
                ? QXLS("msg.phone.cef.placeHolder", "Enter a name or number")
                : QXLS("msg.phone.cef.placeHolderNumberOnly", "Enter number"),
            placeholder));
    }
    // 8. The split buttons' menu.
    _ibNumberEntryActionsMenu = std::make_shared<platform::Menu>();
    _ibNumberEntryActionsMenu->setDelegate(this);
    if (_o.transferNow && feature("un_attended_transfers"))
        _o.transferNow->setMenu(_ibNumberEntryActionsMenu);
    _actionsMenu = std::make_shared<platform::Menu>();
    _actionsMenu->setDelegate(this);
    if (_o.actionMenuButton)
        _o.actionMenuButton->setMenu(_actionsMenu);
    _quickTransferMenu = std::make_shared<platform::Menu>();
    _quickTransferMenu->setDelegate(this);
    if (_o.quickTransfer)
        _o.quickTransfer->setMenu(_quickTransferMenu);
    // 9. Status line, the first party, the view's controller.
    if (_o.connectionStatus)
        _o.connectionStatus->setStringValue("");
    _panelBaseHeight = _o.conversationView->frame().height();
    for (const auto& party : std::vector(_conversation->participants()))
        participantAdded(party);
    _o.conversationView->setController(this);
    if (_o.conversationHoldView)
        _o.conversationHoldView->setController(this);
    _o.conversationView->setGradients(
        QXGradient::gradientFromString(brand["Gradient"].string()),
        QXGradient::gradientFromString(brand["GradientIncoming"].string()),
        QXGradient::gradientFromString(brand["GradientHold"].string()));
    if (_o.conversationHoldView)
        _o.conversationHoldView->setGradients(
            QXGradient::gradientFromString(brand["Gradient"].string()),
            QXGradient::gradientFromString(brand["GradientIncoming"].string()),
            QXGradient::gradientFromString(brand["GradientHold"].string()));
    // The brand's outline and margins; no margins when the brand gives none.
    const QXMargin margins = brand["Margin"].isString()
                                 ? valueWithMarginFromString(brand["Margin"].stringValue())
                                 : QXMargin{};
    for (auto* view : {_o.conversationView.get(), _o.conversationHoldView.get()}) {
        if (!view)
            continue;
        view->setMargins(margins);
        if (brand["Path"].isArray())
            view->setOutlinePath(
                std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(brand["Path"])));
    }
    // 10. No recording yet.
    setRecordingMarkersVisible(false);
    // 11. Number entry hidden, every call button hidden and enabled.
    if (_o.numberEntryView)
        _o.numberEntryView->setHidden(true);
    _numberEntryShown = false;
    for (const auto& b : std::initializer_list<std::shared_ptr<platform::View>>{_o.answer,
                                                                                _o.answerVideo,
                                                                                _o.answerAudio,
                                                                                _o.resume,
                                                                                _o.decline,
                                                                                _o.addContact,
                                                                                _o.hold,
                                                                                _o.add,
                                                                                _o.startVideo,
                                                                                _o.stopVideo,
                                                                                _o.transfer,
                                                                                _o.quickTransfer,
                                                                                _o.transferNow,
                                                                                _o.callForward,
                                                                                _o.close,
                                                                                _o.muteMic,
                                                                                _o.actionMenuButton,
                                                                                _o.mute,
                                                                                _o.transferInert,
                                                                                _o.video,
                                                                                _o.im,
                                                                                _o.forwardNow})
        if (b) {
            b->setHidden(true);
            if (auto* control = dynamic_cast<platform::Control*>(b.get()))
                control->setEnabled(true);
        }
    for (const auto& b : {_o.mute, _o.transferInert, _o.video, _o.forwardOnHold, _o.videoOnHold})
        if (b)
            b->setEnabled(false);
    if (_o.muteOnHold)
        _o.muteOnHold->setEnabled(false);
    // 12. Encryption.
    if (_o.encryptedIndicator)
        _o.encryptedIndicator->setHidden(!_conversation->isSecure());
    // 13. The number entry field.
    if (auto* field = _o.numberEntryTextField.get()) {
        field->setActiveRightButtonNamed("clear");
        field->setInactiveRightButtonNamed("drop_down");
        field->setUsesMenu(true);
        field->setResignResponderOnCancel(false);
        field->setDelegate(this);
        field->setDataSource(this);
    }
    // 14. The collection item.
    _viewItem->setAlignment(3);
    _viewItem->setMargin(1, 1, 1, 1);
    _viewItem->setView(_o.conversationView);
    _viewItem->setRequestedSize(_o.conversationView->frame().size);
    // 15. First state.
    updateCallButtons();
    updateConnectionMessage();
    updateParticipantInfo();
}

void ConversationViewController::styleButtons() {
    const platform::Value& brand = brandSection();
    const platform::Value& shape = brand["ButtonShape"];
    auto props = [&](const std::shared_ptr<QXImageButton>& button,
                     std::initializer_list<std::pair<const char*, const char*>> keys) {
        if (!button)
            return;
        if (shape.isArray())
            button->setShape(shape);
        for (const auto& [section, key] : keys)
            if (const auto* text = brand[section][key].string())
                button->setProperties(*text);
    };
    for (const auto& b : {_o.answer, _o.answerAudio, _o.answerVideo, _o.answerOnHold})
        props(b, {{"IncomingButtons", "Geometry"}, {"ButtonAnswer", "GradientAnswer"}});
    for (const auto& b : {_o.decline, _o.declineOnHold, _o.close, _o.closeOnHold})
        props(b, {{"ButtonEnd", "Geometry"}, {"ButtonEnd", "GradientEnd"}});
    props(_o.callForward, {{"IncomingButtons", "Geometry"}, {"CallPanelButtons", "Gradient"}});
    for (const auto& b : {_o.muteMic, _o.hold, _o.startVideo, _o.stopVideo, _o.transfer, _o.resume,
                          _o.resumeOnHold})
        props(b, {{"CallPanelButtons", "Geometry"}, {"CallPanelButtons", "Gradient"}});
    props(_o.muteOnHold, {{"CallPanelButtons", "Geometry"}});
    for (const auto& b : {_o.forwardOnHold, _o.videoOnHold, _o.mute, _o.transferInert, _o.video}) {
        props(b, {{"CallPanelButtons", "Geometry"}});
        if (b)
            b->setEnabled(false);
    }
    props(_o.forwardNow, {{"CallPanelButtons", "Gradient"}, {"ButtonForward", "Geometry"}});
    props(_o.add, {{"CallPanelButtons", "Gradient"}, {"ButtonAdd", "Geometry"}});
    props(_o.quickTransfer, {{"CallPanelButtons", "Gradient"}});
    if (_o.transferNow)
        _o.transferNow->setBorderColor(platform::Color(0.3, 0.3, 0.35, 1));
    for (const auto& b :
         {_o.answer,        _o.answerVideo, _o.answerAudio,  _o.decline,       _o.callForward,
          _o.muteMic,       _o.hold,        _o.startVideo,   _o.stopVideo,     _o.transfer,
          _o.close,         _o.resume,      _o.mute,         _o.transferInert, _o.video,
          _o.forwardNow,    _o.add,         _o.resumeOnHold, _o.closeOnHold,   _o.muteOnHold,
          _o.forwardOnHold, _o.videoOnHold, _o.answerOnHold, _o.declineOnHold})
        if (b)
            fitTitle(*b);
}

void ConversationViewController::constrainButtons() {
    using C = QXViewConstraint;
    auto row = [](const std::shared_ptr<platform::View>& view) {
        return view ? view->superview() : nullptr;
    };
    auto add = [&](const std::shared_ptr<platform::View>& view, C::Attribute attr,
                   const std::shared_ptr<platform::View>& source, C::Attribute sourceAttr,
                   double offset) {
        if (!view || !source)
            return;
        _callButtonsLayout.addConstraint(C(attr, source, sourceAttr, offset), view);
    };
    auto containerOf = [&](const std::shared_ptr<platform::View>& view) {
        auto* parent = row(view);
        if (parent == _o.buttonsView.get())
            return _o.buttonsView;
        if (parent == _o.numberEntryView.get())
            return _o.numberEntryView;
        return std::shared_ptr<platform::View>();
    };
    // The rows span the panel: their buttons keep clear of its rounded border.
    constexpr double inset = 8;
    auto top = [&](const std::shared_ptr<platform::View>& view, double offset = 6) {
        if (auto container = containerOf(view))
            add(view, C::MinY, container, C::MinY, offset);
    };
    auto fromMin = [&](const std::shared_ptr<platform::View>& view) {
        if (auto container = containerOf(view))
            add(view, C::MinX, container, C::MinX, inset);
    };
    auto fromMax = [&](const std::shared_ptr<platform::View>& view, double offset) {
        if (auto container = containerOf(view))
            add(view, C::MaxX, container, C::MaxX, offset - inset);
    };
    // One chain for the call row and the hold row: each hold-row button follows the call
    // button it stands in for, so whichever of the two shows takes the same place.
    fromMin(_o.muteMic);
    add(_o.mute, C::MinX, _o.muteMic, C::MaxX, 3);
    add(_o.hold, C::MinX, _o.mute, C::MaxX, 3);
    add(_o.resume, C::MinX, _o.hold, C::MaxX, 3);
    add(_o.transfer, C::MinX, _o.resume, C::MaxX, 3);
    add(_o.quickTransfer, C::MinX, _o.transfer, C::MaxX, 1);
    add(_o.transferInert, C::MinX, _o.quickTransfer, C::MaxX, 3);
    add(_o.startVideo, C::MinX, _o.transferInert, C::MaxX, 3);
    add(_o.stopVideo, C::MinX, _o.transferInert, C::MaxX, 3);
    add(_o.video, C::MinX, _o.startVideo, C::MaxX, 3);
    fromMax(_o.close, 0);
    add(_o.actionMenuButton, C::MaxX, _o.close, C::MinX, -3);
    fromMin(_o.answerVideo);
    add(_o.answerAudio, C::MinX, _o.answerVideo, C::MaxX, 3);
    add(_o.answer, C::MinX, _o.answerAudio, C::MaxX, 3);
    add(_o.callForward, C::MinX, _o.answer, C::MaxX, 3);
    fromMax(_o.decline, 0);
    add(_o.im, C::MaxX, _o.actionMenuButton, C::MinX, -3);
    add(_o.addContact, C::MaxX, _o.im, C::MinX, -3);
    fromMin(_o.numberEntryTextField);
    fromMax(_o.cancel, 0);
    add(_o.transferNow, C::MinX, _o.numberEntryTextField, C::MaxX, 8);
    add(_o.add, C::MinX, _o.numberEntryTextField, C::MaxX, 5);
    add(_o.forwardNow, C::MinX, _o.numberEntryTextField, C::MaxX, 5);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _o.muteMic,     _o.hold,        _o.transfer,      _o.quickTransfer,
             _o.startVideo,  _o.stopVideo,   _o.close,         _o.actionMenuButton,
             _o.mute,        _o.resume,      _o.transferInert, _o.video,
             _o.answerVideo, _o.answerAudio, _o.answer,        _o.callForward,
             _o.decline,     _o.im,          _o.addContact,    _o.numberEntryTextField,
             _o.transferNow, _o.add,         _o.forwardNow})
        top(view);
    top(_o.cancel, 9);
}

platform::TextView* ConversationViewController::textEditor() const {
    return _o.numberEntryTextField ? _o.numberEntryTextField->currentEditor() : nullptr;
}

void ConversationViewController::relayoutItem() {
    if (!_viewItem || !_o.conversationView)
        return;
    _viewItem->setRequestedSize(_o.conversationView->frame().size);
    if (auto* collection = _viewItem->collectionView())
        collection->layoutViews();
}

void ConversationViewController::participantAdded(const std::shared_ptr<Participant>& participant) {
    if (participant &&
        std::find(_participants.begin(), _participants.end(), participant) == _participants.end())
        _participants.push_back(participant);
    addParticipantRow(participant);
    updateParticipantInfo();
}

void ConversationViewController::participantRemoved(
    const std::shared_ptr<Participant>& participant) {
    // Found by identity: a party gone is no longer anybody's delegate.
    auto it = std::find(_participants.begin(), _participants.end(), participant);
    if (it != _participants.end() && _conversation->connectionStatus() != 4)
        _participants.erase(it);
    removeParticipantRow(participant);
    updateParticipantInfo();
}

void ConversationViewController::setSpeakerVolumeLevelPercentage(int percent) {
    _speakerLevel = std::clamp(percent, 0, 100) / 8;
    if (_o.speakerIndicator)
        _o.speakerIndicator->setImage(
            platform::Image::imageNamed("SpeakerOutputLevel" + std::to_string(_speakerLevel)));
}

void ConversationViewController::setMicVolumeLevelPercentage(int percent) {
    _micLevel = std::clamp(percent, 0, 100) / 8;
    if (_o.micIndicator)
        _o.micIndicator->setImage(
            platform::Image::imageNamed("SpeakerOutputLevel" + std::to_string(_micLevel)));
}

void ConversationViewController::microphoneInputLevelChanged(int level) {
    updateMicMuteImage(level);
}

void ConversationViewController::micMutedChanged(bool /*muted*/) {
    updateCallButtons();
}

void ConversationViewController::updateMicMuteImage(int level) {
    _micShownMuted = _phoneService && _phoneService->micMuted();
    std::shared_ptr<platform::Image> image;
    if (_micShownMuted) {
        image = platform::Image::imageNamed("mute_mic");
    } else if (auto mic = platform::Image::imageNamed("mic")) {
        // The level as a green dot in a grey ring at the image's top left.
        const auto size = mic->size();
        image = std::make_shared<platform::Image>(size);
        image->lockFocus();
        mic->drawAtPoint({0, 0}, {}, platform::CompositingOperation::Copy, 1.0);
        const Rect square(0, size.height - 10, 10, 10);
        auto ring = platform::BezierPath::bezierPathWithOvalInRect(square);
        platform::Color(0.5, 0.5, 0.5, 1).setFill();
        platform::Color(0.5, 0.5, 0.5, 1).setStroke();
        ring.fill();
        ring.stroke();
        const double d = micIndicatorDiameter(std::clamp(level, 0, 100));
        auto dot = platform::BezierPath::bezierPathWithOvalInRect(
            Rect(5 - d / 2, size.height - 5 - d / 2, d, d));
        platform::Color(0.1, 0.75, 0.2, 1).setFill();
        platform::Color(0.1, 0.75, 0.2, 1).setStroke();
        dot.fill();
        dot.stroke();
        image->unlockFocus();
    }
    for (const auto& button : {_o.muteMic, _o.muteOnHold, _o.mute})
        if (button)
            button->setImage(image);
}

void ConversationViewController::ovmdConversationPropertyChanged(const std::string& name) {
    if (name == OVConversationModel::visualStateNameProperty)
        updateCallButtons();
    else if (name == OVConversationModel::connectionStatusDisplayProperty)
        updateConnectionMessage();
    else if (name == OVConversationModel::myRelatedConversationModelProperty)
        updateRelatedConversationStrip();
}

void ConversationViewController::ovmdConversationFocusRequested(const std::string&) {
    if (auto* view = _o.conversationView.get(); view && view->window())
        view->window()->makeFirstResponder(view);
}

void ConversationViewController::connectionStatusChange(int /*status*/) {
    if (auto* controller = AppController::sharedAppController())
        controller->updateToolbar();
}

void ConversationViewController::isSecureUpdate(bool /*secure*/) {
    if (_o.encryptedIndicator)
        _o.encryptedIndicator->setHidden(!_conversation->isSecure());
}

void ConversationViewController::conversationEnded() {
    if (_observing) {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        _observing = false;
    }
    if (_o.muteMic)
        _o.muteMic->setHidden(true);
}

void ConversationViewController::applySearchFilter(const std::string& text) {
    if (_numberEntryModel)
        _numberEntryModel->setNumberEntered(text);
}

void ConversationViewController::textDidChange(const platform::Notification& /*notification*/) {
    if (_numberEntryModel && _o.numberEntryTextField)
        _numberEntryModel->setNumberEntered(_o.numberEntryTextField->stringValue());
}

void ConversationViewController::cleanup() {
    if (_observing) {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        _observing = false;
    }
    _participants.clear();
    cleanupParticipantRows();
    removeRelatedConversationStrip();
    if (_conversation)
        _conversation->removeDelegate(this);
    if (_conversationModel)
        _conversationModel->removeDelegate(this);
    if (_numberEntryModel)
        _numberEntryModel->removeDelegate(this);
    if (_autoCompleteModel)
        _autoCompleteModel->removeDelegate(this);
    if (_phoneService)
        _phoneService->removeDelegate(this);
    _phoneService.reset();
    _conversation.reset();
    _conversationModel.reset();
    _numberEntryModel.reset();
    _autoCompleteModel.reset();
    _cefSuggestions.clear();
    for (auto* view : {_o.conversationView.get(), _o.conversationHoldView.get()})
        if (view)
            view->setController(nullptr);
    if (_o.numberEntryTextField) {
        _o.numberEntryTextField->setDelegate(nullptr);
        _o.numberEntryTextField->setDataSource(nullptr);
    }
    auto clearTargets = [this](platform::View* parent) {
        if (parent)
            for (const auto& sub : parent->subviews())
                if (auto* control = dynamic_cast<platform::Control*>(sub.get());
                    control && control->target() == this)
                    control->setTarget(nullptr);
    };
    clearTargets(_o.buttonsView.get());
    clearTargets(_o.numberEntryView.get());
    clearTargets(_o.conversationView.get());
    clearTargets(_o.conversationHoldView.get());
    _viewItem.reset();
}
