#include "engine/FileTransferService.h"

#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

FileTransferService::FileTransferService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

bool FileTransferService::canNewOutgoingFileTransfer() const {
    if (!context_ || !context_->started()) {
        return false;
    }
    auto phone = context_->phone();
    return phone && phone->getAccountService()->defaultAccount(OVAccountFeature::featureIM);
}

std::shared_ptr<FileTransferRequest> FileTransferService::newOutgoingFileTransfer(
    const std::string& address, const std::string& /*instance*/, const std::string& displayName,
    std::vector<std::string> files) {
    if (address.empty() || files.empty() || !canNewOutgoingFileTransfer()) {
        return nullptr;
    }
    std::vector<std::filesystem::path> paths(files.begin(), files.end());
    auto request =
        std::make_shared<FileTransferRequest>(context_, address, displayName, std::move(paths));
    requests_.push_back(request);
    std::weak_ptr<FileTransferRequest> weak = request;
    auto context = context_;
    context_->post([context, weak] {
        auto phone = context->phone();
        auto request = weak.lock();
        if (!phone || !request) {
            return;
        }
        phone->getFileTransferService()->notifyDelegates(
            [&](OVFileTransferServicePro& d) { d.outgoingFileTransfer(request); });
        std::vector<std::string> names;
        for (const auto& item : request->items()) {
            names.push_back(item.name);
        }
        context->backend()->offerFiles(request->remoteAddress(), names,
                                       context->guard([weak](bool accepted) {
                                           if (auto r = weak.lock()) {
                                               r->remoteAnswered(accepted);
                                           }
                                       }));
    });
    return request;
}

std::shared_ptr<FileTransferRequest>
FileTransferService::receiveOffer(const std::string& address, const std::string& displayName,
                                  std::vector<std::string> files) {
    if (!context_ || !context_->started()) {
        return nullptr;
    }
    auto request =
        std::make_shared<FileTransferRequest>(context_, address, displayName, std::move(files));
    requests_.push_back(request);
    notifyDelegates([&](OVFileTransferServicePro& d) { d.incomingFileTransfer(request); });
    return request;
}

void FileTransferService::cancelAll() {
    for (const auto& request : requests_) {
        request->abort();
    }
    requests_.clear();
}
