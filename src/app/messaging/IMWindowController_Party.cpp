// The chat window: the other party (their contact and presence), the transcript's own links
// and menu.
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/MenuItem.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

#include <algorithm>

void IMWindowController::findContact() {
    _contact.reset();
    auto p = StartupService::instance().phoneService();
    auto contacts = p ? p->getContactManager() : nullptr;
    if (!contacts || _groupChat || _remoteAddress.empty()) {
        return;
    }
    const auto found = contacts->lookup("", _remoteAddress, "");
    if (!found.empty()) {
        _contact = found.front();
    }
}

bool IMWindowController::isRemotePartyOffline() const {
    const auto presence = _contact ? _contact->defaultPresence() : nullptr;
    return presence && presence->status() == OVPresenceData::statusOffline;
}

void IMWindowController::updateStatusBlock() {
    if (_groupChat) {
        return;
    }
    const bool offline = isRemotePartyOffline();
    _transcript->setPartyOffline(offline);
    if (offline) {
        _transcript->showStatus("statusmessage_offline",
                                platform::formatString(QXLS("msg.imchat.messagestatus.offline",
                                                            "%@ appears to be offline %@"),
                                                       _remoteDisplayName,
                                                       _transcript->formattedTime(currentDate())));
    } else {
        _transcript->hideStatus();
    }
}

void IMWindowController::viewArchive() {
    auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
    archive.showWindow(nullptr);
    archive.showChatsForAddress(_remoteAddress);
}

std::vector<std::shared_ptr<platform::MenuItem>>
IMWindowController::webViewContextMenuItemsForElement(
    platform::WebView&, const platform::WebElementInfo&,
    std::vector<std::shared_ptr<platform::MenuItem>> items) {
    // Nothing that opens, downloads or navigates: the transcript is not a browser.
    static constexpr long removed[] = {platform::WebMenuItemTagOpenLinkInNewWindow,
                                       platform::WebMenuItemTagDownloadLinkToDisk,
                                       platform::WebMenuItemTagOpenImageInNewWindow,
                                       platform::WebMenuItemTagDownloadImageToDisk,
                                       platform::WebMenuItemTagOpenFrameInNewWindow,
                                       platform::WebMenuItemTagGoBack,
                                       platform::WebMenuItemTagGoForward,
                                       platform::WebMenuItemTagStop,
                                       platform::WebMenuItemTagReload};
    std::erase_if(items, [](const std::shared_ptr<platform::MenuItem>& item) {
        return std::find(std::begin(removed), std::end(removed), item->tag()) != std::end(removed);
    });
    return items;
}
