#include "gui/message_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QStyle::StandardPixmap iconOf(MessageKind kind) {
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

}  // namespace

QString MessageDialog::titleOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return QStringLiteral("Klaida");
        case MessageKind::Information:
            return QStringLiteral("Informacija");
        case MessageKind::Warning:
            return QStringLiteral("Įspėjimas");
        case MessageKind::Confirmation:
            return QStringLiteral("Patvirtinimas");
    }
    return {};
}

MessageDialog::MessageDialog(MessageKind kind, const QString& title, const QString& text,
                             QWidget* parent)
    : MessageDialog(kind, title, text, parent, Options()) {}

MessageDialog::MessageDialog(MessageKind kind, const QString& title, const QString& text,
                             QWidget* parent, const Options& options)
    : QDialog(parent), answer_(kind == MessageKind::Confirmation ? Answer::No : Answer::Ok) {
    setObjectName(QStringLiteral("message_box"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("message_icon"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconOf(kind), nullptr, this).pixmap(iconSize, iconSize));
    body->addWidget(icon, 0, Qt::AlignTop);

    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const QFont textFont = options.font == Font::FixedPitch
                               ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                               : this->font();
    const QFontMetrics metrics(textFont);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const bool scrolls = options.scrolls || text.count(QLatin1Char('\n')) > 25 ||
                         text.size() > 3000 || widest > available.width() * 7 / 10;
    if (scrolls) {
        auto* view = new QPlainTextEdit(text, this);
        view->setObjectName(QStringLiteral("message_text"));
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(textFont);
        body->addWidget(view, 1);
        // Wide enough for the widest line where the screen allows (the icon, margins and the
        // scroll bar take about 120 pixels beside the text), never narrower than 640.
        // As high as the lines need (a short list gets no empty page), up to 480 pixels.
        const int wanted = std::max(640, widest + 120);
        const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
        const int tallest = std::max(200, std::min(480, available.height() * 8 / 10));
        resize(std::min(wanted, available.width() * 9 / 10),
               std::clamp(metrics.lineSpacing() * (lines + 2) + 90, 200, tallest));
    } else {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("message_text"));
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        label->setFont(textFont);
        label->setWordWrap(false);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(220);
        body->addWidget(label, 1);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    layout->addLayout(body);

    buttons_ = new QDialogButtonBox(this);
    QPushButton* main = nullptr;
    if (kind == MessageKind::Confirmation) {
        main = buttons_->addButton(QDialogButtonBox::Yes);
        buttons_->addButton(QDialogButtonBox::No);
    } else {
        main = buttons_->addButton(QDialogButtonBox::Ok);
    }
    main->setDefault(true);
    if (!options.copied.isEmpty()) {
        auto* copy = buttons_->addButton(options.copyCaption, QDialogButtonBox::ActionRole);
        copy->setObjectName(QStringLiteral("btn_copy"));
        copy->setAutoDefault(false);
        connect(copy, &QPushButton::clicked, this,
                [copied = options.copied] { QGuiApplication::clipboard()->setText(copied); });
    }
    connect(buttons_, &QDialogButtonBox::clicked, this, &MessageDialog::onClicked);
    layout->addWidget(buttons_);
    main->setFocus();
}

void MessageDialog::onClicked(QAbstractButton* button) {
    switch (buttons_->standardButton(button)) {
        case QDialogButtonBox::Yes:
            answer_ = Answer::Yes;
            accept();
            break;
        case QDialogButtonBox::No:
            answer_ = Answer::No;
            reject();
            break;
        case QDialogButtonBox::Ok:
            answer_ = Answer::Ok;
            accept();
            break;
        default:
            break;  // the copy button: the box stays
    }
}

Answer MessageDialog::ask() {
    exec();
    return answer_;
}
