#pragma once

#include "platform/foundation/Value.h"
#include "platform/web/HTMLDocument.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class WebView;
}

// The transcript of a chat window: entries written as elements into the "paras" container of
// the page "imchat" shown by a web view, so the page's style sheet decides how they look.
// Entries that come before the page has loaded wait in queues and are written, in a fixed
// order, when it has. Markup from the other party is cleaned before it reaches the page, and
// names are written as text.
class ChatTranscript {
public:
    struct Options {
        bool showTimestamps = true;
        // The hosted service's chats show messages without name and time lines.
        bool bareMessages = false;
    };

    explicit ChatTranscript(platform::WebView& view);
    ChatTranscript(const ChatTranscript&) = delete;
    ChatTranscript& operator=(const ChatTranscript&) = delete;

    void setOptions(Options options) { options_ = options; }
    // How times are written (a short time by default).
    void setTimeFormatter(std::function<std::string(platform::Date)> formatter) {
        timeFormatter_ = std::move(formatter);
    }
    std::string formattedTime(platform::Date date) const { return timeFormatter_(date); }

    // Starts loading the page.
    void loadPage();
    // The page has loaded: the archive, then the messages, alerts and warnings that waited.
    void pageLoaded();
    // Whether the container exists (entries are written at once).
    bool isReady() const;

    // A message: `html` is markup (the other party's is cleaned), `userName` text.
    void addMessage(const std::string& html, const std::string& userName, bool received,
                    platform::Date timeStamp);
    void addAlert(const std::string& html);
    void addWarning(const std::string& html);
    // The last archived transcript with the party, shown at the top once the page is there.
    void setArchive(std::string content, platform::Date date);
    // The offline notice below the entries: shown with its text, or hidden.
    void showStatus(const std::string& className, const std::string& text);
    void hideStatus();
    bool isStatusShown() const { return static_cast<bool>(statusElement_); }
    // While the other party is offline a new message leaves the offline notice where it is.
    void setPartyOffline(bool offline) { partyOffline_ = offline; }

    // The session has ended: drops the archive block and answers the transcript's HTML for
    // the archive when a message is in it (a font element), else nullopt.
    std::optional<std::string> htmlToArchive();

    // Markup as a message shows it: cleaned, repaired, smileys in its text as pictures.
    static std::string tidyupHTMLString(std::string_view html);
    // The date as the archive block writes it ("2026-12-11 03:14:36 AM").
    static std::string archiveDateText(platform::Date date);

    std::size_t queuedMessageCount() const { return messages_.size(); }

private:
    struct QueuedMessage {
        std::string html;
        std::string userName;
        platform::Date timeStamp;
    };
    platform::HTMLDocument& document() const;
    platform::DOMElement paras() const;
    void writeArchive();

    platform::WebView& view_;
    Options options_;
    std::function<std::string(platform::Date)> timeFormatter_;
    std::deque<QueuedMessage> messages_;
    std::deque<std::string> alerts_;
    std::deque<std::string> warnings_;
    std::optional<std::pair<std::string, platform::Date>> archive_;
    platform::DOMElement statusElement_;
    bool partyOffline_ = false;
};
