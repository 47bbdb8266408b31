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

Tfrm_naujas_xml::Tfrm_naujas_xml(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_naujas_xml"));
    setWindowTitle(QStringLiteral("Asmuo"));
    setAutoFillBackground(true);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);

    ed_pav = new QLineEdit(this);
    ed_pav->setObjectName(QStringLiteral("ed_pav"));
    ed_pav->setMaxLength(45);
    ed_pav->setValidator(new PayerNameValidator(ed_pav));

    ed_im_kodas = new QLineEdit(this);
    ed_im_kodas->setObjectName(QStringLiteral("ed_im_kodas"));
    ed_im_kodas->setMaxLength(11);
    ed_im_kodas->installEventFilter(this);

    ed_pvm_kodas = new QLineEdit(this);
    ed_pvm_kodas->setObjectName(QStringLiteral("ed_pvm_kodas"));
    ed_pvm_kodas->setMaxLength(13);
    ed_pvm_kodas->setVisible(false);
    ed_pvm_kodas->setEnabled(false);

    lb_id = new QLabel(this);
    lb_id->setObjectName(QStringLiteral("lb_id"));
    lb_id->setVisible(false);

    btn_ok = new QPushButton(QStringLiteral("Įvesti"), this);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_ok->setEnabled(false);
    btn_cancel = new QPushButton(QStringLiteral("Atšaukti"), this);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    // No default button: Enter in a field does not close the dialog.
    for (QPushButton* button : {btn_ok, btn_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Pavadinimas (vardas, pavardė):"), this), 0, 0);
    layout->addWidget(ed_pav, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Įmonės (asmens) kodas:"), this), 2, 0);
    layout->addWidget(ed_im_kodas, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn_ok);
    buttons->addWidget(btn_cancel);
    layout->addLayout(buttons, 4, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ed_pav->setMinimumWidth(320);
    setTabOrder(ed_pav, ed_im_kodas);
    setTabOrder(ed_im_kodas, btn_ok);
    setTabOrder(btn_ok, btn_cancel);

    connect(ed_pav, &QLineEdit::textChanged, this, &Tfrm_naujas_xml::ed_pavChange);
    connect(ed_im_kodas, &QLineEdit::textChanged, this, &Tfrm_naujas_xml::ed_pavChange);
    connect(btn_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// OK is enabled while both the name and the code hold text (a name of blanks counts).
void Tfrm_naujas_xml::ed_pavChange() {
    btn_ok->setEnabled(!ed_pav->text().isEmpty() && !ed_im_kodas->text().isEmpty());
}

// The code field takes digits, backspace and tab; every other typed character is discarded,
// the clipboard shortcuts included.
bool Tfrm_naujas_xml::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ed_im_kodas && event->type() == QEvent::KeyPress) {
        const auto typed = typedCharacter(static_cast<QKeyEvent*>(event));
        if (typed && *typed != QChar(8) && *typed != QChar(9) &&
            !(*typed >= QLatin1Char('0') && *typed <= QLatin1Char('9'))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
