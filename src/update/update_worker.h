#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

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
    virtual int question(const std::string& text) = 0;  // Yes and No; the answer
    virtual int warning(const std::string& text) = 0;   // OK; the answer
    virtual void message(const std::string& text) = 0;  // a plain box with OK
    virtual void setStatusText(const std::string& text) = 0;
    virtual void openInstaller(const std::string& path) = 0;  // through the desktop shell
};

// Everything one run of the worker works from, fixed before it starts.
struct UpdateSetup {
    ProgramPaths paths;
    std::string programVersion;
    UpdateConfig config;
    UpdateDocument document;
};

// The update worker: runs once per program start. It deals with an installer an earlier start
// downloaded, or asks whether to fetch the new one the update service names, fetches it with
// its progress in the status text, and offers to start it.
class TSrautas {
  public:
    TSrautas(UpdateSetup setup, UpdateHost& host);
    // Ends the worker: whatever it waits for on the network is broken off. The host must
    // already have stopped making it wait for boxes.
    ~TSrautas();
    TSrautas(const TSrautas&) = delete;
    TSrautas& operator=(const TSrautas&) = delete;

    // Runs `Execute` on the worker's own thread.
    void start();
    // Waits until that thread has ended.
    void join();

    void Execute();

    // Progress of the installer download: the count of bytes received so far.
    void FTP1Work(std::int64_t workCount);
    // The installer's size as the server reported it; the base of the percentage.
    void expectSize(std::int64_t bytes) { expectedSize_ = bytes; }

    int DialogAnswer = 0;  // the answer to the last box; 6 is Yes

  private:
    void earlierDownload();
    void checkForUpdate();
    bool fetchInstaller(const UpdateOffer& offer);
    void setStatus(const std::string& text);

    UpdateSetup setup_;
    UpdateHost& host_;
    std::atomic<bool> cancelled_ = false;
    std::unique_ptr<FtpConnection> IdFTP1;  // the update connection
    std::unique_ptr<FtpConnection> IdFTP_DB;
    std::int64_t expectedSize_ = 0;
    std::string statusText_;
    std::thread thread_;
};

// count / total as a percentage to the nearest integer, halves going to the even neighbour.
std::int64_t roundedPercent(std::int64_t count, std::int64_t total);

// The address that asks the update service about the given version.
std::string updateRequestAddress(const std::string& serviceUrl, const std::string& version);

// The update check that ends start-up: the update information document is loaded now, and
// then the worker starts. Nothing (no worker, no message) when the service cannot be reached
// or answers with something that is not a document.
std::unique_ptr<TSrautas> startUpdateCheck(const UpdateConfig& config, const ProgramPaths& paths,
                                           const std::string& programVersion, UpdateHost& host);
