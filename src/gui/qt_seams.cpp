#include "gui/qt_seams.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSplitter>
#include <QTreeView>
#include <QUrl>

#include "gui/message_dialog.h"

QString boxText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

Answer QtMessageBoxes::show(MessageKind kind, const std::string& text) {
    return MessageDialog(kind, MessageDialog::titleOf(kind), boxText(text), parent_).ask();
}

Answer QtMessageBoxes::showTitled(MessageKind kind, const std::string& text,
                                  const std::string& title) {
    return MessageDialog(kind, QString::fromStdString(title), boxText(text), parent_).ask();
}

Answer QtMessageBoxes::showWithPath(MessageKind kind, const std::string& text,
                                    const std::string& path) {
    MessageDialog::Options options;
    options.copied = QString::fromStdString(path);
    options.copyCaption = options.copied.contains(QStringLiteral("://"))
                              ? QStringLiteral("Kopijuoti adresą")
                              : QStringLiteral("Kopijuoti kelią");
    return MessageDialog(kind, MessageDialog::titleOf(kind), boxText(text), parent_, options).ask();
}

Answer QtMessageBoxes::showAligned(MessageKind kind, const std::string& text) {
    MessageDialog::Options options;
    options.font = MessageDialog::Font::FixedPitch;
    return MessageDialog(kind, MessageDialog::titleOf(kind), boxText(text), parent_, options).ask();
}

Answer QtMessageBoxes::showCopyable(MessageKind kind, const std::string& text,
                                    const std::string& title) {
    MessageDialog::Options options;
    options.copied = boxText(text);
    options.copyCaption = QStringLiteral("Kopijuoti");
    options.scrolls = true;
    return MessageDialog(kind, QString::fromStdString(title), options.copied, parent_, options)
        .ask();
}

namespace {

std::optional<std::string> chooseFile(QWidget* parent, const QString& caption,
                                      const std::string& startFolder, const QString& filter) {
    QFileDialog dialog(parent, caption, QString::fromStdString(startFolder), filter);
    // Qt's own dialog, not the desktop's: its texts are Lithuanian whatever the system language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Wide enough that a file's name, size, type and date show without being cut, and the
    // places beside them ("Kompiuteris") too.
    dialog.resize(860, 480);
    if (auto* splitter = dialog.findChild<QSplitter*>()) {
        splitter->setSizes({150, 710});
    }
    if (auto* details = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialog::chooseWorkbook(const std::string& startFolder) {
    return chooseFile(parent_, QStringLiteral("Pasirinkti dokumentą"), startFolder,
                      QStringLiteral("XLS, XLSX (*.xls *.xlsx)"));
}

std::optional<std::string> QtFileDialog::chooseIsafFile(const std::string& startFolder) {
    return chooseFile(parent_, QStringLiteral("Tikrinti i.SAF rinkmeną"), startFolder,
                      QStringLiteral("i.SAF (*.xml)"));
}

bool QtDesktopShell::open(const std::string& pathOrAddress) {
    const QString target = QString::fromStdString(pathOrAddress);
    if (target.contains(QStringLiteral("://"))) {
        return QDesktopServices::openUrl(QUrl(target));
    }
    // The opener would start and then fail out of sight on a path that is not there.
    if (!QFileInfo::exists(target)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

std::optional<QChar> typedCharacter(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Backspace:
            return QChar(8);
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return QChar(9);
        case Qt::Key_Delete:
            return std::nullopt;
        default:
            break;
    }
    if (key->modifiers() & Qt::ControlModifier) {
        // Ctrl with a letter types the letter's control character.
        const int k = key->key();
        if (k >= Qt::Key_A && k <= Qt::Key_Z) {
            return QChar(k - Qt::Key_A + 1);
        }
        return key->text().isEmpty() ? std::nullopt : std::optional<QChar>(QChar(27));
    }
    const QString text = key->text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text[0];
}
