#pragma once

#include "engine/ArchiveService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"
#include "platform/web/WebView.h"
#include "widgets/QXIMArchiveTableView.h"

#include <memory>
#include <string>
#include <vector>

class OVEntity;
class PhoneService;

namespace platform {
class PopUpButton;
class ScrollView;
class TextField;
class View;
} // namespace platform

// The message archive window: the parties the user has archived conversations with, the
// conversations with the selected party (narrowed by a type menu and a filter text, searched
// by the engine), and the selected conversation in the chat page, the filter's matches
// highlighted. Delete removes a party's whole archive after asking, or the last selected
// conversation at once. One shared window; opening it after a close starts afresh.
class IMArchiveWindowController : public platform::Object,
                                  public OVArchiveServicePro,
                                  public OVArchiveContactPro,
                                  public QXIMArchiveTableViewDelegate,
                                  public platform::TableViewDataSource,
                                  public platform::WindowDelegate,
                                  public platform::WebFrameLoadDelegate,
                                  public platform::WebPolicyDelegate,
                                  public platform::WebUIDelegate,
                                  public platform::ActionTarget {
public:
    // The shown (or miniaturised, then restored) window's controller, else a new one.
    static IMArchiveWindowController& sharedIMArchiveWindowController();
    static bool sharedIMArchiveWindowControllerExists();
    // Closes the window when it exists and lets the shared controller go.
    static void close();

    IMArchiveWindowController();
    ~IMArchiveWindowController() override;
    IMArchiveWindowController(const IMArchiveWindowController&) = delete;
    IMArchiveWindowController& operator=(const IMArchiveWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    void showWindow(platform::Object* sender);

    // Selects the archived party of the contact, now or once the parties are read.
    void showChatsFor(std::shared_ptr<OVEntity> contact);
    // Selects the archived party with exactly this address, now or once the parties are read;
    // nothing without one.
    void showChatsForAddress(const std::string& address);
    // Delete in one of the two lists.
    void deleteSelection(platform::TableView& tableView);
    // The filter field's text changed; the type menu picked a type (its code).
    void filterTextChanged();
    void filterByType(int type);

    // What the window shows, for its owner's checks.
    const std::vector<std::shared_ptr<ArchiveContact>>& contacts() const { return _contacts; }
    const std::vector<std::shared_ptr<ArchiveItem>>& items() const { return _items; }
    QXIMArchiveTableView& contactsTableView() const { return *_contactsTableView; }
    QXIMArchiveTableView& itemsTableView() const { return *_itemsTableView; }
    platform::WebView& chatWebView() const { return *_chatWebView; }
    platform::TextField& filterTextField() const { return *_filterTextField; }
    platform::PopUpButton& filterTypeField() const { return *_filterTypeField; }
    bool filterBoxHidden() const;
    int filterType() const { return _filterType; }
    // The highlighted transcript's HTML (the chat page's container).
    std::string shownTranscript() const;

    // The highlighting of one text (a font element's): the pieces of text between matches of
    // `filter` (ignoring case) as plain spans, each match as a yellow span holding the filter
    // as typed. Markup in the text stays characters.
    static std::string highlightedHTML(std::string_view text, std::string_view filter);

    // Engine.
    void onArchiveContactAdded(const std::shared_ptr<ArchiveContact>& contact) override;
    void onArchiveContactRemoved(const std::shared_ptr<ArchiveContact>& contact) override;
    void onArchiveContactAllUpdated() override;
    void onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& item) override;
    void onArchiveItemRemoved(const std::shared_ptr<ArchiveItem>& item) override;
    void onArchiveItemAllUpdated() override;

    // Tables.
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    void tableViewSelectionDidChange(const platform::Notification& notification) override;
    void tableViewDidClickTableColumn(platform::TableView& tableView,
                                      platform::TableColumn& column) override;
    bool deleteSelection(QXIMArchiveTableView& tableView) override;
    void controlTextDidChange(const platform::Notification& notification) override;

    // Transcript page.
    void webViewDidFinishLoad(platform::WebView& sender, const std::string& url) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNavigationAction(platform::WebView& sender,
                                           const platform::WebNavigationAction& action) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNewWindowAction(platform::WebView& sender,
                                          const platform::WebNavigationAction& action,
                                          const std::string& frameName) override;
    std::vector<std::shared_ptr<platform::MenuItem>> webViewContextMenuItemsForElement(
        platform::WebView& sender, const platform::WebElementInfo& element,
        std::vector<std::shared_ptr<platform::MenuItem>> defaultMenuItems) override;

    void windowWillClose(platform::Window& window) override;
    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;

private:
    void buildWindow();
    void setupFilterMenu();
    void layout();
    std::string trimmedFilterText() const;
    void runFilter();
    void refreshChat(platform::TableView& tableView);
    void showChat(const std::string& content);
    void clearChat();
    void applyHighlightContact();
    void selectContactRow(long row);
    void deleteContactAlertDidEnd(int returnCode, long row,
                                  const std::shared_ptr<ArchiveContact>& contact);
    void releaseDelegates();

    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<ArchiveService> _archiveService;
    std::vector<std::shared_ptr<ArchiveContact>> _contacts;
    std::vector<std::shared_ptr<ArchiveItem>> _items;
    std::shared_ptr<ArchiveContact> _filteredContact;
    std::shared_ptr<OVEntity> _highlightContact;
    std::string _highlightAddress;
    int _filterType = 0;
    bool _pageLoaded = false;

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::View> _filterBox;
    std::shared_ptr<platform::PopUpButton> _filterTypeField;
    std::shared_ptr<platform::TextField> _filterTextField;
    std::shared_ptr<platform::ScrollView> _contactsScrollView;
    std::shared_ptr<platform::ScrollView> _itemsScrollView;
    std::shared_ptr<QXIMArchiveTableView> _contactsTableView;
    std::shared_ptr<QXIMArchiveTableView> _itemsTableView;
    std::shared_ptr<platform::WebView> _chatWebView;
    std::shared_ptr<platform::Window> _deleteSheet;
};
