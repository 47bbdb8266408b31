// The main window, driven through its real widgets offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "base/kept_file.h"
#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/payer_dialog.h"
#include "gui/qt_seams.h"
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

    std::unique_ptr<MainWindow> makeWindow() {
        WindowServices services = testServices(boxes, files, desktop, today);
        services.openWorkbook = book.opener();
        return std::make_unique<MainWindow>(ProgramPaths(dir->path()), services);
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
        QCOMPARE(widget<QDateEdit>(*window, "dt_nuo")->date(), QDate(2024, 2, 1));
        QCOMPARE(widget<QDateEdit>(*window, "dt_iki")->date(), QDate(2024, 2, 29));
        QCOMPARE(widget<QDateEdit>(*window, "dt_nuo")->displayFormat(),
                 QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QStringLiteral("SANDELIS1"));
        QCOMPARE(widget<QLabel>(*window, "lb_action")->text(), QString());
        QCOMPARE(widget<QLabel>(*window, "lb_dok_pav")->text(),
                 QStringLiteral("Dokumentas nepasirinktas"));
        QVERIFY(!window->workbookPath());
        QVERIFY(!window->payer());
        QCOMPARE(widget<QPushButton>(*window, "btn_isaf_xml")->text(),
                 QStringLiteral("Formuoti XML rinkmeną   (Kolvira.xml)"));
        QCOMPARE(widget<QLabel>(*window, "lb_info")->text(),
                 QStringLiteral("Atidarykite Excel šabloną, užpildykite ir išsaugokite jį.  "
                                "Šabloną rasite čia:"));
        QCOMPARE(widget<QPushButton>(*window, "btn_open")->toolTip(),
                 QStringLiteral("Pasirinkti dokumentą"));
        QCOMPARE(widget<QCheckBox>(*window, "cb_priskirti")->text(),
                 QStringLiteral("priskirti darbo vietos pavadinimą šitam PVM mokėtojui"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->maxLength(), 20);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->maxVisibleItems(), 20);
        QCOMPARE(widget<QLabel>(*window, "StatusBar1")->width(), 150);
        for (const char* name : {"btn_new", "btn_koreguoti", "btn_mok_delete", "btn_template",
                                 "btn_valyti", "btn_rinkmenos", "btn_close", "lb_copyright"}) {
            QVERIFY2(window->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // The payer's codes are the window's state: no label, shown or hidden, holds them.
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("lb_im_kodas")) == nullptr);
        QVERIFY(widget<QPushButton>(*window, "btn_isaf_xml")->isVisible());
        // Start-up wrote nothing: every value it assigned was already stored.
        QCOMPARE(settings(),
                 std::string("[NUSTATYMAI]\r\ndarbo_vieta=SANDELIS1\r\n[VERSIJA]\r\nnr=5.14\r\n"));
        VERIFY_BOXES(boxes);
    }

    void startUpWithoutSettings() {
        today = {2025, 1, 10};
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Kolvira     v"));
        QCOMPARE(widget<QDateEdit>(*window, "dt_nuo")->date(), QDate(2024, 12, 1));
        QCOMPARE(widget<QDateEdit>(*window, "dt_iki")->date(), QDate(2024, 12, 31));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QString());
        // The field never changed, so its caption keeps the normal colour.
        QVERIFY(widget<QLabel>(*window, "lb_darbo_vieta")->palette().color(QPalette::WindowText) !=
                kRed);
        QVERIFY(!fileExists(dir->file("_nustatymai.ini")));
    }

    void workbookChoiceAndItsClearing() {
        auto window = makeWindow();
        files.next(std::string("/home/ona/Knygos/sausis.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        QCOMPARE(widget<QLabel>(*window, "lb_dok_pav")->text(), QStringLiteral("sausis.xlsx"));
        QCOMPARE(window->workbookPath().value_or(""), std::string("/home/ona/Knygos/sausis.xlsx"));
        // Cancelling the dialog clears the earlier choice too.
        files.next(std::nullopt);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        QCOMPARE(widget<QLabel>(*window, "lb_dok_pav")->text(),
                 QStringLiteral("Dokumentas nepasirinktas"));
        QVERIFY(!window->workbookPath());
        files.next(std::string("/tmp/a.xls"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_valyti"), Qt::LeftButton);
        QCOMPARE(widget<QLabel>(*window, "lb_dok_pav")->text(),
                 QStringLiteral("Dokumentas nepasirinktas"));
        QVERIFY(!window->workbookPath());
        QCOMPARE(files.unexpectedCalls, 0);
    }

    void folderButtonsOpenTheFoldersBesideTheProgram() {
        auto window = makeWindow();
        QTest::mouseClick(widget<QPushButton>(*window, "btn_template"), Qt::LeftButton);
        QCOMPARE(desktop.opened.back(), dir->path() + "sablonas/");
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("sablonas"))));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("rinkmenos"))));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_rinkmenos"), Qt::LeftButton);
        QVERIFY(QFileInfo(QString::fromStdString(dir->file("rinkmenos"))).isDir());
        QCOMPARE(desktop.opened.back(), dir->path() + "rinkmenos/");
        QTest::mouseClick(widget<QLabel>(*window, "lb_copyright"), Qt::LeftButton);
        QVERIFY(desktop.opened.back().starts_with("https://"));
    }

    void escapePressesCloseWhileItIsEnabled() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        widget<QLineEdit>(*window, "ed_part_number")->setFocus();
        widget<QPushButton>(*window, "btn_close")->setEnabled(false);
        QTest::keyClick(widget<QLineEdit>(*window, "ed_part_number"), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        widget<QPushButton>(*window, "btn_close")->setEnabled(true);
        QTest::keyClick(widget<QLineEdit>(*window, "ed_part_number"), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void runPreconditionsInOrderWithButtonsEnabledAfterwards() {
        auto window = makeWindow();
        const auto buttonsEnabled = [&] {
            return widget<QPushButton>(*window, "btn_open")->isEnabled() &&
                   widget<QPushButton>(*window, "btn_isaf_xml")->isEnabled() &&
                   widget<QPushButton>(*window, "btn_rinkmenos")->isEnabled() &&
                   widget<QPushButton>(*window, "btn_close")->isEnabled();
        };
        boxes.expect(MessageKind::Error, "Įveskite savo darbo vietos pavadinimą.");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QCOMPARE(widget<QLabel>(*window, "lb_darbo_vieta")->palette().color(QPalette::WindowText),
                 kRed);
        QVERIFY(buttonsEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // No payer and an empty list: the message, then the dialog for a new payer.
        QTest::keyClicks(widget<QLineEdit>(*window, "ed_part_number"), QStringLiteral("sandelis1"));
        QVERIFY(widget<QLabel>(*window, "lb_darbo_vieta")->palette().color(QPalette::WindowText) !=
                kRed);
        boxes.expect(MessageKind::Error, "Įveskite savo įmonės (asmens) kodą.");
        bool dialogSeen = false;
        whenDialogOpens([&](PayerDialog* dialog) {
            dialogSeen = true;
            QVERIFY(widget<QLineEdit>(*dialog, "ed_pav")->text().isEmpty());
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_cancel"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        QVERIFY(dialogSeen);
        VERIFY_BOXES(boxes);
        QVERIFY(buttonsEnabled());
        QVERIFY(book.log().opened.empty());

        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        window->loadPayerList(0);
        boxes.expect(MessageKind::Error, "Dokumentas nepasirinktas");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);

        files.next(std::string("/data/knyga.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        widget<QDateEdit>(*window, "dt_nuo")->setDate(QDate(2016, 6, 1));
        boxes.expect(MessageKind::Error, "Neteisingas laikotarpis.");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(book.log().opened.empty());

        widget<QDateEdit>(*window, "dt_nuo")->setDate(QDate(2024, 2, 1));
        boxes.expect(MessageKind::Information, "\"knyga.xlsx\" faile įrašų nerasta.");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->lastRun().outcome == RunOutcome::NoRows);
        QVERIFY(buttonsEnabled());
        QCOMPARE(widget<QLabel>(*window, "lb_action")->text(), QString());
        QCOMPARE(widget<QProgressBar>(*window, "ProgressBar1")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void missingSheetGivesTheUnreadableMessage() {
        book = FakeWorkbook();
        book.sheet("Gau21");
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\n");
        auto window = makeWindow();
        files.next(std::string("/data/knyga.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        boxes.expect(MessageKind::Error, "Blogai užpildytas failas knyga.xlsx");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(widget<QPushButton>(*window, "btn_isaf_xml")->isEnabled());
    }

    void realWorkbookBecomesAFileOrTheErrorList() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=SAND1\r\n");
        MainWindow window(ProgramPaths(dir->path()),
                          testServices(boxes, files, desktop,
                                       Date{2024, 2, 10}));  // the real connection and writer

        const std::string good = dir->file("sausis.xlsx");
        {
            WorkbookBuilder builder(good);
            builder.sheet("Gau21")
                .date(5, 1, 2024, 1, 15)
                .text(5, 2, "SF-1")
                .text(5, 5, "LT100001234510")
                .text(5, 6, "UAB Medis & Ko")
                .text(5, 7, "300001233")
                .number(5, 9, 100)
                .number(5, 10, 21)
                .date(6, 1, 2024, 1, 16)
                .text(6, 2, "SF Nr.2")
                .text(6, 5, "LT100001234510")
                .text(6, 6, "UAB Medis & Ko")
                .number(6, 9, 10)
                .number(6, 10, 2.1);
            for (const char* name : {"Gau9", "Gau5", "Gau0", "Gau-", "GauKom", "Isr21", "Isr9",
                                     "Isr5", "Isr0", "Isr-", "IsrKom"}) {
                builder.sheet(name);
            }
            builder.save();
        }
        files.next(good);
        QTest::mouseClick(widget<QPushButton>(window, "btn_open"), Qt::LeftButton);
        const std::string saved = dir->file("rinkmenos/Kolvira_123456786_202401_SAND1.xml");
        boxes.expect(MessageKind::Information, savedMessageText(saved));
        // After the saved message, the warnings: advice under a title of their own.
        boxes.expectTitled(MessageKind::Warning,
                           "Įspėjimai:\nGau21 lapas -> B6  numeryje „SF Nr.2“ yra „Nr“: jo rašyti "
                           "nerekomenduojama (ne ABC Nr.123, o ABC123)",
                           "Įspėjimai", Answer::Ok);
        QTest::mouseClick(widget<QPushButton>(window, "btn_isaf_xml"), Qt::LeftButton);
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
        QTest::mouseClick(widget<QPushButton>(window, "btn_open"), Qt::LeftButton);
        desktop.opened.clear();
        boxes.expect(MessageKind::Error,
                     "Klaidų sąrašas:\n\r\n\rGau9 lapas -> B5  vietoje serijos numerio klaida");
        QTest::mouseClick(widget<QPushButton>(window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QCOMPARE(desktop.opened, std::vector<std::string>{bad});
        QVERIFY(widget<QPushButton>(window, "btn_isaf_xml")->isEnabled());
    }

    // The warnings box of the real window: the whole list in a text that scrolls, and a button
    // that puts it on the clipboard.
    void warningsBoxScrollsAndCopiesItsText() {
        QWidget parent;
        QtMessageBoxes real(&parent);
        std::string text = "Įspėjimai:";
        for (int row = 5; row < 205; ++row) {
            text += "\nGau21 lapas -> B" + std::to_string(row) + "  numeryje „Nr." +
                    std::to_string(row) + "“ yra „Nr“";
        }
        QGuiApplication::clipboard()->clear();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY2(box != nullptr, "the warnings box did not open");
            QCOMPARE(box->windowTitle(), QStringLiteral("Įspėjimai"));
            auto* view = widget<QPlainTextEdit>(*box, "message_text");
            QCOMPARE(view->toPlainText(), QString::fromStdString(text));
            QVERIFY(view->verticalScrollBar()->maximum() > 0);  // taller than the box
            QTest::mouseClick(widget<QPushButton>(*box, "copy_button"), Qt::LeftButton);
            QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(text));
            seen = true;
            box->accept();
        });
        QVERIFY(real.showCopyable(MessageKind::Warning, text, "Įspėjimai") == Answer::Ok);
        QVERIFY(seen);
    }

    void payerDialogEnablingAndFilters() {
        PayerDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Asmuo"));
        QVERIFY(!widget<QPushButton>(dialog, "btn_ok")->isEnabled());
        QTest::keyClicks(widget<QLineEdit>(dialog, "ed_im_kodas"), QStringLiteral("LT-1 2a3"));
        QCOMPARE(widget<QLineEdit>(dialog, "ed_im_kodas")->text(), QStringLiteral("123"));
        QVERIFY(!widget<QPushButton>(dialog, "btn_ok")->isEnabled());
        QTest::keyClicks(widget<QLineEdit>(dialog, "ed_pav"), QStringLiteral(" "));
        QVERIFY(
            widget<QPushButton>(dialog, "btn_ok")->isEnabled());  // a name of blanks counts as text
        QTest::keyClick(widget<QLineEdit>(dialog, "ed_pav"), Qt::Key_Backspace);
        QVERIFY(!widget<QPushButton>(dialog, "btn_ok")->isEnabled());
        typeText(widget<QLineEdit>(dialog, "ed_pav"),
                 QStringLiteral("UAB \"Medis; ir Ko\" Ąžuolas Привет"));
        // ";" and letters Windows-1257 cannot hold are refused.
        QCOMPARE(widget<QLineEdit>(dialog, "ed_pav")->text(),
                 QStringLiteral("UAB \"Medis ir Ko\" Ąžuolas "));
        QVERIFY(widget<QPushButton>(dialog, "btn_ok")->isEnabled());
        QTest::keyClicks(widget<QLineEdit>(dialog, "ed_im_kodas"), QStringLiteral("123456786"));
        QCOMPARE(widget<QLineEdit>(dialog, "ed_im_kodas")->text(),
                 QStringLiteral("12312345678"));  // 11 at most
        QTest::keyClick(widget<QLineEdit>(dialog, "ed_im_kodas"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(widget<QLineEdit>(dialog, "ed_im_kodas")->text(), QStringLiteral("12312345678"));
        QCOMPARE(widget<QLineEdit>(dialog, "ed_pav")->maxLength(), 45);
        // The VAT code is carried through, never shown: name and code are the only fields.
        QCOMPARE(dialog.findChildren<QLineEdit*>().size(), qsizetype(2));

        // Enter does not close the dialog; Escape and the title bar give Cancel.
        dialog.open();
        QTest::keyClick(widget<QLineEdit>(dialog, "ed_pav"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(widget<QLineEdit>(dialog, "ed_pav"), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.open();
        dialog.close();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
