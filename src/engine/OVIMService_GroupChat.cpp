#include "engine/AccountService.h"
#include "engine/EngineContext.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"

#include <atomic>
#include <ctime>

std::shared_ptr<IMSession>
OVIMService::newGroupChatSession(const std::vector<std::string>& addresses,
                                 const std::string& inviteMessage) {
    if (addresses.empty() || !newIMAllowed()) {
        return nullptr;
    }
    auto phone = context_ ? context_->phone() : nullptr;
    auto account =
        phone ? phone->getAccountService()->defaultAccount(OVAccountFeature::featureIM) : nullptr;
    if (!account) {
        return nullptr;
    }
    // A room of its own for every chat started here.
    static std::atomic<unsigned> next{0};
    const std::string room = "chat-" + std::to_string(++next) + "-" +
                             std::to_string(static_cast<long long>(std::time(nullptr))) +
                             "@conference." + account->domain();
    auto session = openGroupSession(room);
    if (!session) {
        return nullptr;
    }
    for (const auto& address : addresses) {
        session->addChatParticipant(address, inviteMessage, "");
    }
    return session;
}
