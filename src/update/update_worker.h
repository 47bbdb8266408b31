#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "base/message_boxes.h"
#include "base/program_paths.h"
#include "update/update_config.h"
#include "update/update_document.h"

class FtpConnection;

inline constexpr std::string_view kInstallQuestion =
    "Atnaujinimo failas gautas.\r\nAr pageidaujate dabar atnaujinti programą Kolvira ?";
inline constexpr std::string_view kProgressText = "Pakrauname atnaujinimą: ";

// What the update worker needs of the window. The boxes are shown on the window's thread and
// the worker waits for them; the status text reaches the window as a whole text.
class UpdateHost {
  public:
    virtual ~UpdateHost() = default;
    virtual Answer question(const std::string& text) = 0;  // Yes and No; the answer
    virtual Answer warning(const std::string& text) = 0;   // OK; the answer
    virtual void message(const std::string& text) = 0;     // a plain box with OK
    virtual void setStatusText(const std::string& text) = 0;
    virtual void openInstaller(const std::string& path) = 0;  // through the desktop shell
};

// Everything one run of the worker works from, fixed before it starts. Without a document the
// worker asks the update service for it first, on its own thread.
struct UpdateSetup {
    ProgramPaths paths;
    std::string programVersion;
    UpdateConfig config;
    std::optional<UpdateDocument> document;
};

// The update worker: runs once per program start. It deals with an installer an earlier start
// downloaded, or asks whether to fetch the new one the update service names, fetches it with
// its progress in the status text, and offers to start it.
// The largest installer the worker downloads; a larger size counts as a broken download.
inline constexpr std::int64_t kMaxInstallerBytes = std::int64_t{256} << 20;

class UpdateWorker {
  public:
    UpdateWorker(UpdateSetup setup, UpdateHost& host);
    // Ends the worker: whatever it waits for on the network is broken off. The host must
    // already have stopped making it wait for boxes.
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // Runs `run` on the worker's own thread.
    void start();
    // Waits until that thread has ended.
    void join();

    void run();

    // Progress of the installer download: the count of bytes received so far.
    void downloadProgress(std::int64_t received);
    // The installer's size as the server reported it; the base of the percentage.
    void expectSize(std::int64_t bytes) { expectedSize_ = bytes; }

    // The answer to the last box the worker asked; nothing before the first.
    std::optional<Answer> lastAnswer() const { return lastAnswer_; }

    // From the moment the user agreed to a download until it completed. A download that broke
    // off leaves it set, as it leaves its percentage in the status text: closing still asks.
    bool downloading() const { return downloading_; }

  private:
    bool loadDocument();
    void earlierDownload();
    void checkForUpdate();
    bool fetchInstaller(const UpdateOffer& offer);
    void setStatus(const std::string& text);
    void endDownload();

    UpdateSetup setup_;
    UpdateHost& host_;
    std::atomic<bool> cancelled_ = false;
    std::unique_ptr<FtpConnection> updateServer_;  // the installer's server
    std::unique_ptr<FtpConnection> databaseServer_;
    std::optional<Answer> lastAnswer_;
    std::atomic<bool> downloading_ = false;
    std::int64_t expectedSize_ = 0;
    std::string statusText_;
    std::thread thread_;
};

// count / total as a percentage to the nearest integer, halves going to the even neighbour.
std::int64_t roundedPercent(std::int64_t count, std::int64_t total);

// The address that asks the update service about the given version.
std::string updateRequestAddress(const std::string& serviceUrl, const std::string& version);

// The update check that ends start-up: starts the worker, which asks the update service for
// the update information document on its own thread, so that start-up never waits for the
// network. When the service cannot be reached or answers with something that is not a
// document, the worker ends without a message (an earlier download is still dealt with).
std::unique_ptr<UpdateWorker> startUpdateCheck(const UpdateConfig& config,
                                               const ProgramPaths& paths,
                                               const std::string& programVersion, UpdateHost& host);
