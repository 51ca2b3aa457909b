#include "app/messaging/ChatTranscript.h"

#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "platform/web/HTMLSanitizer.h"
#include "platform/web/WebView.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

#include <ctime>

ChatTranscript::ChatTranscript(platform::WebView& view)
    : view_(view), timeFormatter_([](platform::Date date) {
          return stringFromDate(date, DateFormatterStyle::None, DateFormatterStyle::Short,
                                QXLS("msg.timestamp.am", "AM"), QXLS("msg.timestamp.pm", "PM"));
      }) {}

platform::HTMLDocument& ChatTranscript::document() const {
    return view_.mainFrameDocument();
}

platform::DOMElement ChatTranscript::paras() const {
    return document().getElementById("paras");
}

bool ChatTranscript::isReady() const {
    return static_cast<bool>(paras());
}

void ChatTranscript::loadPage() {
    statusElement_ = {};
    view_.loadBundlePage("imchat");
}

std::string ChatTranscript::tidyupHTMLString(std::string_view html) {
    if (html.empty()) {
        return {};
    }
    const std::string clean = platform::HTMLSanitizer::sanitizeFragment(
        html, platform::HTMLSanitizer::Policy::Transcript);
    return ChatSmileys::replaceInMarkup(platform::tidiedBodyXML(clean));
}

void ChatTranscript::addMessage(const std::string& html, const std::string& userName, bool received,
                                platform::Date timeStamp) {
    auto container = paras();
    if (!container) {
        messages_.push_back({html, userName, timeStamp});
        return;
    }
    // A message says the party is there after all, unless their presence still says not.
    if (!partyOffline_) {
        hideStatus();
    }
    auto& doc = document();
    auto message = doc.createElement("div");
    message.setInnerHTML(tidyupHTMLString(html));
    message.setClassName(received ? "buddy" : "user");
    if (!options_.bareMessages) {
        auto line = message.appendChild("p");
        line.setClassName("spaceabove");
        if (!userName.empty()) {
            auto name = line.appendChild("div");
            name.setClassName(received ? "username_buddy" : "username");
            name.setInnerHTML(chat_html::escapeHtmlEntities(userName) + " &nbsp;");
        }
        if (options_.showTimestamps) {
            auto time = line.appendChild("div");
            time.setClassName(received ? "timestamp_buddy" : "timestamp");
            time.setInnerText(timeFormatter_(timeStamp));
        }
    }
    container.appendChild(message);
    if (!options_.bareMessages) {
        message.scrollIntoView(false);
    }
}

void ChatTranscript::addAlert(const std::string& html) {
    auto container = paras();
    if (!container) {
        alerts_.push_back(html);
        return;
    }
    if (html.empty()) {
        return;
    }
    auto block = document().createElement("div");
    block.setClassName("statusmessagegroupchat_ready");
    block.setInnerHTML(html);
    container.appendChild(block);
    block.scrollIntoView(false);
}

void ChatTranscript::addWarning(const std::string& html) {
    auto container = paras();
    if (!container) {
        warnings_.push_back(html);
        return;
    }
    if (html.empty()) {
        return;
    }
    auto block = document().createElement("div");
    block.setClassName("warning_message");
    block.setInnerHTML(html);
    container.appendChild(block);
    block.scrollIntoView(false);
}

void ChatTranscript::setArchive(std::string content, platform::Date date) {
    if (content.empty()) {
        return;
    }
    archive_ = std::pair{std::move(content), date};
    if (isReady()) {
        writeArchive();
    }
}

std::string ChatTranscript::archiveDateText(platform::Date date) {
    const std::time_t seconds = static_cast<std::time_t>(date.unixTime());
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %I:%M:%S ", &local);
    return std::string(buffer) +
           (local.tm_hour < 12 ? QXLS("msg.timestamp.am", "AM") : QXLS("msg.timestamp.pm", "PM"));
}

void ChatTranscript::writeArchive() {
    auto container = paras();
    if (!container || !archive_) {
        return;
    }
    auto [content, date] = std::move(*archive_);
    archive_.reset();
    if (auto old = document().getElementById("archive_div")) {
        old.remove();
    }
    auto& doc = document();
    auto block = doc.createElement("div");
    block.setAttribute("id", "archive_div");
    auto link = block.appendChild("div");
    link.setAttribute("style", "clear:both; padding:5px;");
    link.setInnerHTML(
        "<a class='archive_view_link' href='view_archive'>" +
        chat_html::escapeHtmlEntities(QXLS("msg.viewarchive.label", "View Message Archive")) +
        "</a>");
    auto body = block.appendChild("div");
    // What was archived was shown before; it is cleaned again all the same, as the store is a
    // file anyone with the account can edit.
    body.setInnerHTML(platform::HTMLSanitizer::sanitizeFragment(
        content, platform::HTMLSanitizer::Policy::Transcript));
    auto divider = block.appendChild("div");
    divider.setAttribute("style", "clear:both; padding:5px;");
    divider.setInnerHTML("<hr class='archive_divider'> " +
                         chat_html::escapeHtmlEntities(archiveDateText(date)));
    container.insertBefore(block, container.firstElementChild());
    block.scrollIntoView(false);
}

void ChatTranscript::showStatus(const std::string& className, const std::string& text) {
    auto container = paras();
    if (!container) {
        return;
    }
    if (!statusElement_) {
        statusElement_ = document().createElement("div");
        container.appendChild(statusElement_);
    }
    statusElement_.setClassName(className);
    statusElement_.setInnerText(text);
    statusElement_.scrollIntoView(false);
}

void ChatTranscript::hideStatus() {
    if (statusElement_) {
        auto element = statusElement_;
        statusElement_ = {};
        element.remove();
    }
}

void ChatTranscript::pageLoaded() {
    if (!isReady()) {
        return;
    }
    writeArchive();
    auto messages = std::move(messages_);
    messages_.clear();
    for (const auto& message : messages) {
        addMessage(message.html, message.userName, true, message.timeStamp);
    }
    auto alerts = std::move(alerts_);
    alerts_.clear();
    for (const auto& alert : alerts) {
        addAlert(alert);
    }
    auto warnings = std::move(warnings_);
    warnings_.clear();
    for (const auto& warning : warnings) {
        addWarning(warning);
    }
}

std::optional<std::string> ChatTranscript::htmlToArchive() {
    if (auto block = document().getElementById("archive_div")) {
        block.remove();
    }
    if (document().getElementsByTagName("font").empty()) {
        return std::nullopt;
    }
    hideStatus();
    return document().body().innerHTML();
}
