#include "gui/payer_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "base/text_codec.h"
#include "gui/qt_seams.h"

namespace {

// The register line has no escaping, so a ";" would split the name into fields and lose the
// payer's code; and the register is Windows-1257, so a letter it cannot hold would be lost.
class PayerNameValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.contains(QLatin1Char(';')) || !fitsCp1257(input.toStdString())) {
            return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace

PayerDialog::PayerDialog(Payer payer, QWidget* parent) : QDialog(parent), payer_(std::move(payer)) {
    setObjectName(QStringLiteral("frm_naujas_xml"));
    setWindowTitle(QStringLiteral("Asmuo"));
    setAutoFillBackground(true);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("ed_pav"));
    nameEdit_->setMaxLength(45);
    nameEdit_->setValidator(new PayerNameValidator(nameEdit_));

    codeEdit_ = new QLineEdit(this);
    codeEdit_->setObjectName(QStringLiteral("ed_im_kodas"));
    codeEdit_->setMaxLength(11);
    codeEdit_->installEventFilter(this);

    okButton_ = new QPushButton(QStringLiteral("Įvesti"), this);
    okButton_->setObjectName(QStringLiteral("btn_ok"));
    okButton_->setEnabled(false);
    auto* cancelButton = new QPushButton(QStringLiteral("Atšaukti"), this);
    cancelButton->setObjectName(QStringLiteral("btn_cancel"));
    // No default button: Enter in a field does not close the dialog.
    for (QPushButton* button : {okButton_, cancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Pavadinimas (vardas, pavardė):"), this), 0, 0);
    layout->addWidget(nameEdit_, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Įmonės (asmens) kodas:"), this), 2, 0);
    layout->addWidget(codeEdit_, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons, 4, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    nameEdit_->setMinimumWidth(320);
    setTabOrder(nameEdit_, codeEdit_);
    setTabOrder(codeEdit_, okButton_);
    setTabOrder(okButton_, cancelButton);

    connect(nameEdit_, &QLineEdit::textChanged, this, &PayerDialog::updateOkButton);
    connect(codeEdit_, &QLineEdit::textChanged, this, &PayerDialog::updateOkButton);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // The prefill enables OK at once when both texts are there. Like the fields, the VAT code
    // it carries holds 13 characters at most.
    nameEdit_->setText(QString::fromStdString(payer_.name));
    codeEdit_->setText(QString::fromStdString(payer_.companyCode));
    payer_.vatCode = QString::fromStdString(payer_.vatCode).left(13).toStdString();
}

std::optional<Payer> PayerDialog::ask() {
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return payer();
}

Payer PayerDialog::payer() const {
    Payer entered = payer_;
    entered.name = nameEdit_->text().toStdString();
    entered.companyCode = codeEdit_->text().toStdString();
    return entered;
}

// OK is enabled while both the name and the code hold text (a name of blanks counts).
void PayerDialog::updateOkButton() {
    okButton_->setEnabled(!nameEdit_->text().isEmpty() && !codeEdit_->text().isEmpty());
}

// The code field takes digits, backspace and tab; every other typed character is discarded,
// the clipboard shortcuts included.
bool PayerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == codeEdit_ && event->type() == QEvent::KeyPress) {
        const auto typed = typedCharacter(static_cast<QKeyEvent*>(event));
        if (typed && *typed != QChar(8) && *typed != QChar(9) &&
            !(*typed >= QLatin1Char('0') && *typed <= QLatin1Char('9'))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
