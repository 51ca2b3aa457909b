#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A node of the engine's settings tree. The phone service's getPreferenceSettings gives the
// root; sub(name) gives a child, made on first use and kept for the life of the tree. A leaf
// holds a committed value and, after a write without commit, a pending one that reads see
// until commit or rollback of a branch that holds it.
class SettingBlock : public platform::Object, public std::enable_shared_from_this<SettingBlock> {
public:
    // Make blocks with std::make_shared: children find their parent through it.
    explicit SettingBlock(std::string name = {}, std::weak_ptr<SettingBlock> parent = {});

    const std::string& name() const { return name_; }
    // The slash-separated path from the root ("preferences/application/dialpadExpanded").
    std::string path() const;
    std::shared_ptr<SettingBlock> sub(std::string_view name);
    // The child of that name when it exists, without making it.
    std::shared_ptr<SettingBlock> existingSub(std::string_view name) const;

    const platform::Value& value() const;
    bool boolSetting() const { return value().boolValue(); }
    std::int64_t longSetting() const { return value().integerValue(); }
    std::string stringSetting() const { return value().stringValue(); }

    void setValue(platform::Value value, bool commit);
    void setBoolSetting(bool value, bool commit = false) {
        setValue(platform::Value(value), commit);
    }
    void setLongSetting(std::int64_t value, bool commit = false) {
        setValue(platform::Value(static_cast<long long>(value)), commit);
    }
    void setStringSetting(std::string_view value, bool commit = false) {
        setValue(platform::Value(value), commit);
    }

    bool hasPendingChanges() const;
    // Apply or drop the pending writes of this block and every block below it.
    void commit();
    void rollback();

    std::string description() const override { return path(); }

private:
    std::string name_;
    std::weak_ptr<SettingBlock> parent_;
    platform::Value committed_;
    std::optional<platform::Value> pending_;
    std::map<std::string, std::shared_ptr<SettingBlock>, std::less<>> children_;
};
