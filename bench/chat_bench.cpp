// The chat window's two costs that users feel: one more message in a transcript of 10,000
// (written by the transcript into the page, laid out alone, repainted; goal 2 ms), and opening
// a chat window on a session whose 1,000 messages are waiting for it (page loaded, every
// message written, first paint with the newest messages; goal 100 ms). The page lays out the
// older messages a moment after the first paint: the last bench counts that as well.

#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatTranscript.h"
#include "app/messaging/IMWindowController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Window.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using platform::Rect;

std::string messageHTML(long n) {
    platform::TextAttributes bold;
    bold.font = platform::Font::fontWithName("Arial", 13).fontWithBold(true);
    platform::AttributedString text("Message number " + std::to_string(n) + ", ");
    text.appendAttributedString(platform::AttributedString("some words :-)", bold));
    text.appendAttributedString(platform::AttributedString(" in a line of chat."));
    return chat_html::formSimpleHTML(text);
}

void prepare() {
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
}

void BM_AppendMessageToChatTranscriptOf10000(benchmark::State& state) {
    prepare();
    auto window =
        platform::make<platform::Window>(Rect{100, 100, 480, 460}, platform::TitledWindowMask);
    auto web = platform::make<platform::WebView>(Rect{0, 0, 480, 460});
    window->setContentView(web);
    ChatTranscript transcript(*web);
    transcript.loadPage();
    platform::RunLoop::main().runUntilIdle();
    transcript.pageLoaded();
    // The first 10,000 go in as one piece of markup, as they would look written one by one.
    std::string entries;
    for (long i = 0; i < 10000; ++i) {
        entries += "<div class=\"" + std::string(i % 2 ? "user" : "buddy") + "\">" +
                   ChatTranscript::tidyupHTMLString(messageHTML(i)) +
                   "<p class=\"spaceabove\"><div class=\"username_buddy\">Bob &nbsp;</div>"
                   "<div class=\"timestamp_buddy\">3:14 AM</div></p></div>";
    }
    web->mainFrameDocument().getElementById("paras").setInnerHTML(entries);
    web->updateLayout();
    window->display();
    long n = 10000;
    for (auto _ : state) {
        transcript.addMessage(messageHTML(n), "Bob", n % 2 == 0, platform::Date::now());
        ++n;
        web->updateLayout();
        window->displayIfNeeded();
    }
}
BENCHMARK(BM_AppendMessageToChatTranscriptOf10000)->Unit(benchmark::kMillisecond);

void openChatWindowOn1000Messages(benchmark::State& state, bool wholePage) {
    prepare();
    std::vector<std::string> messages;
    for (long i = 0; i < 1000; ++i) {
        messages.push_back(messageHTML(i));
    }
    auto bob = std::make_shared<ChatParticipant>("sip:bob@sip.lumiq.example", "Bob", false);
    for (auto _ : state) {
        auto session = std::make_shared<IMSession>(nullptr, "im-1", "sip:bob@sip.lumiq.example",
                                                   "Bob", false, false, false);
        auto chat = std::make_shared<IMWindowController>(session);
        for (const auto& html : messages) {
            chat->imMessageReceivedPlain("", html, platform::Date::now(), false, bob);
        }
        platform::RunLoop::main().runUntilIdle();
        chat->window()->displayIfNeeded();
        if (wholePage) {
            chat->webView()->updateLayout();
            chat->window()->displayIfNeeded();
        }
        benchmark::DoNotOptimize(chat->webView()->mainFrameDocument().body());
        state.PauseTiming();
        chat.reset();
        platform::RunLoop::main().runUntilIdle();
        state.ResumeTiming();
    }
}

void BM_OpenChatWindowOnSessionWith1000Messages(benchmark::State& state) {
    openChatWindowOn1000Messages(state, false);
}
BENCHMARK(BM_OpenChatWindowOnSessionWith1000Messages)->Unit(benchmark::kMillisecond);

void BM_OpenChatWindowOnSessionWith1000MessagesAllLaidOut(benchmark::State& state) {
    openChatWindowOn1000Messages(state, true);
}
BENCHMARK(BM_OpenChatWindowOnSessionWith1000MessagesAllLaidOut)->Unit(benchmark::kMillisecond);

} // namespace
