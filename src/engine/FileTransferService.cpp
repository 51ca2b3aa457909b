#include "engine/FileTransferService.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

FileTransferRequest::FileTransferRequest(std::shared_ptr<EngineContext> context, bool incoming,
                                         std::string remoteAddress, std::string remoteDisplayName,
                                         std::vector<std::string> items)
    : context_(std::move(context)), incoming_(incoming), remoteAddress_(std::move(remoteAddress)),
      remoteDisplayName_(std::move(remoteDisplayName)), items_(std::move(items)) {}

FileTransferRequestPro* FileTransferRequest::delegate() const {
    FileTransferRequestPro* first = nullptr;
    delegates().forEach([&](FileTransferRequestPro& d) {
        if (!first) {
            first = &d;
        }
    });
    return first;
}

void FileTransferRequest::setState(int state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    auto self = shared_from_this();
    notifyDelegates([&](FileTransferRequestPro& d) { d.fileTransferStateChanged(self); });
}

void FileTransferRequest::run() {
    setState(stateConnecting);
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->state_ == stateConnecting) {
            self->setState(stateTransferring);
            self->context_->post(self->context_->backend()->latency("fileTransfer"), [weak] {
                if (auto request = weak.lock(); request && request->state_ == stateTransferring) {
                    request->setState(stateCompleted);
                }
            });
        }
    });
}

void FileTransferRequest::accept(const std::string& folder) {
    if (!incoming_ || state_ != stateWaitingForAnswer || !context_) {
        return;
    }
    folder_ = folder;
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->state_ == stateWaitingForAnswer) {
            self->run();
        }
    });
}

void FileTransferRequest::decline() {
    if (!incoming_ || state_ != stateWaitingForAnswer || !context_) {
        return;
    }
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->state_ == stateWaitingForAnswer) {
            self->setState(stateDeclined);
        }
    });
}

void FileTransferRequest::cancel() {
    if (!isActive() || !context_) {
        return;
    }
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->isActive()) {
            self->setState(stateCancelled);
        }
    });
}

void FileTransferRequest::remoteAnswered(bool accepted) {
    if (incoming_ || state_ != stateWaitingForAnswer) {
        return;
    }
    if (accepted) {
        run();
    } else {
        setState(stateDeclined);
    }
}

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
    auto request = std::make_shared<FileTransferRequest>(context_, false, address, displayName,
                                                         std::move(files));
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
        // The other side takes the files after a while.
        context->post(context->backend()->latency("fileTransfer"), [weak] {
            if (auto r = weak.lock()) {
                r->remoteAnswered(true);
            }
        });
    });
    return request;
}

std::shared_ptr<FileTransferRequest>
FileTransferService::receiveOffer(const std::string& address, const std::string& displayName,
                                  std::vector<std::string> files) {
    if (!context_ || !context_->started()) {
        return nullptr;
    }
    auto request = std::make_shared<FileTransferRequest>(context_, true, address, displayName,
                                                         std::move(files));
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
