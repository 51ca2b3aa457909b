#include "platform/web/HTTPLoader.h"

#include "platform/foundation/RunLoop.h"

#include <curl/curl.h>
#include <mutex>

namespace platform {

namespace {

struct Transfer {
    HTTPResult* result;
    std::size_t maxBytes;
    bool tooLarge = false;
    const std::atomic<bool>* cancelled;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->result->body.size() + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0; // stops the transfer
    }
    transfer->result->body.append(data, bytes);
    return bytes;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancelled && transfer->cancelled->load() ? 1 : 0;
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HTTPResult::Status statusFor(CURLcode code) {
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return HTTPResult::Status::TimedOut;
    case CURLE_TOO_MANY_REDIRECTS:
        return HTTPResult::Status::TooManyRedirects;
    case CURLE_FILESIZE_EXCEEDED:
        return HTTPResult::Status::TooLarge;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CONNECT_ERROR:
        return HTTPResult::Status::BadCertificate;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HTTPResult::Status::CannotFindHost;
    case CURLE_COULDNT_CONNECT:
        return HTTPResult::Status::CannotConnect;
    case CURLE_ABORTED_BY_CALLBACK:
        return HTTPResult::Status::Cancelled;
    default:
        return HTTPResult::Status::Failed;
    }
}

} // namespace

HTTPResult HTTPLoader::fetch(const std::string& url, const Options& options,
                             const std::atomic<bool>* cancelled) {
    initialiseOnce();
    HTTPResult result;
    result.url = url;
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.message = "The network library could not start.";
        return result;
    }
    Transfer transfer{&result, options.maxBytes, false, cancelled};
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeout * 1000));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout * 1000));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Lumiq");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.statusCode);
    if (char* effective = nullptr;
        curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        result.url = effective;
    if (char* type = nullptr;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
        result.contentType = type;
    curl_easy_cleanup(curl);

    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        result.status = HTTPResult::Status::TooLarge;
        result.message = "The page is larger than " + std::to_string(options.maxBytes) + " bytes.";
    } else if (code != CURLE_OK) {
        result.status = statusFor(code);
        result.message = *error ? error : curl_easy_strerror(code);
    } else if (result.statusCode >= 400) {
        result.status = HTTPResult::Status::HTTPError;
        result.message = "The server answered " + std::to_string(result.statusCode) + ".";
    } else {
        result.status = HTTPResult::Status::Loaded;
    }
    if (result.status != HTTPResult::Status::Loaded)
        result.body.clear();
    return result;
}

HTTPLoader::HTTPLoader(std::string url, Options options, Completion completion)
    : url_(std::move(url)), cancelled_(std::make_shared<std::atomic<bool>>(false)) {
    thread_ = std::thread([url = url_, options = std::move(options),
                           completion = std::move(completion), cancelled = cancelled_] {
        HTTPResult result = fetch(url, options, cancelled.get());
        if (cancelled->load())
            return;
        RunLoop::main().postFromAnyThread(
            [completion, cancelled, result = std::move(result)]() mutable {
                if (!cancelled->load())
                    completion(std::move(result));
            });
    });
}

HTTPLoader::~HTTPLoader() {
    cancelled_->store(true);
    if (thread_.joinable())
        thread_.join();
}

} // namespace platform
