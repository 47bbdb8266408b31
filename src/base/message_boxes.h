#pragma once

#include <string>

// The program's four kinds of message box, each with its own icon and title. Error,
// information and warning boxes have one OK button; confirmation boxes Yes and No.
enum class MessageKind { Error, Information, Warning, Confirmation };

// The button that closed a box.
enum class Answer { Ok, Yes, No };

// Shows a box and returns the answer. The window shows real boxes; tests answer from a queue.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual Answer show(MessageKind kind, const std::string& text) = 0;
    // The same box under a title of the caller's instead of the kind's own.
    virtual Answer showTitled(MessageKind kind, const std::string& text, const std::string& title) {
        (void)title;
        return show(kind, text);
    }
    // A box whose text names a path or address the user may want elsewhere: besides the text,
    // which may be wrapped, a button copies `path` as one line.
    virtual Answer showWithPath(MessageKind kind, const std::string& text,
                                const std::string& path) {
        (void)path;
        return show(kind, text);
    }
    // A box whose text holds columns aligned with blanks (a table of totals): shown in a font
    // whose letters are all of one width, so the columns stay aligned.
    virtual Answer showAligned(MessageKind kind, const std::string& text) {
        return show(kind, text);
    }
    // A list to read and keep: the same box with a button that copies its whole text.
    virtual Answer showCopyable(MessageKind kind, const std::string& text,
                                const std::string& title) {
        return showTitled(kind, text, title);
    }
};
