#include "platform/kit/Pasteboard.h"

#include <algorithm>

namespace platform {

namespace {

struct Registry {
    std::map<std::string, std::unique_ptr<Pasteboard>, std::less<>> boards;
    std::unique_ptr<PasteboardBackend> backend;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

Pasteboard::Pasteboard(std::string name) : name_(std::move(name)) {}

Pasteboard& Pasteboard::generalPasteboard() {
    return pasteboardWithName(GeneralPboard);
}

Pasteboard& Pasteboard::pasteboardWithName(std::string_view name) {
    auto& boards = registry().boards;
    auto it = boards.find(name);
    if (it == boards.end())
        it = boards.emplace(std::string(name), std::make_unique<Pasteboard>(std::string(name)))
                 .first;
    return *it->second;
}

void Pasteboard::setGeneralBackend(std::unique_ptr<PasteboardBackend> backend) {
    registry().backend = std::move(backend);
}

PasteboardBackend* Pasteboard::generalBackend() {
    return registry().backend.get();
}

void Pasteboard::resetAll() {
    for (auto& [name, board] : registry().boards) {
        board->types_.clear();
        board->data_.clear();
    }
    registry().backend.reset();
}

bool Pasteboard::isGeneral() const {
    return name_ == GeneralPboard;
}

long Pasteboard::clearContents() {
    types_.clear();
    data_.clear();
    return ++changeCount_;
}

long Pasteboard::declareTypes(std::vector<std::string> types, Object* /*owner*/) {
    clearContents();
    for (auto& type : types)
        if (std::find(types_.begin(), types_.end(), type) == types_.end())
            types_.push_back(std::move(type));
    return changeCount_;
}

long Pasteboard::addTypes(const std::vector<std::string>& types, Object* /*owner*/) {
    for (const auto& type : types)
        if (std::find(types_.begin(), types_.end(), type) == types_.end())
            types_.push_back(type);
    return changeCount_;
}

std::vector<std::string> Pasteboard::types() const {
    std::vector<std::string> result = types_;
    // Text another program put on the desktop's clipboard counts as ours to paste.
    if (isGeneral() && generalBackend() &&
        std::find(result.begin(), result.end(), PasteboardTypeString) == result.end() &&
        generalBackend()->readString())
        result.emplace_back(PasteboardTypeString);
    return result;
}

std::optional<std::string>
Pasteboard::availableTypeFromArray(const std::vector<std::string>& types) const {
    const std::vector<std::string> held = this->types();
    for (const auto& type : types)
        if (std::find(held.begin(), held.end(), type) != held.end())
            return type;
    return std::nullopt;
}

bool Pasteboard::setStringForType(std::string_view text, std::string_view type) {
    if (!setDataForType(Value::Data(text.begin(), text.end()), type))
        return false;
    if (isGeneral() && type == PasteboardTypeString && generalBackend())
        generalBackend()->writeString(text);
    return true;
}

bool Pasteboard::setDataForType(Value::Data data, std::string_view type) {
    if (std::find(types_.begin(), types_.end(), type) == types_.end())
        types_.emplace_back(type);
    data_.insert_or_assign(std::string(type), std::move(data));
    return true;
}

std::optional<std::string> Pasteboard::stringForType(std::string_view type) const {
    if (isGeneral() && type == PasteboardTypeString && generalBackend())
        if (auto text = generalBackend()->readString())
            return text;
    auto it = data_.find(type);
    if (it == data_.end())
        return std::nullopt;
    return std::string(it->second.begin(), it->second.end());
}

std::optional<Value::Data> Pasteboard::dataForType(std::string_view type) const {
    if (isGeneral() && type == PasteboardTypeString && generalBackend())
        if (auto text = generalBackend()->readString())
            return Value::Data(text->begin(), text->end());
    auto it = data_.find(type);
    if (it == data_.end())
        return std::nullopt;
    return it->second;
}

bool Pasteboard::writeString(std::string_view text) {
    clearContents();
    return setStringForType(text, PasteboardTypeString);
}

} // namespace platform
