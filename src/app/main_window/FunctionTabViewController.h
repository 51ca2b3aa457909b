#pragma once

#include "platform/kit/View.h"

#include <memory>
#include <string>

namespace platform {
class TextField;
}

// The controller of one function tab's content. Tabs whose contents come with later work show
// a plain notice on their view: "<title> is not available yet."
class FunctionTabViewController {
public:
    explicit FunctionTabViewController(std::string title);
    virtual ~FunctionTabViewController();

    // The tab's content, made on first use.
    std::shared_ptr<platform::View> view();
    const std::string& title() const { return _title; }
    // Renames the tab's content; the notice follows.
    void setTitle(std::string title);
    // The notice's text, as shown.
    std::string notice() const;

private:
    std::string _title;
    std::shared_ptr<platform::View> _view;
    std::shared_ptr<platform::TextField> _notice;
};
