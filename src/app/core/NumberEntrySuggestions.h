#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <string_view>
#include <vector>

class OVAutoCompleteItem;
class OVAutoCompleteModel;

namespace platform {
class ActionTarget;
class Menu;
class TableColumn;
} // namespace platform

// What a field taking a number shows of its suggestions model: the list under the field (the
// model's items in the engine's order of relevance, one row each, acted on when picked) and the
// redial menu of its drop-down. The call entry and each call panel's in-call entry keep one.
class NumberEntrySuggestions {
public:
    const std::vector<std::shared_ptr<OVAutoCompleteItem>>& items() const { return _items; }
    // The model's list again, sorted stably (items the engine ranks equal keep their order).
    void reload(const OVAutoCompleteModel& model);
    void clear() { _items.clear(); }
    // The row picked by a click, Return or a double click: the model takes it and acts on it.
    void pick(OVAutoCompleteModel& model, long row) const;

    long numberOfRows() const { return static_cast<long>(_items.size()); }
    // The row's value in the column "name", "number" or "type" (the address kind's image);
    // nothing for another column or a row out of range. No column means "name".
    platform::Value objectValue(const platform::TableColumn* column, long row) const;

    // The drop-down's redial menu: the ten most recent calls of the model's redial list, each
    // titled by its party (with the address kind and address for a contact) and sending
    // `action` to `target` with the call as its represented object.
    static void appendRedialItems(OVAutoCompleteModel& model, platform::Menu& menu,
                                  platform::ActionTarget* target, std::string_view action);

private:
    std::vector<std::shared_ptr<OVAutoCompleteItem>> _items;
};
