#include "app/core/ContactImportExportController.h"

#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/core/TemporaryLeftovers.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Box.h"
#include "platform/kit/Button.h"
#include "platform/kit/Matrix.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

#include <filesystem>
#include <map>

namespace {

using Action = void (ContactImportExportController::*)(platform::Object*);

constexpr long kTagCSV = OVContactImporterExporter::formatCSV;
constexpr long kTagVCard = OVContactImporterExporter::formatVCard;
constexpr long kTagAddressBook = OVContactImporterExporter::formatMACADR;
constexpr platform::TimeInterval kReopenDelay = 0.5;

const std::map<std::string_view, Action>& actions() {
    static const std::map<std::string_view, Action> table = {
        {"importContacts:", &ContactImportExportController::importContacts},
        {"exportContacts:", &ContactImportExportController::exportContacts},
        {"chooseImportTypeChange:", &ContactImportExportController::chooseImportTypeChange},
        {"chooseExportTypeChange:", &ContactImportExportController::chooseExportTypeChange},
        {"exportTextChanged:", &ContactImportExportController::exportTextChanged},
        {"chooseImportLocationFolder:", &ContactImportExportController::chooseImportLocationFolder},
        {"chooseExportLocationFolder:", &ContactImportExportController::chooseExportLocationFolder},
        {"contactImportOK:", &ContactImportExportController::contactImportOK},
        {"contactImportCancel:", &ContactImportExportController::contactImportCancel},
        {"contactExportOK:", &ContactImportExportController::contactExportOK},
        {"contactExportCancel:", &ContactImportExportController::contactExportCancel},
    };
    return table;
}

ContactImportExportController::AddressBookImport& addressBookImport() {
    static ContactImportExportController::AddressBookImport import;
    return import;
}

std::shared_ptr<platform::TextField> makeLabel(const platform::Rect& frame, std::string text) {
    return platform::TextField::labelWithString(std::move(text), frame);
}

std::shared_ptr<platform::Button> makeButton(const platform::Rect& frame, std::string title,
                                             std::string_view action,
                                             platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::string(action), frame);
}

std::shared_ptr<platform::PopUpButton>
makePopUp(const platform::Rect& frame, std::initializer_list<std::pair<const char*, long>> items,
          std::string_view action, platform::ActionTarget* target) {
    auto popUp = platform::make<platform::PopUpButton>(frame);
    for (const auto& [title, tag] : items) {
        popUp->addItemWithTitle(title);
        popUp->lastItem()->setTag(tag);
    }
    popUp->selectItemAtIndex(0);
    popUp->setTarget(target);
    popUp->setAction(std::string(action));
    return popUp;
}

std::shared_ptr<platform::Panel> makeSheet(double width, double height) {
    auto sheet = platform::make<platform::Panel>(platform::Rect{0, 0, width, height},
                                                 platform::TitledWindowMask);
    sheet->setReleasedWhenClosed(false);
    sheet->setContentView(std::make_shared<platform::View>(platform::Rect{0, 0, width, height}));
    return sheet;
}

} // namespace

std::filesystem::path ContactImportExportController::defaultExportFolder() {
    namespace fs = std::filesystem;
    std::error_code code;
    // A desktop the user's folders name is made when it is missing: they say it should be.
    if (auto named = platform::userDirectory("DESKTOP")) {
        if (fs::is_directory(*named, code) || fs::create_directories(*named, code)) {
            return *named;
        }
    }
    for (const auto& folder :
         {platform::homeDirectory() / "Desktop", platform::documentsDirectory()}) {
        if (fs::is_directory(folder, code)) {
            return folder;
        }
    }
    return platform::homeDirectory();
}

void ContactImportExportController::setAddressBookImport(AddressBookImport import) {
    addressBookImport() = std::move(import);
}

ContactImportExportController::ContactImportExportController(AppController& owner) : _owner(owner) {
    buildImportSheet();
    buildExportSheet();
}

ContactImportExportController::~ContactImportExportController() {
    if (_contactImporterExporter) {
        _contactImporterExporter->removeDelegate(this);
    }
    // Whatever is still on screen must not call back into a controller that is gone.
    auto& tracker = SheetsTracker::sharedController();
    for (const auto& sheet : {_contactImportSheet, _contactExportSheet}) {
        tracker.deRegisterSheet(sheet.get(), &_owner);
        if (sheet->isSheet()) {
            platform::WindowServer::shared().endSheet(*sheet);
        }
    }
    for (platform::Control* control : std::initializer_list<platform::Control*>{
             _importFromPopupButton.get(), _importButton.get(), _importBrowseButton.get(),
             _exportToPopupButton.get(), _exportButton.get(), _exportBrowseButton.get(),
             _importLocationTextField.get(), _exportLocationTextField.get(),
             _exportFileTextField.get()}) {
        control->setTarget(nullptr);
        control->setDelegate(nullptr);
    }
    for (const auto& button : {_importButton, _exportButton}) {
        button->setTarget(nullptr);
    }
}

void ContactImportExportController::buildImportSheet() {
    constexpr double width = 440;
    constexpr double height = 262;
    _contactImportSheet = makeSheet(width, height);
    platform::View* content = _contactImportSheet->contentView();

    content->addSubview(makeLabel({20, 222, 100, 20}, "Import from:"));
    _importFromPopupButton = makePopUp(
        {125, 220, 220, 24},
        {{"CSV file", kTagCSV}, {"vCard file", kTagVCard}, {"Address Book", kTagAddressBook}},
        "chooseImportTypeChange:", this);
    _importContactMenu = _importFromPopupButton->menu();
    content->addSubview(_importFromPopupButton);

    content->addSubview(makeLabel({20, 190, 100, 20}, "File:"));
    _importLocationTextField =
        platform::make<platform::TextField>(platform::Rect{125, 190, 205, 22});
    _importLocationTextField->setDelegate(this);
    content->addSubview(_importLocationTextField);
    _importBrowseButton =
        makeButton({338, 188, 82, 24}, "Browse...", "chooseImportLocationFolder:", this);
    content->addSubview(_importBrowseButton);

    // Keeping the present contacts comes first: it is the choice that loses nothing.
    _importContactOptionMatrix =
        platform::make<platform::Matrix>(platform::Rect{125, 136, 295, 42});
    _importContactOptionMatrix->addRadioButton("Add to the existing contacts", 1);
    _importContactOptionMatrix->addRadioButton("Replace the existing contacts", 0);
    content->addSubview(_importContactOptionMatrix);

    _importPresenceOptionBox = platform::make<platform::Box>(platform::Rect{20, 48, 400, 84});
    _importPresenceOptionBox->setTitle("Presence");
    _importPresenceOptionMatrix = platform::make<platform::Matrix>(platform::Rect{0, 0, 380, 64});
    _importPresenceOptionMatrix->addRadioButton("Watch the contacts that have an address", 2);
    _importPresenceOptionMatrix->addRadioButton("Watch every imported contact", 1);
    _importPresenceOptionMatrix->addRadioButton("Watch no imported contact", 0);
    _importPresenceOptionBox->setContentView(_importPresenceOptionMatrix);
    content->addSubview(_importPresenceOptionBox);

    _importButton = makeButton({338, 12, 82, 24}, "Import", "contactImportOK:", this);
    _importButton->setKeyEquivalent("\r");
    auto cancel = makeButton({246, 12, 82, 24}, "Cancel", "contactImportCancel:", this);
    cancel->setKeyEquivalent("\x1b");
    content->addSubview(cancel);
    content->addSubview(_importButton);
}

void ContactImportExportController::buildExportSheet() {
    constexpr double width = 440;
    constexpr double height = 170;
    _contactExportSheet = makeSheet(width, height);
    platform::View* content = _contactExportSheet->contentView();

    content->addSubview(makeLabel({20, 130, 100, 20}, "Export to:"));
    _exportToPopupButton =
        makePopUp({125, 128, 220, 24}, {{"CSV file", kTagCSV}, {"vCard files", kTagVCard}},
                  "chooseExportTypeChange:", this);
    _exportContactMenu = _exportToPopupButton->menu();
    content->addSubview(_exportToPopupButton);

    content->addSubview(makeLabel({20, 98, 100, 20}, "Folder:"));
    _exportLocationTextField =
        platform::make<platform::TextField>(platform::Rect{125, 98, 205, 22});
    content->addSubview(_exportLocationTextField);
    _exportBrowseButton =
        makeButton({338, 96, 82, 24}, "Browse...", "chooseExportLocationFolder:", this);
    content->addSubview(_exportBrowseButton);

    content->addSubview(makeLabel({20, 66, 100, 20}, "File name:"));
    _exportFileTextField = platform::make<platform::TextField>(platform::Rect{125, 66, 205, 22});
    _exportFileTextField->setDelegate(this);
    _exportFileTextField->setTarget(this);
    _exportFileTextField->setAction("exportTextChanged:");
    content->addSubview(_exportFileTextField);

    _exportButton = makeButton({338, 12, 82, 24}, "Export", "contactExportOK:", this);
    _exportButton->setKeyEquivalent("\r");
    auto cancel = makeButton({246, 12, 82, 24}, "Cancel", "contactExportCancel:", this);
    cancel->setKeyEquivalent("\x1b");
    content->addSubview(cancel);
    content->addSubview(_exportButton);
}

platform::Window* ContactImportExportController::sheetWindow() const {
    if (MainAppWindow* main = _owner.mainWindow()) {
        return main;
    }
    return _sheetWindow;
}

void ContactImportExportController::attachImporterExporter(
    std::shared_ptr<OVContactImporterExporter> importer) {
    if (_contactImporterExporter == importer) {
        return;
    }
    if (_contactImporterExporter) {
        _contactImporterExporter->removeDelegate(this);
    }
    _contactImporterExporter = std::move(importer);
    if (_contactImporterExporter) {
        _contactImporterExporter->setDelegate(this);
    }
}

std::shared_ptr<OVContactImporterExporter> ContactImportExportController::importer() {
    if (!_contactImporterExporter) {
        auto phone = _owner.phoneService();
        if (!phone) {
            phone = StartupService::instance().phoneService();
        }
        if (phone) {
            attachImporterExporter(phone->getContactImporterExporter());
        }
    }
    return _contactImporterExporter;
}

long ContactImportExportController::importFormatTag() const {
    const auto* item = _importFromPopupButton->selectedItem();
    return item ? item->tag() : -1;
}

long ContactImportExportController::exportFormatTag() const {
    const auto* item = _exportToPopupButton->selectedItem();
    return item ? item->tag() : -1;
}

void ContactImportExportController::reopenLater(Action action) {
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    platform::Timer::scheduledTimerWithTimeInterval(kReopenDelay, false,
                                                    [weak, action](platform::Timer&) {
                                                        if (auto self = weak.lock()) {
                                                            ((*self).*action)(nullptr);
                                                        }
                                                    });
}

void ContactImportExportController::importContacts(platform::Object* /*sender*/) {
    platform::Window* window = sheetWindow();
    // A sheet waits while another is on the window; it is begun only once meanwhile.
    if (_owner.isLoggedOut() || !window || _importSheetBegun) {
        return;
    }
    _importSheetBegun = true;
    const long tag = importFormatTag();
    _importButton->setEnabled(!_importLocationTextField->stringValue().empty() ||
                              tag == kTagAddressBook);
    _importBrowseButton->setEnabled(tag != kTagAddressBook);
    _importPresenceOptionBox->setHidden(
        !StartupService::instance().featuresService()->featureAvailable("presenceEnabled"));
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    platform::Panel* sheet = _contactImportSheet.get();
    platform::Application::sharedApplication().beginSheet(*sheet, *window, [weak, sheet](int code) {
        if (auto self = weak.lock()) {
            self->contactImportSheetDidEnd(*sheet, code, nullptr);
        }
    });
    SheetsTracker::sharedController().registerSheet(_contactImportSheet, &_owner);
}

void ContactImportExportController::chooseImportTypeChange(platform::Object* /*sender*/) {
    const long tag = importFormatTag();
    if (tag == kTagAddressBook) {
        _importLocationTextField->setStringValue("");
        _importBrowseButton->setEnabled(false);
        _importButton->setEnabled(true);
    } else if (tag == kTagCSV || tag == kTagVCard) {
        _importLocationTextField->setStringValue("");
        _importBrowseButton->setEnabled(true);
        _importButton->setEnabled(false);
    }
}

void ContactImportExportController::chooseImportLocationFolder(platform::Object* /*sender*/) {
    auto& application = platform::Application::sharedApplication();
    application.endSheet(*_contactImportSheet, platform::CancelButton);
    platform::Window* window = sheetWindow();
    if (!window) {
        return;
    }
    _filePanel = platform::OpenPanel::openPanel();
    _filePanel->setCanChooseFiles(true);
    _filePanel->setCanChooseDirectories(false);
    _filePanel->setMessage(
        QXLS("msg.opt.dialog.message.fileToImport", "Specify file to import contacts"));
    const long tag = importFormatTag();
    if (tag == kTagCSV) {
        _filePanel->setAllowedFileTypes({"csv"});
    } else if (tag == kTagVCard) {
        _filePanel->setAllowedFileTypes({"vcf"});
    }
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    _filePanel->beginSheetModalForWindow(*window, [weak](int result) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        // The panel is still in its own call: it goes on the next pass of the loop.
        auto panel = std::move(self->_filePanel);
        platform::RunLoop::main().performInModes([panel] {}, platform::commonModes());
        self->_importButton->setEnabled(!self->_importLocationTextField->stringValue().empty());
        if (result == platform::FileHandlingPanelOKButton && panel) {
            self->_importLocationTextField->setStringValue(panel->filename().string());
        }
        self->reopenLater(&ContactImportExportController::importContacts);
    });
}

void ContactImportExportController::contactImportOK(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().endSheet(*_contactImportSheet, platform::OKButton);
}

void ContactImportExportController::contactImportCancel(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().endSheet(*_contactImportSheet,
                                                        platform::CancelButton);
}

void ContactImportExportController::contactImportSheetDidEnd(platform::Window& sheet,
                                                             int returnCode,
                                                             void* /*contextInfo*/) {
    _importSheetBegun = false;
    SheetsTracker::sharedController().deRegisterSheet(&sheet, &_owner);
    sheet.orderOut(nullptr);
    if (returnCode < 1) {
        return;
    }
    const long tag = importFormatTag();
    const std::string location = _importLocationTextField->stringValue();
    if (tag != kTagAddressBook && !location.empty()) {
        auto engine = importer();
        if (!engine) {
            return;
        }
        _importing = true;
        const long presence = _importPresenceOptionMatrix->selectedTag();
        engine->doImport(static_cast<int>(tag), location, "", presence == 1, presence == 0,
                         _importContactOptionMatrix->selectedTag() == 0);
        beginImportProgress();
    } else if (tag == kTagAddressBook) {
        const bool replace = _importContactOptionMatrix->selectedTag() == 0;
        const long presence = _importPresenceOptionMatrix->selectedTag();
        if (addressBookImport()) {
            addressBookImport()(replace, presence);
        } else {
            platform::Log("Contacts: no address book import is available");
        }
    }
}

void ContactImportExportController::exportContacts(platform::Object* /*sender*/) {
    platform::Window* window = sheetWindow();
    if (_owner.isLoggedOut() || !window || _exportSheetBegun) {
        return;
    }
    _exportSheetBegun = true;
    _exportButton->setEnabled(true);
    if (_exportFileTextField->stringValue().empty()) {
        const bool csv = exportFormatTag() == kTagCSV;
        _exportFileTextField->setStringValue(csv ? "output" : "");
        _exportFileTextField->setEnabled(csv);
    }
    if (_exportLocationTextField->stringValue().empty()) {
        _exportLocationTextField->setStringValue(defaultExportFolder().string());
    }
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    platform::Panel* sheet = _contactExportSheet.get();
    platform::Application::sharedApplication().beginSheet(*sheet, *window, [weak, sheet](int code) {
        if (auto self = weak.lock()) {
            self->contactExportSheetDidEnd(*sheet, code, nullptr);
        }
    });
    SheetsTracker::sharedController().registerSheet(_contactExportSheet, &_owner);
}

void ContactImportExportController::chooseExportTypeChange(platform::Object* /*sender*/) {
    const bool csv = exportFormatTag() == kTagCSV;
    _exportFileTextField->setStringValue(csv ? "output" : "");
    _exportFileTextField->setEnabled(csv);
    _exportButton->setEnabled(true);
}

void ContactImportExportController::exportTextChanged(platform::Object* /*sender*/) {
    _exportButton->setEnabled(!_exportFileTextField->stringValue().empty());
}

void ContactImportExportController::controlTextDidChange(
    const platform::Notification& notification) {
    if (notification.object == _exportFileTextField.get()) {
        exportTextChanged(_exportFileTextField.get());
    } else if (notification.object == _importLocationTextField.get()) {
        // A path typed by hand is as good as one chosen with Browse.
        _importButton->setEnabled(!_importLocationTextField->stringValue().empty() ||
                                  importFormatTag() == kTagAddressBook);
    }
}

void ContactImportExportController::chooseExportLocationFolder(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().endSheet(*_contactExportSheet,
                                                        platform::CancelButton);
    platform::Window* window = sheetWindow();
    if (!window) {
        return;
    }
    _filePanel = platform::OpenPanel::openPanel();
    _filePanel->setCanChooseFiles(false);
    _filePanel->setCanChooseDirectories(true);
    _filePanel->setMessage(
        QXLS("msg.opt.dialog.message.fileToExport", "Specify file to export contacts"));
    const std::string location = _exportLocationTextField->stringValue();
    if (!location.empty()) {
        _filePanel->setDirectory(platform::expandTilde(location));
    }
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    _filePanel->beginSheetModalForWindow(*window, [weak](int result) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        // The panel is still in its own call: it goes on the next pass of the loop.
        auto panel = std::move(self->_filePanel);
        platform::RunLoop::main().performInModes([panel] {}, platform::commonModes());
        if (result == platform::FileHandlingPanelOKButton && panel) {
            self->_exportLocationTextField->setStringValue(panel->filename().string());
        }
        self->reopenLater(&ContactImportExportController::exportContacts);
    });
}

void ContactImportExportController::contactExportOK(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().endSheet(*_contactExportSheet, platform::OKButton);
}

void ContactImportExportController::contactExportCancel(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().endSheet(*_contactExportSheet,
                                                        platform::CancelButton);
}

std::string ContactImportExportController::exportFilePath() const {
    return platform::formatString("%@/%@.csv", _exportLocationTextField->stringValue(),
                                  _exportFileTextField->stringValue());
}

void ContactImportExportController::contactExportSheetDidEnd(platform::Window& sheet,
                                                             int returnCode,
                                                             void* /*contextInfo*/) {
    _exportSheetBegun = false;
    SheetsTracker::sharedController().deRegisterSheet(&sheet, &_owner);
    sheet.orderOut(nullptr);
    if (returnCode < 1) {
        return;
    }
    const long tag = exportFormatTag();
    const std::string location = _exportLocationTextField->stringValue();
    const std::string fileName = _exportFileTextField->stringValue();
    // Known at the next start, which clears what an export cut short left there.
    if (!location.empty())
        platform::UserDefaults::standardUserDefaults().setString(lastExportFolderKey, location);
    if (tag == kTagCSV && !location.empty() && !fileName.empty()) {
        const std::string path = exportFilePath();
        std::error_code code;
        if (!std::filesystem::exists(path, code)) {
            if (auto engine = importer()) {
                _exporting = true;
                engine->doExport(static_cast<int>(kTagCSV), path);
            }
            return;
        }
        platform::Window* window = sheetWindow();
        if (!window) {
            return;
        }
        _overwriteAlert = platform::Alert::alert();
        _overwriteAlert->setMessageText(QXLS("msg.opt.dialog.caption.WARNING", "Warning"));
        _overwriteAlert->setInformativeText(platform::formatString(
            QXLS("msg.opt.dialog.message.overwrite_file",
                 "The file %@ already exist! Saving will overwrite the existing file. Continue?"),
            path));
        _overwriteAlert->addButtonWithTitle(QXLS("msg.opt.dialog.button.yes", "Yes"));
        _overwriteAlert->addButtonWithTitle(QXLS("msg.opt.dialog.button.no", "No"));
        _overwriteAlert->setAlertStyle(platform::AlertStyle::Warning);
        std::weak_ptr<ContactImportExportController> weak = weak_from_this();
        std::weak_ptr<platform::Alert> weakAlert = _overwriteAlert;
        _overwriteAlert->beginSheetModalForWindow(*window, [weak, weakAlert](int answer) {
            auto self = weak.lock();
            auto alert = weakAlert.lock();
            if (self && alert) {
                self->overwriteFileAlertDidEnd(*alert, answer, nullptr);
            }
        });
        if (platform::Panel* panel = _overwriteAlert->window()) {
            SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), &_owner);
        }
    } else if (tag == kTagVCard && !location.empty()) {
        if (auto engine = importer()) {
            _exporting = true;
            engine->doExport(static_cast<int>(kTagVCard), location);
        }
    }
}

void ContactImportExportController::overwriteFileAlertDidEnd(platform::Alert& alert, int returnCode,
                                                             void* /*contextInfo*/) {
    // The alert stays alive for the rest of its own completion.
    auto keep = std::move(_overwriteAlert);
    if (platform::Panel* panel = alert.window()) {
        SheetsTracker::sharedController().deRegisterSheet(panel, &_owner);
        panel->orderOut(nullptr);
    }
    if (returnCode == platform::AlertFirstButtonReturn) {
        if (auto engine = importer()) {
            _exporting = true;
            engine->doExport(static_cast<int>(exportFormatTag()), exportFilePath());
        }
        return;
    }
    reopenLater(&ContactImportExportController::exportContacts);
}

void ContactImportExportController::beginImportProgress() {
    platform::Window* window = sheetWindow();
    if (!window || _importProgressSheet) {
        return;
    }
    constexpr double width = 360;
    constexpr double height = 92;
    _importProgressSheet = makeSheet(width, height);
    platform::View* content = _importProgressSheet->contentView();
    _importProgressLabel =
        makeLabel({20, 52, width - 40, 20},
                  QXLS("msg.opt.dialog.message.importing", "Importing contacts..."));
    content->addSubview(_importProgressLabel);
    _importProgressIndicator =
        std::make_shared<platform::ProgressIndicator>(platform::Rect{20, 24, width - 40, 16});
    _importProgressIndicator->setIndeterminate(false);
    _importProgressIndicator->setMinValue(0);
    _importProgressIndicator->setMaxValue(1);
    _importProgressIndicator->setDoubleValue(0);
    content->addSubview(_importProgressIndicator);
    std::weak_ptr<ContactImportExportController> weak = weak_from_this();
    platform::Panel* sheet = _importProgressSheet.get();
    platform::Application::sharedApplication().beginSheet(*sheet, *window, [weak, sheet](int) {
        sheet->orderOut(nullptr);
        if (auto self = weak.lock()) {
            SheetsTracker::sharedController().deRegisterSheet(sheet, &self->_owner);
        }
    });
    SheetsTracker::sharedController().registerSheet(_importProgressSheet, &_owner);
}

void ContactImportExportController::endImportProgress() {
    // Kept until the loop's next pass: this may run inside the sheet's own completion.
    auto sheet = std::move(_importProgressSheet);
    _importProgressLabel.reset();
    auto indicator = std::move(_importProgressIndicator);
    if (!sheet) {
        return;
    }
    if (sheet->sheetParent()) {
        platform::Application::sharedApplication().endSheet(*sheet, 0);
    }
    sheet->orderOut(nullptr);
    platform::RunLoop::main().performInModes([sheet, indicator] {}, platform::commonModes());
}

void ContactImportExportController::ovieProgress(int done, int total) {
    if (!_importing || !_importProgressIndicator || total <= 0) {
        return;
    }
    _importProgressIndicator->setMaxValue(total);
    _importProgressIndicator->setDoubleValue(done);
    if (_importProgressLabel && total > 1) {
        _importProgressLabel->setStringValue(
            platform::formatString(QXLS("msg.opt.dialog.message.importing_files",
                                        "Importing contacts... (%i of %i files)"),
                                   done, total));
    }
    _importProgressSheet->displayIfNeeded();
}

void ContactImportExportController::ovieSuccess(int count) {
    if (_importing) {
        endImportProgress();
        contactsImported(true, count);
        _importing = false;
    } else if (_exporting) {
        contactsExported(true, count);
        _exporting = false;
    }
}

void ContactImportExportController::ovieFailure() {
    if (_importing) {
        endImportProgress();
        contactsImported(false, 0);
        _importing = false;
    } else if (_exporting) {
        contactsExported(false, 0);
        _exporting = false;
    }
}

void ContactImportExportController::showResult(std::string message, std::string information,
                                               const std::string& detail) {
    platform::Window* window = sheetWindow();
    if (!window) {
        return;
    }
    _resultAlert = platform::Alert::alert();
    _resultAlert->setMessageText(std::move(message));
    _resultAlert->setInformativeText(std::move(information));
    // The engine's reason (with the file's line) goes below the texts, which stay as they are.
    if (!detail.empty()) {
        auto reason = makeLabel({0, 0, 300, 34}, detail);
        reason->cell()->setWraps(true);
        reason->setFont(platform::Font::systemFontOfSize(platform::Font::smallSystemFontSize()));
        _resultAlert->setAccessoryView(reason);
    }
    _resultAlert->addButtonWithTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    _resultAlert->setAlertStyle(platform::AlertStyle::Informational);
    _resultAlert->beginSheetModalForWindow(*window);
    if (platform::Panel* panel = _resultAlert->window()) {
        SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), &_owner);
    }
}

void ContactImportExportController::contactsImported(bool success, int numOfImported) {
    const std::string location = _importLocationTextField->stringValue();
    _importLocationTextField->setStringValue("");
    if (!success) {
        showResult(QXLS("msg.opt.dialog.caption.import.failed", "Contact Import Failed!"),
                   QXLS("msg.opt.dialog.message.import.failed", "Failed to import contacts"),
                   _contactImporterExporter ? _contactImporterExporter->lastError() : "");
        return;
    }
    std::string information;
    switch (importFormatTag()) {
    case kTagVCard:
        information = platform::formatString(
            QXLS("msg.opt.dialog.message.import.vcard", "%i contacts imported from\n%@"),
            numOfImported, location);
        break;
    case kTagAddressBook:
        information = platform::formatString(QXLS("msg.opt.dialog.message.import.macad",
                                                  "%i contacts imported from the Mac Address Book"),
                                             numOfImported);
        break;
    default:
        information = platform::formatString(
            QXLS("msg.opt.dialog.message.import.csv", "%i contacts imported from\n%@"),
            numOfImported, location);
        break;
    }
    // What the contacts had no field for is said below the count, never left out silently.
    showResult(QXLS("msg.opt.dialog.caption.import.succeeded", "Contact Import Succeeded!"),
               std::move(information),
               _contactImporterExporter ? _contactImporterExporter->lastNotice() : "");
}

void ContactImportExportController::contactsExported(bool success, int numOfExported) {
    if (!success) {
        showResult(QXLS("msg.opt.dialog.caption.export.failed", "Contact Export Failed!"),
                   QXLS("msg.opt.dialog.message.export.failed", "Failed to export contacts"),
                   _contactImporterExporter ? _contactImporterExporter->lastError() : "");
        return;
    }
    const std::string location = _exportLocationTextField->stringValue();
    const std::string information =
        exportFormatTag() == kTagCSV
            ? platform::formatString(
                  QXLS("msg.opt.dialog.message.export.csv", "%i contacts exported to\n%@/%@.csv"),
                  numOfExported, location, _exportFileTextField->stringValue())
            : platform::formatString(
                  QXLS("msg.opt.dialog.message.export.vcard", "%i contacts exported to\n%@"),
                  numOfExported, location);
    showResult(QXLS("msg.opt.dialog.caption.export.succeeded", "Contact Export Succeeded!"),
               information, "");
}

bool ContactImportExportController::respondsToAction(std::string_view action) const {
    return actions().contains(action);
}

bool ContactImportExportController::tryToPerform(std::string_view action,
                                                 platform::Object* sender) {
    const auto found = actions().find(action);
    if (found == actions().end()) {
        return false;
    }
    (this->*(found->second))(sender);
    return true;
}
