#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform {

// How a fetch over HTTP or HTTPS ended.
struct HTTPResult {
    enum class Status {
        Loaded,
        // The server answered with an error status (404, 500...).
        HTTPError,
        TimedOut,
        TooManyRedirects,
        TooLarge,
        BadCertificate,
        CannotFindHost,
        CannotConnect,
        Cancelled,
        Failed,
    };
    Status status = Status::Failed;
    long statusCode = 0;
    // The address after redirects.
    std::string url;
    std::string contentType;
    std::string body;
    // What went wrong, in words, for the log and the delegate.
    std::string message;
};

// One fetch over HTTP or HTTPS through libcurl, on a thread of its own. Only http and https
// are spoken, redirects included; the certificate is checked against the system's authorities
// (and the host name against it); the transfer stops at the time limit, the redirect limit or
// the size cap. The completion runs on the main run loop; destroying the loader cancels the
// transfer and the completion never runs.
class HTTPLoader {
public:
    struct Options {
        double timeout = 30;
        double connectTimeout = 15;
        long maxRedirects = 5;
        std::size_t maxBytes = 8 * 1024 * 1024;
        // Authorities to trust instead of the system's (a PEM file), for tests.
        std::string caFile;
    };
    using Completion = std::function<void(HTTPResult)>;

    HTTPLoader(std::string url, Options options, Completion completion);
    ~HTTPLoader();
    HTTPLoader(const HTTPLoader&) = delete;
    HTTPLoader& operator=(const HTTPLoader&) = delete;

    const std::string& url() const { return url_; }

    // The fetch done on the calling thread (for the loader's thread and for tools).
    static HTTPResult fetch(const std::string& url, const Options& options,
                            const std::atomic<bool>* cancelled = nullptr);

private:
    std::string url_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::thread thread_;
};

} // namespace platform
