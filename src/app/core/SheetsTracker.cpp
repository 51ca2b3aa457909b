#include "app/core/SheetsTracker.h"

#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cstdint>

SheetsTracker& SheetsTracker::sharedController() {
    // Deliberately never destroyed: ending sheets during the process's static teardown would
    // reach an application and window server that are already gone.
    static SheetsTracker* const shared = std::make_unique<SheetsTracker>().release();
    return *shared;
}

SheetsTracker::~SheetsTracker() {
    closeAllSheets();
}

SheetsTracker::Key SheetsTracker::getKeyFromPointer(const void* object) {
    return static_cast<Key>(reinterpret_cast<std::uintptr_t>(object));
}

void SheetsTracker::registerSheet(std::shared_ptr<platform::Window> sheet, const void* creator) {
    if (!sheet) {
        return;
    }
    _sheetCreators[getKeyFromPointer(creator)].push_back(std::move(sheet));
}

void SheetsTracker::deRegisterSheet(const platform::Window* sheet, const void* creator) {
    const auto found = _sheetCreators.find(getKeyFromPointer(creator));
    if (found == _sheetCreators.end()) {
        return;
    }
    std::erase_if(found->second, [&](const auto& registered) { return registered.get() == sheet; });
}

void SheetsTracker::closeSheetsForCreator(const void* creator) {
    // The list leaves the register before any sheet ends: each end handler deregisters its
    // sheet at once, and walking the list it changes would skip sheets or read freed memory.
    auto detached = _sheetCreators.extract(getKeyFromPointer(creator));
    if (detached.empty()) {
        return;
    }
    closeSheets(detached.mapped());
}

void SheetsTracker::closeAllSheets() {
    std::map<Key, Sheets> detached;
    detached.swap(_sheetCreators);
    for (const auto& [key, sheets] : detached) {
        closeSheets(sheets);
    }
}

void SheetsTracker::closeSheets(const Sheets& sheets) {
    auto& application = platform::Application::sharedApplication();
    for (const auto& sheet : sheets) {
        application.endSheet(*sheet);
        if (dynamic_cast<platform::Panel*>(sheet.get())) {
            sheet->orderOut(nullptr);
        }
    }
}

SheetsTracker::Sheets SheetsTracker::sheetsForCreator(const void* creator) const {
    const auto found = _sheetCreators.find(getKeyFromPointer(creator));
    return found == _sheetCreators.end() ? Sheets{} : found->second;
}

bool SheetsTracker::hasCreator(const void* creator) const {
    return _sheetCreators.contains(getKeyFromPointer(creator));
}
