#pragma once

#include "app/main_window/FunctionTabViewController.h"

#include <string>
#include <vector>

// The Directory tab. Its search options are the directories the features and settings switch
// on (the address books, LDAP, the IP Office directory); they are read again on every pass of
// the tabs, so a directory switched on or off in the preferences is offered or dropped.
class DirectoryTabViewController : public FunctionTabViewController {
public:
    explicit DirectoryTabViewController(std::string title);
    ~DirectoryTabViewController() override;

    // The directory tab alive, if any.
    static DirectoryTabViewController* sharedController();

    void setup();
    void setupSearchOptions();
    void cleanup();
    // "addressBooks", "ldap", "ipoDirectory", in that order, as far as each is on.
    const std::vector<std::string>& searchOptions() const { return _searchOptions; }

private:
    std::vector<std::string> _searchOptions;
};
