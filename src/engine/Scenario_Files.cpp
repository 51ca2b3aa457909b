#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

void Scenario::fileTransferOfferedWithContents(
    std::string address, std::string displayName,
    std::vector<std::pair<std::string, std::string>> files) {
    std::vector<std::string> names;
    for (auto& [name, content] : files) {
        if (auto* net = network()) {
            net->setOfferedFileContent(address, name, std::move(content));
        }
        names.push_back(name);
    }
    fileTransferOffered(std::move(address), std::move(displayName), std::move(names));
}

void Scenario::fileOffersAccepted(bool accepted) {
    if (auto* net = network()) {
        net->setFileOffersAccepted(accepted);
    }
}

void Scenario::failNextFileTransfer() {
    if (auto* net = network()) {
        net->breakNextFileTransfer();
    }
}
