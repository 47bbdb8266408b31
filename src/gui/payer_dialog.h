#pragma once

#include <QDialog>

#include <optional>

#include "payers/payer.h"

class QLineEdit;
class QPushButton;

// The payer entry dialog "Asmuo": the name and the company code of a payer for "Naujas" and
// "Koreguoti". The VAT code and the workplace name of the payer it was opened with go through
// unchanged. It only collects; the register is written by its callers.
class PayerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PayerDialog(Payer payer = {}, QWidget* parent = nullptr);

    // Shows the dialog modally: the payer as entered when it is left with "Įvesti", nothing
    // when it is cancelled. The texts are taken as they stand, without trimming.
    std::optional<Payer> ask();

    // The payer as the fields hold it now.
    Payer payer() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void updateOkButton();

    Payer payer_;  // as opened: gives the VAT code and the workplace name
    QLineEdit* nameEdit_;
    QLineEdit* codeEdit_;
    QPushButton* okButton_;
};
