#include "engine/MUCListService.h"

#include "engine/AccountService.h"
#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::size_t kBatch = 20;

} // namespace

MUCListService::MUCListService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

void MUCListService::performQuery(const std::shared_ptr<OVAccount>& account) {
    if (querying_)
        cancel();
    std::vector<std::shared_ptr<OVMUCRoomItem>> rooms;
    if (account && account->protocol() == OVAccount::XMPPprotocol && context_) {
        const auto listed = context_->backend()->configuration("chatRooms")[account->domain()];
        if (const auto* array = listed.array()) {
            for (const auto& room : *array) {
                const std::string* id = room["roomID"].string();
                if (!id || id->empty())
                    continue;
                const std::string* name = room["name"].string();
                const std::string* topic = room["topic"].string();
                rooms.push_back(std::make_shared<OVMUCRoomItem>(
                    *id, name ? *name : *id, topic ? *topic : std::string(),
                    room["occupants"].isNumber() ? room["occupants"].intValue() : 0));
            }
        }
    }
    if (!context_)
        return;
    querying_ = true;
    const std::uint64_t generation = ++generation_;
    std::weak_ptr<MUCListService> weak = weak_from_this();
    auto answer = [this, weak, generation](std::function<void(MUCListService&)> work) {
        context_->post([weak, generation, work = std::move(work)] {
            auto self = weak.lock();
            if (self && generation == self->generation_)
                work(*self);
        });
    };
    for (std::size_t at = 0; at < rooms.size(); at += kBatch) {
        std::vector<std::shared_ptr<OVMUCRoomItem>> batch(
            rooms.begin() + static_cast<long>(at),
            rooms.begin() + static_cast<long>(std::min(rooms.size(), at + kBatch)));
        answer([batch](MUCListService& self) {
            self.notifyDelegates([&](OVMUCListServicePro& d) { d.ovmlsItemsReturned(batch); });
        });
    }
    const int count = static_cast<int>(rooms.size());
    answer([count](MUCListService& self) {
        self.querying_ = false;
        self.notifyDelegates([&](OVMUCListServicePro& d) { d.ovmlsQueryCompleted(count); });
    });
}

void MUCListService::cancel() {
    if (!querying_)
        return;
    querying_ = false;
    ++generation_;
    notifyDelegates([](OVMUCListServicePro& d) { d.ovmlsCancelled(); });
}
