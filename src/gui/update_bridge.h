#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/desktop_shell.h"
#include "base/message_boxes.h"
#include "update/update_worker.h"

class QLabel;

// The update worker's way to the window. Every box the worker causes is shown on the window's
// thread while the worker waits for its answer, and the status text is set there as a whole
// text. The bridge owns the worker: when the window goes, the worker's waits are broken off and
// its thread has ended before anything it uses is gone.
class UpdateBridge : public QObject, public UpdateHost {
    Q_OBJECT
  public:
    UpdateBridge(QLabel* statusBar, MessageBoxes& boxes, DesktopShell& desktop, QObject* parent);
    ~UpdateBridge() override;

    // The update check that ends start-up: loads the update information document now and
    // starts the worker, or does nothing when the document cannot be had.
    void start(const UpdateConfig& config, const ProgramPaths& paths,
               const std::string& programVersion);

    // The worker of this start; none when the check did not start.
    TSrautas* worker() const { return Srautas.get(); }

    int question(const std::string& text) override;
    int warning(const std::string& text) override;
    void message(const std::string& text) override;
    void setStatusText(const std::string& text) override;
    void openInstaller(const std::string& path) override;

  signals:
    void statusTextChanged(const QString& text);

  private:
    // Runs `work` on the window's thread and waits for its result; 0 once the window goes.
    int onWindowThread(std::function<int()> work);

    QLabel* statusBar_;
    MessageBoxes& boxes_;
    DesktopShell& desktop_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool closing_ = false;
    std::unique_ptr<TSrautas> Srautas;
};
