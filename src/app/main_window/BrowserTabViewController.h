#pragma once

#include "app/main_window/FunctionTabViewController.h"

#include <string>

// A web tab: the address and title its settings give it ("webBrowser" urlN and titleN),
// handed over again on every pass of the tabs. While its label is being dragged it is moving.
class BrowserTabViewController : public FunctionTabViewController {
public:
    using FunctionTabViewController::FunctionTabViewController;

    void setupWith(std::string url);
    const std::string& url() const { return _url; }
    void tabViewWillMove() { _moving = true; }
    void tabViewMoved() { _moving = false; }
    bool isMoving() const { return _moving; }
    void cleanup();

private:
    std::string _url;
    bool _moving = false;
};
