// The payer register through the main window's real widgets.
#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/payer_dialog.h"
#include "gui/scripted_boxes.h"
#include "support/disk_full.h"
#include "support/fake_run_host.h"
#include "support/temp_dir.h"

namespace {

const QColor kRed(255, 0, 0);

// The inode of a file: every write replaces the file, so a new inode means it was written.
ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

}  // namespace

class PayerRegisterTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TempDir> dir;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog files;
    RecordingDesktop desktop;

    std::unique_ptr<MainWindow> makeWindow() {
        return std::make_unique<MainWindow>(ProgramPaths(dir->path()),
                                            testServices(boxes, files, desktop));
    }
    std::string registerFile() const { return readFile(dir->file("asmenys.txt")); }
    std::string setting(const char* key) const {
        return ProfileFile(dir->file("_nustatymai.ini")).read("NUSTATYMAI", key);
    }

  private slots:
    void init() {
        dir = std::make_unique<TempDir>();
        boxes.clear();
    }
    void cleanup() { VERIFY_BOXES(boxes); }

    void startUpSelectsTheStoredPayerAndItsWorkplace() {
        writeFile(dir->file("asmenys.txt"), "Alfa;LT100;100;\r\nBeta;;200;SANDELIS2\r\nGama\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=1\r\ndarbo_vieta=KITAS\r\n");
        auto window = makeWindow();
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->count(), 3);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 1);
        QVERIFY(window->payer());
        QCOMPARE(window->payer()->companyCode, std::string("200"));
        QCOMPARE(window->payer()->vatCode, std::string());
        // The payer's own workplace name wins over the last one used.
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QStringLiteral("SANDELIS2"));
        QVERIFY(widget<QCheckBox>(*window, "cb_priskirti")->isChecked());
        QCOMPARE(setting("darbo_vieta"), std::string("SANDELIS2"));

        // A payer without one: the last name used stays, the box is unticked.
        widget<QComboBox>(*window, "cb_asmuo")->setFocus();
        QTest::keyClick(widget<QComboBox>(*window, "cb_asmuo"), Qt::Key_Up);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 0);
        QCOMPARE(window->payer().value_or(Payer{}).companyCode, std::string("100"));
        QCOMPARE(window->payer().value_or(Payer{}).vatCode, std::string("LT100"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QStringLiteral("SANDELIS2"));
        QVERIFY(!widget<QCheckBox>(*window, "cb_priskirti")->isChecked());
        QCOMPARE(setting("asmuo"), std::string("0"));
        // Unticking rewrote Beta's line only through its own selection, not Alfa's.
        QCOMPARE(registerFile(), std::string("Alfa;LT100;100;\r\nBeta;;200;SANDELIS2\r\nGama\r\n"));

        // A line with only a name gives a payer without codes.
        QTest::keyClick(widget<QComboBox>(*window, "cb_asmuo"), Qt::Key_Down);
        QTest::keyClick(widget<QComboBox>(*window, "cb_asmuo"), Qt::Key_Down);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 2);
        QCOMPARE(window->payer().value_or(Payer{}).name, std::string("Gama"));
        QCOMPARE(window->payer()->companyCode, std::string());
        QCOMPARE(window->payer()->vatCode, std::string());
        QVERIFY(!widget<QCheckBox>(*window, "cb_priskirti")->isChecked());
    }

    void positionBeyondTheListSelectsNothing() {
        writeFile(dir->file("asmenys.txt"), "Alfa;;100;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=7\r\n");
        auto window = makeWindow();
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), -1);
        QVERIFY(!window->payer());
    }

    void addingSortsTheFileAndSelectsTheNewPayer() {
        auto window = makeWindow();
        whenDialogOpens([](PayerDialog* dialog) {
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_pav"), QStringLiteral("Medis"));
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_im_kodas"), QStringLiteral("123"));
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_ok"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_new"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Medis;;123;\r\n"));

        writeFile(dir->file("asmenys.txt"), "alfa;;1;\r\nGama;;3;\r\n");
        whenDialogOpens([](PayerDialog* dialog) {
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_pav"), QStringLiteral("Beta"));
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_im_kodas"), QStringLiteral("2"));
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_ok"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_new"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("alfa;;1;\r\nBeta;;2;\r\nGama;;3;\r\n"));
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentText(), QStringLiteral("Beta"));
        QCOMPARE(window->payer().value_or(Payer{}).companyCode, std::string("2"));
        QCOMPARE(setting("asmuo"), std::string("1"));

        // Cancel changes nothing.
        const ino_t before = inodeOf(dir->file("asmenys.txt"));
        whenDialogOpens([](PayerDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_new"), Qt::LeftButton);
        QCOMPARE(inodeOf(dir->file("asmenys.txt")), before);
    }

    void editingKeepsTheVatCodeAndTheBoundWorkplace() {
        writeFile(dir->file("asmenys.txt"), "Alfa;LT100;100;\r\nBeta;;200;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=SAND1\r\n");
        auto window = makeWindow();
        QTest::mouseClick(widget<QCheckBox>(*window, "cb_priskirti"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Alfa;LT100;100;SAND1\r\nBeta;;200;\r\n"));
        whenDialogOpens([&window](PayerDialog* dialog) {
            QCOMPARE(widget<QLineEdit>(*dialog, "ed_pav")->text(), QStringLiteral("Alfa"));
            QCOMPARE(widget<QLineEdit>(*dialog, "ed_im_kodas")->text(), QStringLiteral("100"));
            QCOMPARE(dialog->payer().vatCode, std::string("LT100"));
            // The payer being edited is the one at position 0.
            QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 0);
            QVERIFY(widget<QPushButton>(*dialog, "btn_ok")->isEnabled());
            widget<QLineEdit>(*dialog, "ed_pav")->clear();
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_pav"), QStringLiteral("Zeta"));
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_ok"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_koreguoti"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Beta;;200;\r\nZeta;LT100;100;SAND1\r\n"));
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentText(), QStringLiteral("Zeta"));
        QCOMPARE(setting("asmuo"), std::string("1"));
    }

    void deletingAsksFirst() {
        writeFile(dir->file("asmenys.txt"), "Alfa;;100;\r\nBeta;;200;\r\nGama;;300;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=1\r\n");
        auto window = makeWindow();
        const std::string question =
            "Ar tikrai norite pašalinti iš sąrašo šį PVM mokėtoją?\n\r\n\rBeta\n\r";
        boxes.expect(MessageKind::Confirmation, question, Answer::No);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_mok_delete"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Alfa;;100;\r\nBeta;;200;\r\nGama;;300;\r\n"));
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 1);

        boxes.expect(MessageKind::Confirmation, question, Answer::Yes);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_mok_delete"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Alfa;;100;\r\nGama;;300;\r\n"));
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->count(), 2);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), -1);
        QCOMPARE(setting("asmuo"), std::string("0"));
        // Nothing selected: "Trinti" does nothing.
        QTest::mouseClick(widget<QPushButton>(*window, "btn_mok_delete"), Qt::LeftButton);
    }

    void workplaceFieldFiltersBindsAndStores() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123;\r\n");
        auto window = makeWindow();
        typeText(widget<QLineEdit>(*window, "ed_part_number"), QStringLiteral("kauno_dep-1 ą"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QStringLiteral("KAUNODEP1"));
        QCOMPARE(setting("darbo_vieta"), std::string("KAUNODEP1"));
        QTest::keyClicks(widget<QLineEdit>(*window, "ed_part_number"),
                         QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text().size(), 20);
        widget<QLineEdit>(*window, "ed_part_number")->clear();
        QCOMPARE(widget<QLabel>(*window, "lb_darbo_vieta")->palette().color(QPalette::WindowText),
                 kRed);
        QTest::keyClicks(widget<QLineEdit>(*window, "ed_part_number"), QStringLiteral("sandelis1"));
        QVERIFY(widget<QLabel>(*window, "lb_darbo_vieta")->palette().color(QPalette::WindowText) !=
                kRed);

        // Ticking binds, typing while ticked rebinds, unticking unbinds.
        QTest::mouseClick(widget<QCheckBox>(*window, "cb_priskirti"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Medis;;123;SANDELIS1\r\n"));
        QTest::keyClick(widget<QLineEdit>(*window, "ed_part_number"), Qt::Key_Backspace);
        QCOMPARE(registerFile(), std::string("Medis;;123;SANDELIS\r\n"));
        QTest::mouseClick(widget<QCheckBox>(*window, "cb_priskirti"), Qt::LeftButton);
        QCOMPARE(registerFile(), std::string("Medis;;123;\r\n"));

        // Assigning the value already there writes neither the register nor the settings.
        const ino_t registerBefore = inodeOf(dir->file("asmenys.txt"));
        const ino_t settingsBefore = inodeOf(dir->file("_nustatymai.ini"));
        window->loadPayerList(0);
        widget<QLineEdit>(*window, "ed_part_number")->setText(QStringLiteral("SANDELIS"));
        QCOMPARE(inodeOf(dir->file("asmenys.txt")), registerBefore);
        QCOMPARE(inodeOf(dir->file("_nustatymai.ini")), settingsBefore);
    }

    void registerThatCannotBeWrittenStaysWholeAndSaysWhy() {
        std::string lines;
        for (int i = 0; i < 100; ++i) {
            lines += "Mokėtojas " + std::to_string(i) + ";;" + std::to_string(i + 1) + ";\r\n";
        }
        writeFile(dir->file("asmenys.txt"), lines);
        auto window = makeWindow();
        const std::string before = registerFile();
        whenDialogOpens([](PayerDialog* dialog) {
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_pav"), QStringLiteral("Naujas"));
            QTest::keyClicks(widget<QLineEdit>(*dialog, "ed_im_kodas"), QStringLiteral("5"));
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_ok"), Qt::LeftButton);
        });
        boxes.expect(MessageKind::Error,
                     "Cannot write file \"" + dir->file("asmenys.txt") + "\". File too large");
        {
            const FileSizeLimit diskFull(1000);
            QTest::mouseClick(widget<QPushButton>(*window, "btn_new"), Qt::LeftButton);
        }
        QCOMPARE(registerFile(), before);
    }
};

QTEST_MAIN(PayerRegisterTest)
#include "test_payer_register.moc"
