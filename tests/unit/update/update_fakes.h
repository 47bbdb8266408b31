#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "base/message_boxes.h"
#include "update/update_worker.h"

// Stands in for the window: answers questions from a queue (No when it runs dry) and notes
// every call as a line, "question: ...", "warning: ...", "message: ...", "status: ...",
// "open: ...". The worker may call it from its own thread.
class RecordingHost : public UpdateHost {
  public:
    void answer(Answer reply) {
        std::lock_guard lock(mutex_);
        answers_.push_back(reply);
    }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // Waits until an event equal to `event` has been noted; false after a generous time.
    bool waitFor(const std::string& event) {
        std::unique_lock lock(mutex_);
        return noted_.wait_for(lock, std::chrono::seconds(60), [&] {
            for (const auto& e : events_) {
                if (e == event) {
                    return true;
                }
            }
            return false;
        });
    }

    Answer question(const std::string& text) override {
        note("question: " + text);
        std::lock_guard lock(mutex_);
        if (answers_.empty()) {
            return Answer::No;
        }
        const Answer reply = answers_.front();
        answers_.pop_front();
        return reply;
    }
    Answer warning(const std::string& text) override {
        note("warning: " + text);
        return Answer::Ok;
    }
    void message(const std::string& text) override { note("message: " + text); }
    void setStatusText(const std::string& text) override { note("status: " + text); }
    void openInstaller(const std::string& path) override { note("open: " + path); }

  private:
    void note(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
        noted_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable noted_;
    std::deque<Answer> answers_;
    std::vector<std::string> events_;
};

// Message boxes that note what they were asked to show and answer from a queue.
class RecordingBoxes : public MessageBoxes {
  public:
    struct Box {
        MessageKind kind;
        std::string text;
        std::string title;  // empty: the kind's own
    };
    std::vector<Box> shown;
    std::deque<Answer> answers;

    Answer show(MessageKind kind, const std::string& text) override {
        return showTitled(kind, text, std::string());
    }
    Answer showTitled(MessageKind kind, const std::string& text,
                      const std::string& title) override {
        shown.push_back({kind, text, title});
        if (answers.empty()) {
            return kind == MessageKind::Confirmation ? Answer::No : Answer::Ok;
        }
        const Answer reply = answers.front();
        answers.pop_front();
        return reply;
    }
};

inline const std::string kDownloadQuestion515 =
    "question: Pasirodė nauja (5.15) programos versija.\r\nAr pageidaujate dabar gauti "
    "atnaujinimo failą?";
inline const std::string kInstallQuestionEvent =
    "question: Atnaujinimo failas gautas.\r\nAr pageidaujate dabar atnaujinti programą Kolvira ?";

// An update information document with the three values, each left out when given as nullptr.
inline std::string updateDocument(const char* serviceTime, const char* fileName,
                                  const char* newVersion) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<atsakymas>\n";
    if (serviceTime != nullptr) {
        xml += "  <laikas>" + std::string(serviceTime) + "</laikas>\n";
    }
    if (fileName != nullptr) {
        xml += "  <failas>" + std::string(fileName) + "</failas>\n";
    }
    if (newVersion != nullptr) {
        xml += "  <naujaVersija>" + std::string(newVersion) + "</naujaVersija>\n";
    }
    return xml + "</atsakymas>\n";
}
