#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <vector>

class EngineContext;
class FileTransferRequest;

// Callbacks of one transfer (its delegate is the transfer's window).
class FileTransferRequestPro {
public:
    virtual ~FileTransferRequestPro() = default;
    virtual void fileTransferStateChanged(const std::shared_ptr<FileTransferRequest>& /*request*/) {
    }
};

// Files offered by or to another party. States 1 to 3 are the active ones.
class FileTransferRequest : public OVObject,
                            public DelegatingService<FileTransferRequestPro>,
                            public std::enable_shared_from_this<FileTransferRequest> {
public:
    static constexpr int stateWaitingForAnswer = 1;
    static constexpr int stateConnecting = 2;
    static constexpr int stateTransferring = 3;
    static constexpr int stateCompleted = 4;
    static constexpr int stateCancelled = 5;
    static constexpr int stateFailed = 6;
    static constexpr int stateDeclined = 7;

    FileTransferRequest(std::shared_ptr<EngineContext> context, bool incoming,
                        std::string remoteAddress, std::string remoteDisplayName,
                        std::vector<std::string> items);

    int state() const { return state_; }
    bool isActive() const { return state_ >= stateWaitingForAnswer && state_ <= stateTransferring; }
    bool isIncoming() const { return incoming_; }
    const std::string& remoteAddress() const { return remoteAddress_; }
    const std::string& remotePartDisplayName() const { return remoteDisplayName_; }
    const std::vector<std::string>& items() const { return items_; }
    const std::string& folder() const { return folder_; }
    FileTransferRequestPro* delegate() const;

    // An incoming offer is accepted into the folder; the transfer then runs to completion.
    void accept(const std::string& folder);
    void decline();
    void cancel();

    // Engine side: the other party answered an outgoing offer; the session ended under a
    // transfer.
    void remoteAnswered(bool accepted);
    void abort() {
        if (isActive()) {
            setState(stateCancelled);
        }
    }

private:
    void setState(int state);
    void run();
    std::shared_ptr<EngineContext> context_;
    bool incoming_;
    std::string remoteAddress_;
    std::string remoteDisplayName_;
    std::vector<std::string> items_;
    std::string folder_;
    int state_ = stateWaitingForAnswer;
};

// Callbacks of the file-transfer service.
class OVFileTransferServicePro {
public:
    virtual ~OVFileTransferServicePro() = default;
    virtual void incomingFileTransfer(const std::shared_ptr<FileTransferRequest>& /*request*/) {}
    virtual void outgoingFileTransfer(const std::shared_ptr<FileTransferRequest>& /*request*/) {}
};

class FileTransferService : public platform::Object,
                            public DelegatingService<OVFileTransferServicePro> {
public:
    explicit FileTransferService(std::shared_ptr<EngineContext> context = nullptr);

    bool canNewOutgoingFileTransfer() const;
    // The most files one offer may carry.
    int maxSimultaneousFiles() const { return 10; }
    // Offers files to the address, answered by outgoingFileTransfer; nullptr when not allowed.
    std::shared_ptr<FileTransferRequest> newOutgoingFileTransfer(const std::string& address,
                                                                 const std::string& instance,
                                                                 const std::string& displayName,
                                                                 std::vector<std::string> files);
    const std::vector<std::shared_ptr<FileTransferRequest>>& requests() const { return requests_; }

    // Engine side.
    std::shared_ptr<FileTransferRequest> receiveOffer(const std::string& address,
                                                      const std::string& displayName,
                                                      std::vector<std::string> files);
    void cancelAll();

private:
    std::shared_ptr<EngineContext> context_;
    std::vector<std::shared_ptr<FileTransferRequest>> requests_;
};
