#pragma once

#include <functional>
#include <string>

namespace platform {

// The desktop's side of opening things: addresses go to the desktop's opener (xdg-open), which
// hands them to the user's browser or mail program.
class Workspace {
public:
    static Workspace& sharedWorkspace();

    // How an opening ended, told on a later pass of the main run loop: empty when the opener
    // took the address, otherwise why it could not be opened.
    using Completion = std::function<void(const std::string& failure)>;
    // Starts the opener with `url` without waiting for it. An empty address fails at once.
    void openURL(const std::string& url, Completion completion);

    // The program run as the opener, found on PATH ("xdg-open" unless set).
    const std::string& openerProgram() const { return opener_; }
    void setOpenerProgram(std::string program);

private:
    std::string opener_ = "xdg-open";
};

} // namespace platform
