#include "gui/qt_seams.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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

QStyle::StandardPixmap pixmapOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return QStyle::SP_MessageBoxCritical;
        case MessageKind::Information:
            return QStyle::SP_MessageBoxInformation;
        case MessageKind::Warning:
            return QStyle::SP_MessageBoxWarning;
        case MessageKind::Confirmation:
            return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

// A list the user may want to keep (the warnings): its icon beside a text that scrolls, as
// high as the text needs up to most of the screen, and "Kopijuoti" beside OK.
Answer showCopyableList(QWidget* parent, MessageKind kind, const QString& title,
                        const QString& text) {
    QDialog box(parent);
    box.setObjectName(QStringLiteral("copyable_box"));
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(pixmapOf(kind), nullptr, &box).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* view = new QPlainTextEdit(text, &box);
    view->setObjectName(QStringLiteral("message_text"));
    view->setReadOnly(true);
    row->addWidget(view, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    auto* copy = buttons->addButton(QStringLiteral("Kopijuoti"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copy_button"));
    copy->setAutoDefault(false);
    QObject::connect(copy, &QPushButton::clicked, &box,
                     [text] { QGuiApplication::clipboard()->setText(text); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    const int wanted = view->fontMetrics().lineSpacing() * (lines + 2) + 90;
    box.resize(std::min(720, screen.width() * 9 / 10),
               std::clamp(wanted, 200, std::max(200, std::min(520, screen.height() * 8 / 10))));
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

Answer QtMessageBoxes::showCopyable(MessageKind kind, const std::string& text,
                                    const std::string& title) {
    return showCopyableList(parent_, kind, QString::fromStdString(title), boxText(text));
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
