#pragma once

#include "platform/kit/Panel.h"
#include "platform/kit/TableView.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Button;
class ScrollView;
class TextField;

// Results of the file panels, as the original numbered them.
inline constexpr int FileHandlingPanelCancelButton = 0;
inline constexpr int FileHandlingPanelOKButton = 1;

// A panel that asks for a place to save a file: a message, the path being chosen in a text
// field, the entries of the current folder in a table (folders first, then the files of the
// allowed types) and Cancel and OK. A click on an entry puts its path in the field, a double
// click opens a folder or chooses a file, Return in the field opens the folder it names or
// chooses the path. OK is enabled only for a path the panel may answer.
class SavePanel : public Panel, public TableViewDataSource, public TableViewDelegate {
public:
    using CompletionHandler = std::function<void(int result)>;

    static std::shared_ptr<SavePanel> savePanel();
    SavePanel(const Rect& contentRect, WindowStyleMask style);
    ~SavePanel() override;
    void initialize() override;

    const std::string& message() const { return message_; }
    void setMessage(std::string message);
    // File-name extensions without the dot ("csv"); empty allows every type.
    const std::vector<std::string>& allowedFileTypes() const { return allowedFileTypes_; }
    void setAllowedFileTypes(std::vector<std::string> types);
    // The folder shown; the user's home folder until set.
    const std::filesystem::path& directory() const { return directory_; }
    void setDirectory(const std::filesystem::path& folder);
    // The name proposed in the field (save panels).
    void setNameFieldStringValue(const std::string& name);

    // The chosen path once the panel answered OK.
    const std::filesystem::path& filename() const { return chosen_; }

    // Shows the panel as a sheet on `window`; the handler hears OK or Cancel after the panel
    // has left the screen. The caller keeps the panel until then, and lets it go no earlier
    // than the next pass of the main loop: the handler runs inside the panel's own call.
    void beginSheetModalForWindow(Window& window, CompletionHandler handler);
    // Shows the panel application-modally and answers OK or Cancel.
    int runModal();

    // The panel's parts, for whoever drives it without a mouse.
    TextField* pathField() const { return pathField_.get(); }
    TableView* fileTable() const { return table_.get(); }
    Button* okButton() const { return okButton_.get(); }
    Button* cancelButton() const { return cancelButton_.get(); }
    // The names listed, as shown ("name/" for a folder, ".." for the parent folder).
    std::vector<std::string> listedNames() const;

    // Whether OK may answer `path`.
    virtual bool isValidChoice(const std::filesystem::path& path) const;

    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    long numberOfRowsInTableView(TableView& tableView) override;
    Value tableViewObjectValueForTableColumn(TableView& tableView, TableColumn* column,
                                             long row) override;
    void tableViewSelectionDidChange(const Notification& notification) override;
    void controlTextDidChange(const Notification& notification) override;

protected:
    // Whether files (and which) and folders are listed.
    virtual bool listsFile(const std::filesystem::path& file) const;
    bool hasAllowedType(const std::filesystem::path& file) const;
    // The path the field names, relative paths taken from the current folder.
    std::filesystem::path fieldPath() const;
    void validateOK();
    // Lists the folder shown again.
    void reloadEntries();

private:
    struct Entry {
        std::string name;
        bool folder = false;
    };
    void openRow(long row);
    void end(int result);

    std::string message_;
    std::vector<std::string> allowedFileTypes_;
    std::filesystem::path directory_;
    std::filesystem::path chosen_;
    std::vector<Entry> entries_;
    std::shared_ptr<TextField> messageField_;
    std::shared_ptr<TextField> pathField_;
    std::shared_ptr<ScrollView> scrollView_;
    std::shared_ptr<TableView> table_;
    std::shared_ptr<Button> okButton_;
    std::shared_ptr<Button> cancelButton_;
    CompletionHandler handler_;
    bool asSheet_ = false;
    bool running_ = false;
};

// A panel that asks for an existing file or folder. With files only, OK needs a file of an
// allowed type; with folders only it needs a folder, and an empty field chooses the folder
// shown.
class OpenPanel : public SavePanel {
public:
    static std::shared_ptr<OpenPanel> openPanel();
    using SavePanel::SavePanel;

    bool canChooseFiles() const { return canChooseFiles_; }
    void setCanChooseFiles(bool flag);
    bool canChooseDirectories() const { return canChooseDirectories_; }
    void setCanChooseDirectories(bool flag);

    bool isValidChoice(const std::filesystem::path& path) const override;

protected:
    bool listsFile(const std::filesystem::path& file) const override;

private:
    bool canChooseFiles_ = true;
    bool canChooseDirectories_ = false;
};

} // namespace platform
