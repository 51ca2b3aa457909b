#pragma once

#include "engine/DelegateList.h"
#include "engine/EngineBackend.h"
#include "engine/OVObject.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ArchiveItem;
class EngineContext;
class IMSession;
class OVBroadcastMessenger;

// One party of a messaging session.
class ChatParticipant : public OVObject {
public:
    ChatParticipant(std::string address, std::string displayName, bool self)
        : address_(std::move(address)), displayName_(std::move(displayName)), self_(self) {}
    const std::string& address() const { return address_; }
    const std::string& displayName() const { return displayName_; }
    bool isSelf() const { return self_; }

private:
    std::string address_;
    std::string displayName_;
    bool self_;
};

// A message of a session's transcript: its plain text and, when it came or went as rich text,
// its HTML.
struct IMMessage {
    bool incoming = false;
    std::string text;
    platform::Date timeStamp;
    bool delivered = true;
    std::string html;
};

// The typing state the user shows the other party of a session.
class ChatState : public OVObject {
public:
    enum class State { active, composing, paused };
    void composing() { set(State::composing); }
    void paused() { set(State::paused); }
    void active() { set(State::active); }
    State state() const { return state_; }
    // Every state told, in order (a repeated state is told once).
    const std::vector<State>& told() const { return told_; }

private:
    void set(State state);
    State state_ = State::active;
    std::vector<State> told_;
};

// The party's account a session runs on, as far as a chat needs it.
struct IMAccount {
    std::string userName;
    std::string domain;
};

// Callbacks of a session (its delegate is the chat window's controller).
class IMSessionPro {
public:
    virtual ~IMSessionPro() = default;
    virtual void imMessageReceivedPlain(const std::string& /*plainText*/,
                                        const std::string& /*richText*/,
                                        platform::Date /*timeStamp*/, bool /*firstOne*/,
                                        const std::shared_ptr<ChatParticipant>& /*participant*/) {}
    virtual void imSendMessageFailure(const std::string& /*text*/) {}
    virtual void imSessionEnded(const std::shared_ptr<IMSession>& /*session*/) {}
    // The other party's typing state: 1 typing, 3 and 4 idle, anything else nothing to show.
    virtual void remoteChatStateUpdate(int /*state*/) {}
    // The other party reads plain text only.
    virtual void imRemoteNotSupportHTML() {}
    // The archived transcript of the last chat with the party, announced when a session opens.
    virtual void archiveItemAdded(const std::shared_ptr<ArchiveItem>& /*item*/) {}
    // Group chats: someone came into the room or left it.
    virtual void chatParticipantAdded(const std::shared_ptr<ChatParticipant>& /*participant*/) {}
    virtual void chatParticipantRemoved(const std::shared_ptr<ChatParticipant>& /*participant*/) {}
    // The room's state (IMSession::GroupChatStatus), with what it is about and why.
    virtual void chatStatusUpdate(int /*code*/, const std::string& /*info*/,
                                  const std::string& /*reason*/) {}
    // The presence of a participant (the other party of a one-to-one chat) changed.
    virtual void
    chatParticipantPresenceUpdate(const std::shared_ptr<ChatParticipant>& /*participant*/) {}
};

// A messaging session with one party (or a group chat).
class IMSession : public OVObject,
                  public DelegatingService<IMSessionPro>,
                  public std::enable_shared_from_this<IMSession> {
public:
    IMSession(std::shared_ptr<EngineContext> context, std::string sessionId, std::string address,
              std::string displayName, bool viaXMPP, bool viaSms, bool groupChat);

    const std::string& sessionId() const { return sessionId_; }
    const std::string& remoteAddress() const { return address_; }
    const std::string& remoteDisplayName() const { return displayName_; }
    bool isGroupChat() const { return groupChat_; }
    // The room's identifier for a group chat, "" otherwise.
    std::string groupChatId() const { return groupChat_ ? address_ : std::string(); }
    bool isXMPP() const { return viaXMPP_; }
    bool isSms() const { return viaSms_; }
    // Whether the user hosts this (group) session.
    bool host() const { return host_; }
    void setHost(bool host) { host_ = host; }
    bool isActive() const { return active_; }
    const std::vector<std::shared_ptr<ChatParticipant>>& chatParticipants() const {
        return participants_;
    }
    const std::vector<IMMessage>& messages() const { return messages_; }

    // What a group chat's room reports of itself (chatStatusUpdate's code).
    enum GroupChatStatus {
        statusReady = 0,
        statusAlreadyInvited = 1,
        statusInviteSent = 2,
        statusInviteDeclined = 3,
        statusPasswordRequired = 4,
        statusBanned = 5,
        statusRoomNotFound = 6,
        statusCreationRestricted = 7,
        statusReservedNicknameRequired = 8,
        statusNotMember = 9,
        statusNameConflict = 10,
        statusMaxUsersReached = 11,
        statusSubjectChanged = 12,
        statusNone = 13,
        statusError = 14,
        statusClosed = 15,
    };
    // A room kept by the server when everyone has left; its members are not the user's to
    // remove.
    bool isPersistent() const { return persistent_; }
    void setPersistent(bool flag) { persistent_ = flag; }
    // Invites the address into the group chat: answered by chatStatusUpdate with
    // statusInviteSent, or statusAlreadyInvited when the address is in the room already.
    void addChatParticipant(const std::string& address, const std::string& inviteMessage,
                            const std::string& displayName);
    // The addresses invited so far, in order.
    const std::vector<std::string>& invitedAddresses() const { return invited_; }
    // Tries the room again with a nickname and password (after a refused join).
    void joinConference(const std::string& nickname, const std::string& password);
    // Removes a participant from a group chat the user hosts (answered by
    // chatParticipantRemoved).
    void removeChatParticipant(const std::shared_ptr<ChatParticipant>& participant);
    // The first registered delegate: the chat window showing the session, or nullptr.
    IMSessionPro* delegate() const;

    bool isEnded() const { return !active_; }
    bool viaXmpp() const { return viaXMPP_; }
    // The typing state told to the other party; none for text messages and group chats.
    const std::shared_ptr<ChatState>& chatState() const { return chatState_; }
    // The user's own name as the transcript shows it.
    std::string localDisplayName() const;
    IMAccount account() const;
    // Characters still allowed in a text message holding `text` (the maximum for ""); -1 when
    // the session has no limit.
    int textLeft(std::string_view text) const;
    static constexpr int maxTextMessageLength = 160;

    bool canSendMessage() const;
    // Sends the text with its HTML (the HTML is what a rich-text peer shows); an undeliverable
    // message comes back as imSendMessageFailure.
    void sendMessage(const std::string& text, const std::string& html);
    // Ends the session; the IM service reports imSessionRemoved.
    void end();
    // Keeps the transcript's HTML in the message archive.
    void save(const std::string& html);

    // Engine side. `html` empty: the message came as plain text.
    void receiveMessage(const std::string& text, const std::string& html = {});
    void remoteTypingStateChanged(int state);
    void remoteDoesNotSupportHTML();
    // Announces the last archived transcript with the party to the session's delegates.
    void announceArchive();
    // Group chats: the room's news.
    void participantJoined(const std::string& address, const std::string& displayName);
    void participantLeft(const std::string& address);
    void roomMessage(const std::string& address, const std::string& text);
    void roomStatus(int code, const std::string& info, const std::string& reason);
    // The presence of the participant with the address changed.
    void participantPresenceChanged(const std::string& address);
    // The participant other than the user with the address, or nullptr.
    std::shared_ptr<ChatParticipant> participantWithAddress(std::string_view address) const;
    void terminate();

private:
    std::shared_ptr<EngineContext> context_;
    std::string sessionId_;
    std::string address_;
    std::string displayName_;
    bool viaXMPP_;
    bool viaSms_;
    bool groupChat_;
    bool host_ = false;
    bool active_ = true;
    std::shared_ptr<ChatState> chatState_;
    std::vector<std::shared_ptr<ChatParticipant>> participants_;
    std::vector<IMMessage> messages_;
    bool persistent_ = false;
    std::vector<std::string> invited_;
};

// An invitation into a group chat room.
class ChatInvitation : public OVObject {
public:
    ChatInvitation(std::shared_ptr<EngineContext> context, std::string roomAddress,
                   std::string remoteAddress, std::string remoteDisplayName,
                   std::string invitationMsg)
        : context_(std::move(context)), roomAddress_(std::move(roomAddress)),
          remoteAddress_(std::move(remoteAddress)),
          remoteDisplayName_(std::move(remoteDisplayName)),
          invitationMsg_(std::move(invitationMsg)) {}

    const std::string& roomAddress() const { return roomAddress_; }
    const std::string& remoteAddress() const { return remoteAddress_; }
    const std::string& remoteDisplayName() const { return remoteDisplayName_; }
    const std::string& invitationMsg() const { return invitationMsg_; }

    // Accepting joins the room: the IM service reports a new group session.
    void accept();
    void decline(const std::string& reason);
    bool isAnswered() const { return answered_; }
    const std::string& declineReason() const { return declineReason_; }

private:
    std::shared_ptr<EngineContext> context_;
    std::string roomAddress_;
    std::string remoteAddress_;
    std::string remoteDisplayName_;
    std::string invitationMsg_;
    bool answered_ = false;
    std::string declineReason_;
};

// Callbacks of the IM service.
class OVIMServicePro {
public:
    virtual ~OVIMServicePro() = default;
    virtual void imSessionAdded(const std::shared_ptr<IMSession>& /*session*/) {}
    virtual void imSessionRemoved(const std::shared_ptr<IMSession>& /*session*/) {}
    virtual void existingIMSession(const std::shared_ptr<IMSession>& /*session*/) {}
    virtual void newChatInvitation(const std::shared_ptr<ChatInvitation>& /*invitation*/) {}
};

class OVIMService : public platform::Object, public DelegatingService<OVIMServicePro> {
public:
    explicit OVIMService(std::shared_ptr<EngineContext> context = nullptr);

    // Whether a new session may be opened now: the session has an enabled messaging account.
    bool newIMAllowed() const;
    bool canNewIMSession(const std::string& address, bool viaXMPP, bool viaSms) const;
    // Opens a session with the address, answered by imSessionAdded; an open one with the same
    // address and kind is answered by existingIMSession instead. nullptr when not allowed.
    std::shared_ptr<IMSession> newIMSession(const std::string& address, bool viaXMPP, bool viaSms);
    const std::vector<std::shared_ptr<IMSession>>& sessions() const { return sessions_; }
    // A messenger that sends one message to many, as text messages or chat messages.
    std::shared_ptr<OVBroadcastMessenger> broadcastMessenger(bool sms);
    // A new chat room on the messaging account's server, announced by imSessionAdded, with
    // everyone of `addresses` invited with the text. nullptr when chats are not allowed or
    // nobody is to be invited.
    std::shared_ptr<IMSession> newGroupChatSession(const std::vector<std::string>& addresses,
                                                   const std::string& inviteMessage);

    // Engine side.
    std::shared_ptr<IMSession> findSession(const std::string& address, bool groupChat) const;
    // A message from the network: into its open session, or a new one (imSessionAdded); a
    // toast announces it.
    std::shared_ptr<IMSession> receiveMessage(const std::string& address,
                                              const std::string& displayName,
                                              const std::string& text, bool viaSms,
                                              const std::string& html = {});
    std::shared_ptr<IMSession> openGroupSession(const std::string& roomAddress);
    void receiveInvitation(std::shared_ptr<ChatInvitation> invitation);
    // News of a room: to the open group chat with it (none: nothing happens).
    void groupChatEvent(const GroupChatEvent& event);
    void sessionEnded(const std::shared_ptr<IMSession>& session);
    void endAll();
    // The presence of the address changed: its sessions tell their participant's update.
    void participantPresenceChanged(const std::string& address);

private:
    std::shared_ptr<IMSession> addSession(const std::string& address,
                                          const std::string& displayName, bool viaXMPP, bool viaSms,
                                          bool groupChat);
    std::shared_ptr<EngineContext> context_;
    std::vector<std::shared_ptr<IMSession>> sessions_;
    int nextSession_ = 1;
};
