#pragma once

#include <string_view>

// Names of the application-wide notifications and the keys of their user info. Post and
// observe through these constants, never through a spelled-out text: three of them hold a
// text other than their own name.

extern const std::string_view ApplicationNotification;
extern const std::string_view ApplicationShutdownNotification;
extern const std::string_view UpdateSpeakerOutputLevelNotification;
extern const std::string_view UpdateMicOutputLevelNotification;
extern const std::string_view VoiceMailCountNotification;
extern const std::string_view MissedCallsNotification;
extern const std::string_view ContactListRefreshNotification;
extern const std::string_view ContactChangedNotification;
extern const std::string_view ContactPresenceChangedNotification;
extern const std::string_view ContactAddNewNotification;
extern const std::string_view ContextMenuUpdateContactList;
extern const std::string_view ContextMenuUpdateHistoryList;
extern const std::string_view ContextMenuUpdateFavoriteList;
extern const std::string_view ContextMenuUpdateDirectoryList;
extern const std::string_view MenuUpdateContactList;
extern const std::string_view ContextGroupChat;
extern const std::string_view SpeakerPhoneEnabledNotification;
extern const std::string_view MediaDevicesChangedNotification;
extern const std::string_view SendDiagnosticLogNotification;
extern const std::string_view PrivacyChangedNotification;

// User-info keys.
extern const std::string_view EntryPercent;
extern const std::string_view ApplicationReady;
extern const std::string_view MissedCallsCount;
extern const std::string_view VoiceMailCount;
extern const std::string_view NewContact;
extern const std::string_view ContextMenu;
extern const std::string_view SpeakerPhoneEnabled;
