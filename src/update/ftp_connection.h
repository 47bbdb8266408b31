#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <curl/curl.h>

#include "update/update_config.h"

// One FTP connection: plain FTP, IPv4, passive mode, binary transfers. The login is kept open
// from `connect` to `disconnect` (or the end of the object), and every request travels over it.
// A raised `cancelled` flag ends whatever the connection is waiting for, within about a second.
class FtpConnection {
  public:
    FtpConnection(std::optional<FtpEndpoint> endpoint, const std::atomic<bool>& cancelled);
    ~FtpConnection();
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    // Connects and logs in. A failed attempt only leaves the connection unconnected.
    void connect();
    bool connected() const { return connected_; }
    void disconnect();

    // The size the server reports for the file (the SIZE command); nothing without an answer.
    std::optional<std::int64_t> size(const std::string& fileName);

    // Fetches the file into `localPath`, never resuming: a file already there is deleted
    // first. `progress` hears the count of bytes received so far whenever it grows. The count
    // of bytes received, read until the server closed the data connection or `mostBytes` had
    // arrived, whichever came first; nothing when the transfer fails or breaks off. What
    // arrived stays in the file.
    std::optional<std::int64_t> download(const std::string& fileName, const std::string& localPath,
                                         std::int64_t mostBytes,
                                         const std::function<void(std::int64_t)>& progress);

  private:
    static int onProgress(void* user, curl_off_t downloadTotal, curl_off_t downloaded,
                          curl_off_t uploadTotal, curl_off_t uploaded);
    std::string urlOf(const std::string& fileName) const;
    bool perform();

    std::optional<FtpEndpoint> endpoint_;
    const std::atomic<bool>& cancelled_;
    CURL* curl_ = nullptr;
    bool connected_ = false;
    const std::function<void(std::int64_t)>* progress_ = nullptr;
    std::int64_t reported_ = -1;
    std::int64_t mostBytes_ = 0;
};
