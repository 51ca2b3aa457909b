#include "app/core/RemotePage.h"

#include "support/HTMLEscaping.h"

void RemotePage::load(platform::WebView& view, const std::string& url) {
    _failureText.clear();
    _url = url;
    view.setMainFrameURL(url);
}

void RemotePage::clear() {
    _url.reset();
    _failureText.clear();
}

void RemotePage::didFinishLoad(const std::string& url) {
    if (_url && url == *_url) {
        _failureText.clear();
    }
}

bool RemotePage::didFailLoad(platform::WebView& view, const platform::WebError& error,
                             std::string text, std::optional<std::string_view> detail,
                             std::string_view style) {
    if (!_url || error.failingURL != *_url) {
        return false;
    }
    _url.reset();
    _failureText = std::move(text);
    std::string html = "<html><body><p style=\"" + std::string(style) + "\">" +
                       escapedHTMLText(_failureText) + "</p>";
    if (detail) {
        html +=
            "<p style=\"text-align: center; color: #777777;\">" + escapedHTMLText(*detail) + "</p>";
    }
    view.loadHTMLString(html + "</body></html>");
    return true;
}
