#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/message_boxes.h"
#include "gui/file_dialog.h"

// The message boxes a GUI test expects, in order, each with its answer. A box that was not
// expected, or that differs from the next expected one, is a failure; so is an expected box
// that never came. No box ever blocks the test.
class ScriptedMessageBoxes : public MessageBoxes {
  public:
    void expect(MessageKind kind, std::string text, Answer answer = Answer::Ok);
    // A box under a title of its own; a box expected without one must come with the kind's.
    void expectTitled(MessageKind kind, std::string text, std::string title, Answer answer);
    // A box whose path can be copied; a box expected without one may come with any path.
    void expectWithPath(MessageKind kind, std::string text, std::string path,
                        Answer answer = Answer::Ok);
    Answer show(MessageKind kind, const std::string& text) override;
    Answer showTitled(MessageKind kind, const std::string& text, const std::string& title) override;
    Answer showWithPath(MessageKind kind, const std::string& text,
                        const std::string& path) override;

    // Every failure so far, plus the boxes still expected; empty when all went as scripted.
    std::vector<std::string> problems() const;
    void clear();

  private:
    struct Box {
        MessageKind kind;
        std::string text;
        Answer answer;
        std::string title;  // empty: the kind's own
        std::string path;   // empty: any
    };
    Answer take(MessageKind kind, const std::string& text, const std::string& title,
                const std::string& path);
    std::deque<Box> expected_;
    std::vector<std::string> failures_;
};

// The file names the file-open dialog is to return, in order; nothing means cancel. It keeps
// the folder each dialog was to open in.
class ScriptedFileDialog : public FileDialog {
  public:
    void next(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
    std::optional<std::string> chooseWorkbook(const std::string& startFolder) override;
    std::optional<std::string> chooseIsafFile(const std::string& startFolder) override;
    int unexpectedCalls = 0;
    std::vector<std::string> startFolders;
    std::vector<std::string> asked;  // "workbook" or "isaf", one per dialog shown

  private:
    std::optional<std::string> answer(const char* dialog, const std::string& startFolder);
    std::deque<std::optional<std::string>> answers_;
};

// Checks in a QtTest function that the boxes went as scripted.
#define VERIFY_BOXES(boxes)                           \
    do {                                              \
        const auto problems_ = (boxes).problems();    \
        std::string joined_;                          \
        for (const auto& p_ : problems_)              \
            joined_ += p_ + "\n";                     \
        QVERIFY2(problems_.empty(), joined_.c_str()); \
    } while (0)
