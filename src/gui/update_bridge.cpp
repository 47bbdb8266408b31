#include "gui/update_bridge.h"

#include <QLabel>
#include <QThread>

UpdateBridge::UpdateBridge(QLabel* statusBar, MessageBoxes& boxes, DesktopShell& desktop,
                           QObject* parent)
    : QObject(parent), statusBar_(statusBar), boxes_(boxes), desktop_(desktop) {
    setObjectName(QStringLiteral("update_bridge"));
    connect(this, &UpdateBridge::queued, this, &UpdateBridge::run, Qt::QueuedConnection);
}

void UpdateBridge::run(const std::function<void()>& call) {
    call();
}

UpdateBridge::~UpdateBridge() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    done_.notify_all();
    worker_.reset();
}

void UpdateBridge::start(const UpdateConfig& config, const ProgramPaths& paths,
                         const std::string& programVersion) {
    worker_ = startUpdateCheck(config, paths, programVersion, *this);
}

// A question broken off by the window's going counts as No, a warning as read.
Answer UpdateBridge::question(const std::string& text) {
    return onWindowThread([this, text] { return boxes_.show(MessageKind::Confirmation, text); },
                          Answer::No);
}

Answer UpdateBridge::warning(const std::string& text) {
    return onWindowThread([this, text] { return boxes_.show(MessageKind::Warning, text); },
                          Answer::Ok);
}

void UpdateBridge::message(const std::string& text) {
    onWindowThread([this, text] { return boxes_.show(MessageKind::Information, text); },
                   Answer::Ok);
}

void UpdateBridge::openInstaller(const std::string& path) {
    onWindowThread(
        [this, path] {
            desktop_.open(path);
            return Answer::Ok;
        },
        Answer::Ok);
}

void UpdateBridge::setStatusText(const std::string& text) {
    const QString whole = QString::fromStdString(text);
    std::lock_guard lock(mutex_);
    if (closing_) {
        return;
    }
    emit queued([this, whole] {
        statusBar_->setText(whole);
        emit statusTextChanged(whole);
    });
}

// A blocking queued call that the window's going can break off: a plain blocking connection
// would leave the window waiting for the worker while the worker waits for the window.
Answer UpdateBridge::onWindowThread(std::function<Answer()> work, Answer ifClosing) {
    if (QThread::currentThread() == thread()) {
        return work();
    }
    struct Call {
        bool done = false;
        Answer result = Answer::Ok;
    };
    auto call = std::make_shared<Call>();
    std::unique_lock lock(mutex_);
    if (closing_) {
        return ifClosing;
    }
    emit queued([this, call, work = std::move(work)] {
        const Answer result = work();
        std::lock_guard finished(mutex_);
        call->result = result;
        call->done = true;
        done_.notify_all();
    });
    done_.wait(lock, [&] { return call->done || closing_; });
    return call->done ? call->result : ifClosing;
}
