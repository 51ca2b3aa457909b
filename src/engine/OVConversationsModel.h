#pragma once

#include "engine/ConversationService.h"
#include "engine/OVConversationModel.h"
#include "engine/OVModel.h"

#include <memory>
#include <vector>

// Callbacks of the conversations model.
class OVConversationsModelPro : public virtual OVModelPro {
public:
    virtual void
    ovmdConversationCollectionAdded(const std::vector<std::shared_ptr<OVConversationModel>>&) {}
    virtual void
    ovmdConversationCollectionRemoved(const std::vector<std::shared_ptr<OVConversationModel>>&) {}
};

// The calls the call area shows, one conversation model each, in the order they came. A call
// whose conference is focused on a server is not among them (the service reports it on its
// own); the parties of a merged call leave with it.
class OVConversationsModel : public OVModelOf<OVConversationsModelPro>,
                             public OVConversationServicePro,
                             public std::enable_shared_from_this<OVConversationsModel> {
public:
    // A model of the engine's conversation service, holding the calls that are already there.
    static std::shared_ptr<OVConversationsModel> create();
    ~OVConversationsModel() override;

    const std::vector<std::shared_ptr<OVConversationModel>>& getConversations() const {
        return models_;
    }
    std::shared_ptr<OVConversationModel> modelOf(const Conversation* conversation) const;

    void conversationAdded(const std::shared_ptr<Conversation>& conversation, bool isIncoming,
                           bool remoteConferenceFocus) override;
    void conversationRemoved(const std::shared_ptr<Conversation>& conversation,
                             bool byMovedToOtherConversation) override;

private:
    std::shared_ptr<ConversationService> service_;
    std::vector<std::shared_ptr<OVConversationModel>> models_;
};
