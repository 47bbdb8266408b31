#include "update/ftp_connection.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "update/curl_setup.h"
#include "update/https_get.h"

namespace {

constexpr long kConnectSeconds = 15;
constexpr long kResponseSeconds = 30;
// A transfer that stalls below one byte a second for this long has broken off.
constexpr long kStalledSeconds = 60;

struct Download {
    int fd;
    std::int64_t mostBytes;
    bool failed = false;
    bool full = false;  // mostBytes arrived; the rest is not read
    std::int64_t bytes = 0;
};

size_t discard(char* /*data*/, size_t size, size_t count, void* /*user*/) {
    return size * count;
}

size_t store(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    size_t bytes = size * count;
    const auto room = static_cast<std::uint64_t>(download->mostBytes - download->bytes);
    if (bytes > room) {
        bytes = static_cast<size_t>(room);
        download->full = true;
    }
    size_t written = 0;
    while (written < bytes) {
        const ssize_t n = ::write(download->fd, data + written, bytes - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            download->failed = true;
            return 0;  // ends the transfer with an error
        }
        written += static_cast<size_t>(n);
    }
    download->bytes += static_cast<std::int64_t>(bytes);
    return download->full ? 0 : bytes;  // 0 ends the transfer: nothing more is wanted
}

}  // namespace

FtpConnection::FtpConnection(std::optional<FtpEndpoint> endpoint,
                             const std::atomic<bool>& cancelled)
    : endpoint_(std::move(endpoint)), cancelled_(cancelled) {}

FtpConnection::~FtpConnection() {
    disconnect();
}

void FtpConnection::connect() {
    disconnect();
    if (!endpoint_) {
        return;
    }
    ensureCurlReady();
    curl_ = curl_easy_init();
    if (curl_ == nullptr) {
        return;
    }
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl_, CURLOPT_USERNAME, endpoint_->user.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, endpoint_->password.c_str());
    curl_easy_setopt(curl_, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
    curl_easy_setopt(curl_, CURLOPT_FTP_USE_EPSV, 0L);  // passive mode: PASV
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, 0L);  // binary
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseSeconds);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, kStalledSeconds);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, discard);
    // Only the login: the folder itself is neither listed nor changed.
    curl_easy_setopt(curl_, CURLOPT_URL, urlOf(std::string()).c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    connected_ = perform();
}

void FtpConnection::disconnect() {
    if (curl_ != nullptr) {
        curl_easy_cleanup(curl_);  // says QUIT on a connection that is still open
        curl_ = nullptr;
    }
    connected_ = false;
}

std::optional<std::int64_t> FtpConnection::size(const std::string& fileName) {
    if (!connected_) {
        return std::nullopt;
    }
    curl_easy_setopt(curl_, CURLOPT_URL, urlOf(fileName).c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    curl_off_t length = -1;
    if (!perform() ||
        curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(length);
}

std::optional<std::int64_t> FtpConnection::download(
    const std::string& fileName, const std::string& localPath, std::int64_t mostBytes,
    const std::function<void(std::int64_t)>& progress) {
    if (!connected_) {
        return std::nullopt;
    }
    if (::unlink(localPath.c_str()) != 0 && errno != ENOENT) {
        return std::nullopt;
    }
    Download target{::open(localPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666),
                    mostBytes};
    if (target.fd < 0) {
        return std::nullopt;
    }
    // Read until the server closes the data connection, whatever size it announced: a server
    // that announces less than it sends must not leave a cut installer that looks complete.
    curl_easy_setopt(curl_, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(curl_, CURLOPT_URL, urlOf(fileName).c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, store);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &target);
    progress_ = &progress;
    reported_ = -1;
    mostBytes_ = mostBytes;
    const bool received = perform();
    progress_ = nullptr;
    curl_easy_setopt(curl_, CURLOPT_IGNORE_CONTENT_LENGTH, 0L);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, nullptr);
    const bool closed = ::close(target.fd) == 0;
    if (target.full && closed && !target.failed) {
        return target.bytes;  // cut off by us, not broken off
    }
    if (!received || !closed || target.failed) {
        return std::nullopt;
    }
    return target.bytes;
}

int FtpConnection::onProgress(void* user, curl_off_t /*downloadTotal*/, curl_off_t downloaded,
                              curl_off_t /*uploadTotal*/, curl_off_t /*uploaded*/) {
    auto* self = static_cast<FtpConnection*>(user);
    if (self->cancelled_.load()) {
        return 1;  // aborts the transfer
    }
    // Bytes past the most wanted arrive with the last piece, but are never kept.
    const std::int64_t kept = std::min<std::int64_t>(downloaded, self->mostBytes_);
    if (self->progress_ != nullptr && kept != self->reported_) {
        self->reported_ = kept;
        (*self->progress_)(kept);
    }
    return 0;
}

std::string FtpConnection::urlOf(const std::string& fileName) const {
    return "ftp://" + endpoint_->host + ":" + std::to_string(endpoint_->port) + "/" +
           percentEncoded(fileName);
}

bool FtpConnection::perform() {
    if (cancelled_.load()) {
        return false;
    }
    return curl_easy_perform(curl_) == CURLE_OK;
}
