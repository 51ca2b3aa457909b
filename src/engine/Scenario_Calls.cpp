#include "engine/ConversationService.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/StartupService.h"

void Scenario::withCall(std::string callIdentifier, std::function<void(Conversation&)> action) {
    StartupService* engine = &engine_;
    engine_.context()->post([engine, id = std::move(callIdentifier), action = std::move(action)] {
        auto phone = engine->phoneService();
        auto call = phone ? phone->getConversationService()->conversation(id) : nullptr;
        if (call && call->isLive()) {
            action(*call);
        }
    });
}

void Scenario::conferenceParticipantJoins(std::string callIdentifier, std::string address,
                                          std::string displayName) {
    StartupService* engine = &engine_;
    withCall(callIdentifier, [engine, id = callIdentifier, address, displayName](Conversation& c) {
        c.serverParticipantJoins(address, displayName);
        engine->context()->post([engine, id, address] {
            auto phone = engine->phoneService();
            if (auto call = phone ? phone->getConversationService()->conversation(id) : nullptr) {
                call->serverParticipantConnected(address);
            }
        });
    });
}

void Scenario::conferenceParticipantLeaves(std::string callIdentifier, std::string address) {
    withCall(std::move(callIdentifier), [address = std::move(address)](Conversation& c) {
        c.serverParticipantLeaves(address);
    });
}

void Scenario::participantHangsUp(std::string callIdentifier, std::string address) {
    withCall(std::move(callIdentifier), [address = std::move(address)](Conversation& c) {
        if (auto party = c.participantWithAddress(address)) {
            if (c.participants().size() > 1) {
                c.removeParticipant(party, Participant::statusDisconnected);
            } else {
                c.terminate();
            }
        }
    });
}
