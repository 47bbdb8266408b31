#include "gui/qt_seams.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString titleOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return QStringLiteral("Error");
        case MessageKind::Information:
            return QStringLiteral("Information");
        case MessageKind::Warning:
            return QStringLiteral("Warning");
        case MessageKind::Confirmation:
            return QStringLiteral("Confirm");
    }
    return {};
}

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A long error list: the same text in a box that fits on the screen and scrolls.
Answer showScrolling(QWidget* parent, const QString& title, const QString& text) {
    QDialog box(parent);
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* view = new QPlainTextEdit(text, &box);
    view->setObjectName(QStringLiteral("message_text"));
    view->setReadOnly(true);
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    box.resize(std::min(640, screen.width() * 9 / 10), std::min(480, screen.height() * 8 / 10));
    box.exec();
    return Answer::Ok;
}

}  // namespace

QString boxText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

Answer QtMessageBoxes::show(MessageKind kind, const std::string& text) {
    return showTitled(kind, text, titleOf(kind).toStdString());
}

Answer QtMessageBoxes::showTitled(MessageKind kind, const std::string& text,
                                  const std::string& title) {
    const QString shown = boxText(text);
    const QString caption = QString::fromStdString(title);
    if (shown.count(QLatin1Char('\n')) > 25 || shown.size() > 3000) {
        return showScrolling(parent_, caption, shown);
    }
    QMessageBox box(iconOf(kind), caption, shown, QMessageBox::NoButton, parent_);
    if (kind == MessageKind::Confirmation) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<std::string> QtFileDialog::chooseWorkbook() {
    // Qt's own dialog, not the desktop's: its texts are Lithuanian whatever the system language.
    const QString path = QFileDialog::getOpenFileName(parent_, QString(), QString(),
                                                      QStringLiteral("XLS, XLSX (*.xls *.xlsx)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

void QtDesktopShell::open(const std::string& pathOrAddress) {
    const QString target = QString::fromStdString(pathOrAddress);
    const QUrl url =
        target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
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
