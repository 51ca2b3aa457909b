#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class EngineContext;
class FileTransferRequest;

// Callbacks of one transfer (its delegate is the transfer's window).
class FileTransferRequestPro {
public:
    virtual ~FileTransferRequestPro() = default;
    virtual void fileTransferStateChanged(const std::shared_ptr<FileTransferRequest>& /*request*/) {
    }
    // More of the files has moved; progress() tells how much.
    virtual void totalProgressUpdated(const std::shared_ptr<FileTransferRequest>& /*request*/) {}
};

// One file of a transfer. An offered file's name is only ever a plain file name: whatever
// folders the other side put in front of it are dropped (see safeFileName).
struct FileTransferItem {
    std::string name;
    std::uint64_t size = 0;
    std::uint64_t transferred = 0;
    // Outgoing: the file read from disk.
    std::filesystem::path source;
};

// Files offered by or to another party. States 1 to 3 are the active ones: an outgoing offer
// waits for the other side (1), an incoming one for the user (2); then the files move (3).
//
// Received files are written next to their final place under hidden temporary names and only
// renamed into place once every file has arrived whole, so a transfer that is cancelled, fails
// or is cut off by the end of the session leaves nothing in the folder.
class FileTransferRequest : public OVObject,
                            public DelegatingService<FileTransferRequestPro>,
                            public std::enable_shared_from_this<FileTransferRequest> {
public:
    static constexpr int stateWaitingForRemote = 1;
    static constexpr int stateWaitingForUser = 2;
    static constexpr int stateTransferring = 3;
    static constexpr int stateCompleted = 4;
    static constexpr int stateCancelled = 5;
    static constexpr int stateFailed = 6;
    static constexpr int stateDeclined = 7;

    // An offer from the other side: the names as offered, with each file's content.
    FileTransferRequest(std::shared_ptr<EngineContext> context, std::string remoteAddress,
                        std::string remoteDisplayName, std::vector<std::string> offeredNames);
    // Files of the disk offered to the other side.
    FileTransferRequest(std::shared_ptr<EngineContext> context, std::string remoteAddress,
                        std::string remoteDisplayName, std::vector<std::filesystem::path> files);
    ~FileTransferRequest() override;

    int state() const { return state_; }
    bool isActive() const { return state_ >= stateWaitingForRemote && state_ <= stateTransferring; }
    bool isIncoming() const { return incoming_; }
    const std::string& remoteAddress() const { return remoteAddress_; }
    const std::string& remotePartDisplayName() const { return remoteDisplayName_; }
    const std::vector<FileTransferItem>& items() const { return items_; }
    // The folder an incoming offer was accepted into.
    const std::string& folder() const { return folder_; }
    std::uint64_t totalBytes() const;
    std::uint64_t transferredBytes() const;
    // 0 to 1.
    double progress() const;
    FileTransferRequestPro* delegate() const;

    // An incoming offer is accepted into the folder, which must exist; files of the same
    // names there are replaced once the transfer is complete.
    void accept(const std::string& folder);
    void decline();
    void cancel();

    // The last part of an offered name, safe to put under a folder of ours: no folders, no
    // "." or "..", no empty name (those become "file"). Both slashes count as separators.
    static std::string safeFileName(std::string_view offered);

    // Engine side: the other party answered an outgoing offer; the session ended under a
    // transfer.
    void remoteAnswered(bool accepted);
    void abort();

private:
    void setState(int state);
    void start();
    void step();
    bool moveIncoming(std::uint64_t budget);
    bool moveOutgoing(std::uint64_t budget);
    bool finishIncoming();
    void finishOutgoing();
    // Removes what the transfer wrote and ends it so.
    void endWith(int state);
    void removeTemporaryFiles();
    std::filesystem::path temporaryPath(std::size_t index) const;

    std::shared_ptr<EngineContext> context_;
    bool incoming_;
    std::string remoteAddress_;
    std::string remoteDisplayName_;
    std::vector<FileTransferItem> items_;
    // Incoming: each file's content as the other side sends it; outgoing: what was read.
    std::vector<std::string> contents_;
    std::vector<std::filesystem::path> temporaries_;
    std::string folder_;
    std::size_t current_ = 0;
    // The transferred byte count at which the connection breaks off, when it does.
    std::optional<std::uint64_t> breakAt_;
    int state_ = stateWaitingForUser;
    // The number of the running transfer; a step scheduled for an earlier one finds another.
    unsigned run_ = 0;
};
