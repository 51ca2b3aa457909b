#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EngineContext;
class OVAccount;

// One chat room a server offers.
class OVMUCRoomItem : public OVObject {
public:
    OVMUCRoomItem(std::string roomID, std::string name, std::string topic, int occupants)
        : roomID_(std::move(roomID)), name_(std::move(name)), topic_(std::move(topic)),
          occupants_(occupants) {}
    const std::string& roomID() const { return roomID_; }
    const std::string& name() const { return name_; }
    const std::string& topic() const { return topic_; }
    int occupants() const { return occupants_; }

private:
    std::string roomID_;
    std::string name_;
    std::string topic_;
    int occupants_;
};

class OVMUCListServicePro {
public:
    virtual ~OVMUCListServicePro() = default;
    // A batch of rooms; a query may answer in several.
    virtual void ovmlsItemsReturned(const std::vector<std::shared_ptr<OVMUCRoomItem>>& /*items*/) {}
    // The query ended with this many rooms.
    virtual void ovmlsQueryCompleted(int /*count*/) {}
    virtual void ovmlsCancelled() {}
};

// Lists the chat rooms of an XMPP account's server: the network's "chatRooms" configuration,
// a list of rooms (roomID, name, topic, occupants) for each server domain, answered in
// batches of up to 20 on later passes of the main run loop. A new query cancels the one
// running.
class MUCListService : public platform::Object,
                       public DelegatingService<OVMUCListServicePro>,
                       public std::enable_shared_from_this<MUCListService> {
public:
    explicit MUCListService(std::shared_ptr<EngineContext> context = nullptr);

    // Queries the rooms of the account's server; a missing account or one that is not XMPP
    // answers no rooms.
    void performQuery(const std::shared_ptr<OVAccount>& account);
    void cancel();
    bool querying() const { return querying_; }

private:
    std::shared_ptr<EngineContext> context_;
    std::uint64_t generation_ = 0;
    bool querying_ = false;
};
