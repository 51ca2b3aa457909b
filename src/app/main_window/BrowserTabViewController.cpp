#include "app/main_window/BrowserTabViewController.h"

void BrowserTabViewController::setupWith(std::string url) {
    _url = std::move(url);
}

void BrowserTabViewController::cleanup() {
    _moving = false;
}
