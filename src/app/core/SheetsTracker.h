#pragma once

#include "platform/foundation/Object.h"

#include <map>
#include <memory>
#include <vector>

namespace platform {
class Window;
}

// The one register of open sheets, grouped by the object that began them (the creator), so
// that a controller's teardown, a notice dialog or the shutdown can end them from outside.
// Whoever begins a sheet registers it right after; its end handler deregisters it.
class SheetsTracker : public platform::Object {
public:
    using Key = long;
    using Sheets = std::vector<std::shared_ptr<platform::Window>>;

    // Made on first use and never released, so that it outlives every creator.
    static SheetsTracker& sharedController();

    SheetsTracker() = default;
    // Ends whatever is still registered.
    ~SheetsTracker() override;
    SheetsTracker(const SheetsTracker&) = delete;
    SheetsTracker& operator=(const SheetsTracker&) = delete;

    // The creator's identity as a key: neither the creator is kept nor compared by value.
    static Key getKeyFromPointer(const void* object);

    // Appends the sheet to the creator's list (kept while registered); no duplicate check.
    void registerSheet(std::shared_ptr<platform::Window> sheet, const void* creator);
    // Removes every occurrence of the sheet from the creator's list; an emptied list stays.
    void deRegisterSheet(const platform::Window* sheet, const void* creator);
    // Ends each of the creator's sheets in the order registered, ordering panels out, and
    // forgets the creator.
    void closeSheetsForCreator(const void* creator);
    // The same for every creator; the register is empty afterwards.
    void closeAllSheets();

    // What is registered, for tests and diagnostics: the creator's sheets (none when the
    // creator is unknown), and whether the creator has a list at all.
    Sheets sheetsForCreator(const void* creator) const;
    bool hasCreator(const void* creator) const;
    std::size_t creatorCount() const { return _sheetCreators.size(); }

private:
    static void closeSheets(const Sheets& sheets);

    std::map<Key, Sheets> _sheetCreators;
};
