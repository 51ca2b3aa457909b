#include "engine/SimulatedNetwork.h"

#include <string>

void SimulatedNetwork::offerFiles(const std::string& address, const std::vector<std::string>& names,
                                  std::function<void(bool accepted)> answer) {
    std::string request = "offerFiles " + address;
    for (const auto& name : names) {
        request += " " + name;
    }
    requests_.push_back(std::move(request));
    const bool accepted = fileOffersAccepted_;
    later("fileTransfer", [answer = std::move(answer), accepted] { answer(accepted); });
}

std::string SimulatedNetwork::offeredFileContent(const std::string& address,
                                                 const std::string& name) const {
    if (auto it = offeredFiles_.find({address, name}); it != offeredFiles_.end()) {
        return it->second;
    }
    // Something a person might send: a few lines that say what the file is.
    std::string content;
    for (int line = 1; line <= 40; ++line) {
        content += name + " from " + address + ", line " + std::to_string(line) + "\n";
    }
    return content;
}

void SimulatedNetwork::setOfferedFileContent(const std::string& address, const std::string& name,
                                             std::string content) {
    offeredFiles_[{address, name}] = std::move(content);
}

void SimulatedNetwork::fileDelivered(const std::string& address, const std::string& name,
                                     const std::string& content) {
    requests_.push_back("fileDelivered " + address + " " + name);
    deliveredFiles_.push_back(DeliveredFile{address, name, content});
}

bool SimulatedNetwork::fileTransferBreaks() {
    const bool breaks = breakNextFileTransfer_;
    breakNextFileTransfer_ = false;
    return breaks;
}
