#include "platform/kit/OpenPanel.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Button.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr double kWidth = 480;
constexpr double kHeight = 340;
constexpr std::string_view kOK = "ok:";
constexpr std::string_view kCancel = "cancel:";
constexpr std::string_view kPathEntered = "pathEntered:";
constexpr std::string_view kOpenRow = "openRow:";
constexpr std::string_view kParent = "..";

bool isFolder(const fs::path& path) {
    std::error_code code;
    return fs::is_directory(path, code);
}

bool isFile(const fs::path& path) {
    std::error_code code;
    return fs::is_regular_file(path, code);
}

std::shared_ptr<Button> makeButton(const Rect& frame, std::string title, std::string_view action,
                                   ActionTarget* target) {
    auto button = make<Button>(frame);
    button->setTitle(std::move(title));
    button->setTarget(target);
    button->setAction(std::string(action));
    return button;
}

} // namespace

std::shared_ptr<SavePanel> SavePanel::savePanel() {
    return make<SavePanel>(Rect{0, 0, kWidth, kHeight}, TitledWindowMask);
}

SavePanel::SavePanel(const Rect& contentRect, WindowStyleMask style)
    : Panel(contentRect, style), directory_(homeDirectory()) {}

SavePanel::~SavePanel() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
        table_->setTarget(nullptr);
    }
    if (pathField_) {
        pathField_->setDelegate(nullptr);
        pathField_->setTarget(nullptr);
    }
    for (const auto& button : {okButton_, cancelButton_}) {
        if (button) {
            button->setTarget(nullptr);
        }
    }
}

void SavePanel::initialize() {
    Panel::initialize();
    setReleasedWhenClosed(false);
    auto content = std::make_shared<View>(Rect{0, 0, kWidth, kHeight});
    setContentView(content);

    messageField_ = make<TextField>(Rect{20, kHeight - 34, kWidth - 40, 20});
    messageField_->setEditable(false);
    messageField_->setSelectable(false);
    messageField_->setBezeled(false);
    messageField_->setDrawsBackground(false);
    content->addSubview(messageField_);

    pathField_ = make<TextField>(Rect{20, kHeight - 64, kWidth - 40, 22});
    pathField_->setTarget(this);
    pathField_->setAction(std::string(kPathEntered));
    pathField_->setDelegate(this);
    content->addSubview(pathField_);

    scrollView_ = std::make_shared<ScrollView>(Rect{20, 52, kWidth - 40, kHeight - 124});
    scrollView_->setHasVerticalScroller(true);
    table_ = make<TableView>(Rect{0, 0, kWidth - 40, kHeight - 124});
    auto column = std::make_shared<TableColumn>("name");
    column->setWidth(kWidth - 60);
    table_->addTableColumn(column);
    table_->setHeaderView(nullptr);
    table_->setDataSource(this);
    table_->setDelegate(this);
    table_->setTarget(this);
    table_->setDoubleAction(std::string(kOpenRow));
    scrollView_->setDocumentView(table_);
    content->addSubview(scrollView_);

    okButton_ = makeButton({kWidth - 102, 12, 82, 24}, "OK", kOK, this);
    cancelButton_ = makeButton({kWidth - 196, 12, 82, 24}, "Cancel", kCancel, this);
    cancelButton_->setKeyEquivalent("\x1b");
    content->addSubview(okButton_);
    content->addSubview(cancelButton_);
    setInitialFirstResponder(pathField_.get());
    reloadEntries();
}

void SavePanel::setMessage(std::string message) {
    message_ = std::move(message);
    if (messageField_) {
        messageField_->setStringValue(message_);
    }
}

void SavePanel::setAllowedFileTypes(std::vector<std::string> types) {
    allowedFileTypes_.clear();
    for (auto& type : types) {
        if (!type.empty() && type.front() == '.') {
            type.erase(0, 1);
        }
        allowedFileTypes_.push_back(lowercase(std::move(type)));
    }
    reloadEntries();
}

void SavePanel::setDirectory(const fs::path& folder) {
    std::error_code code;
    auto absolute = fs::weakly_canonical(fs::absolute(folder, code), code);
    directory_ = code ? folder : absolute;
    if (pathField_) {
        pathField_->setStringValue("");
    }
    reloadEntries();
}

void SavePanel::setNameFieldStringValue(const std::string& name) {
    if (pathField_) {
        pathField_->setStringValue(name);
    }
    validateOK();
}

bool SavePanel::hasAllowedType(const fs::path& file) const {
    if (allowedFileTypes_.empty()) {
        return true;
    }
    auto extension = lowercase(file.extension().string());
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    return std::find(allowedFileTypes_.begin(), allowedFileTypes_.end(), extension) !=
           allowedFileTypes_.end();
}

bool SavePanel::listsFile(const fs::path& file) const {
    return hasAllowedType(file);
}

fs::path SavePanel::fieldPath() const {
    const std::string text = pathField_ ? pathField_->stringValue() : std::string();
    if (text.empty()) {
        return directory_;
    }
    fs::path path = expandTilde(text);
    return path.is_absolute() ? path : directory_ / path;
}

bool SavePanel::isValidChoice(const fs::path& path) const {
    // A new or replaced file of an allowed type in a folder that exists.
    return !isFolder(path) && !path.filename().empty() && isFolder(path.parent_path()) &&
           hasAllowedType(path);
}

void SavePanel::validateOK() {
    if (okButton_) {
        okButton_->setEnabled(isValidChoice(fieldPath()));
    }
}

void SavePanel::reloadEntries() {
    entries_.clear();
    if (directory_.has_parent_path() && directory_ != directory_.root_path()) {
        entries_.push_back({std::string(kParent), true});
    }
    std::vector<Entry> folders;
    std::vector<Entry> files;
    std::error_code code;
    for (const auto& item : fs::directory_iterator(directory_, code)) {
        const std::string name = item.path().filename().string();
        if (name.empty() || name.front() == '.') {
            continue;
        }
        if (isFolder(item.path())) {
            folders.push_back({name, true});
        } else if (isFile(item.path()) && listsFile(item.path())) {
            files.push_back({name, false});
        }
    }
    const auto byName = [](const Entry& a, const Entry& b) {
        return lowercase(a.name) < lowercase(b.name);
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries_.insert(entries_.end(), folders.begin(), folders.end());
    entries_.insert(entries_.end(), files.begin(), files.end());
    if (table_) {
        table_->deselectAll(nullptr);
        table_->reloadData();
    }
    validateOK();
}

std::vector<std::string> SavePanel::listedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : entries_) {
        names.push_back(entry.folder && entry.name != kParent ? entry.name + "/" : entry.name);
    }
    return names;
}

long SavePanel::numberOfRowsInTableView(TableView& /*tableView*/) {
    return static_cast<long>(entries_.size());
}

Value SavePanel::tableViewObjectValueForTableColumn(TableView& /*tableView*/,
                                                    TableColumn* /*column*/, long row) {
    const auto names = listedNames();
    return row >= 0 && row < static_cast<long>(names.size()) ? Value(names[row]) : Value();
}

void SavePanel::tableViewSelectionDidChange(const Notification& /*notification*/) {
    const long row = table_ ? table_->selectedRow() : -1;
    if (row < 0 || row >= static_cast<long>(entries_.size()) || !pathField_) {
        return;
    }
    const Entry& entry = entries_[row];
    pathField_->setStringValue(entry.name == kParent ? directory_.parent_path().string()
                                                     : (directory_ / entry.name).string());
    validateOK();
}

void SavePanel::controlTextDidChange(const Notification& /*notification*/) {
    validateOK();
}

void SavePanel::openRow(long row) {
    if (row < 0 || row >= static_cast<long>(entries_.size())) {
        return;
    }
    const Entry& entry = entries_[row];
    if (entry.folder) {
        setDirectory(entry.name == kParent ? directory_.parent_path() : directory_ / entry.name);
        return;
    }
    pathField_->setStringValue((directory_ / entry.name).string());
    if (isValidChoice(fieldPath())) {
        end(FileHandlingPanelOKButton);
    }
}

bool SavePanel::respondsToAction(std::string_view action) const {
    return action == kOK || action == kCancel || action == kPathEntered || action == kOpenRow ||
           Panel::respondsToAction(action);
}

bool SavePanel::tryToPerform(std::string_view action, Object* sender) {
    if (action == kOK) {
        if (isValidChoice(fieldPath())) {
            end(FileHandlingPanelOKButton);
        }
        return true;
    }
    if (action == kCancel) {
        end(FileHandlingPanelCancelButton);
        return true;
    }
    if (action == kPathEntered) {
        // Another folder opens; the path of a file, or of the folder shown, is chosen.
        const fs::path path = fieldPath();
        if (isFolder(path) && path.lexically_normal() != directory_.lexically_normal()) {
            setDirectory(path);
        } else if (isValidChoice(path)) {
            end(FileHandlingPanelOKButton);
        }
        return true;
    }
    if (action == kOpenRow) {
        openRow(table_ ? table_->clickedRow() : -1);
        return true;
    }
    return Panel::tryToPerform(action, sender);
}

void SavePanel::end(int result) {
    if (!running_) {
        return;
    }
    chosen_ = result == FileHandlingPanelOKButton ? fieldPath().lexically_normal() : fs::path();
    running_ = false;
    if (asSheet_) {
        WindowServer::shared().endSheet(*this, result);
    } else {
        WindowServer::shared().stopModalWithCode(result);
    }
}

void SavePanel::beginSheetModalForWindow(Window& window, CompletionHandler handler) {
    reloadEntries();
    asSheet_ = true;
    running_ = true;
    chosen_.clear();
    // The owner keeps the panel while it is shown; a panel that went away with its parent
    // hears nothing more.
    std::weak_ptr<Window> weak = sharedWindow();
    WindowServer::shared().beginSheet(
        *this, window, [this, weak, handler = std::move(handler)](int code) {
            if (weak.expired()) {
                return;
            }
            // Ended from outside (a sheet tracker): that is a cancel.
            const int result = code == FileHandlingPanelOKButton ? FileHandlingPanelOKButton
                                                                 : FileHandlingPanelCancelButton;
            running_ = false;
            if (isVisible()) {
                orderOut(nullptr);
            }
            if (handler) {
                handler(result);
            }
        });
}

int SavePanel::runModal() {
    reloadEntries();
    asSheet_ = false;
    running_ = true;
    chosen_.clear();
    auto keep = sharedWindow();
    center();
    const int code = WindowServer::shared().runModalForWindow(*this);
    running_ = false;
    orderOut(nullptr);
    return code == FileHandlingPanelOKButton ? FileHandlingPanelOKButton
                                             : FileHandlingPanelCancelButton;
}

std::shared_ptr<OpenPanel> OpenPanel::openPanel() {
    return make<OpenPanel>(Rect{0, 0, kWidth, kHeight}, TitledWindowMask);
}

void OpenPanel::setCanChooseFiles(bool flag) {
    canChooseFiles_ = flag;
    reloadEntries();
}

void OpenPanel::setCanChooseDirectories(bool flag) {
    canChooseDirectories_ = flag;
    reloadEntries();
}

bool OpenPanel::listsFile(const fs::path& file) const {
    return canChooseFiles_ && hasAllowedType(file);
}

bool OpenPanel::isValidChoice(const fs::path& path) const {
    if (isFolder(path)) {
        return canChooseDirectories_;
    }
    return canChooseFiles_ && isFile(path) && hasAllowedType(path);
}

} // namespace platform
