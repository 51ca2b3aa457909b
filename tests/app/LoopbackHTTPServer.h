#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace app_test {

// A plain HTTP server on the loopback interface, one thread a connection, for the windows that
// show remote pages. Pages are set before they are asked for; any other path answers 404, and
// "/silent" reads the request and never answers.
class LoopbackHTTPServer {
public:
    LoopbackHTTPServer() {
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
    ~LoopbackHTTPServer() {
        stop_ = true;
        acceptor_.join();
        close(listener_);
        for (std::thread& t : connections_)
            t.join();
    }
    LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
    LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    void setPage(const std::string& path, std::string html) {
        std::lock_guard<std::mutex> lock(mutex_);
        pages_[path] = std::move(html);
    }
    int requests(const std::string& path) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = asked_.find(path);
        return it == asked_.end() ? 0 : it->second;
    }

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
        std::string body;
        bool found = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++asked_[path];
            if (auto it = pages_.find(path); it != pages_.end()) {
                body = it->second;
                found = true;
            }
        }
        if (path == "/silent") {
            while (!stop_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (found) {
            sendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                            "Content-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                body);
        } else {
            sendAll(client, "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\n"
                            "Content-Length: 6\r\nConnection: close\r\n\r\nBroken");
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
    mutable std::mutex mutex_;
    std::map<std::string, std::string> pages_;
    std::map<std::string, int> asked_;
};

} // namespace app_test
