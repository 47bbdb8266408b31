#pragma once

#include <QWidget>

#include <optional>

class QKeyEvent;

#include "base/desktop_shell.h"
#include "base/message_boxes.h"
#include "gui/file_dialog.h"

// The window's real message boxes (MessageDialog). Line breaks written as LF CR or CR LF pairs
// show as one line break; a text too long for the screen is shown in a box that scrolls.
class QtMessageBoxes : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer show(MessageKind kind, const std::string& text) override;
    Answer showTitled(MessageKind kind, const std::string& text, const std::string& title) override;
    Answer showWithPath(MessageKind kind, const std::string& text,
                        const std::string& path) override;
    Answer showAligned(MessageKind kind, const std::string& text) override;
    // The scrolling box, however short the list, with "Kopijuoti" for the whole text.
    Answer showCopyable(MessageKind kind, const std::string& text,
                        const std::string& title) override;

  private:
    QWidget* parent_;
};

// Qt's own file-open dialog, with the filter "XLS, XLSX" for a workbook and "i.SAF (*.xml)" for
// a file to check.
class QtFileDialog : public FileDialog {
  public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> chooseWorkbook(const std::string& startFolder) override;
    std::optional<std::string> chooseIsafFile(const std::string& startFolder) override;

  private:
    QWidget* parent_;
};

// Folders, web pages and files opened with the desktop's own programs. A local path that is
// not there, or a desktop without a program to open it (no xdg-open), gives false.
class QtDesktopShell : public DesktopShell {
  public:
    bool open(const std::string& pathOrAddress) override;
};

// Text as a message box shows it: every LF CR, CR LF or lone CR becomes one line break.
QString boxText(const std::string& text);

// The character a key press types, as a classic key filter sees it: nothing for keys that type
// no character (arrows, Delete, Home ...), which pass unfiltered; a control character for
// backspace (8), tab (9) and shortcuts (Ctrl+V types 22), which a filter may discard.
std::optional<QChar> typedCharacter(const QKeyEvent* key);
