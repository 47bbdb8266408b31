#include "gui/scripted_boxes.h"

namespace {

const char* nameOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return "error";
        case MessageKind::Information:
            return "information";
        case MessageKind::Warning:
            return "warning";
        case MessageKind::Confirmation:
            return "confirmation";
    }
    return "?";
}

}  // namespace

void ScriptedMessageBoxes::expect(MessageKind kind, std::string text, Answer answer) {
    expected_.push_back({kind, std::move(text), answer, std::string(), std::string()});
}

void ScriptedMessageBoxes::expectTitled(MessageKind kind, std::string text, std::string title,
                                        Answer answer) {
    expected_.push_back({kind, std::move(text), answer, std::move(title), std::string()});
}

void ScriptedMessageBoxes::expectWithPath(MessageKind kind, std::string text, std::string path,
                                          Answer answer) {
    expected_.push_back({kind, std::move(text), answer, std::string(), std::move(path)});
}

Answer ScriptedMessageBoxes::show(MessageKind kind, const std::string& text) {
    return take(kind, text, std::string(), std::string());
}

Answer ScriptedMessageBoxes::showTitled(MessageKind kind, const std::string& text,
                                        const std::string& title) {
    return take(kind, text, title, std::string());
}

Answer ScriptedMessageBoxes::showWithPath(MessageKind kind, const std::string& text,
                                          const std::string& path) {
    return take(kind, text, std::string(), path);
}

Answer ScriptedMessageBoxes::take(MessageKind kind, const std::string& text,
                                  const std::string& title, const std::string& path) {
    if (expected_.empty()) {
        failures_.push_back(std::string("unexpected ") + nameOf(kind) + " box: " + text);
        return kind == MessageKind::Confirmation ? Answer::No : Answer::Ok;
    }
    const Box box = expected_.front();
    expected_.pop_front();
    if (box.kind != kind || box.text != text || box.title != title ||
        (!box.path.empty() && box.path != path)) {
        failures_.push_back(std::string("expected ") + nameOf(box.kind) + " box \"" + box.text +
                            "\" titled \"" + box.title + "\" with path \"" + box.path + "\", got " +
                            nameOf(kind) + " box \"" + text + "\" titled \"" + title +
                            "\" with path \"" + path + "\"");
    }
    return box.answer;
}

std::vector<std::string> ScriptedMessageBoxes::problems() const {
    std::vector<std::string> all = failures_;
    for (const auto& box : expected_) {
        all.push_back(std::string("expected ") + nameOf(box.kind) + " box never came: " + box.text);
    }
    return all;
}

void ScriptedMessageBoxes::clear() {
    expected_.clear();
    failures_.clear();
}

std::optional<std::string> ScriptedFileDialog::chooseIsafFile(const std::string& startFolder) {
    return answer("isaf", startFolder);
}

std::optional<std::string> ScriptedFileDialog::chooseWorkbook(const std::string& startFolder) {
    return answer("workbook", startFolder);
}

std::optional<std::string> ScriptedFileDialog::answer(const char* dialog,
                                                      const std::string& startFolder) {
    asked.emplace_back(dialog);
    startFolders.push_back(startFolder);
    if (answers_.empty()) {
        ++unexpectedCalls;
        return std::nullopt;
    }
    auto chosen = answers_.front();
    answers_.pop_front();
    return chosen;
}
