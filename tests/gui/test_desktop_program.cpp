// The window as an installed desktop program: Qt's own texts and the calendar in Lithuanian
// whatever the system language, and the installed layout (the user's folders, no update).
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

#include "base/folders.h"
#include "base/kept_file.h"
#include "base/profile_file.h"
#include "frontend/locale_settings.h"
#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/qt_translation.h"
#include "gui/scripted_boxes.h"
#include "invoices/sheet_table.h"
#include "run/saved_message.h"
#include "support/fake_run_host.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

class DesktopProgramTest : public QObject {
    Q_OBJECT

  private:
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog files;
    RecordingDesktop desktop;

    static QString buttonText(QDialogButtonBox& box, QDialogButtonBox::StandardButton which) {
        return box.button(which)->text();
    }

  private slots:
    void init() {
        boxes.clear();
        files = ScriptedFileDialog();
        desktop.opened.clear();
    }

    // The tests run under LANG=C.UTF-8: the texts are Lithuanian because the program asks for
    // it, not because the system does.
    void qtOwnTextsAreLithuanian() {
        QVERIFY2(QLocale::system().language() != QLocale::Lithuanian,
                 "the test needs a system language other than Lithuanian");
        QVERIFY2(installQtLithuanian(*qApp), "qt_lt.qm of qt6-translations-l10n not found");

        QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No |
                                 QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttonText(buttons, QDialogButtonBox::Yes), QStringLiteral("&Taip"));
        QCOMPARE(buttonText(buttons, QDialogButtonBox::No), QStringLiteral("&Ne"));
        QCOMPARE(buttonText(buttons, QDialogButtonBox::Ok), QStringLiteral("Gerai"));
        QCOMPARE(buttonText(buttons, QDialogButtonBox::Cancel), QStringLiteral("Atsisakyti"));
        QMessageBox box(QMessageBox::Question, QStringLiteral("Kolvira"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Taip"));

        // Qt's own file dialog (the one the window shows where the desktop offers none).
        QFileDialog dialog(nullptr, QStringLiteral("Pasirinkti dokumentą"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
                 QStringLiteral("Vieta:"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
                 QStringLiteral("&Failo vardas:"));
        auto* dialogButtons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QCOMPARE(dialogButtons->button(QDialogButtonBox::Open)->text(), QStringLiteral("At&verti"));
        QCOMPARE(dialogButtons->button(QDialogButtonBox::Cancel)->text(),
                 QStringLiteral("Atsisakyti"));
        const TempDir folder;
        QCOMPARE(QFileIconProvider().type(QFileInfo(QString::fromStdString(folder.path()))),
                 QStringLiteral("Aplankas"));
    }

    // The calendar names months in Lithuanian, while the workbook is read with the system's
    // regional settings.
    void calendarIsLithuanianAndTheWorkbookIsReadTheSystemsWay() {
        TempDir dir;
        writeFile(dir.file("asmenys.txt"), "Medis;;123456786;\r\n");
        writeFile(dir.file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=SAND1\r\n");
        WindowServices services = testServices(boxes, files, desktop, Date{2024, 2, 10});
        services.regional = nullptr;  // the window's own: the system's
        RegionalSettings used;
        services.exporter = [&used](const InvoiceBook&, const RunInputs& in, Progress&) {
            used = in.regional;
            return std::string("/tmp/niekur.xml");
        };
        MainWindow window(ProgramPaths(dir.path()), services);

        for (QDateEdit* picker :
             {widget<QDateEdit>(window, "dt_nuo"), widget<QDateEdit>(window, "dt_iki")}) {
            QCOMPARE(picker->calendarWidget()->locale().language(), QLocale::Lithuanian);
            QCOMPARE(picker->locale().language(), QLocale::Lithuanian);
        }
        QCOMPARE(
            widget<QDateEdit>(window, "dt_nuo")->calendarWidget()->locale().standaloneMonthName(1),
            QStringLiteral("sausis"));

        const std::string book = dir.file("sausis.xlsx");
        {
            WorkbookBuilder builder(book);
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
        files.next(book);
        QTest::mouseClick(widget<QPushButton>(window, "btn_open"), Qt::LeftButton);
        boxes.expect(MessageKind::Information, savedMessageText("/tmp/niekur.xml"));
        QTest::mouseClick(widget<QPushButton>(window, "btn_isaf_xml"), Qt::LeftButton);
        VERIFY_BOXES(boxes);
        const RegionalSettings system = regionalSettingsFrom(QLocale::system());
        QCOMPARE(used.decimalSeparator, system.decimalSeparator);
        QCOMPARE(used.shortDateFormat, system.shortDateFormat);
        QVERIFY(used.decimalSeparator != lithuanianSettings().decimalSeparator);
    }

    // Installed: settings and register in the configuration folder (made when first written),
    // i.SAF files under Documents/Kolvira/rinkmenos, the template and the version from the data
    // folder, and no update at start or at close.
    void installedProgramKeepsTheUsersFilesInTheUsersFolders() {
        TempDir root;
        const std::string program = root.file("usr/bin/");
        const std::string data = root.file("usr/share/kolvira/");
        const UserFolders user{root.file("home/.config/kolvira"), root.file("home/Documents")};
        QVERIFY(createFolders(program).ok());
        QVERIFY(createFolders(data + "sablonas").ok());
        writeFile(data + "versija.ini", "[VERSIJA]\r\nnr=0.1\r\n");
        // A complete installer beside the program, as a portable program would offer at close.
        writeFile(program + "load.log", "5.15\r\nupdate_5.15.exe\r\n4\r\n");
        writeFile(program + "update_5.15.exe", "MZ..");
        const mode_t mask = ::umask(022);

        WindowServices services = testServices(boxes, files, desktop);
        bool updateChecked = false;
        services.startUpdateCheck = [&updateChecked](UpdateBridge&, const std::string&) {
            updateChecked = true;
        };
        auto window =
            std::make_unique<MainWindow>(ProgramPaths::installed(program, data, user), services);
        QVERIFY(!updateChecked);
        QCOMPARE(window->windowTitle(), QStringLiteral("Kolvira     v0.1"));

        QTest::keyClicks(widget<QLineEdit>(*window, "ed_part_number"), QStringLiteral("A"));
        QCOMPARE(
            ProfileFile(user.configuration + "/_nustatymai.ini").read("NUSTATYMAI", "darbo_vieta"),
            std::string("A"));
        struct stat info {};
        QCOMPARE(::stat(user.configuration.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t{0755});
        whenDialogOpens([](PayerDialog* dialog) {
            widget<QLineEdit>(*dialog, "ed_pav")->setText(QStringLiteral("Medis"));
            widget<QLineEdit>(*dialog, "ed_im_kodas")->setText(QStringLiteral("123456786"));
            QTest::mouseClick(widget<QPushButton>(*dialog, "btn_ok"), Qt::LeftButton);
        });
        QTest::mouseClick(widget<QPushButton>(*window, "btn_new"), Qt::LeftButton);
        QCOMPARE(readFile(user.configuration + "/asmenys.txt"),
                 std::string("Medis;;123456786;\r\n"));

        QTest::mouseClick(widget<QPushButton>(*window, "btn_template"), Qt::LeftButton);
        QCOMPARE(desktop.opened.back(), data + "sablonas/");
        QTest::mouseClick(widget<QPushButton>(*window, "btn_rinkmenos"), Qt::LeftButton);
        QCOMPARE(desktop.opened.back(), user.documents + "/Kolvira/rinkmenos/");
        QVERIFY(QFileInfo(QString::fromStdString(user.documents + "/Kolvira/rinkmenos")).isDir());

        // Closing offers no installer: an unexpected box would fail the test.
        desktop.opened.clear();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->close();
        QVERIFY(!window->isVisible());
        QVERIFY(desktop.opened.empty());
        VERIFY_BOXES(boxes);
        // Nothing was written beside the program or into the data folder.
        QVERIFY(!fileExists(program + "_nustatymai.ini") && !fileExists(program + "asmenys.txt"));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(program + "rinkmenos")));
        ::umask(mask);
    }
};

QTEST_MAIN(DesktopProgramTest)
#include "test_desktop_program.moc"
