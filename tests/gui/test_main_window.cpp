// The main window, driven through its real widgets offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "base/kept_file.h"
#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/payer_dialog.h"
#include "gui/qt_seams.h"
#include "gui/scripted_boxes.h"
#include "invoices/sheet_readers.h"
#include "invoices/sheet_table.h"
#include "run/saved_message.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

const QColor kRed(255, 0, 0);

std::string cannotOpen(const std::string& path) {
    return "Nepavyko atidaryti:\r\n" + path + "\r\nAtidarykite rankiniu būdu.";
}

const std::string kStopRun =
    "Rinkmenos formavimas dar nepasibaigė.\r\n"
    "Ar tikrai norite jį nutraukti ir išeiti iš programos?";

// The window's progress, with the close box pressed once the first record is being written.
class CloseWhileWriting : public Progress {
  public:
    CloseWhileWriting(Progress& window, QWidget* toClose) : window_(window), toClose_(toClose) {}
    void setStatus(const std::string& text) override { window_.setStatus(text); }
    void setProgress(int position, int maximum) override { window_.setProgress(position, maximum); }
    void stepProgress() override { window_.stepProgress(); }
    void processEvents() override { window_.processEvents(); }
    void keepResponsive() override {
        if (!closed_) {
            closed_ = true;
            QTimer::singleShot(0, toClose_, [this] { toClose_->close(); });
            window_.processEvents();
        }
        window_.keepResponsive();
    }

  private:
    Progress& window_;
    QWidget* toClose_;
    bool closed_ = false;
};

// Runs `act` on the message box as soon as it shows; the box is closed afterwards even when a
// check in `act` failed, so that it never blocks the test.
void whenBoxShows(std::function<void(MessageDialog*)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        QVERIFY2(box != nullptr, "no message box showed");
        act(box);
        if (box->isVisible()) {
            box->close();
        }
    });
}

// A workbook that notes what the window shows when each sheet's first row is read.
class WatchedWorkbook : public WorkbookConnection {
  public:
    struct Seen {
        QString status;
        int position;
        int maximum;
    };
    WatchedWorkbook(std::unique_ptr<WorkbookConnection> inner, const QWidget& window,
                    std::vector<Seen>& seen)
        : inner_(std::move(inner)),
          status_(widget<QLabel>(window, "lb_action")),
          bar_(widget<QProgressBar>(window, "ProgressBar1")),
          seen_(seen) {}
    void selectSheet(std::string_view name) override { inner_->selectSheet(name); }
    CellValue cell(int row, int column) override {
        if (row == 5 && column == 1) {
            seen_.push_back({status_->text(), bar_->value(), bar_->maximum()});
        }
        return inner_->cell(row, column);
    }
    int lastRowHint() const override { return inner_->lastRowHint(); }
    void present(DesktopShell& desktop) override { inner_->present(desktop); }
    void quit() override { inner_->quit(); }

  private:
    std::unique_ptr<WorkbookConnection> inner_;
    const QLabel* status_;
    const QProgressBar* bar_;
    std::vector<Seen>& seen_;
};

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

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
        QVERIFY(widget<QLabel>(*window, "StatusBar1")->minimumWidth() >= 150);
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

    // The dialog opens in the folder of the workbook chosen last, remembered across starts;
    // else in the documents folder, else in the home folder; never in the working directory.
    void fileDialogOpensInTheLastWorkbooksFolder() {
        const TempDir home;
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QByteArray::fromStdString(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        const auto clean = [](const std::string& path) {
            return QDir::cleanPath(QString::fromStdString(path)).toStdString();
        };
        auto window = makeWindow();
        const auto choose = [&](std::optional<std::string> answer) {
            files.next(std::move(answer));
            QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
            return clean(files.startFolders.back());
        };
        QCOMPARE(choose(std::nullopt), clean(home.path()));
        std::filesystem::create_directory(home.file("Documents"));
        QCOMPARE(choose(std::nullopt), clean(home.file("Documents")));

        std::filesystem::create_directory(dir->file("Knygos"));
        choose(dir->file("Knygos/sausis.xlsx"));
        QCOMPARE(choose(std::nullopt), clean(dir->file("Knygos")));
        QCOMPARE(ProfileFile(dir->file("_nustatymai.ini")).read("NUSTATYMAI", "dokumento_aplankas"),
                 clean(dir->file("Knygos")));
        window = makeWindow();
        QCOMPARE(choose(std::nullopt), clean(dir->file("Knygos")));

        // A folder that is gone: the documents folder again.
        std::filesystem::remove(dir->file("Knygos"));
        QCOMPARE(choose(std::nullopt), clean(home.file("Documents")));
        // A folder the settings file cannot hold is not remembered, without a word.
        std::filesystem::create_directory(dir->file("Книги"));
        choose(dir->file("Книги/sausis.xlsx"));
        QCOMPARE(widget<QLabel>(*window, "lb_dok_pav")->text(), QStringLiteral("sausis.xlsx"));
        QCOMPARE(choose(std::nullopt), clean(home.file("Documents")));
        VERIFY_BOXES(boxes);
        QCOMPARE(files.unexpectedCalls, 0);
        qputenv("HOME", oldHome);
        if (!oldConfig.isEmpty()) {
            qputenv("XDG_CONFIG_HOME", oldConfig);
        }
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
        VERIFY_BOXES(boxes);

        // A desktop without an opener: the user is told each path, to open it by hand.
        desktop.canOpen = false;
        const std::pair<const char*, std::string> targets[] = {
            {"btn_template", dir->path() + "sablonas/"},
            {"btn_rinkmenos", dir->path() + "rinkmenos/"},
            {"lb_copyright", "https://www.kolvira.lt/"}};
        for (const auto& [name, path] : targets) {
            boxes.expectWithPath(MessageKind::Error, cannotOpen(path), path);
            QTest::mouseClick(window->findChild<QWidget*>(QString::fromLatin1(name)),
                              Qt::LeftButton);
            VERIFY_BOXES(boxes);
        }
    }

    // The status bar's panel shows the download's whole text, percentage included.
    void statusBarShowsTheWholeDownloadText() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* panel = widget<QLabel>(*window, "StatusBar1");
        panel->setText(QStringLiteral("Pakrauname atnaujinimą: 100%"));
        QVERIFY2(
            panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(panel->text()),
            qPrintable(QString::number(panel->width())));
    }

    // The window keeps the size of its content: maximising cannot strand the controls in a
    // corner of a large empty window.
    void maximisingKeepsTheWindowAtItsContentsSize() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QSize fitted = window->size();
        QCOMPARE(window->minimumSize(), fitted);
        QCOMPARE(window->maximumSize(), fitted);
        window->showMaximized();
        QTRY_VERIFY(!window->isMaximized());
        QTRY_COMPARE(window->size(), fitted);
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
        writeFile(dir->file("knyga.xlsx"), "");
        window->loadPayerList(0);
        boxes.expect(MessageKind::Error, "Dokumentas nepasirinktas");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);

        // A workbook that is not there: its path, as kolvira-cli says it.
        files.next(dir->file("nera.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);
        boxes.expect(MessageKind::Error, "Dokumentas nerastas: " + dir->file("nera.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->lastRun().outcome == RunOutcome::MissingWorkbook);

        files.next(dir->file("knyga.xlsx"));
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

    // While the sheets are read the status names the sheet and the bar moves on with each one;
    // afterwards both are reset.
    void readingShowsTheSheetAndMovesTheBar() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\n");
        writeFile(dir->file("knyga.xlsx"), "");
        book.setRow("Isr21", 5,
                    {"2024-02-20", "S-1", "SF", "LT120000012", "UAB Zeta", "120000005", "LT", "100",
                     "21", ""});
        std::vector<WatchedWorkbook::Seen> seen;
        MainWindow* window = nullptr;
        WindowServices services = testServices(boxes, files, desktop, today);
        services.openWorkbook = [&, opener = book.opener()](const std::string& path) {
            return std::make_unique<WatchedWorkbook>(opener(path), *window, seen);
        };
        services.exporter = [](const InvoiceBook&, const RunInputs&, Progress&) {
            return std::string("/tmp/niekur.xml");
        };
        MainWindow owned(ProgramPaths(dir->path()), services);
        window = &owned;
        files.next(dir->file("knyga.xlsx"));
        QTest::mouseClick(widget<QPushButton>(owned, "btn_open"), Qt::LeftButton);
        boxes.expectWithPath(MessageKind::Information, savedMessageText("/tmp/niekur.xml"),
                             "/tmp/niekur.xml");
        QTest::mouseClick(widget<QPushButton>(owned, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);

        QCOMPARE(seen.size(), size_t{12});
        for (int sheet = 1; sheet <= 12; ++sheet) {
            const WatchedWorkbook::Seen& at = seen[static_cast<size_t>(sheet - 1)];
            QCOMPARE(at.status, QString::fromStdString(std::string(sheetName(sheet))) +
                                    QStringLiteral(" lapas. Patikriname įrašus: 1"));
            QCOMPARE(at.maximum, kSheetReadingSteps);
            QCOMPARE(at.position, (sheet - 1) * kSheetReadingSteps / 12);
        }
        QCOMPARE(widget<QLabel>(owned, "lb_action")->text(), QString());
        QCOMPARE(widget<QProgressBar>(owned, "ProgressBar1")->value(), 0);
    }

    void missingSheetGivesTheUnreadableMessage() {
        writeFile(dir->file("knyga.xlsx"), "");
        book = FakeWorkbook();
        book.sheet("Gau21");
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\n");
        auto window = makeWindow();
        files.next(dir->file("knyga.xlsx"));
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
            for (const std::string_view name : kSheetNames) {
                if (name != "Gau21") {
                    builder.sheet(std::string(name));
                }
            }
            builder.save();
        }
        files.next(good);
        QTest::mouseClick(widget<QPushButton>(window, "btn_open"), Qt::LeftButton);
        const std::string saved = dir->file("rinkmenos/Kolvira_123456786_202401_SAND1.xml");
        boxes.expectWithPath(MessageKind::Information, savedMessageText(saved), saved);
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
            for (const std::string_view name : kSheetNames) {
                if (name != "Gau21" && name != "Gau9") {
                    builder.sheet(std::string(name));
                }
            }
            builder.save();
        }
        files.next(bad);
        QTest::mouseClick(widget<QPushButton>(window, "btn_open"), Qt::LeftButton);
        desktop.opened.clear();
        // No opener on this desktop: the user is told where the workbook is, then the list.
        desktop.canOpen = false;
        boxes.expectWithPath(MessageKind::Error, cannotOpen(bad), bad);
        boxes.expect(MessageKind::Error,
                     "Klaidų sąrašas:\n\r\n\rGau9 lapas -> B5  vietoje serijos numerio klaida");
        QTest::mouseClick(widget<QPushButton>(window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QCOMPARE(desktop.opened, std::vector<std::string>{bad});
        QVERIFY(widget<QPushButton>(window, "btn_isaf_xml")->isEnabled());
    }

    // "Tikrinti i.SAF rinkmeną": a file dialog in the folder of the saved files, then the
    // file's findings and totals in the window's real message box, the error list's box.
    void checkButtonShowsAFilesFindingsInTheListsBox() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=SAND1\r\n");
        const std::string workbook = dir->file("sausis.xlsx");
        {
            WorkbookBuilder builder(workbook);
            builder.sheet("Gau21")
                .date(5, 1, 2024, 1, 15)
                .text(5, 2, "SF-1")
                .text(5, 5, "LT100001234510")
                .text(5, 6, "UAB Medis")
                .text(5, 7, "300001233")
                .number(5, 9, 100)
                .number(5, 10, 21);
            for (const std::string_view name : kSheetNames) {
                if (name != "Gau21") {
                    builder.sheet(std::string(name));
                }
            }
            builder.save();
        }
        const std::string saved = dir->file("rinkmenos/Kolvira_123456786_202401_SAND1.xml");
        {
            MainWindow making(ProgramPaths(dir->path()),
                              testServices(boxes, files, desktop, Date{2024, 2, 10}));
            files.next(workbook);
            QTest::mouseClick(widget<QPushButton>(making, "btn_open"), Qt::LeftButton);
            boxes.expectWithPath(MessageKind::Information, savedMessageText(saved), saved);
            QTest::mouseClick(widget<QPushButton>(making, "btn_isaf_xml"), Qt::LeftButton);
            VERIFY_BOXES(boxes);
        }
        std::string broken = readFile(saved);
        const std::string rate = "<TaxPercentage>21</TaxPercentage>";
        QVERIFY(broken.find(rate) != std::string::npos);
        broken.replace(broken.find(rate), rate.size(), "<TaxPercentage>9</TaxPercentage>");
        writeFile(dir->file("rinkmenos/pataisyta.xml"), broken);
        writeFile(dir->file("rinkmenos/ne_xml.xml"), "Sąskaitos\n");

        QtMessageBoxes real;
        WindowServices services = testServices(boxes, files, desktop);
        services.boxes = &real;
        MainWindow window(ProgramPaths(dir->path()), services);
        auto* button = widget<QPushButton>(window, "btn_tikrinti");
        QCOMPARE(button->text(), QStringLiteral("Tikrinti i.SAF rinkmeną"));
        const auto checkShows = [&](const std::string& file, const QString& title, QString& shown) {
            files.next(file);
            whenBoxShows([&](MessageDialog* box) {
                QCOMPARE(box->windowTitle(), title);
                auto* text = box->findChild<QWidget*>(QStringLiteral("message_text"));
                QVERIFY(text != nullptr);
                // The totals' columns align.
                QCOMPARE(text->font().family(),
                         QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
                if (auto* label = qobject_cast<QLabel*>(text)) {
                    shown = label->text();
                } else {
                    shown = qobject_cast<QPlainTextEdit*>(text)->toPlainText();
                }
                QTest::keyClick(box, Qt::Key_Escape);
            });
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(files.asked.back(), std::string("isaf"));
            QCOMPARE(files.startFolders.back(), dir->file("rinkmenos"));
            QVERIFY(button->isEnabled());
        };

        QString good;
        checkShows(saved, QStringLiteral("Informacija"), good);
        QVERIFY2(good.startsWith(QStringLiteral("Rinkmena: ") + QString::fromStdString(saved)),
                 qPrintable(good));
        QVERIFY2(good.contains(QStringLiteral("\nKlaidų ir įspėjimų nerasta.\n")),
                 qPrintable(good));
        QVERIFY2(good.contains(QRegularExpression(QStringLiteral("Pirkimai +PVM1 +1 +100[.,]00"))),
                 qPrintable(good));

        QString bad;
        checkShows(dir->file("rinkmenos/pataisyta.xml"), QStringLiteral("Klaida"), bad);
        QVERIFY2(bad.contains(QStringLiteral("\nLoginės klaidos:\n  Eilutė ")), qPrintable(bad));
        QVERIFY2(bad.contains(QStringLiteral("PVM kodo PVM1 tarifas yra 21 %, o nurodytas 9 %.")),
                 qPrintable(bad));
        QVERIFY2(bad.contains(QStringLiteral("\nRasta klaidų: 1")), qPrintable(bad));

        QString notXml;
        checkShows(dir->file("rinkmenos/ne_xml.xml"), QStringLiteral("Klaida"), notXml);
        QVERIFY2(notXml.contains(
                     QStringLiteral("Rinkmena netikrinta: tai ne i.SAF 1.2 rinkmena arba ne XML.")),
                 qPrintable(notXml));
        QVERIFY(!notXml.contains(QStringLiteral("Pirkimai")));
    }

    // The close box during a run asks whether to stop it. No: the run goes on to its file.
    // Yes: the run stops at its next row or record, the window closes after it, and the file
    // being written never replaces the earlier one.
    void closeDuringARunAsksAndStopsTheRunWithoutAHalfWrittenFile() {
        writeFile(dir->file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\n");
        writeFile(dir->file("knyga.xlsx"), "");
        book.setRow("Isr21", 5,
                    {"2024-02-20", "S-1", "SF", "LT120000012", "UAB Zeta", "120000005", "LT", "100",
                     "21", ""});
        MainWindow* window = nullptr;
        bool closeWhileReading = true;
        WindowServices services = testServices(boxes, files, desktop, today);
        services.openWorkbook = [&, opener = book.opener()](const std::string& path) {
            if (closeWhileReading) {
                QTimer::singleShot(0, window, [&] { window->close(); });
            }
            return opener(path);
        };
        services.exporter = [&](const InvoiceBook& invoices, const RunInputs& in,
                                Progress& progress) {
            if (closeWhileReading) {
                return exportIsafFile(invoices, in, progress);
            }
            CloseWhileWriting closing(progress, window);
            return exportIsafFile(invoices, in, closing);
        };
        MainWindow owned(ProgramPaths(dir->path()), services);
        window = &owned;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        files.next(dir->file("knyga.xlsx"));
        QTest::mouseClick(widget<QPushButton>(*window, "btn_open"), Qt::LeftButton);

        const std::string saved = dir->file("rinkmenos/Kolvira_123456786_202402_A1.xml");
        boxes.expect(MessageKind::Confirmation, kStopRun, Answer::No);
        boxes.expectWithPath(MessageKind::Information, savedMessageText(saved), saved);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->lastRun().outcome == RunOutcome::Saved);
        QVERIFY(window->isVisible());
        expectValidIsafFile(saved);
        const std::string earlier = readFile(saved);

        closeWhileReading = false;
        boxes.expect(MessageKind::Confirmation, kStopRun, Answer::Yes);
        QTest::mouseClick(widget<QPushButton>(*window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        QVERIFY(window->lastRun().outcome == RunOutcome::Cancelled);
        QVERIFY(!window->isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(readFile(saved), earlier);
        QCOMPARE(folderEntries(dir->file("rinkmenos")),
                 std::vector<std::string>{"Kolvira_123456786_202402_A1.xml"});
    }

    // The window's real boxes: every kind with its icon and its own title, the long list as
    // well as a short message; the text exactly as the program wrapped it; a path copied whole.
    void realBoxesShowEveryKindAlikeAndCopyAPathAsOneLine() {
        QtMessageBoxes real;
        std::string list = "Klaidų sąrašas:";
        for (int row = 5; row < 45; ++row) {
            list += "\n\r\n\rGau9 lapas -> B" + std::to_string(row) +
                    "  vietoje serijos numerio klaida";
        }
        const std::pair<MessageKind, QString> kinds[] = {
            {MessageKind::Error, QStringLiteral("Klaida")},
            {MessageKind::Information, QStringLiteral("Informacija")},
            {MessageKind::Warning, QStringLiteral("Įspėjimas")},
            {MessageKind::Confirmation, QStringLiteral("Patvirtinimas")}};
        for (const auto& [kind, title] : kinds) {
            for (const std::string& text : {std::string("Dokumentas nepasirinktas"), list}) {
                bool seen = false;
                whenBoxShows([&, title = title](MessageDialog* box) {
                    seen = true;
                    QCOMPARE(box->windowTitle(), title);
                    QVERIFY(!widget<QLabel>(*box, "message_icon")->pixmap().isNull());
                    QVERIFY(box->findChild<QWidget*>(QStringLiteral("message_text")) != nullptr);
                    QTest::keyClick(box, Qt::Key_Escape);
                });
                const Answer answer = real.show(kind, text);
                QVERIFY(seen);
                QVERIFY(answer == (kind == MessageKind::Confirmation ? Answer::No : Answer::Ok));
            }
        }
        whenBoxShows([](MessageDialog* box) {
            QTest::mouseClick(box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Yes),
                              Qt::LeftButton);
        });
        QVERIFY(real.show(MessageKind::Confirmation, "Ar tikrai?") == Answer::Yes);

        // The saved message breaks the path only after its blank, where the program's own
        // 45-column wrap breaks it; the copy button gives the path as one line and leaves the
        // box open.
        const std::string path =
            "/home/ona/Mano dokumentai/Kolvira/rinkmenos/Kolvira_123456786_202401_SANDELIS1.xml";
        const std::string text = savedMessageText(path);
        QCOMPARE(boxText(text).count(QLatin1Char('\n')), 3);
        QGuiApplication::clipboard()->clear();
        bool copied = false;
        whenBoxShows([&](MessageDialog* box) {
            auto* label = widget<QLabel>(*box, "message_text");
            QVERIFY(!label->wordWrap());
            QCOMPARE(label->text(), boxText(text));
            for (const QString& line : label->text().split(QLatin1Char('\n'))) {
                QVERIFY(label->contentsRect().width() >=
                        label->fontMetrics().horizontalAdvance(line));
            }
            auto* copy = widget<QPushButton>(*box, "btn_copy");
            QCOMPARE(copy->text(), QStringLiteral("Kopijuoti kelią"));
            QTest::mouseClick(copy, Qt::LeftButton);
            QVERIFY(box->isVisible());
            copied = QGuiApplication::clipboard()->text() == QString::fromStdString(path);
            QTest::mouseClick(box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        QVERIFY(real.showWithPath(MessageKind::Information, text, path) == Answer::Ok);
        QVERIFY(copied);
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
            QTest::mouseClick(widget<QPushButton>(*box, "btn_copy"), Qt::LeftButton);
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
