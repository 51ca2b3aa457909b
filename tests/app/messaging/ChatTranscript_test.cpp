#include "app/messaging/ChatSmileys.h"
#include "app/messaging/ChatTranscript.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace {

class ChatTranscriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        view = platform::make<platform::WebView>(platform::Rect{0, 0, 400, 300});
        transcript = std::make_unique<ChatTranscript>(*view);
        transcript->setTimeFormatter([](platform::Date) { return std::string("3:14 AM"); });
    }
    void TearDown() override {
        transcript.reset();
        view.reset();
        platform::RunLoop::resetMain();
    }
    void load() {
        transcript->loadPage();
        platform::RunLoop::main().runUntilIdle();
        ASSERT_TRUE(transcript->isReady());
        transcript->pageLoaded();
    }
    platform::DOMElement paras() const { return view->mainFrameDocument().getElementById("paras"); }
    std::string parasHTML() const { return paras().innerHTML(); }

    std::shared_ptr<platform::WebView> view;
    std::unique_ptr<ChatTranscript> transcript;
};

TEST_F(ChatTranscriptTest, AMessageBeforeThePageIsShownAfterItAsReceivedWithNameAndTime) {
    transcript->addMessage("<b>hi</b>", "Bob", true, platform::Date{});
    transcript->addAlert("joined");
    transcript->addWarning("");
    transcript->setArchive("<font>old</font>", platform::Date::fromUnixTime(0));
    EXPECT_EQ(transcript->queuedMessageCount(), 1u);
    load();
    EXPECT_EQ(transcript->queuedMessageCount(), 0u);
    const auto entries = paras().children();
    ASSERT_EQ(entries.size(), 3u) << parasHTML();
    EXPECT_EQ(entries[0].getAttribute("id"), "archive_div") << "the archive comes first";
    EXPECT_EQ(entries[1].outerHTML(), "<div class=\"buddy\"><b>hi</b><p class=\"spaceabove\">"
                                      "<div class=\"username_buddy\">Bob \xC2\xA0</div>"
                                      "<div class=\"timestamp_buddy\">3:14 AM</div></p></div>");
    EXPECT_EQ(entries[2].className(), "statusmessagegroupchat_ready");

    // Written directly now; an empty notice adds nothing; sent messages are "user".
    transcript->addWarning("");
    transcript->addMessage("mine", "Me", false, platform::Date{});
    const auto after = paras().children();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[3].className(), "user");
    EXPECT_NE(after[3].outerHTML().find("<div class=\"username\">Me \xC2\xA0</div>"),
              std::string::npos)
        << after[3].outerHTML();

    // An archive that comes late still goes above every message.
    transcript->setArchive("<font>older</font>", platform::Date::fromUnixTime(0));
    EXPECT_EQ(paras().firstElementChild().getAttribute("id"), "archive_div");
    EXPECT_EQ(view->mainFrameDocument().getElementsByTagName("div").size() > 0, true);
}

TEST_F(ChatTranscriptTest, TheOtherPartysNameAndMarkupCannotReachThePageAsCode) {
    load();
    transcript->addMessage("<img src=x onerror=alert(1)><script>steal()</script>"
                           "<iframe src='http://evil.example'></iframe><i>fine</i>",
                           "<b onclick=x>Eve</b>", true, platform::Date{});
    auto& doc = view->mainFrameDocument();
    EXPECT_TRUE(doc.getElementsByTagName("script").empty());
    EXPECT_TRUE(doc.getElementsByTagName("iframe").empty());
    EXPECT_TRUE(doc.getElementsByTagName("b").empty()) << "the name is text";
    EXPECT_EQ(doc.getElementsByTagName("i").size(), 1u);
    for (const auto& element : doc.getElementsByTagName("*")) {
        EXPECT_FALSE(element.hasAttribute("onerror"));
        EXPECT_FALSE(element.hasAttribute("onclick"));
    }
    const auto name = paras().children()[0].children().back().children()[0];
    EXPECT_EQ(name.textContent(), "<b onclick=x>Eve</b> \xC2\xA0");
}

TEST_F(ChatTranscriptTest, SmileysBecomePicturesInTextOnly) {
    const auto laughing = ChatSmileys::imageURL("Laughing");
    const auto happy = ChatSmileys::imageURL("Happy");
    const auto tongue = ChatSmileys::imageURL("TongueOut");
    ASSERT_FALSE(laughing.empty());
    struct Case {
        const char* html;
        std::string tidied;
    };
    const auto img = [](const std::string& url) { return "<img src=\"" + url + "\" />"; };
    // Bare text comes back as a paragraph, repaired as the page's parser repairs it.
    const Case cases[] = {
        {"ha :-)) ok", "<p>ha " + img(laughing) + " ok</p>"},
        {":-) and :)", "<p>" + img(happy) + " and " + img(happy) + "</p>"},
        {"plain words, nothing to replace", "<p>plain words, nothing to replace</p>"},
        {"<a href=\"http://x.example/:P\" title=\"8)\">link :P</a>",
         "<a href=\"http://x.example/:P\" title=\"8)\">link " + img(tongue) + "</a>"},
        {"see http://x.example/:P/8) now", "<p>see http://x.example/:P/8) now</p>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChatTranscript::tidyupHTMLString(c.html), c.tidied) << c.html;
    }
}

TEST_F(ChatTranscriptTest, OnlyATranscriptWithAMessageIsArchived) {
    load();
    transcript->setArchive("<font>last time</font>", platform::Date::fromUnixTime(0));
    transcript->addAlert("Session started");
    EXPECT_EQ(transcript->htmlToArchive(), std::nullopt)
        << "the archive block does not count as a message";
    EXPECT_FALSE(view->mainFrameDocument().getElementById("archive_div"));

    transcript->showStatus("statusmessage_offline", "Bob appears to be offline");
    transcript->addMessage("<span><font face=\"Arial\">hello</font></span>", "Bob", true,
                           platform::Date{});
    transcript->showStatus("statusmessage_offline", "Bob appears to be offline");
    const auto html = transcript->htmlToArchive();
    ASSERT_TRUE(html);
    EXPECT_NE(html->find("<font face=\"Arial\">hello</font>"), std::string::npos);
    EXPECT_EQ(html->find("offline"), std::string::npos) << "the status block is hidden first";
}

} // namespace
