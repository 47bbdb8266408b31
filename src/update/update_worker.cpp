#include "update/update_worker.h"

#include <cmath>
#include <limits>

#include "base/atomic_file.h"
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

TSrautas::TSrautas(UpdateSetup setup, UpdateHost& host) : setup_(std::move(setup)), host_(host) {}

TSrautas::~TSrautas() {
    cancelled_ = true;
    join();
}

void TSrautas::start() {
    thread_ = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            // A failure ends the worker without a word.
        }
        IdFTP1.reset();
        IdFTP_DB.reset();
    });
}

void TSrautas::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TSrautas::Execute() {
    DialogAnswer = 0;
    if (setup_.programVersion.empty()) {
        DialogAnswer = host_.warning(kVersionDeleted);
        return;
    }
    if (fileExists(setup_.paths.updateRecord())) {
        earlierDownload();
        return;
    }
    checkForUpdate();
}

// The record an earlier start left: offer its installer, or clear it away once it is installed
// or when the download never completed.
void TSrautas::earlierDownload() {
    const auto record = readUpdateRecord(setup_.paths.updateRecord());
    if (!record || !isPlainFileName(record->fileName)) {
        return;
    }
    const std::string installer = setup_.paths.directory() + record->fileName;
    const auto length = fileLength(installer);
    if (!length) {
        return;
    }
    if (record->version != setup_.programVersion && decimalOr(record->sizeText, 0) == *length) {
        DialogAnswer = host_.question(std::string(kInstallQuestion));
        if (DialogAnswer == kAnswerYes) {
            host_.openInstaller(installer);
        }
        return;
    }
    removeUpdateFiles(setup_.paths);
}

void TSrautas::checkForUpdate() {
    const UpdateOffer offer = readUpdateOffer(setup_.document);
    if (offer.laikas < kLeastLaikas) {
        return;
    }
    IdFTP1 = std::make_unique<FtpConnection>(parseFtpEndpoint(setup_.config.updateFtp), cancelled_);
    IdFTP1->connect();
    if (!IdFTP1->connected()) {
        return;
    }
    if (!offer.fileName.empty() && !fetchInstaller(offer)) {
        return;
    }
    IdFTP1->disconnect();
}

// False when the download failed: the worker ends there, and what was written stays.
bool TSrautas::fetchInstaller(const UpdateOffer& offer) {
    DialogAnswer = host_.question(downloadQuestion(offer.newVersion));
    if (DialogAnswer != kAnswerYes) {
        return true;
    }
    setStatus(std::string(kProgressText) + "0%");
    const auto size = IdFTP1->size(offer.fileName);
    if (!size) {
        return false;  // without a size a complete installer cannot be told from a partial one
    }
    expectSize(*size);
    const Status recorded = writeUpdateRecord(
        setup_.paths.updateRecord(), {offer.newVersion, offer.fileName, std::to_string(*size)});
    if (!recorded.ok()) {
        return false;
    }
    const std::string installer = setup_.paths.directory() + offer.fileName;
    const auto received = IdFTP1->download(offer.fileName, installer,
                                           [this](std::int64_t bytes) { FTP1Work(bytes); });
    if (received != size) {
        return false;  // broken off, or not the size announced: the next start cleans up
    }
    // Only whether the second server takes the login decides whether to offer the installer
    // at once.
    IdFTP_DB =
        std::make_unique<FtpConnection>(parseFtpEndpoint(setup_.config.databaseFtp), cancelled_);
    IdFTP_DB->connect();
    if (IdFTP_DB->connected()) {
        setStatus(std::string());
        DialogAnswer = host_.question(std::string(kInstallQuestion));
        if (DialogAnswer == kAnswerYes) {
            host_.openInstaller(installer);
        }
        IdFTP_DB->disconnect();
    } else {
        host_.message(kNoDatabase);
    }
    setStatus(std::string());
    IdFTP_DB.reset();
    return true;
}

void TSrautas::FTP1Work(std::int64_t workCount) {
    if (expectedSize_ <= 0) {
        return;  // no size to measure against: the text stays as it is
    }
    setStatus(std::string(kProgressText) +
              std::to_string(roundedPercent(workCount, expectedSize_)) + "%");
}

void TSrautas::setStatus(const std::string& text) {
    if (text != statusText_) {
        statusText_ = text;
        host_.setStatusText(text);
    }
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

std::unique_ptr<TSrautas> startUpdateCheck(const UpdateConfig& config, const ProgramPaths& paths,
                                           const std::string& programVersion, UpdateHost& host) {
    const auto answer =
        httpsGet(updateRequestAddress(config.serviceUrl, programVersion), config.caFile);
    if (!answer) {
        return nullptr;
    }
    auto document = UpdateDocument::parse(*answer);
    if (!document) {
        return nullptr;
    }
    auto worker = std::make_unique<TSrautas>(
        UpdateSetup{paths, programVersion, config, std::move(*document)}, host);
    worker->start();
    return worker;
}
