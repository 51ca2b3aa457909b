#pragma once

#include "engine/CallHistoryService.h"
#include "engine/OVAutoCompleteItem.h"
#include "engine/OVModel.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class OVNumberEntryModel;

// Callbacks of an auto-complete model.
class OVAutoCompleteModelPro : public virtual OVModelPro {
public:
    // "IsAutoCompleteShown" (or "AutoCompleteItem") changed.
    virtual void ovmdAutoCompletePropertyChanged(const std::string& /*propertyName*/) {}
    virtual void ovmdAutoCompleteListCollectionChanged() {}
    virtual void ovmdAutoCompleteFocusRequested(const std::string& /*propertyName*/) {}
    virtual void ovmdRedialListCollectionChanged() {}
};

// The suggestions for what a number entry holds, from the contacts and the call history, and
// the redial list of the addresses last called. The list follows the entry's text: each change
// is looked up on the next pass of the run loop (one lookup for a burst of keys), then the list
// and whether it is shown are reported.
class OVAutoCompleteModel : public OVModelOf<OVAutoCompleteModelPro>,
                            public std::enable_shared_from_this<OVAutoCompleteModel> {
public:
    static constexpr std::string_view isAutoCompleteShownProperty = "IsAutoCompleteShown";
    static constexpr std::string_view autoCompleteItemProperty = "AutoCompleteItem";
    // Suggestions of each kind (contacts, history) at most.
    static constexpr int maximumSuggestions = 25;

    // A model for the entry: picked items go into it.
    static std::shared_ptr<OVAutoCompleteModel>
    create(const std::shared_ptr<OVNumberEntryModel>& entry);

    bool getIsAutoCompleteShown() const { return shown_; }
    const std::vector<std::shared_ptr<OVAutoCompleteItem>>& getAutoCompleteList() const {
        return list_;
    }
    void setAutoCompleteItem(std::shared_ptr<OVAutoCompleteItem> item) { item_ = std::move(item); }
    // The item set last goes into the entry, and the list closes.
    void autoCompleteAction();

    // Reads the redial list afresh (ovmdRedialListCollectionChanged follows when it changed).
    void redialShow();
    const std::vector<std::shared_ptr<OVModelCallHistoryItem>>& getRedialList() const {
        return redial_;
    }
    void setRedialItem(std::shared_ptr<OVModelCallHistoryItem> item) {
        redialItem_ = std::move(item);
    }
    // The redial item set last goes into the entry and is dialled.
    void redialAction();

    // Engine side: the entry's text changed, or the list is to close; who dials.
    void textChanged(const std::string& text);
    void dismiss();
    void setDialHandler(std::function<void()> handler) { dialHandler_ = std::move(handler); }
    // Runs the lookup now (the next pass does it otherwise).
    void refreshNow();

private:
    void setShown(bool shown, bool always = false);
    std::weak_ptr<OVNumberEntryModel> entry_;
    std::vector<std::shared_ptr<OVAutoCompleteItem>> list_;
    std::shared_ptr<OVAutoCompleteItem> item_;
    std::vector<std::shared_ptr<OVModelCallHistoryItem>> redial_;
    std::shared_ptr<OVModelCallHistoryItem> redialItem_;
    std::function<void()> dialHandler_;
    std::string text_;
    bool lookupPending_ = false;
    bool shown_ = false;
};
