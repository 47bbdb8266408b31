#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The payer entry dialog "Asmuo": collects a payer's name and company code for "Naujas" and
// "Koreguoti", and carries the VAT code and the position through an edit unchanged.
// It only collects and returns texts; the register is written by its callers.
class Tfrm_naujas_xml : public QDialog {
    Q_OBJECT
  public:
    explicit Tfrm_naujas_xml(QWidget* parent = nullptr);

    QLineEdit* ed_pav;
    QLineEdit* ed_im_kodas;
    QLineEdit* ed_pvm_kodas;  // hidden: the VAT code, carried through an edit
    QLabel* lb_id;            // hidden: the position of the payer being edited
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ed_pavChange();
};
