#pragma once

#include <QDialog>
#include <QString>

#include "base/message_boxes.h"

class QAbstractButton;
class QDialogButtonBox;

// One message box of the program, the same for every kind and length: the kind's icon and
// title, the text as the program wrapped it (never rewrapped by Qt, so a path breaks only where
// the program broke it) and selectable, OK or Yes and No. A text too long or too wide for the
// screen scrolls instead. A copy button puts a given text on the clipboard as it is (a path as
// one line, or a whole list); the box stays open. Text aligned in columns is shown in a
// fixed-pitch font.
class MessageDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Font { Regular, FixedPitch };

    struct Options {
        QString copied;       // what the copy button copies; no button when empty
        QString copyCaption;  // the copy button's text
        Font font = Font::Regular;
        bool scrolls = false;  // a list to read and keep: the scrolling text, however short
    };

    MessageDialog(MessageKind kind, const QString& title, const QString& text,
                  QWidget* parent = nullptr);
    MessageDialog(MessageKind kind, const QString& title, const QString& text, QWidget* parent,
                  const Options& options);

    // Shows the box modally; Escape and the close box answer No to a question and OK otherwise.
    Answer ask();

    // The kind's own title.
    static QString titleOf(MessageKind kind);

  private:
    void onClicked(QAbstractButton* button);

    QDialogButtonBox* buttons_ = nullptr;
    Answer answer_;
};
