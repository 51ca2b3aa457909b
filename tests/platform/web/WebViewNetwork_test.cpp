#include "platform/foundation/TestSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ScrollView.h"
#include "platform/web/WebView.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using kittest::KitTest;
using platform::RunLoop;
using platform::WebError;
using platform::WebErrorCode;
using platform::WebView;

// A plain HTTP server on the loopback interface, one thread a connection. Its pages: /ok,
// /missing (404), /loop (redirects to itself), /silent (reads the request, never answers),
// /big (a body far larger than the view takes), /script (a page with active content).
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 16);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        acceptor_.join();
        close(listener_);
        for (std::thread& t : connections_)
            t.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // What /picture.png and /local serve; set before the first request.
    std::string picture;
    std::string localPage;

private:
    void acceptLoop() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = accept(listener_, nullptr, nullptr);
            if (client >= 0)
                connections_.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(int client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && !stop_) {
            pollfd waiting{client, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const ssize_t got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        if (path == "/silent") {
            while (!stop_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (path == "/big") {
            sendAll(client,
                    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n");
            const std::string chunk(16 * 1024, 'x');
            for (int i = 0; i < 256 && !stop_; ++i)
                if (!sendAll(client, chunk))
                    break;
        } else if (path == "/picture.png" || path == "/gallery" || path == "/local") {
            const std::string body = path == "/gallery" ? "<p>Look:</p><img src=\"/picture.png\">"
                                     : path == "/local" ? localPage
                                                        : picture;
            sendAll(client, std::string("HTTP/1.1 200 OK\r\nContent-Type: ") +
                                (path == "/picture.png" ? "image/png" : "text/html") +
                                "\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\nConnection: close\r\n\r\n" + body);
        } else if (path == "/latin1") {
            sendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=ISO-8859-1\r\n"
                            "Content-Length: 13\r\nConnection: close\r\n\r\n<p>Caf\xe9 \xe0</p>");
        } else if (path == "/loop") {
            sendAll(client, "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n"
                            "Connection: close\r\n\r\n");
        } else if (path == "/ok" || path == "/script") {
            const std::string body =
                path == "/ok" ? "<html><head><title>Served</title></head><body><p>Over the "
                                "wire</p></body></html>"
                              : "<p onclick=\"steal()\">Hello<script>steal()</script> <a "
                                "href=\"javascript:steal()\">there</a></p>";
            sendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                            "Content-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                body);
        } else {
            sendAll(client, "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n"
                            "Content-Length: 9\r\nConnection: close\r\n\r\nNot found");
        }
        close(client);
    }

    static bool sendAll(int client, const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};

class RecordingLoadDelegate : public platform::WebFrameLoadDelegate {
public:
    void webViewDidFinishLoad(WebView&, const std::string& url) override {
        finished.push_back(url);
    }
    void webViewDidFailLoad(WebView&, const WebError& error) override { failed.push_back(error); }
    std::vector<std::string> finished;
    std::vector<WebError> failed;
};

class WebViewNetworkTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        webView = platform::make<WebView>(platform::Rect{0, 0, 400, 300});
        webView->setFrameLoadDelegate(&delegate);
        platform::HTTPLoader::Options options;
        options.timeout = 2;
        options.connectTimeout = 2;
        options.maxBytes = 64 * 1024;
        webView->setNetworkOptions(options);
    }
    void TearDown() override {
        webView.reset();
        KitTest::TearDown();
    }

    // Runs the main loop (on the wall clock: the fetch happens on another thread) until the
    // delegate hears how the load went.
    void waitForOutcome(double seconds = 10) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (delegate.finished.empty() && delegate.failed.empty() &&
               std::chrono::steady_clock::now() < deadline) {
            RunLoop::main().runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        RunLoop::main().runUntilIdle();
    }

    WebErrorCode failureOf(const std::string& url) {
        delegate.failed.clear();
        delegate.finished.clear();
        webView->loadURL(url);
        waitForOutcome();
        EXPECT_TRUE(delegate.finished.empty()) << url;
        if (delegate.failed.size() != 1) {
            ADD_FAILURE() << url << " reported " << delegate.failed.size() << " failures";
            return WebErrorCode::UnsupportedURL;
        }
        EXPECT_FALSE(delegate.failed[0].localizedDescription.empty()) << url;
        EXPECT_EQ(delegate.failed[0].failingURL, url);
        return delegate.failed[0].code;
    }

    std::shared_ptr<WebView> webView;
    RecordingLoadDelegate delegate;
};

TEST_F(WebViewNetworkTest, LoadsAPageOverHTTPAndReportsEveryFailureWithItsReason) {
    LoopbackServer server;
    webView->loadURL(server.url("/ok"));
    EXPECT_TRUE(webView->isLoading());
    waitForOutcome();
    ASSERT_EQ(delegate.finished, std::vector<std::string>{server.url("/ok")});
    EXPECT_EQ(webView->renderedText(), "Over the wire");
    EXPECT_EQ(webView->title(), "Served");
    EXPECT_FALSE(webView->isLoading());

    EXPECT_EQ(failureOf(server.url("/missing")), WebErrorCode::HTTPError);
    EXPECT_EQ(delegate.failed[0].httpStatusCode, 404);
    EXPECT_EQ(failureOf(server.url("/loop")), WebErrorCode::TooManyRedirects);
    EXPECT_EQ(failureOf(server.url("/big")), WebErrorCode::ResponseTooLarge);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf(server.url("/silent")), WebErrorCode::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    EXPECT_EQ(webView->renderedText(), "Over the wire") << "failed loads keep the page shown";
    EXPECT_EQ(webView->mainFrameURL(), server.url("/ok")) << "and its address";

    delegate.finished.clear();
    delegate.failed.clear();
    webView->loadURL(server.url("/latin1"));
    waitForOutcome();
    EXPECT_EQ(webView->renderedText(), "Caf\u00e9 \u00e0") << "read in the character set named";
}

TEST_F(WebViewNetworkTest, APagesPicturesFromTheNetworkAppearWhenTheyArrive) {
    // A 30 x 20 green picture.
    auto image = std::make_shared<platform::Image>(platform::Size{30, 20});
    image->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(platform::Color(0, 1, 0, 1));
    platform::GraphicsContext::currentContext()->fillRect({0, 0, 30, 20});
    image->unlockFocus();
    foundation_test::TempDir folder;
    ASSERT_TRUE(image->writePNG(folder / "picture.png"));
    std::ifstream in(folder / "picture.png", std::ios::binary);
    LoopbackServer server;
    server.picture.assign(std::istreambuf_iterator<char>(in), {});
    server.localPage =
        "<p>Local:</p><img src=\"file://" + (folder / "picture.png").string() + "\">";

    auto window = makeWindow({100, 100, 400, 300}, platform::BorderlessWindowMask);
    window->setContentView(webView);
    webView->loadURL(server.url("/gallery"));
    waitForOutcome();
    ASSERT_EQ(delegate.finished.size(), 1u);
    // Green anywhere in the window: the picture came and the page was drawn again.
    const auto pictureShown = [&] {
        webView->updateLayout();
        window->displayIfNeeded();
        const platform::WindowPixels pixels = window->backingPixels();
        for (int y = 0; y < pixels.height; ++y) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(pixels.data + y * pixels.stride);
            for (int x = 0; x < pixels.width; ++x)
                if ((row[x] & 0xffffff) == 0x00ff00)
                    return true;
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool shown = false;
    while (!(shown = pictureShown()) && std::chrono::steady_clock::now() < deadline) {
        RunLoop::main().runUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(shown) << "the picture is drawn";

    // A page from the network cannot show a file of this computer.
    delegate.finished.clear();
    webView->loadURL(server.url("/local"));
    waitForOutcome();
    ASSERT_EQ(delegate.finished.size(), 1u);
    EXPECT_FALSE(pictureShown());
    window->setContentView(nullptr);
}

TEST_F(WebViewNetworkTest, PagesFromTheNetworkAreCleanedBeforeTheyReachTheDom) {
    LoopbackServer server;
    webView->loadURL(server.url("/script"));
    waitForOutcome();
    ASSERT_EQ(delegate.finished.size(), 1u);
    const std::string html = webView->mainFrameDocument().serialize();
    EXPECT_EQ(html.find("steal"), std::string::npos) << html;
    EXPECT_EQ(webView->renderedText(), "Hello there");
}

TEST_F(WebViewNetworkTest, ALoadCutShortByTheViewGoingAwayReportsNothing) {
    LoopbackServer server;
    webView->loadURL(server.url("/silent"));
    webView.reset();
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(delegate.failed.empty());
    EXPECT_TRUE(delegate.finished.empty());
}

// A TLS server run by the openssl command with a certificate made for the test.
class TLSServer {
public:
    explicit TLSServer(const std::filesystem::path& folder) {
        certificate_ = folder / "cert.pem";
        const std::filesystem::path key = folder / "key.pem";
        const std::string make =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost "
            "-addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout '" +
            key.string() + "' -out '" + certificate_.string() + "' >/dev/null 2>&1";
        ready_ = std::system(make.c_str()) == 0;
        if (!ready_)
            return;
        // A free port: the kernel picks one, which is given back for the server to take.
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        close(probe);
        std::ofstream(folder / "index.html") << "<p>Secure page</p>";
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0)
                _exit(127);
            const std::string port = std::to_string(port_);
            execlp("openssl", "openssl", "s_server", "-quiet", "-accept", port.c_str(), "-cert",
                   certificate_.c_str(), "-key", key.c_str(), "-WWW", nullptr);
            _exit(127);
        }
        ready_ = waitUntilListening();
    }

    ~TLSServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool ready() const { return ready_; }
    std::string url(const std::string& host) const {
        return "https://" + host + ":" + std::to_string(port_) + "/index.html";
    }
    const std::filesystem::path& certificate() const { return certificate_; }

private:
    bool waitUntilListening() {
        for (int attempt = 0; attempt < 200; ++attempt) {
            const int s = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(port_));
            const bool up = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            close(s);
            if (up)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    std::filesystem::path certificate_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};

TEST_F(WebViewNetworkTest, HTTPSChecksTheServersCertificate) {
    foundation_test::TempDir folder;
    TLSServer server(folder.path());
    ASSERT_TRUE(server.ready()) << "the openssl command is needed";

    // Self-signed: no authority the system knows vouches for it.
    EXPECT_EQ(failureOf(server.url("127.0.0.1")), WebErrorCode::BadServerCertificate);

    // Trusted, the same server's page loads.
    platform::HTTPLoader::Options trusting;
    trusting.caFile = server.certificate().string();
    webView->setNetworkOptions(trusting);
    delegate.failed.clear();
    webView->loadURL(server.url("127.0.0.1"));
    waitForOutcome();
    ASSERT_EQ(delegate.finished.size(), 1u);
    EXPECT_EQ(webView->renderedText(), "Secure page");
}

} // namespace
