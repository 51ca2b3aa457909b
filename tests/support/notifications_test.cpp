#include "platform/foundation/NotificationCenter.h"
#include "support/Notifications.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Notifications, ConstantsHoldTheirTexts) {
    // Three constants hold a text other than their own name; the rest must match theirs.
    const struct {
        std::string_view constant;
        const char* text;
    } cases[] = {
        {ApplicationNotification, "ApplicationNotification"},
        {ApplicationShutdownNotification, "ApplicationIsShuttingDown"},
        {UpdateSpeakerOutputLevelNotification, "UpdateSpeakerOutputLevelNotification"},
        {UpdateMicOutputLevelNotification, "UpdateMicOutputLevelNotification"},
        {VoiceMailCountNotification, "VoiceMailCountNotification"},
        {MissedCallsNotification, "MissedCallsNotification"},
        {ContactListRefreshNotification, "ContactListRefreshNotification"},
        {ContactChangedNotification, "ContactChangedNotification"},
        {ContactPresenceChangedNotification, "ContactPresenceChangedNotification"},
        {ContactAddNewNotification, "ContactAddNewNotification"},
        {ContextMenuUpdateContactList, "ContextMenuUpdateContactList"},
        {ContextMenuUpdateHistoryList, "ContextMenuUpdateHistoryList"},
        {ContextMenuUpdateFavoriteList, "ContextMenuUpdateFavoriteList"},
        {ContextMenuUpdateDirectoryList, "ContextMenuUpdateDirectoryList"},
        {MenuUpdateContactList, "MenuUpdateContactList"},
        {ContextGroupChat, "ContextGroupChat"},
        {SpeakerPhoneEnabledNotification, "SpeakerPhoneEnabledNotification"},
        {MediaDevicesChangedNotification, "MediaDevicesChangedNotification"},
        {SendDiagnosticLogNotification, "SendDiagnosticLogNotification"},
        {PrivacyChangedNotification, "PrivacyChangedNotification"},
        {EntryPercent, "percent"},
        {ApplicationReady, "ApplicationReady"},
        {MissedCallsCount, "MissedCallsCount"},
        {VoiceMailCount, "VoiceMailCount"},
        {NewContact, "NewContact"},
        {ContextMenu, "ContextMenu"},
        {SpeakerPhoneEnabled, "SpeakerPhoneEnabled"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.constant, c.text);
    }
}

TEST(Notifications, ObserversSeeTheTextsAndKeys) {
    auto& center = platform::NotificationCenter::defaultCenter();
    std::string name;
    int percent = -1;
    const int owner = 0;
    center.addObserver(&owner, "ApplicationIsShuttingDown", nullptr,
                       [&](const platform::Notification& n) { name = n.name; });
    center.addObserver(&owner, UpdateMicOutputLevelNotification, nullptr,
                       [&](const platform::Notification& n) {
                           const auto& value = n.userInfo["percent"];
                           percent = value.isNumber() ? value.intValue() : -2;
                       });

    center.postNotificationName(ApplicationShutdownNotification);
    platform::Value info;
    info.setObject(EntryPercent, 42);
    center.postNotificationName(UpdateMicOutputLevelNotification, nullptr, info);
    center.removeObserver(&owner);

    EXPECT_EQ(name, "ApplicationIsShuttingDown");
    EXPECT_EQ(percent, 42);
}

} // namespace
