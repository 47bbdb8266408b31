#include "gui/update_bridge.h"

#include <QLabel>
#include <QThread>

UpdateBridge::UpdateBridge(QLabel* statusBar, MessageBoxes& boxes, DesktopShell& desktop,
                           QObject* parent)
    : QObject(parent), statusBar_(statusBar), boxes_(boxes), desktop_(desktop) {
    setObjectName(QStringLiteral("update_bridge"));
}

UpdateBridge::~UpdateBridge() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    done_.notify_all();
    Srautas.reset();
}

void UpdateBridge::start(const UpdateConfig& config, const ProgramPaths& paths,
                         const std::string& programVersion) {
    Srautas = startUpdateCheck(config, paths, programVersion, *this);
}

int UpdateBridge::question(const std::string& text) {
    return onWindowThread([this, text] { return boxes_.show(MessageKind::Confirmation, text); });
}

int UpdateBridge::warning(const std::string& text) {
    return onWindowThread([this, text] { return boxes_.show(MessageKind::Warning, text); });
}

void UpdateBridge::message(const std::string& text) {
    onWindowThread([this, text] { return boxes_.show(MessageKind::Information, text); });
}

void UpdateBridge::openInstaller(const std::string& path) {
    onWindowThread([this, path] {
        desktop_.open(path);
        return 0;
    });
}

void UpdateBridge::setStatusText(const std::string& text) {
    const QString whole = QString::fromStdString(text);
    std::lock_guard lock(mutex_);
    if (closing_) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, whole] {
            statusBar_->setText(whole);
            emit statusTextChanged(whole);
        },
        Qt::QueuedConnection);
}

// A blocking queued call that the window's going can break off: a plain blocking connection
// would leave the window waiting for the worker while the worker waits for the window.
int UpdateBridge::onWindowThread(std::function<int()> work) {
    if (QThread::currentThread() == thread()) {
        return work();
    }
    struct Call {
        bool done = false;
        int result = 0;
    };
    auto call = std::make_shared<Call>();
    std::unique_lock lock(mutex_);
    if (closing_) {
        return 0;
    }
    QMetaObject::invokeMethod(
        this,
        [this, call, work = std::move(work)] {
            const int result = work();
            std::lock_guard finished(mutex_);
            call->result = result;
            call->done = true;
            done_.notify_all();
        },
        Qt::QueuedConnection);
    done_.wait(lock, [&] { return call->done || closing_; });
    return call->done ? call->result : 0;
}
