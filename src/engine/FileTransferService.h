#pragma once

#include "engine/DelegateList.h"
#include "engine/FileTransferRequest.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <vector>

class EngineContext;

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
    // Offers files of the disk to the address, answered by outgoingFileTransfer; nullptr when
    // not allowed. The other side takes them or not after a while; the files are read as
    // they are sent.
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
