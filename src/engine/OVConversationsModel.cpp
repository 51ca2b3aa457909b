#include "engine/OVConversationsModel.h"

#include "engine/PhoneService.h"
#include "engine/StartupService.h"

#include <algorithm>

std::shared_ptr<OVConversationsModel> OVConversationsModel::create() {
    auto model = std::make_shared<OVConversationsModel>();
    auto phone = StartupService::instance().phoneService();
    model->service_ = phone ? phone->getConversationService() : nullptr;
    if (model->service_) {
        model->service_->setDelegate(model.get());
        for (const auto& conversation : model->service_->getAllConversations())
            if (conversation->isLive())
                model->models_.push_back(OVConversationModel::create(conversation));
    }
    return model;
}

OVConversationsModel::~OVConversationsModel() {
    if (service_)
        service_->removeDelegate(this);
}

std::shared_ptr<OVConversationModel>
OVConversationsModel::modelOf(const Conversation* conversation) const {
    auto it = std::find_if(models_.begin(), models_.end(), [&](const auto& model) {
        return model->getSpaceConversation().get() == conversation;
    });
    return it == models_.end() ? nullptr : *it;
}

void OVConversationsModel::conversationAdded(const std::shared_ptr<Conversation>& conversation,
                                             bool /*isIncoming*/, bool remoteConferenceFocus) {
    if (remoteConferenceFocus || modelOf(conversation.get()))
        return;
    auto keep = shared_from_this();
    const std::vector<std::shared_ptr<OVConversationModel>> added{
        OVConversationModel::create(conversation)};
    models_.push_back(added.front());
    notifyDelegates([&](OVConversationsModelPro& d) { d.ovmdConversationCollectionAdded(added); });
}

void OVConversationsModel::conversationRemoved(const std::shared_ptr<Conversation>& conversation,
                                               bool /*byMovedToOtherConversation*/) {
    auto model = modelOf(conversation.get());
    if (!model)
        return;
    auto keep = shared_from_this();
    models_.erase(std::find(models_.begin(), models_.end(), model));
    const std::vector<std::shared_ptr<OVConversationModel>> removed{model};
    notifyDelegates(
        [&](OVConversationsModelPro& d) { d.ovmdConversationCollectionRemoved(removed); });
}
