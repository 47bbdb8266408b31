#pragma once

#include <string>
#include <vector>

#include "base/desktop_shell.h"
#include "base/progress.h"
#include "run/generation_run.h"
#include "run/run_front_end.h"

// Records what the desktop was asked to open; a desktop without an opener when `canOpen` is
// false.
class RecordingDesktop : public DesktopShell {
  public:
    bool open(const std::string& pathOrAddress) override {
        opened.push_back(pathOrAddress);
        return canOpen;
    }
    std::vector<std::string> opened;
    bool canOpen = true;
};

// A front end for tests: fixed inputs, and a record of everything the run told it.
class FakeRunHost : public RunPrompts, public Progress {
  public:
    struct Message {
        MessageKind kind;
        std::string text;
    };

    RunInputs in;
    std::string output;  // output folder
    std::vector<Message> messages;
    std::vector<std::string> statuses;
    // "busy", "idle", "edit-payer", "new-payer", "red", "saved", "warnings"
    std::vector<std::string> events;
    std::string savedPath;
    std::vector<std::string> warnings;  // the lines of the warnings shown, heading included
    int progressSteps = 0;
    int progressMaximum = 0;
    std::vector<int> positions;  // every position set, in order
    RecordingDesktop desktopShell;

    // A generation run as a front end makes one: busy around it, on a snapshot of the inputs.
    RunResult run(const ProfileFile& settings, const WorkbookOpener& open,
                  const Exporter& exporter) {
        events.push_back("busy");
        RunInputs snapshot = in;
        snapshot.outputFolder = output;
        const RunResult result = runGeneration(snapshot, *this, *this, settings, open, exporter);
        events.push_back("idle");
        return result;
    }

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setProgress(int position, int maximum) override {
        progressSteps = position;
        progressMaximum = maximum;
        positions.push_back(position);
    }
    void stepProgress() override { ++progressSteps; }
    void processEvents() override {}
    void keepResponsive() override {}

    void markWorkplaceMissing() override { events.push_back("red"); }
    Answer showMessage(MessageKind kind, const std::string& text) override {
        messages.push_back({kind, text});
        return kind == MessageKind::Confirmation ? Answer::Yes : Answer::Ok;
    }
    void showSaved(const std::string& path) override {
        events.push_back("saved");
        savedPath = path;
    }
    void showWarnings(const WarningList& shown) override {
        events.push_back("warnings");
        std::string text = shown.text();
        for (std::size_t start = 0;;) {
            const std::size_t end = text.find('\n', start);
            warnings.push_back(text.substr(start, end - start));
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    void editPayer() override { events.push_back("edit-payer"); }
    void newPayer() override { events.push_back("new-payer"); }
    DesktopShell& desktop() override { return desktopShell; }
};
