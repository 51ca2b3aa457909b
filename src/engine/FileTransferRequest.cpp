#include "engine/FileTransferRequest.h"

#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// Each step of a transfer moves about an eighth of it, and never more than this.
constexpr std::uint64_t largestStep = 4u << 20;

std::uint64_t sizeOf(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? 0 : size;
}

} // namespace

std::string FileTransferRequest::safeFileName(std::string_view offered) {
    const auto slash = offered.find_last_of("/\\");
    std::string name(slash == std::string_view::npos ? offered : offered.substr(slash + 1));
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
        return "file";
    }
    return name;
}

FileTransferRequest::FileTransferRequest(std::shared_ptr<EngineContext> context,
                                         std::string remoteAddress, std::string remoteDisplayName,
                                         std::vector<std::string> offeredNames)
    : context_(std::move(context)), incoming_(true), remoteAddress_(std::move(remoteAddress)),
      remoteDisplayName_(std::move(remoteDisplayName)) {
    // Two offered names may come down to the same file name ("a/x" and "b/x"); the later ones
    // get a number, so that no file of the offer replaces another.
    std::set<std::string> taken;
    for (const auto& offered : offeredNames) {
        const std::string safe = safeFileName(offered);
        std::string name = safe;
        for (int n = 2; taken.contains(name); ++n) {
            const auto dot = safe.find_last_of('.');
            name = dot == std::string::npos || dot == 0
                       ? safe + " (" + std::to_string(n) + ")"
                       : safe.substr(0, dot) + " (" + std::to_string(n) + ")" + safe.substr(dot);
        }
        taken.insert(name);
        std::string content =
            context_ ? context_->backend()->offeredFileContent(remoteAddress_, offered) : "";
        items_.push_back(FileTransferItem{name, content.size(), 0, {}});
        contents_.push_back(std::move(content));
    }
    state_ = stateWaitingForUser;
}

FileTransferRequest::FileTransferRequest(std::shared_ptr<EngineContext> context,
                                         std::string remoteAddress, std::string remoteDisplayName,
                                         std::vector<std::filesystem::path> files)
    : context_(std::move(context)), incoming_(false), remoteAddress_(std::move(remoteAddress)),
      remoteDisplayName_(std::move(remoteDisplayName)) {
    for (auto& file : files) {
        items_.push_back(
            FileTransferItem{file.filename().string(), sizeOf(file), 0, std::move(file)});
        contents_.emplace_back();
    }
    state_ = stateWaitingForRemote;
}

FileTransferRequest::~FileTransferRequest() {
    removeTemporaryFiles();
}

std::uint64_t FileTransferRequest::totalBytes() const {
    std::uint64_t total = 0;
    for (const auto& item : items_) {
        total += item.size;
    }
    return total;
}

std::uint64_t FileTransferRequest::transferredBytes() const {
    std::uint64_t total = 0;
    for (const auto& item : items_) {
        total += item.transferred;
    }
    return total;
}

double FileTransferRequest::progress() const {
    const auto total = totalBytes();
    if (total == 0) {
        return state_ == stateCompleted ? 1.0 : 0.0;
    }
    return static_cast<double>(transferredBytes()) / static_cast<double>(total);
}

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

void FileTransferRequest::accept(const std::string& folder) {
    if (!incoming_ || state_ != stateWaitingForUser || !context_) {
        return;
    }
    folder_ = folder;
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->state_ == stateWaitingForUser) {
            self->start();
        }
    });
}

void FileTransferRequest::decline() {
    if (!incoming_ || state_ != stateWaitingForUser || !context_) {
        return;
    }
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->state_ == stateWaitingForUser) {
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
            self->endWith(stateCancelled);
        }
    });
}

void FileTransferRequest::remoteAnswered(bool accepted) {
    if (incoming_ || state_ != stateWaitingForRemote) {
        return;
    }
    if (accepted) {
        start();
    } else {
        setState(stateDeclined);
    }
}

void FileTransferRequest::abort() {
    if (isActive()) {
        endWith(stateCancelled);
    }
}

fs::path FileTransferRequest::temporaryPath(std::size_t index) const {
    const fs::path folder(folder_);
    for (unsigned n = 0;; ++n) {
        auto candidate = folder / ("." + items_[index].name + "." + std::to_string(n) + ".part");
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error)) &&
            std::find(temporaries_.begin(), temporaries_.end(), candidate) == temporaries_.end()) {
            return candidate;
        }
    }
}

void FileTransferRequest::start() {
    ++run_;
    current_ = 0;
    for (auto& item : items_) {
        item.transferred = 0;
    }
    if (incoming_) {
        std::error_code error;
        if (folder_.empty() || !fs::is_directory(folder_, error)) {
            endWith(stateFailed);
            return;
        }
        // Every file gets its temporary name before anything moves, so that an empty file
        // also arrives and two files never share one.
        temporaries_.clear();
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const auto path = temporaryPath(i);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            if (!out) {
                endWith(stateFailed);
                return;
            }
            temporaries_.push_back(path);
        }
    } else {
        // The files are read as they go; one that is gone by now fails the transfer at once.
        for (auto& item : items_) {
            std::error_code error;
            if (!fs::is_regular_file(item.source, error)) {
                endWith(stateFailed);
                return;
            }
            item.size = sizeOf(item.source);
        }
    }
    breakAt_ = context_ && context_->backend()->fileTransferBreaks()
                   ? std::optional<std::uint64_t>(totalBytes() / 2)
                   : std::nullopt;
    setState(stateTransferring);
    const unsigned run = run_;
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post(context_->backend()->latency("fileTransferStep"), [weak, run] {
        if (auto self = weak.lock(); self && self->run_ == run) {
            self->step();
        }
    });
}

void FileTransferRequest::step() {
    if (state_ != stateTransferring) {
        return;
    }
    const auto total = totalBytes();
    const std::uint64_t budget = std::clamp<std::uint64_t>((total + 7) / 8, 1, largestStep);
    if (breakAt_ && transferredBytes() >= *breakAt_ && total > 0) {
        endWith(stateFailed);
        return;
    }
    if (!(incoming_ ? moveIncoming(budget) : moveOutgoing(budget))) {
        endWith(stateFailed);
        return;
    }
    auto self = shared_from_this();
    notifyDelegates([&](FileTransferRequestPro& d) { d.totalProgressUpdated(self); });
    if (state_ != stateTransferring) {
        return;
    }
    if (current_ >= items_.size()) {
        if (incoming_) {
            if (!finishIncoming()) {
                endWith(stateFailed);
                return;
            }
        } else {
            finishOutgoing();
        }
        setState(stateCompleted);
        return;
    }
    const unsigned run = run_;
    std::weak_ptr<FileTransferRequest> weak = weak_from_this();
    context_->post(context_->backend()->latency("fileTransferStep"), [weak, run] {
        if (auto request = weak.lock(); request && request->run_ == run) {
            request->step();
        }
    });
}

bool FileTransferRequest::moveIncoming(std::uint64_t budget) {
    while (budget > 0 && current_ < items_.size()) {
        auto& item = items_[current_];
        const auto& content = contents_[current_];
        const auto count = std::min<std::uint64_t>(budget, item.size - item.transferred);
        if (count > 0) {
            std::ofstream out(temporaries_[current_], std::ios::binary | std::ios::app);
            out.write(content.data() + item.transferred, static_cast<std::streamsize>(count));
            if (!out.flush()) {
                return false;
            }
            item.transferred += count;
            budget -= count;
        }
        if (item.transferred >= item.size) {
            ++current_;
        }
    }
    return true;
}

bool FileTransferRequest::moveOutgoing(std::uint64_t budget) {
    while (budget > 0 && current_ < items_.size()) {
        auto& item = items_[current_];
        const auto count = std::min<std::uint64_t>(budget, item.size - item.transferred);
        if (count > 0) {
            std::ifstream in(item.source, std::ios::binary);
            in.seekg(static_cast<std::streamoff>(item.transferred));
            std::string chunk(count, '\0');
            in.read(chunk.data(), static_cast<std::streamsize>(count));
            if (!in || in.gcount() != static_cast<std::streamsize>(count)) {
                return false;
            }
            contents_[current_] += chunk;
            item.transferred += count;
            budget -= count;
        }
        if (item.transferred >= item.size) {
            ++current_;
        }
    }
    return true;
}

bool FileTransferRequest::finishIncoming() {
    std::vector<fs::path> placed;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const auto target = fs::path(folder_) / items_[i].name;
        std::error_code error;
        fs::rename(temporaries_[i], target, error);
        if (error) {
            for (const auto& path : placed) {
                fs::remove(path, error);
            }
            return false;
        }
        placed.push_back(target);
    }
    temporaries_.clear();
    return true;
}

void FileTransferRequest::finishOutgoing() {
    if (!context_) {
        return;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        context_->backend()->fileDelivered(remoteAddress_, items_[i].name, contents_[i]);
    }
}

void FileTransferRequest::endWith(int state) {
    ++run_;
    removeTemporaryFiles();
    if (!incoming_) {
        for (auto& content : contents_) {
            content.clear();
        }
    }
    setState(state);
}

void FileTransferRequest::removeTemporaryFiles() {
    for (const auto& path : temporaries_) {
        std::error_code error;
        fs::remove(path, error);
    }
    temporaries_.clear();
}
