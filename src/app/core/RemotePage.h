#pragma once

#include "platform/web/WebView.h"

#include <optional>
#include <string>
#include <string_view>

// One remote page in a web view: the address asked for, and a line of the owner's own in place
// of the page when the server fails or never answers, never a blank view. Loads of other
// addresses (the line itself among them) are not the page's. The owner stays the view's
// delegate and hands it the load results.
class RemotePage {
public:
    // The address asked for; none before the first, after a failure and after clear().
    const std::optional<std::string>& url() const { return _url; }
    // The line shown in place of the page, "" while none is.
    const std::string& failureText() const { return _failureText; }

    // Loads the address in the view; a line shown before is gone.
    void load(platform::WebView& view, const std::string& url);
    // Forgets the address and the line (the view keeps what it shows).
    void clear();

    // The view finished loading `url`: the page's own address takes any line away.
    void didFinishLoad(const std::string& url);
    // The view failed to load: when it is the page's address, the address is forgotten (it
    // may be asked for again) and the view shows `text` in a paragraph of `style`, with
    // `detail` under it in grey when given. Answers whether the failure was the page's.
    bool didFailLoad(platform::WebView& view, const platform::WebError& error, std::string text,
                     std::optional<std::string_view> detail, std::string_view style);

private:
    std::optional<std::string> _url;
    std::string _failureText;
};
