#include "engine/SettingBlock.h"

SettingBlock::SettingBlock(std::string name, std::weak_ptr<SettingBlock> parent)
    : name_(std::move(name)), parent_(std::move(parent)) {}

std::string SettingBlock::path() const {
    auto parent = parent_.lock();
    if (!parent || parent->parent_.expired()) {
        return name_;
    }
    return parent->path() + "/" + name_;
}

std::shared_ptr<SettingBlock> SettingBlock::sub(std::string_view name) {
    auto it = children_.find(name);
    if (it == children_.end()) {
        it = children_
                 .emplace(std::string(name),
                          std::make_shared<SettingBlock>(std::string(name), weak_from_this()))
                 .first;
    }
    return it->second;
}

std::shared_ptr<SettingBlock> SettingBlock::existingSub(std::string_view name) const {
    auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second;
}

const platform::Value& SettingBlock::value() const {
    return pending_ ? *pending_ : committed_;
}

void SettingBlock::setValue(platform::Value value, bool commit) {
    if (commit) {
        committed_ = std::move(value);
        pending_.reset();
    } else {
        pending_ = std::move(value);
    }
}

bool SettingBlock::hasPendingChanges() const {
    if (pending_) {
        return true;
    }
    for (const auto& [name, child] : children_) {
        if (child->hasPendingChanges()) {
            return true;
        }
    }
    return false;
}

void SettingBlock::commit() {
    if (pending_) {
        committed_ = std::move(*pending_);
        pending_.reset();
    }
    for (const auto& [name, child] : children_) {
        child->commit();
    }
}

void SettingBlock::rollback() {
    pending_.reset();
    for (const auto& [name, child] : children_) {
        child->rollback();
    }
}
