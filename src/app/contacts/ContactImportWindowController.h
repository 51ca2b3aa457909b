#pragma once

#include "engine/ContactFileFormats.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TableView.h"
#include "platform/kit/Window.h"
#include "platform/system/AddressBook.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Button;
class OpenPanel;
class TextField;
} // namespace platform

// The window that imports people of the desktop user's address book: every person with a
// check box, all checked at first. Import makes the checked ones contacts in the group
// "Imported Contacts" (after deleting every contact first when the user chose to replace
// them) and reports the count to the application; entries of the address book that cannot
// be read are listed below the people and left out. One window at a time: while it is open a
// new request only brings it forward.
class ContactImportWindowController : public platform::Object,
                                      public platform::ActionTarget,
                                      public platform::TableViewDataSource,
                                      public platform::WindowDelegate {
public:
    // Opens the window on `book` (the user's address book when null). nullptr when one is
    // open already (it comes to the front instead).
    static std::shared_ptr<ContactImportWindowController>
    initWithParams(bool eraseExistingContacts, long presenceOption,
                   std::unique_ptr<platform::AddressBook> book = nullptr);
    static ContactImportWindowController* instance();
    static bool isMacAddressBookImportRunning();
    // Makes the window the application's import from the address book.
    static void install();
    // The vCard folder the user chose for the address book, kept in the user defaults.
    static std::optional<std::filesystem::path> chosenFolder();
    static void setChosenFolder(const std::filesystem::path& folder);

    // A person's row label and the contact the import makes of it (nullopt: nothing to
    // import). `pager` says whether pager numbers have a field of their own.
    static std::string labelForPerson(const platform::AddressBookPerson& person);
    static std::optional<ContactRecord> recordForPerson(const platform::AddressBookPerson& person,
                                                        const std::string& group, bool pager);

    ContactImportWindowController(bool eraseExistingContacts, long presenceOption,
                                  std::unique_ptr<platform::AddressBook> book);
    ~ContactImportWindowController() override;
    ContactImportWindowController(const ContactImportWindowController&) = delete;
    ContactImportWindowController& operator=(const ContactImportWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    platform::TableView& contactTableView() const { return *_contactTableView; }
    platform::Button& selectAllButton() const { return *_selectAllButton; }
    platform::Button& importButton() const { return *_importButton; }
    const std::vector<platform::AddressBookPerson>& people() const { return _people; }
    const std::vector<bool>& selection() const { return _select; }
    // The address book's entries left out, "name: why", and why it could not be read at all.
    const std::vector<std::string>& skipped() const { return _skipped; }

    void selectAllToggle();
    void Import();
    void cancel();
    // Lets the user point to another folder of vCard files; the choice is kept and the
    // window lists that folder's people.
    void chooseFolder();
    // Lists the people of `book` in place of those shown, all checked.
    void showAddressBook(const platform::AddressBook& book);
    platform::OpenPanel* folderPanel() const { return _folderPanel.get(); }

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    bool tableViewSetObjectValue(platform::TableView& tableView, const platform::Value& value,
                                 platform::TableColumn* column, long row) override;
    void windowWillClose(platform::Window& window) override;

private:
    void buildWindow();
    void updateImportButton();
    // Closes the window and tells the application how the import went.
    void finish(bool success, int count);

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TableView> _contactTableView;
    std::shared_ptr<platform::Button> _selectAllButton;
    std::shared_ptr<platform::Button> _importButton;
    std::shared_ptr<platform::Button> _cancelButton;
    std::shared_ptr<platform::TextField> _skippedTextField;
    std::shared_ptr<platform::TextField> _captionTextField;
    std::shared_ptr<platform::Button> _chooseFolderButton;
    std::shared_ptr<platform::OpenPanel> _folderPanel;
    std::vector<platform::AddressBookPerson> _people;
    std::vector<bool> _select;
    std::vector<std::string> _skipped;
    bool _eraseExistingContacts = false;
    long _presenceOption = 0;
};
