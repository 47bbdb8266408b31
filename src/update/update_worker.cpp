#include "update/update_worker.h"

#include <cmath>
#include <limits>

#include "base/kept_file.h"
#include "base/message_boxes.h"
#include "update/ftp_connection.h"
#include "update/https_get.h"
#include "update/update_record.h"

namespace {

const std::string kVersionDeleted = "Nustatymuose ištrinta programos versija";
const std::string kNoDatabase = "Negalime prisijungti prie duomenų bazės";

std::string downloadQuestion(const std::string& newVersion) {
    return "Pasirodė nauja (" + newVersion +
           ") programos versija.\r\nAr pageidaujate dabar gauti atnaujinimo failą?";
}

}  // namespace

UpdateWorker::UpdateWorker(UpdateSetup setup, UpdateHost& host)
    : setup_(std::move(setup)), host_(host) {}

UpdateWorker::~UpdateWorker() {
    cancelled_ = true;
    join();
}

void UpdateWorker::start() {
    thread_ = std::thread([this] {
        try {
            run();
        } catch (...) {
            // A failure ends the worker without a word.
        }
        updateServer_.reset();
        databaseServer_.reset();
    });
}

void UpdateWorker::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void UpdateWorker::run() {
    lastAnswer_.reset();
    if (setup_.programVersion.empty()) {
        if (loadDocument()) {
            lastAnswer_ = host_.warning(kVersionDeleted);
        }
        return;
    }
    // An earlier download is dealt with before the network is asked anything: a start without
    // network, or on a disk an interrupted download filled, still clears it away.
    if (fileExists(setup_.paths.updateRecord())) {
        earlierDownload();
        return;
    }
    removeUpdateFiles(setup_.paths);  // installers no record names any more
    if (!loadDocument()) {
        return;
    }
    checkForUpdate();
}

// The update information document, when the setup does not bring it: asked for on this thread.
bool UpdateWorker::loadDocument() {
    if (setup_.document) {
        return true;
    }
    const auto answer =
        httpsGet(updateRequestAddress(setup_.config.serviceUrl, setup_.programVersion),
                 setup_.config.caFile, &cancelled_);
    if (answer) {
        setup_.document = UpdateDocument::parse(*answer);
    }
    return setup_.document.has_value();
}

// The record an earlier start left: offer its installer, or clear it away once it is installed,
// when the download never completed or when the record cannot be used at all.
void UpdateWorker::earlierDownload() {
    const auto record = readUpdateRecord(setup_.paths.updateRecord());
    if (!record || !isPlainFileName(record->fileName) || !isInstallerFileName(record->fileName)) {
        removeUpdateFiles(setup_.paths);
        return;
    }
    const std::string installer = setup_.paths.directory() + record->fileName;
    if (record->version != setup_.programVersion && isCompleteInstaller(*record, installer)) {
        lastAnswer_ = host_.question(std::string(kInstallQuestion));
        if (lastAnswer_ == Answer::Yes) {
            host_.openInstaller(installer);
        }
        return;
    }
    removeUpdateFiles(setup_.paths);
}

void UpdateWorker::checkForUpdate() {
    const UpdateOffer offer = readUpdateOffer(*setup_.document);
    if (offer.serviceTime < kLeastServiceTime) {
        return;
    }
    updateServer_ =
        std::make_unique<FtpConnection>(parseFtpEndpoint(setup_.config.updateFtp), cancelled_);
    updateServer_->connect();
    if (!updateServer_->connected()) {
        return;
    }
    if (!offer.fileName.empty() && !fetchInstaller(offer)) {
        return;
    }
    updateServer_->disconnect();
}

// False when the download failed: the worker ends there. What it wrote is removed at once, so
// that a broken or oversized download never holds the disk until the next start.
bool UpdateWorker::fetchInstaller(const UpdateOffer& offer) {
    lastAnswer_ = host_.question(downloadQuestion(offer.newVersion));
    if (lastAnswer_ != Answer::Yes) {
        return true;
    }
    downloading_ = true;
    setStatus(std::string(kProgressText) + "0%");
    const auto size = updateServer_->size(offer.fileName);
    // Without a size a complete installer cannot be told from a partial one; one beyond any
    // installer's would fill the disk.
    if (!size || *size <= 0 || *size > kMaxInstallerBytes) {
        endDownload();
        return false;
    }
    expectSize(*size);
    const UpdateRecord record{offer.newVersion, offer.fileName, std::to_string(*size),
                              offer.sha256};
    const Status recorded = writeUpdateRecord(setup_.paths.updateRecord(), record);
    if (!recorded.ok()) {
        endDownload();
        return false;
    }
    const std::string installer = setup_.paths.directory() + offer.fileName;
    // One byte more than announced is read, and no more: it tells a server that sends too much.
    const auto received =
        updateServer_->download(offer.fileName, installer, *size + 1,
                                [this](std::int64_t bytes) { downloadProgress(bytes); });
    // Broken off, not the size announced, or not the bytes the update service named.
    if (received != size || !isCompleteInstaller(record, installer)) {
        removeUpdateFiles(setup_.paths);
        endDownload();  // nothing is left to wait for at close
        return false;
    }
    // Only whether the second server takes the login decides whether to offer the installer
    // at once.
    databaseServer_ =
        std::make_unique<FtpConnection>(parseFtpEndpoint(setup_.config.databaseFtp), cancelled_);
    databaseServer_->connect();
    if (databaseServer_->connected()) {
        endDownload();
        lastAnswer_ = host_.question(std::string(kInstallQuestion));
        if (lastAnswer_ == Answer::Yes) {
            host_.openInstaller(installer);
        }
        databaseServer_->disconnect();
    } else {
        host_.message(kNoDatabase);
    }
    endDownload();
    databaseServer_.reset();
    return true;
}

void UpdateWorker::downloadProgress(std::int64_t received) {
    if (expectedSize_ <= 0) {
        return;  // no size to measure against: the text stays as it is
    }
    setStatus(std::string(kProgressText) + std::to_string(roundedPercent(received, expectedSize_)) +
              "%");
}

void UpdateWorker::setStatus(const std::string& text) {
    if (text != statusText_) {
        statusText_ = text;
        host_.setStatusText(text);
    }
}

// The download is over: the flag and the status text go together.
void UpdateWorker::endDownload() {
    downloading_ = false;
    setStatus(std::string());
}

std::int64_t roundedPercent(std::int64_t count, std::int64_t total) {
    if (count > std::numeric_limits<std::int64_t>::max() / 100) {
        // Beyond 64 bits once scaled; no installer comes near. The default rounding of
        // nearbyint takes halves to the even neighbour too.
        return static_cast<std::int64_t>(std::nearbyint(static_cast<long double>(count) * 100 /
                                                        static_cast<long double>(total)));
    }
    const std::int64_t scaled = count * 100;
    std::int64_t percent = scaled / total;
    const std::int64_t rest = scaled % total;
    if (rest > total - rest || (rest == total - rest && percent % 2 != 0)) {
        ++percent;
    }
    return percent;
}

std::string updateRequestAddress(const std::string& serviceUrl, const std::string& version) {
    std::string address = serviceUrl;
    if (address.empty() || address.back() != '/') {
        address += '/';
    }
    // The version is escaped: a blank or "&" in it would otherwise break the request.
    return address + "fr_downloaded.php?proVersija=" + percentEncoded(version);
}

std::unique_ptr<UpdateWorker> startUpdateCheck(const UpdateConfig& config,
                                               const ProgramPaths& paths,
                                               const std::string& programVersion,
                                               UpdateHost& host) {
    auto worker = std::make_unique<UpdateWorker>(
        UpdateSetup{paths, programVersion, config, std::nullopt}, host);
    worker->start();
    return worker;
}
