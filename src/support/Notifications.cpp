#include "support/Notifications.h"

const std::string_view ApplicationNotification = "ApplicationNotification";
const std::string_view ApplicationShutdownNotification = "ApplicationIsShuttingDown";
const std::string_view UpdateSpeakerOutputLevelNotification =
    "UpdateSpeakerOutputLevelNotification";
const std::string_view UpdateMicOutputLevelNotification = "UpdateMicOutputLevelNotification";
const std::string_view VoiceMailCountNotification = "VoiceMailCountNotification";
const std::string_view MissedCallsNotification = "MissedCallsNotification";
const std::string_view ContactListRefreshNotification = "ContactListRefreshNotification";
const std::string_view ContactChangedNotification = "ContactChangedNotification";
const std::string_view ContactPresenceChangedNotification = "ContactPresenceChangedNotification";
const std::string_view ContactAddNewNotification = "ContactAddNewNotification";
const std::string_view ContextMenuUpdateContactList = "ContextMenuUpdateContactList";
const std::string_view ContextMenuUpdateHistoryList = "ContextMenuUpdateHistoryList";
const std::string_view ContextMenuUpdateFavoriteList = "ContextMenuUpdateFavoriteList";
const std::string_view ContextMenuUpdateDirectoryList = "ContextMenuUpdateDirectoryList";
const std::string_view MenuUpdateContactList = "MenuUpdateContactList";
const std::string_view ContextGroupChat = "ContextGroupChat";
const std::string_view SpeakerPhoneEnabledNotification = "SpeakerPhoneEnabledNotification";
const std::string_view MediaDevicesChangedNotification = "MediaDevicesChangedNotification";
const std::string_view SendDiagnosticLogNotification = "SendDiagnosticLogNotification";
const std::string_view PrivacyChangedNotification = "PrivacyChangedNotification";

const std::string_view EntryPercent = "percent";
const std::string_view ApplicationReady = "ApplicationReady";
const std::string_view MissedCallsCount = "MissedCallsCount";
const std::string_view VoiceMailCount = "VoiceMailCount";
const std::string_view NewContact = "NewContact";
const std::string_view ContextMenu = "ContextMenu";
const std::string_view SpeakerPhoneEnabled = "SpeakerPhoneEnabled";
const std::string_view GroupChatAddresses = "GroupChatAddresses";
const std::string_view GroupChatDisplayName = "GroupChatDisplayName";
const std::string_view GroupChatAccount = "OVAccount";
const std::string_view CallRecordingFilepath = "CallRecordingFilepath";
const std::string_view CallRecordingFilename = "CallRecordingFilename";
const std::string_view CallRecordingFileext = "CallRecordingFileext";
const std::string_view QXDragDropContactType = "QXDragDropContactType";
const std::string_view QXDragDropCallHistoryItemType = "QXDragDropCallHistoryItemType";
const std::string_view QXDragDropDirectoryItemType = "QXDragDropDirectoryItemType";
