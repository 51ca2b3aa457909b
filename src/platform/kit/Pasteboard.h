#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Type names of pasteboard data.
inline constexpr std::string_view PasteboardTypeString = "public.utf8-plain-text";
// Pasteboard names.
inline constexpr std::string_view GeneralPboard = "Apple CFPasteboard general";
inline constexpr std::string_view DragPboard = "Apple CFPasteboard drag";

// Where the general pasteboard's text really lives: the desktop's clipboard. A screen backend
// installs one; without it the text stays inside the process.
class PasteboardBackend {
public:
    virtual ~PasteboardBackend() = default;
    // The clipboard's text, or nullopt when it holds none.
    virtual std::optional<std::string> readString() = 0;
    virtual void writeString(std::string_view text) = 0;
};

// Named stores of typed data for copy and paste and for drags. Writing starts with
// clearContents (or declareTypes), which bumps the change count; data are kept per type.
class Pasteboard : public Object {
public:
    explicit Pasteboard(std::string name);

    static Pasteboard& generalPasteboard();
    // The pasteboard of that name, made on first use; the same object for the same name.
    static Pasteboard& pasteboardWithName(std::string_view name);
    // Installs the general pasteboard's link to the desktop's clipboard (null: none).
    static void setGeneralBackend(std::unique_ptr<PasteboardBackend> backend);
    static PasteboardBackend* generalBackend();
    // Empties every pasteboard and removes the backend (tests).
    static void resetAll();

    const std::string& name() const { return name_; }
    long changeCount() const { return changeCount_; }

    // Empties the pasteboard; answers the new change count.
    long clearContents();
    // Empties it and announces the types that will be written; the owner is not kept.
    long declareTypes(std::vector<std::string> types, Object* owner);
    // Adds types to those announced; answers the change count.
    long addTypes(const std::vector<std::string>& types, Object* owner);
    std::vector<std::string> types() const;
    // The first of `types` the pasteboard holds, or nullopt.
    std::optional<std::string> availableTypeFromArray(const std::vector<std::string>& types) const;

    bool setStringForType(std::string_view text, std::string_view type);
    bool setDataForType(Value::Data data, std::string_view type);
    std::optional<std::string> stringForType(std::string_view type) const;
    std::optional<Value::Data> dataForType(std::string_view type) const;
    // Writes one string as the only content (clearContents + setStringForType).
    bool writeString(std::string_view text);

private:
    bool isGeneral() const;

    std::string name_;
    long changeCount_ = 0;
    std::vector<std::string> types_;
    std::map<std::string, Value::Data, std::less<>> data_;
};

} // namespace platform
