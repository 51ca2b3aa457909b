// The web view's two costs that users feel: a chat transcript of 10,000 messages taking one
// more (appended at the end, laid out alone, the changed area repainted; goal 2 ms), and the
// first paint of a 200 KB page (parse, style, lay out, draw one screen; goal 50 ms). Both in an
// off-screen 800 x 600 window.

#include "platform/kit/Window.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using platform::Rect;

std::string message(long n) {
    return "<span class=\"who\">Alice " + std::to_string(n % 7) +
           "</span> <span class=\"time\">10:" + std::to_string(10 + n % 50) +
           "</span><p>Message number " + std::to_string(n) +
           ", a line of chat with <b>some</b> words in it.</p>";
}

std::string transcript(long messages) {
    std::string html = "<html><head><style>.message{margin:4px 0;padding:2px 6px;"
                       "border-bottom:1px solid #ddd}.who{font-weight:bold;color:#246}"
                       ".time{color:#888;font-size:11px}.message p{margin:0}</style></head>"
                       "<body><div id=\"paras\">";
    for (long i = 0; i < messages; ++i)
        html += "<div class=\"message\">" + message(i) + "</div>";
    return html + "</div></body></html>";
}

// About `bytes` of an ordinary page: headings, paragraphs with inline formatting, lists and a
// table, over and over.
std::string page(std::size_t bytes) {
    std::string html = "<html><head><title>Page</title><style>body{font-family:sans-serif}"
                       "table{border-collapse:collapse}td{border:1px solid #ccc;padding:2px}"
                       "</style></head><body>";
    for (long section = 0; html.size() < bytes; ++section) {
        html += "<h2>Section " + std::to_string(section) + "</h2>";
        for (int p = 0; p < 4; ++p)
            html += "<p>Paragraph " + std::to_string(p) +
                    " of this section, with <a href=\"#s\">a link</a>, <em>emphasis</em> and "
                    "<b>bold words</b> to show how text wraps in a view of ordinary width.</p>";
        html += "<ul><li>First point</li><li>Second point</li><li>Third point</li></ul>";
        html += "<table><tr><td>Name</td><td>Number</td></tr><tr><td>Alice</td><td>" +
                std::to_string(section) + "</td></tr></table>";
    }
    return html + "</body></html>";
}

struct WebWindow {
    WebWindow() {
        window =
            platform::make<platform::Window>(Rect{100, 100, 800, 600}, platform::TitledWindowMask);
        web = platform::make<platform::WebView>(Rect{0, 0, 800, 600});
        window->setContentView(web);
    }
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::WebView> web;
};

void BM_AppendMessageToTranscriptOf10000(benchmark::State& state) {
    WebWindow w;
    w.web->loadHTMLString(transcript(10000));
    platform::HTMLDocument& document = w.web->mainFrameDocument();
    platform::DOMElement paras = document.getElementById("paras");
    w.web->updateLayout();
    paras.children().back().scrollIntoView(false);
    w.window->display();
    long n = 10000;
    for (auto _ : state) {
        platform::DOMElement entry = document.createElement("div");
        entry.setClassName("message");
        entry.setInnerHTML(message(n++));
        paras.appendChild(entry);
        w.web->updateLayout();
        if (state.range(0))
            entry.scrollIntoView(false);
        w.window->displayIfNeeded();
    }
    state.SetLabel(state.range(0) ? "scrolled to the new message" : "view at the top");
}
BENCHMARK(BM_AppendMessageToTranscriptOf10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FirstPaintOf200KBPage(benchmark::State& state) {
    WebWindow w;
    const std::string html = page(200 * 1024);
    for (auto _ : state) {
        w.web->loadHTMLString(html);
        w.window->displayIfNeeded();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_FirstPaintOf200KBPage)->Unit(benchmark::kMillisecond);

} // namespace
