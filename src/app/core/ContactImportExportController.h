#pragma once

#include "engine/OVContactImporterExporter.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Control.h"
#include "platform/kit/Responder.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class AppController;
namespace platform {
class Alert;
class Box;
class Button;
class Matrix;
class Menu;
class OpenPanel;
class Panel;
class PopUpButton;
class ProgressIndicator;
class TextField;
class Window;
} // namespace platform

// The application controller's contact import and export: the two sheets that ask for the
// format and the place, the file panels behind their Browse buttons, the hand-over to the
// engine's importer-exporter and the result alerts. The sheets are attached to the main
// window (or to the window set with setSheetWindow) and registered with the sheets tracker
// with the application controller as their creator.
class ContactImportExportController
    : public platform::Object,
      public platform::ActionTarget,
      public platform::ControlTextEditingDelegate,
      public OVContactImporterExporterPro,
      public std::enable_shared_from_this<ContactImportExportController> {
public:
    // Runs an import from the system address book: whether to replace the present contacts
    // and the presence option's tag. The contacts subsystem installs its import window here.
    using AddressBookImport = std::function<void(bool replaceContacts, long presenceOption)>;
    static void setAddressBookImport(AddressBookImport import);
    // The folder the export sheet offers first: the desktop of the user's XDG folders (made
    // when they name one that is missing), else ~/Desktop, else the documents folder, else
    // the home folder.
    static std::filesystem::path defaultExportFolder();

    explicit ContactImportExportController(AppController& owner);
    ~ContactImportExportController() override;
    ContactImportExportController(const ContactImportExportController&) = delete;
    ContactImportExportController& operator=(const ContactImportExportController&) = delete;

    // The window the sheets go on when the application has no main window.
    void setSheetWindow(platform::Window* window) { _sheetWindow = window; }
    platform::Window* sheetWindow() const;
    // The engine's importer-exporter this controller listens to; the phone service's until
    // another is given.
    void attachImporterExporter(std::shared_ptr<OVContactImporterExporter> importer);

    // Actions.
    void importContacts(platform::Object* sender);
    void exportContacts(platform::Object* sender);
    void chooseImportTypeChange(platform::Object* sender);
    void chooseExportTypeChange(platform::Object* sender);
    void exportTextChanged(platform::Object* sender);
    void chooseImportLocationFolder(platform::Object* sender);
    void chooseExportLocationFolder(platform::Object* sender);
    void contactImportOK(platform::Object* sender);
    void contactImportCancel(platform::Object* sender);
    void contactExportOK(platform::Object* sender);
    void contactExportCancel(platform::Object* sender);

    // End handlers.
    void contactImportSheetDidEnd(platform::Window& sheet, int returnCode, void* contextInfo);
    void contactExportSheetDidEnd(platform::Window& sheet, int returnCode, void* contextInfo);
    void overwriteFileAlertDidEnd(platform::Alert& alert, int returnCode, void* contextInfo);

    // The engine's answers, and the alerts that show them.
    void ovieSuccess(int count) override;
    void ovieFailure() override;
    void ovieProgress(int done, int total) override;
    void contactsImported(bool success, int numOfImported);
    void contactsExported(bool success, int numOfExported);

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    void controlTextDidChange(const platform::Notification& notification) override;

    // Outlets and state, for the application and its tests.
    platform::Panel* contactImportSheet() const { return _contactImportSheet.get(); }
    platform::TextField* importLocationTextField() const { return _importLocationTextField.get(); }
    platform::PopUpButton* importFromPopupButton() const { return _importFromPopupButton.get(); }
    platform::Matrix* importContactOptionMatrix() const { return _importContactOptionMatrix.get(); }
    platform::Matrix* importPresenceOptionMatrix() const {
        return _importPresenceOptionMatrix.get();
    }
    platform::Button* importButton() const { return _importButton.get(); }
    platform::Button* importBrowseButton() const { return _importBrowseButton.get(); }
    platform::Box* importPresenceOptionBox() const { return _importPresenceOptionBox.get(); }
    platform::Panel* contactExportSheet() const { return _contactExportSheet.get(); }
    platform::TextField* exportLocationTextField() const { return _exportLocationTextField.get(); }
    platform::TextField* exportFileTextField() const { return _exportFileTextField.get(); }
    platform::PopUpButton* exportToPopupButton() const { return _exportToPopupButton.get(); }
    platform::Button* exportButton() const { return _exportButton.get(); }
    platform::Button* exportBrowseButton() const { return _exportBrowseButton.get(); }
    bool importing() const { return _importing; }
    bool exporting() const { return _exporting; }
    // The sheet on the window while an import of a file or folder runs, and its bar.
    platform::Panel* importProgressSheet() const { return _importProgressSheet.get(); }
    platform::ProgressIndicator* importProgressIndicator() const {
        return _importProgressIndicator.get();
    }
    // The file panel of a Browse while it is open.
    platform::OpenPanel* filePanel() const { return _filePanel.get(); }
    // The overwrite question while it is open, and the last result alert shown.
    platform::Alert* overwriteAlert() const { return _overwriteAlert.get(); }
    platform::Alert* resultAlert() const { return _resultAlert.get(); }

private:
    void buildImportSheet();
    void buildExportSheet();
    // The progress sheet goes on the window as the engine starts an import and comes off
    // before its result is shown.
    void beginImportProgress();
    void endImportProgress();
    std::shared_ptr<OVContactImporterExporter> importer();
    // Runs `action` on this controller after 0.5 s, unless it is gone by then.
    void reopenLater(void (ContactImportExportController::*action)(platform::Object*));
    // Shows a result: an informational alert sheet with one OK button and no end handler,
    // registered with the sheets tracker until the tracker closes it.
    void showResult(std::string message, std::string information, const std::string& detail);
    std::string exportFilePath() const;
    long importFormatTag() const;
    long exportFormatTag() const;

    AppController& _owner;
    platform::Window* _sheetWindow = nullptr;
    std::shared_ptr<OVContactImporterExporter> _contactImporterExporter;

    std::shared_ptr<platform::Panel> _contactImportSheet;
    std::shared_ptr<platform::TextField> _importLocationTextField;
    std::shared_ptr<platform::PopUpButton> _importFromPopupButton;
    std::shared_ptr<platform::Matrix> _importContactOptionMatrix;
    std::shared_ptr<platform::Matrix> _importPresenceOptionMatrix;
    std::shared_ptr<platform::Menu> _importContactMenu;
    std::shared_ptr<platform::Button> _importButton;
    std::shared_ptr<platform::Button> _importBrowseButton;
    std::shared_ptr<platform::Box> _importPresenceOptionBox;
    std::shared_ptr<platform::Panel> _contactExportSheet;
    std::shared_ptr<platform::TextField> _exportLocationTextField;
    std::shared_ptr<platform::TextField> _exportFileTextField;
    std::shared_ptr<platform::PopUpButton> _exportToPopupButton;
    std::shared_ptr<platform::Menu> _exportContactMenu;
    std::shared_ptr<platform::Button> _exportButton;
    std::shared_ptr<platform::Button> _exportBrowseButton;
    bool _importing = false;
    bool _exporting = false;
    // Begun and not yet ended (on the window, or waiting behind another sheet).
    bool _importSheetBegun = false;
    bool _exportSheetBegun = false;

    std::shared_ptr<platform::Panel> _importProgressSheet;
    std::shared_ptr<platform::TextField> _importProgressLabel;
    std::shared_ptr<platform::ProgressIndicator> _importProgressIndicator;

    std::shared_ptr<platform::OpenPanel> _filePanel;
    std::shared_ptr<platform::Alert> _overwriteAlert;
    std::shared_ptr<platform::Alert> _resultAlert;
};
