#pragma once

#include "app/main_window/FunctionTabViewController.h"

// The Favourites tab. Set up when the tab is made and cleaned up when the tabs go.
class FavouritesTabViewController : public FunctionTabViewController {
public:
    using FunctionTabViewController::FunctionTabViewController;

    void setup();
    void cleanup();
    bool isSetUp() const { return _setUp; }

private:
    bool _setUp = false;
};
