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

    // The update check that ends start-up: starts the worker, which asks the update service
    // on its own thread; the window never waits for the network.
    void start(const UpdateConfig& config, const ProgramPaths& paths,
               const std::string& programVersion);

    // The worker of this start; none before start().
    UpdateWorker* worker() const { return worker_.get(); }

    // Whether a download runs, as the close hand-over sees it; never before the worker started.
    bool downloading() const { return worker_ && worker_->downloading(); }

    Answer question(const std::string& text) override;
    Answer warning(const std::string& text) override;
    void message(const std::string& text) override;
    void setStatusText(const std::string& text) override;
    void openInstaller(const std::string& path) override;

  signals:
    void statusTextChanged(const QString& text);
    // Carries a call from the worker's thread to the window's (a queued connection).
    void queued(const std::function<void()>& call);

  private:
    static void run(const std::function<void()>& call);
    // Runs `work` on the window's thread and waits for its answer; `ifClosing` once the window
    // goes.
    Answer onWindowThread(std::function<Answer()> work, Answer ifClosing);

    QLabel* statusBar_;
    MessageBoxes& boxes_;
    DesktopShell& desktop_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool closing_ = false;
    std::unique_ptr<UpdateWorker> worker_;
};
