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
// Posted after contacts were blocked or unblocked, with the contact operations object as the
// notification's object.
extern const std::string_view PrivacyChangedNotification;

// User-info keys.
extern const std::string_view EntryPercent;
extern const std::string_view ApplicationReady;
extern const std::string_view MissedCallsCount;
extern const std::string_view VoiceMailCount;
extern const std::string_view NewContact;
extern const std::string_view ContextMenu;
extern const std::string_view SpeakerPhoneEnabled;
// ContextGroupChat: the addresses to invite (array of texts), their display names (array of
// texts, one a participant) and the account (an object) the chat is started from.
extern const std::string_view GroupChatAddresses;
extern const std::string_view GroupChatDisplayName;
extern const std::string_view GroupChatAccount;
// A queued prompt about a finished call recording: its folder, file name and extension.
extern const std::string_view CallRecordingFilepath;
extern const std::string_view CallRecordingFilename;
extern const std::string_view CallRecordingFileext;

// Pasteboard types of what is dragged between the lists, chat windows and call targets; the
// drag carries only the type, the objects are the source's data source's draggedItems.
extern const std::string_view QXDragDropContactType;
extern const std::string_view QXDragDropCallHistoryItemType;
extern const std::string_view QXDragDropDirectoryItemType;
