#include "platform/net/Download.h"

#include <curl/curl.h>

#include <memory>

namespace {

struct Sink {
    std::vector<UInt8>* out;
    size_t maxBytes;
    bool tooLarge = false;
};

size_t Receive(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (n > sink->maxBytes - sink->out->size()) {
        sink->tooLarge = true;
        return 0;  // ends the transfer
    }
    sink->out->insert(sink->out->end(), data, data + n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

}  // namespace

OSErr DownloadURL(const std::string& url, const DownloadLimits& limits, std::vector<UInt8>* out) {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    out->clear();
    if (!ready || url.empty()) return kDownloadUnreachableErr;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return memFullErr;
    Sink sink{out, limits.maxBytes};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, limits.timeoutSeconds);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, limits.timeoutSeconds);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = curl_easy_perform(c);
    if (result == CURLE_OK) return noErr;
    out->clear();
    if (sink.tooLarge || result == CURLE_FILESIZE_EXCEEDED) return kDownloadTooLargeErr;
    return kDownloadUnreachableErr;
}
