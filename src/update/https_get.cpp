#include "update/https_get.h"

#include <curl/curl.h>

#include <memory>

#include "base/kept_file.h"
#include "update/curl_setup.h"

namespace {

constexpr long kConnectSeconds = 3;
constexpr long kTotalSeconds = 5;
constexpr size_t kMostBytes = 1 << 20;  // a few hundred bytes are expected

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    if (body->size() + bytes > kMostBytes) {
        return 0;  // ends the transfer with an error
    }
    body->append(data, bytes);
    return bytes;
}

// The system's trusted certificates with the extra one added: libcurl's own option for a
// certificate file would replace the system's.
// A certificate file that cannot be read adds nothing: the connection then fails as untrusted.
std::string trustedWith(CURL* curl, const std::string& extraCaFile) {
    const auto contentOf = [](const std::string& path) {
        const auto file = readKeptFile(path);
        return file.ok() ? file->value_or("") : std::string();
    };
    std::string bundle;
    char* systemFile = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CAINFO, &systemFile) == CURLE_OK &&
        systemFile != nullptr) {
        bundle = contentOf(systemFile);
    }
    return bundle + "\n" + contentOf(extraCaFile);
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelled = static_cast<const std::atomic<bool>*>(user);
    return cancelled != nullptr && cancelled->load() ? 1 : 0;  // 1 aborts the transfer
}

}  // namespace

std::optional<std::string> httpsGet(const std::string& url, const std::string& extraCaFile,
                                    const std::atomic<bool>* cancelled) {
    ensureCurlReady();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        return std::nullopt;
    }
    CURL* h = curl.get();
    std::string body;
    std::string trusted;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kTotalSeconds);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!extraCaFile.empty()) {
        trusted = trustedWith(h, extraCaFile);
        curl_blob blob{trusted.data(), trusted.size(), CURL_BLOB_COPY};
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
    }
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, cancelled);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(h) != CURLE_OK) {
        return std::nullopt;
    }
    return body;
}

std::string percentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        }
    }
    return out;
}
