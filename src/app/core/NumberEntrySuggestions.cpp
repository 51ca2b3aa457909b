#include "app/core/NumberEntrySuggestions.h"

#include "engine/CallHistoryService.h"
#include "engine/OVAutoCompleteModel.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Menu.h"
#include "platform/kit/TableColumn.h"
#include "support/MenuExtensions.h"
#include "support/ValueTransformers.h"

#include <algorithm>

namespace {

constexpr std::size_t kRedialItems = 10;

std::string addressTypeLabel(OVAddressType type) {
    return ContactAddressStringTransformer()
        .transformedValue(platform::Value(static_cast<long long>(type)))
        .stringValue();
}

} // namespace

void NumberEntrySuggestions::reload(const OVAutoCompleteModel& model) {
    _items = model.getAutoCompleteList();
    std::stable_sort(_items.begin(), _items.end(),
                     [](const auto& a, const auto& b) { return a->compare(*b) < 0; });
}

void NumberEntrySuggestions::pick(OVAutoCompleteModel& model, long row) const {
    if (row < 0 || row >= numberOfRows())
        return;
    model.setAutoCompleteItem(_items[static_cast<std::size_t>(row)]);
    model.autoCompleteAction();
}

platform::Value NumberEntrySuggestions::objectValue(const platform::TableColumn* column,
                                                    long row) const {
    if (row < 0 || row >= numberOfRows())
        return {};
    const auto item = _items[static_cast<std::size_t>(row)]->getSpaceItem();
    const std::string identifier = column ? column->identifier() : std::string("name");
    if (identifier == "number")
        return platform::Value(item->addressToDisplay());
    if (identifier == "name")
        return platform::Value(item->displayName());
    if (identifier == "type")
        return ContactAddressImageTransformer().transformedValue(
            platform::Value(static_cast<long long>(item->addressType())));
    return {};
}

void NumberEntrySuggestions::appendRedialItems(OVAutoCompleteModel& model, platform::Menu& menu,
                                               platform::ActionTarget* target,
                                               std::string_view action) {
    model.redialShow();
    const auto& list = model.getRedialList();
    for (std::size_t i = 0; i < list.size() && i < kRedialItems; ++i) {
        const auto item = list[i]->getSpaceItem();
        std::string title = item->display();
        if (item->isContact() && item->addressType() != OVAddressType::other)
            title = platform::formatString("%@ [%@: %@]", item->display(),
                                           addressTypeLabel(item->addressType()),
                                           item->addressToDisplay());
        OrvantaExtensions::addItemWithTitle(
            menu, std::move(title), target, std::string(action), "",
            platform::Value(std::static_pointer_cast<platform::Object>(list[i])));
    }
}
