// The main window, driven through its real widgets offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "base/atomic_file.h"
#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/payer_dialog.h"
#include "gui/scripted_boxes.h"
#include "run/saved_message.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

const QColor kRed(255, 0, 0);

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TempDir> dir;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog files;
    RecordingDesktop desktop;
    FakeWorkbook book;
    Date today{2024, 3, 15};

    std::unique_ptr<Tfrm_export_xml> makeWindow() {
        WindowServices services = testServices(boxes, files, desktop, today);
        services.openWorkbook = book.opener();
        return std::make_unique<Tfrm_export_xml>(ProgramPaths(dir->path()), services);
    }

    std::string settings() const { return readFile(dir->file("_nustatymai.ini")); }

  private slots:
    void init() {
        dir = std::make_unique<TempDir>();
        boxes.clear();
        files = ScriptedFileDialog();
        desktop.opened.clear();
        book = FakeWorkbook::withAllSheets();
        today = {2024, 3, 15};
    }

    void startUpShowsEveryControlAndTheStoredState() {
        writeFile(dir->file("_nustatymai.ini"),
                  "[NUSTATYMAI]\r\ndarbo_vieta=SANDELIS1\r\n[VERSIJA]\r\nnr=5.14\r\n");
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Kolvira     v5.14"));
        QCOMPARE(window->dt_nuo->date(), QDate(2024, 2, 1));
        QCOMPARE(window->dt_iki->date(), QDate(2024, 2, 29));
        QCOMPARE(window->dt_nuo->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(window->ed_part_number->text(), QStringLiteral("SANDELIS1"));
        QCOMPARE(window->lb_action->text(), QString());
        QCOMPARE(window->lb_dok_pav->text(), QStringLiteral("Dokumentas nepasirinktas"));
        QCOMPARE(window->lb_dok_link->text(), QStringLiteral("lb_dok_link"));
        QCOMPARE(window->lb_im_kodas->text(), QStringLiteral("lb_im_kodas"));
        QCOMPARE(window->btn_isaf_xml->text(),
                 QStringLiteral("Formuoti XML rinkmeną   (Kolvira.xml)"));
        QCOMPARE(window->lb_info->text(),
                 QStringLiteral("Atidarykite Excel šabloną, užpildykite ir išsaugokite jį.  "
                                "Šabloną rasite čia:"));
        QCOMPARE(window->btn_open->toolTip(), QStringLiteral("Pasirinkti dokumentą"));
        QCOMPARE(window->cb_priskirti->text(),
                 QStringLiteral("priskirti darbo vietos pavadinimą šitam PVM mokėtojui"));
        QCOMPARE(window->ed_part_number->maxLength(), 20);
        QCOMPARE(window->cb_asmuo->maxVisibleItems(), 20);
        QCOMPARE(window->StatusBar1->width(), 150);
        for (const char* name : {"btn_new", "btn_koreguoti", "btn_mok_delete", "btn_template",
                                 "btn_valyti", "btn_rinkmenos", "btn_close", "lb_copyright"}) {
            QVERIFY2(window->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(!window->lb_im_kodas->isVisible());
        QVERIFY(window->btn_isaf_xml->isVisible());
        // Start-up wrote nothing: every value it assigned was already stored.
        QCOMPARE(settings(),
                 std::string("[NUSTATYMAI]\r\ndarbo_vieta=SANDELIS1\r\n[VERSIJA]\r\nnr=5.14\r\n"));
        VERIFY_BOXES(boxes);
    }

    void startUpWithoutSettings() {
        today = {2025, 1, 10};
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Kolvira     v"));
        QCOMPARE(window->dt_nuo->date(), QDate(2024, 12, 1));
        QCOMPARE(window->dt_iki->date(), QDate(2024, 12, 31));
        QCOMPARE(window->ed_part_number->text(), QString());
        // The field never changed, so its caption keeps the normal colour.
        QVERIFY(window->lb_darbo_vieta->palette().color(QPalette::WindowText) != kRed);
        QVERIFY(!fileExists(dir->file("_nustatymai.ini")));
    }

    void workbookChoiceAndItsClearing() {
        auto window = makeWindow();
        files.next(std::string("/home/ona/Knygos/sausis.xlsx"));
        QTest::mouseClick(window->btn_open, Qt::LeftButton);
        QCOMPARE(window->lb_dok_pav->text(), QStringLiteral("sausis.xlsx"));
        QCOMPARE(window->lb_dok_link->text(), QStringLiteral("/home/ona/Knygos/sausis.xlsx"));
        // Cancelling the dialog clears the earlier choice too.
        files.next(std::nullopt);
        QTest::mouseClick(window->btn_open, Qt::LeftButton);
        QCOMPARE(window->lb_dok_pav->text(), QStringLiteral("Dokumentas nepasirinktas"));
        QCOMPARE(window->lb_dok_link->text(), QStringLiteral("lb_dok_link"));
        files.next(std::string("/tmp/a.xls"));
        QTest::mouseClick(window->btn_open, Qt::LeftButton);
        QTest::mouseClick(window->btn_valyti, Qt::LeftButton);
        QCOMPARE(window->lb_dok_pav->text(), QStringLiteral("Dokumentas nepasirinktas"));
        QCOMPARE(window->lb_dok_link->text(), QStringLiteral("lb_dok_link"));
        QCOMPARE(files.unexpectedCalls, 0);
    }

    void folderButtonsOpenTheFoldersBesideTheProgram() {
        auto window = makeWindow();
        QTest::mouseClick(window->btn_template, Qt::LeftButton);
        QCOMPARE(desktop.opened.back(), dir->path() + "sablonas/");
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("sablonas"))));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("rinkmenos"))));
        QTest::mouseClick(window->btn_rinkmenos, Qt::LeftButton);
        QVERIFY(QFileInfo(QString::fromStdString(dir->file("rinkmenos"))).isDir());
        QCOMPARE(desktop.opened.back(), dir->path() + "rinkmenos/");
        QTest::mouseClick(window->lb_copyright, Qt::LeftButton);
        QVERIFY(desktop.opened.back().starts_with("https://"));
    }

    void escapePressesCloseWhileItIsEnabled() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        window->ed_part_number->setFocus();
        window->btn_close->setEnabled(false);
        QTest::keyClick(window->ed_part_number, Qt::Key_Escape);
        QVERIFY(window->isVisible());
        window->btn_close->setEnabled(true);
        QTest::keyClick(window->ed_part_number, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void runPreconditionsInOrderWithButtonsEnabledAfterwards() {
        auto window = makeWindow();
        const auto buttonsEnabled = [&] {
            return window->btn_open->isEnabled() && window->btn_isaf_xml->isEnabled() &&
                   window->btn_rinkmenos->isEnabled() && window->btn_close->isEnabled();
        };
        boxes.expect(MessageKind::Error, "Įveskite savo darbo vietos pavadinimą.");
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QCOMPARE(window->lb_darbo_vieta->palette().color(QPalette::WindowText), kRed);
        QVERIFY(buttonsEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // No payer and an empty list: the message, then the dialog for a new payer.
        QTest::keyClicks(window->ed_part_number, QStringLiteral("sandelis1"));
        QVERIFY(window->lb_darbo_vieta->palette().color(QPalette::WindowText) != kRed);
        boxes.expect(MessageKind::Error, "Įveskite savo įmonės (asmens) kodą.");
        bool dialogSeen = false;
        whenDialogOpens([&](Tfrm_naujas_xml* dialog) {
            dialogSeen = true;
            QVERIFY(dialog->ed_pav->text().isEmpty());
            QTest::mouseClick(dialog->btn_cancel, Qt::LeftButton);
        });
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        QVERIFY(dialogSeen);
        VERIFY_BOXES(boxes);
        QVERIFY(buttonsEnabled());
        QVERIFY(book.log().opened.empty());

        writeFile(dir->file("asmenys.txt"), "Medis;;123456789;\r\n");
        window->LoadPayerList(0);
        boxes.expect(MessageKind::Error, "Dokumentas nepasirinktas");
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);

        files.next(std::string("/data/knyga.xlsx"));
        QTest::mouseClick(window->btn_open, Qt::LeftButton);
        window->dt_nuo->setDate(QDate(2016, 6, 1));
        boxes.expect(MessageKind::Error, "Neteisingas laikotarpis.");
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(book.log().opened.empty());

        window->dt_nuo->setDate(QDate(2024, 2, 1));
        boxes.expect(MessageKind::Information, "\"knyga.xlsx\" faile įrašų nerasta.");
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->lastRun().outcome == RunOutcome::NoRows);
        QVERIFY(buttonsEnabled());
        QCOMPARE(window->lb_action->text(), QString());
        QCOMPARE(window->ProgressBar1->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void missingSheetGivesTheUnreadableMessage() {
        book = FakeWorkbook();
        book.sheet("Gau21");
        writeFile(dir->file("asmenys.txt"), "Medis;;123456789;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\n");
        auto window = makeWindow();
        files.next(std::string("/data/knyga.xlsx"));
        QTest::mouseClick(window->btn_open, Qt::LeftButton);
        boxes.expect(MessageKind::Error, "Blogai užpildytas failas knyga.xlsx");
        QTest::mouseClick(window->btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->btn_isaf_xml->isEnabled());
    }

    void realWorkbookBecomesAFileOrTheErrorList() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123456789;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=SAND1\r\n");
        Tfrm_export_xml window(ProgramPaths(dir->path()),
                               testServices(boxes, files, desktop,
                                            Date{2024, 2, 10}));  // the real connection and writer

        const std::string good = dir->file("sausis.xlsx");
        {
            WorkbookBuilder builder(good);
            builder.sheet("Gau21")
                .date(5, 1, 2024, 1, 15)
                .text(5, 2, "SF-1")
                .text(5, 5, "LT100001234567")
                .text(5, 6, "UAB Medis & Ko")
                .text(5, 7, "300001234")
                .number(5, 9, 100)
                .number(5, 10, 21);
            for (const char* name : {"Gau9", "Gau5", "Gau0", "Gau-", "GauKom", "Isr21", "Isr9",
                                     "Isr5", "Isr0", "Isr-", "IsrKom"}) {
                builder.sheet(name);
            }
            builder.save();
        }
        files.next(good);
        QTest::mouseClick(window.btn_open, Qt::LeftButton);
        const std::string saved = dir->file("rinkmenos/Kolvira_123456789_202401_SAND1.xml");
        boxes.expect(MessageKind::Information, savedMessageText(saved));
        QTest::mouseClick(window.btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window.lastRun().outcome == RunOutcome::Saved);
        expectValidIsafFile(saved);
        QVERIFY(readFile(saved).find("<Name>UAB Medis &amp; Ko</Name>") != std::string::npos);

        // Badly filled cells: the workbook is shown to the user, then the list.
        const std::string bad = dir->file("vasaris.xlsx");
        {
            WorkbookBuilder builder(bad);
            builder.sheet("Gau21");
            builder.sheet("Gau9").date(5, 1, 2024, 1, 15).number(5, 9, 10);
            for (const char* name : {"Gau5", "Gau0", "Gau-", "GauKom", "Isr21", "Isr9", "Isr5",
                                     "Isr0", "Isr-", "IsrKom"}) {
                builder.sheet(name);
            }
            builder.save();
        }
        files.next(bad);
        QTest::mouseClick(window.btn_open, Qt::LeftButton);
        desktop.opened.clear();
        boxes.expect(MessageKind::Error,
                     "Klaidų sąrašas:\n\r\n\rGau9 lapas -> B5  vietoje serijos numerio klaida");
        QTest::mouseClick(window.btn_isaf_xml, Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QCOMPARE(desktop.opened, std::vector<std::string>{bad});
        QVERIFY(window.btn_isaf_xml->isEnabled());
    }

    void payerDialogEnablingAndFilters() {
        Tfrm_naujas_xml dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Asmuo"));
        QVERIFY(!dialog.btn_ok->isEnabled());
        QTest::keyClicks(dialog.ed_im_kodas, QStringLiteral("LT-1 2a3"));
        QCOMPARE(dialog.ed_im_kodas->text(), QStringLiteral("123"));
        QVERIFY(!dialog.btn_ok->isEnabled());
        QTest::keyClicks(dialog.ed_pav, QStringLiteral(" "));
        QVERIFY(dialog.btn_ok->isEnabled());  // a name of blanks counts as text
        QTest::keyClick(dialog.ed_pav, Qt::Key_Backspace);
        QVERIFY(!dialog.btn_ok->isEnabled());
        typeText(dialog.ed_pav, QStringLiteral("UAB \"Medis; ir Ko\" Ąžuolas Привет"));
        // ";" and letters Windows-1257 cannot hold are refused.
        QCOMPARE(dialog.ed_pav->text(), QStringLiteral("UAB \"Medis ir Ko\" Ąžuolas "));
        QVERIFY(dialog.btn_ok->isEnabled());
        QTest::keyClicks(dialog.ed_im_kodas, QStringLiteral("123456789"));
        QCOMPARE(dialog.ed_im_kodas->text(), QStringLiteral("12312345678"));  // 11 at most
        QTest::keyClick(dialog.ed_im_kodas, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(dialog.ed_im_kodas->text(), QStringLiteral("12312345678"));
        QCOMPARE(dialog.ed_pav->maxLength(), 45);
        QVERIFY(dialog.ed_pvm_kodas->isHidden());
        QVERIFY(!dialog.ed_pvm_kodas->isEnabled());

        // Enter does not close the dialog; Escape and the title bar give Cancel.
        dialog.open();
        QTest::keyClick(dialog.ed_pav, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(dialog.ed_pav, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.open();
        dialog.close();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
