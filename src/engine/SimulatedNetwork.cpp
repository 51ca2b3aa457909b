#include "engine/SimulatedNetwork.h"

#include "engine/OVAutoCompleteItem.h"
#include "engine/TestPatternSource.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The host of a server text: after "//" when there is one, up to the next "/" and without
// a port.
std::string hostOf(std::string_view server) {
    if (auto slashes = server.find("//"); slashes != std::string_view::npos) {
        server.remove_prefix(slashes + 2);
    }
    server = server.substr(0, server.find('/'));
    server = server.substr(0, server.find(':'));
    return std::string(server);
}

// Addresses name one party with or without their scheme, in any case.
std::string answerKey(std::string_view address) {
    std::string key = OVSpaceItem::addressWithoutScheme(address);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

bool listContains(const platform::Value& list, std::string_view text) {
    if (const auto* array = list.array()) {
        return std::any_of(array->begin(), array->end(), [&](const platform::Value& v) {
            return sameIgnoringCase(v.stringValue(), text);
        });
    }
    return false;
}

const std::map<std::string_view, platform::TimeInterval>& defaultLatencies() {
    static const std::map<std::string_view, platform::TimeInterval> latencies{
        {"login", 0.5},          {"logout", 0.3},          {"accountEnable", 0.4},
        {"accountDisable", 0.1}, {"publish", 0.1},         {"callRing", 0.3},
        {"callAnswer", 1.0},     {"callEnd", 0.1},         {"message", 0.2},
        {"updateCheck", 1.0},    {"updateDownload", 2.0},  {"hostedService", 0.5},
        {"webToken", 0.2},       {"migrateContacts", 0.5}, {"deskphone", 0.5},
        {"fileTransfer", 1.0},   {"messageTyping", 0.6},   {"messageReply", 2.0},
        {"presenceDrift", 0.0},  {"roomReady", 0.3},       {"roomActivity", 1.5},
        {"workgroup", 0.3},
    };
    return latencies;
}

std::optional<OVAccountFailureCause> failureCauseNamed(std::string_view name) {
    static const std::map<std::string_view, OVAccountFailureCause> causes{
        {"none", OVAccountFailureCause::failureNone},
        {"invalidSettings", OVAccountFailureCause::failureInvalidSettings},
        {"serverNotFound", OVAccountFailureCause::failureServerNotFound},
        {"serverNotAvailable", OVAccountFailureCause::failureServerNotAvailable},
        {"connectionError", OVAccountFailureCause::failureConnectionError},
        {"authNotSupported", OVAccountFailureCause::failureAuthNotSupported},
        {"tlsCert", OVAccountFailureCause::failureTLSCert},
        {"credentials", OVAccountFailureCause::failureCredentials},
        {"resourceConflict", OVAccountFailureCause::failureResourceConflict},
        {"unknownError", OVAccountFailureCause::failureUnknownError},
    };
    auto it = causes.find(name);
    return it == causes.end() ? std::nullopt : std::optional(it->second);
}

AccountConfig accountFrom(const platform::Value& v) {
    AccountConfig config;
    config.accountID = v["accountID"].intValue();
    config.accountName = v["accountName"].stringValue();
    config.protocol = sameIgnoringCase(v["protocol"].stringValue(), "XMPP")
                          ? OVAccountProtocol::XMPPprotocol
                          : OVAccountProtocol::SIPprotocol;
    config.userName = v["userName"].stringValue();
    config.domain = v["domain"].stringValue();
    config.toEnable = v["toEnable"].isNull() || v["toEnable"].boolValue();
    config.viewable = v["viewable"].isNull() || v["viewable"].boolValue();
    config.voicemailUri = v["voicemailUri"].stringValue();
    config.voicemailEnabled = v["voicemailEnabled"].isNull() || v["voicemailEnabled"].boolValue();
    return config;
}

std::vector<AccountConfig> accountsFrom(const platform::Value& list) {
    std::vector<AccountConfig> accounts;
    if (const auto* array = list.array()) {
        for (const auto& v : *array) {
            accounts.push_back(accountFrom(v));
        }
    }
    return accounts;
}

UpdateInfo updateFrom(const platform::Value& v) {
    UpdateInfo info;
    info.available = v["available"].boolValue();
    info.mandatory = v["mandatory"].boolValue();
    info.newAppVersion = v["newAppVersion"].stringValue();
    info.releaseNotesUrl = v["releaseNotesUrl"].stringValue();
    if (const auto* notes = v["releaseNotes"].array()) {
        for (const auto& note : *notes) {
            info.releaseNotes.push_back(note.stringValue());
        }
    }
    return info;
}

} // namespace

std::filesystem::path SimulatedNetwork::defaultDemoFile() {
    return platform::Bundle::mainBundle().resourcePath() / "engine" / "demo.plist";
}

std::shared_ptr<SimulatedNetwork> SimulatedNetwork::fromFile(const std::filesystem::path& file) {
    auto demo = platform::Value::readPropertyListFile(file);
    if (!demo || !demo->isDictionary()) {
        return nullptr;
    }
    return std::make_shared<SimulatedNetwork>(std::move(*demo));
}

std::shared_ptr<SimulatedNetwork> SimulatedNetwork::fromMainBundle() {
    const auto file = defaultDemoFile();
    if (auto network = fromFile(file)) {
        return network;
    }
    platform::Logf("Engine: the demo network cannot be read from %@; nobody can sign in",
                   file.string());
    return std::make_shared<SimulatedNetwork>();
}

SimulatedNetwork::SimulatedNetwork(platform::Value demo)
    : demo_(std::move(demo)), update_(updateFrom(demo_["update"])) {}

platform::TimeInterval SimulatedNetwork::latency(std::string_view step) const {
    const auto& configured = demo_["latency"][step];
    if (configured.isNumber()) {
        return std::max(0.0, configured.doubleValue());
    }
    const auto& defaults = defaultLatencies();
    auto it = defaults.find(step);
    return it == defaults.end() ? 0.1 : it->second;
}

platform::Value SimulatedNetwork::configuration(std::string_view key) const {
    return demo_["configuration"][key];
}

void SimulatedNetwork::later(std::string_view step, std::function<void()> work) const {
    // A network dropped with its engine answers nothing more.
    std::weak_ptr<bool> alive = alive_;
    platform::RunLoop::main().performAfterDelay(latency(step),
                                                [alive, work = std::move(work)] {
                                                    if (alive.lock()) {
                                                        work();
                                                    }
                                                },
                                                {platform::DefaultRunLoopMode,
                                                 platform::ModalPanelRunLoopMode,
                                                 platform::EventTrackingRunLoopMode});
}

std::vector<LoginProfileItem> SimulatedNetwork::loginProfiles() const {
    std::vector<LoginProfileItem> profiles;
    const auto* list = demo_["loginProfiles"].array();
    if (!list) {
        return profiles;
    }
    for (const auto& v : *list) {
        const auto type = LoginProfileItem::typeFromName(v["type"].stringValue());
        if (!type) {
            platform::Logf("Engine: login profile %@ has an unknown type %@; left out",
                           v["name"].stringValue(), v["type"].stringValue());
            continue;
        }
        LoginProfileItem profile(v["profileID"].intValue(), v["name"].stringValue(), *type);
        profile.setData(v["data"].stringValue());
        profile.setToken(v["token"].stringValue());
        if (v["autoLoginTimeout"].isNumber()) {
            profile.setAutoLoginTimeout(v["autoLoginTimeout"].intValue());
        }
        if (v["allowRemember"].isNumber()) {
            profile.setAllowRemember(v["allowRemember"].boolValue());
        }
        auto flag = [&](std::string_view key, bool fallback) {
            return v[key].isNumber() ? v[key].boolValue() : fallback;
        };
        profile.setAsks(flag("askUsername", profile.askUsername()),
                        flag("askDisplayName", profile.askDisplayName()),
                        flag("askAuthName", profile.askAuthName()),
                        flag("askPassword", profile.askPassword()));
        profile.setRequires(flag("requiresUsername", profile.requiresUsername()),
                            flag("requiresDisplayName", profile.requiresDisplayName()),
                            flag("requiresAuthName", profile.requiresAuthName()),
                            flag("requiresPassword", profile.requiresPassword()));
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

const platform::Value* SimulatedNetwork::userNamed(std::string_view name) const {
    if (const auto* users = demo_["users"].array()) {
        for (const auto& user : *users) {
            if (!name.empty() && sameIgnoringCase(user["username"].stringValue(), name)) {
                return &user;
            }
        }
    }
    return nullptr;
}

LoginAnswer SimulatedNetwork::judge(const LoginRequest& request) const {
    LoginAnswer answer;
    if (request.profileType == LoginProfileItem::Type::NO_LOGIN) {
        answer.outcome = LoginAnswer::Outcome::succeeded;
        return answer;
    }
    const bool serverGiven = request.profileType == LoginProfileItem::Type::MANUAL ||
                             request.profileType == LoginProfileItem::Type::SEMI_MANUAL ||
                             request.profileType == LoginProfileItem::Type::USER_MANUAL ||
                             request.profileType == LoginProfileItem::Type::LOCAL;
    const auto& servers = demo_["reachableServers"];
    if (serverGiven && servers.isArray() && !listContains(servers, hostOf(request.server))) {
        answer.reason = OVLoginFailureReason::loginFailureServerUnreachable;
        return answer;
    }
    const auto* user = userNamed(request.username);
    if (!user || (*user)["password"].stringValue() != request.password) {
        answer.reason = OVLoginFailureReason::loginFailureServerRejected;
        return answer;
    }
    answer.outcome = LoginAnswer::Outcome::succeeded;
    answer.userName = (*user)["username"].stringValue();
    return answer;
}

void SimulatedNetwork::authenticate(const LoginRequest& request,
                                    std::function<void(const LoginAnswer&)> done) {
    requests_.push_back("authenticate " + request.username);
    LoginAnswer answer = judge(request);
    if (nextLogin_) {
        answer = *nextLogin_;
        nextLogin_.reset();
    }
    const unsigned attempt = ++authentication_;
    later("login", [this, attempt, answer, done = std::move(done)] {
        if (attempt == authentication_) {
            done(answer);
        }
    });
}

void SimulatedNetwork::cancelAuthentication() {
    requests_.push_back("cancelAuthentication");
    ++authentication_;
}

void SimulatedNetwork::signOut(std::function<void()> done) {
    requests_.push_back("signOut");
    later("logout", std::move(done));
}

std::vector<AccountConfig> SimulatedNetwork::accountsFor(const std::string& loginName) const {
    if (const auto* user = userNamed(loginName)) {
        return accountsFrom((*user)["accounts"]);
    }
    return accountsFrom(demo_["noLoginAccounts"]);
}

std::vector<ContactConfig> SimulatedNetwork::contactsFor(const std::string& loginName) const {
    const auto* user = userNamed(loginName);
    const auto& list =
        user && (*user)["contacts"].isArray() ? (*user)["contacts"] : demo_["contacts"];
    std::vector<ContactConfig> contacts;
    const auto* array = list.array();
    if (!array) {
        return contacts;
    }
    for (const auto& v : *array) {
        ContactConfig contact;
        contact.displayName = v["displayName"].stringValue();
        if (const auto* groups = v["groups"].array()) {
            for (const auto& group : *groups) {
                contact.groups.push_back(group.stringValue());
            }
        }
        if (const auto* fields = v["fields"].dictionary()) {
            for (const auto& [name, value] : *fields) {
                contact.fields[name] = value.stringValue();
            }
        }
        if (v["presence"].isNumber()) {
            contact.presenceStatus = static_cast<OVPresenceStatus>(v["presence"].intValue());
        }
        contact.presenceMessage = v["presenceMessage"].stringValue();
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

void SimulatedNetwork::registerAccount(const AccountConfig& account,
                                       std::function<void(const AccountAnswer&)> done) {
    requests_.push_back("register " + std::to_string(account.accountID));
    AccountAnswer answer{true, OVAccountFailureCause::failureNone, 0};
    auto forced = std::find_if(nextRegistrationFailures_.begin(), nextRegistrationFailures_.end(),
                               [&](const auto& f) { return f.first == account.accountID; });
    if (forced != nextRegistrationFailures_.end()) {
        answer = forced->second;
        nextRegistrationFailures_.erase(forced);
    } else if (const auto* users = demo_["users"].array()) {
        // An account the demo describes as failing always fails the same way.
        for (const auto& user : *users) {
            if (const auto* accounts = user["accounts"].array()) {
                for (const auto& v : *accounts) {
                    const auto& failure = v["failure"];
                    if (v["accountID"].intValue() == account.accountID && failure.isDictionary()) {
                        answer.enabled = false;
                        answer.failureCause = failureCauseNamed(failure["cause"].stringValue())
                                                  .value_or(OVAccountFailureCause::failureNone);
                        answer.sipFailureCode = failure["sipFailureCode"].intValue();
                    }
                }
            }
        }
    }
    later("accountEnable", [answer, done = std::move(done)] { done(answer); });
}

void SimulatedNetwork::unregisterAccount(int accountID, std::function<void()> done) {
    requests_.push_back("unregister " + std::to_string(accountID));
    later("accountDisable", std::move(done));
}

void SimulatedNetwork::publishPresence(OVPresenceStatus status, const std::string& message,
                                       std::function<void()> done) {
    requests_.push_back("publish " + std::to_string(static_cast<int>(status)) + " " + message);
    later("publish", std::move(done));
}

void SimulatedNetwork::placeCall(const std::string& callIdentifier, const std::string& address,
                                 bool video, std::function<void(RemoteCallEvent)> progress) {
    requests_.push_back(std::string(video ? "videoCall " : "call ") + callIdentifier + " " +
                        address);
    const auto answer = remoteAnswerFor(address);
    later("callRing", [this, callIdentifier, answer, progress] {
        if (hungUp_.count(callIdentifier)) {
            return;
        }
        switch (answer) {
        case RemoteAnswer::busy:
            progress(RemoteCallEvent::busy);
            return;
        case RemoteAnswer::unreachable:
            progress(RemoteCallEvent::unreachable);
            return;
        default:
            progress(RemoteCallEvent::ringing);
            break;
        }
        if (answer == RemoteAnswer::noAnswer) {
            return;
        }
        later("callAnswer", [this, callIdentifier, progress] {
            if (hungUp_.count(callIdentifier)) {
                return;
            }
            progress(RemoteCallEvent::answered);
            // People hang up after a while; a network without that delay leaves it to them.
            if (latency("callHangUp") <= 0) {
                return;
            }
            later("callHangUp", [this, callIdentifier, progress] {
                if (!hungUp_.count(callIdentifier)) {
                    progress(RemoteCallEvent::ended);
                }
            });
        });
    });
}

RemoteAnswer SimulatedNetwork::remoteAnswerFor(const std::string& address) const {
    if (auto planned = remoteAnswers_.find(answerKey(address)); planned != remoteAnswers_.end()) {
        return planned->second;
    }
    if (listContains(demo_["busyAddresses"], address)) {
        return RemoteAnswer::busy;
    }
    if (listContains(demo_["unansweredAddresses"], address)) {
        return RemoteAnswer::noAnswer;
    }
    return RemoteAnswer::answers;
}

void SimulatedNetwork::setRemoteAnswer(std::string_view address, RemoteAnswer answer) {
    remoteAnswers_[answerKey(address)] = answer;
}

void SimulatedNetwork::requestVideo(const std::string& callIdentifier,
                                    std::function<void(bool accepted)> answer) {
    requests_.push_back("videoRequest " + callIdentifier);
    const bool accepted = videoRequestsAccepted_;
    later("videoRequest", [this, callIdentifier, accepted, answer = std::move(answer)] {
        if (!hungUp_.count(callIdentifier)) {
            answer(accepted);
        }
    });
}

std::unique_ptr<VideoFrameSource> SimulatedNetwork::remoteVideo(const std::string& callIdentifier) {
    requests_.push_back("remoteVideo " + callIdentifier);
    return std::make_unique<TestPatternSource>(640, 480, 30, TestPatternSource::Style::remote);
}

void SimulatedNetwork::hangUp(const std::string& callIdentifier) {
    requests_.push_back("hangUp " + callIdentifier);
    hungUp_.insert(callIdentifier);
}

void SimulatedNetwork::sendMessage(const std::string& address, const std::string& text,
                                   std::function<void(bool delivered)> done) {
    requests_.push_back("message " + address + " " + text);
    later("message", [delivered = messagesDelivered_, done = std::move(done)] { done(delivered); });
}

void SimulatedNetwork::setMessageReplies(std::vector<std::string> replies) {
    platform::Value::Array texts;
    for (auto& reply : replies) {
        texts.emplace_back(std::move(reply));
    }
    demo_.setObject("messageReplies", platform::Value(std::move(texts)));
    nextReply_ = 0;
}

void SimulatedNetwork::awaitReply(const std::string& address,
                                  std::function<void(int typingState)> typing,
                                  std::function<void(const std::string& reply)> reply) {
    const auto* texts = demo_["messageReplies"].array();
    if (!texts || texts->empty()) {
        return;
    }
    const std::string text = (*texts)[nextReply_++ % texts->size()].stringValue();
    requests_.push_back("awaitReply " + address);
    later("messageTyping", [typing = std::move(typing)] { typing(1); });
    later("messageReply", [text, reply = std::move(reply)] { reply(text); });
}

namespace {

std::string statusWord(OVPresenceStatus status) {
    switch (status) {
    case OVPresenceStatus::statusAvailable:
        return "Available";
    case OVPresenceStatus::statusBusy:
        return "Busy";
    case OVPresenceStatus::statusAway:
        return "Away";
    case OVPresenceStatus::statusIdle:
        return "Idle";
    case OVPresenceStatus::statusOnThePhone:
        return "On the phone";
    case OVPresenceStatus::statusNotAvailableForCalls:
        return "Not available for calls";
    case OVPresenceStatus::statusDoNotDisturb:
        return "Do not disturb";
    default:
        return "";
    }
}

} // namespace

void SimulatedNetwork::watchPresence(const std::string& loginName, PresenceReport report) {
    stopWatchingPresence();
    const auto* user = userNamed(loginName);
    const auto& list =
        user && (*user)["contacts"].isArray() ? (*user)["contacts"] : demo_["contacts"];
    if (const auto* array = list.array()) {
        for (const auto& v : *array) {
            const auto* cycle = v["presenceCycle"].array();
            const auto& fields = v["fields"];
            std::string address = fields["softphone"].stringValue();
            if (address.empty()) {
                address = fields["jid"].stringValue();
            }
            if (!cycle || cycle->size() < 2 || address.empty()) {
                continue;
            }
            DriftingContact contact{address, v["presenceMessage"].stringValue(), {}, 1};
            for (const auto& status : *cycle) {
                contact.cycle.push_back(static_cast<OVPresenceStatus>(status.intValue()));
            }
            drifting_.push_back(std::move(contact));
        }
    }
    presenceReport_ = std::move(report);
    if (!drifting_.empty() && latency("presenceDrift") > 0) {
        const unsigned watch = presenceWatch_;
        later("presenceDrift", [this, watch] { drift(watch); });
    }
}

void SimulatedNetwork::stopWatchingPresence() {
    ++presenceWatch_;
    drifting_.clear();
    nextDrifting_ = 0;
    presenceReport_ = nullptr;
}

void SimulatedNetwork::drift(unsigned watch) {
    if (watch != presenceWatch_ || drifting_.empty()) {
        return;
    }
    auto& contact = drifting_[nextDrifting_++ % drifting_.size()];
    const std::size_t step = contact.next++ % contact.cycle.size();
    const OVPresenceStatus status = contact.cycle[step];
    const std::string message =
        step == 0 && !contact.message.empty() ? contact.message : statusWord(status);
    const std::string address = contact.address;
    later("presenceDrift", [this, watch] { drift(watch); });
    if (presenceReport_) {
        presenceReport_(address, status, message);
    }
}

void SimulatedNetwork::joinRoom(const std::string& room,
                                std::function<void(const GroupChatEvent&)> events) {
    requests_.push_back("joinRoom " + room);
    rooms_[room] = events;
    later("roomReady",
          [room, events] { events(GroupChatEvent::make(room, GroupChatEvent::Kind::status)); });
    const auto* members = demo_["roomMembers"].array();
    if (!members || members->empty()) {
        return;
    }
    // Each step a moment after the one before: everyone comes in, each speaks, the last leaves.
    std::vector<GroupChatEvent> steps;
    for (const auto& member : *members) {
        steps.push_back(GroupChatEvent::make(room, GroupChatEvent::Kind::joined,
                                             member["address"].stringValue(),
                                             member["displayName"].stringValue()));
    }
    for (const auto& member : *members) {
        auto said = GroupChatEvent::make(room, GroupChatEvent::Kind::message,
                                         member["address"].stringValue());
        said.text = member["says"].stringValue();
        steps.push_back(said);
    }
    steps.push_back(GroupChatEvent::make(room, GroupChatEvent::Kind::left,
                                         members->back()["address"].stringValue()));
    const platform::TimeInterval pause = latency("roomActivity");
    std::weak_ptr<bool> alive = alive_;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        platform::RunLoop::main().performAfterDelay(pause * static_cast<double>(i + 1),
                                                    [alive, events, step = steps[i]] {
                                                        if (alive.lock()) {
                                                            events(step);
                                                        }
                                                    },
                                                    {platform::DefaultRunLoopMode,
                                                     platform::ModalPanelRunLoopMode,
                                                     platform::EventTrackingRunLoopMode});
    }
}

void SimulatedNetwork::inviteToRoom(const std::string& room, const std::string& address,
                                    const std::string& message) {
    requests_.push_back("inviteToRoom " + room + " " + address + " " + message);
    const auto found = rooms_.find(room);
    if (found == rooms_.end()) {
        return;
    }
    later("roomActivity", [events = found->second, room, address] {
        events(GroupChatEvent::make(room, GroupChatEvent::Kind::joined, address, address));
    });
}

void SimulatedNetwork::checkForUpdates(std::function<void(const UpdateInfo&)> done) {
    requests_.push_back("checkForUpdates");
    later("updateCheck", [info = update_, done = std::move(done)] { done(info); });
}

void SimulatedNetwork::downloadUpdate(
    const std::string& version, const std::filesystem::path& folder,
    std::function<void(const std::optional<std::filesystem::path>&)> done) {
    requests_.push_back("download " + version);
    const bool fail = failNextDownload_;
    failNextDownload_ = false;
    later("updateDownload", [version, folder, fail, done = std::move(done)] {
        if (fail) {
            done(std::nullopt);
            return;
        }
        // The simulated package is a small text file, so the install step has a real path.
        std::error_code ec;
        const auto updates = folder / "Updates";
        std::filesystem::create_directories(updates, ec);
        const auto file = updates / ("Lumiq-" + version + ".AppImage");
        std::ofstream out(file, std::ios::binary);
        out << "Lumiq update " << version << "\n";
        out.close();
        if (ec || !out) {
            done(std::nullopt);
            return;
        }
        done(file);
    });
}

void SimulatedNetwork::connectHostedService(bool signIn, std::function<void(bool connected)> done) {
    requests_.push_back(signIn ? "hostedSignIn" : "hostedSignOut");
    later("hostedService", [signIn, done = std::move(done)] { done(signIn); });
}

void SimulatedNetwork::fetchWebToken(std::function<void(const std::string&)> done) {
    requests_.push_back("fetchWebToken");
    const std::string token = "token-" + std::to_string(++webTokens_);
    later("webToken", [token, done = std::move(done)] { done(token); });
}

void SimulatedNetwork::setLatency(std::string_view step, platform::TimeInterval seconds) {
    platform::Value latencies = demo_["latency"];
    latencies.setObject(step, seconds);
    demo_.setObject("latency", std::move(latencies));
}

void SimulatedNetwork::setConfiguration(std::string_view key, platform::Value value) {
    platform::Value configuration = demo_["configuration"];
    configuration.setObject(key, std::move(value));
    demo_.setObject("configuration", std::move(configuration));
}

void SimulatedNetwork::answerNextLogin(LoginAnswer answer) {
    nextLogin_ = std::move(answer);
}

void SimulatedNetwork::failNextRegistration(int accountID, AccountAnswer answer) {
    nextRegistrationFailures_.emplace_back(accountID, answer);
}

void SimulatedNetwork::setUpdate(UpdateInfo info) {
    update_ = std::move(info);
}
