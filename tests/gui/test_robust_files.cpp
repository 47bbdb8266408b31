// The window starting on a payer register and a settings file edited by hand: it starts, shows
// what it can, and its writes change only their own lines.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/scripted_boxes.h"
#include "support/fake_run_host.h"
#include "support/temp_dir.h"

class RobustFilesTest : public QObject {
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

  private slots:
    void init() {
        dir = std::make_unique<TempDir>();
        boxes.clear();
    }
    void cleanup() { VERIFY_BOXES(boxes); }

    void startsOnOddFilesAndRewritesOnlyItsOwnLines() {
        const std::string longName(500, 'V');
        // CR-only line ends, a blank line, a line of only ";", a 500-character name.
        writeFile(dir->file("asmenys.txt"),
                  "Alfa;;111;\r\r;\r" + longName + ";LT333;333;SANDELIS3\rGama;;444;");
        // A duplicate section and key, a 10 MB value of no concern to the program, no final
        // line end.
        const std::string huge(10u << 20, 'X');
        writeFile(dir->file("_nustatymai.ini"),
                  "[NUSTATYMAI]\r\nasmuo=3\r\nasmuo=0\r\n[KITA]\r\npastaba=" + huge +
                      "\r\n[nustatymai]\r\nasmuo=1\r\n[VERSIJA]\r\nnr=5.14");
        auto window = makeWindow();

        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->count(), 5);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->itemText(1), QString());
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->itemText(2), QString());
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->itemText(3),
                 QString::fromStdString(longName));
        // The first "asmuo" of the first section: the payer with the long name.
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 3);
        QCOMPARE(window->payer().value_or(Payer{}).companyCode, std::string("333"));
        QCOMPARE(widget<QLineEdit>(*window, "ed_part_number")->text(), QStringLiteral("SANDELIS3"));
        QVERIFY(widget<QCheckBox>(*window, "cb_priskirti")->isChecked());

        // Unbinding rewrites that payer's line only; every line ends in CR LF from now on.
        widget<QCheckBox>(*window, "cb_priskirti")->click();
        QCOMPARE(readFile(dir->file("asmenys.txt")),
                 "Alfa;;111;\r\n\r\n;\r\n" + longName + ";LT333;333;\r\nGama;;444;\r\n");

        // Selecting Gama writes its position; the huge value and the duplicates stay.
        widget<QComboBox>(*window, "cb_asmuo")->setFocus();
        QTest::keyClick(widget<QComboBox>(*window, "cb_asmuo"), Qt::Key_Down);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->currentIndex(), 4);
        QCOMPARE(
            readFile(dir->file("_nustatymai.ini")),
            "[NUSTATYMAI]\r\nasmuo=4\r\nasmuo=0\r\ndarbo_vieta=SANDELIS3\r\n[KITA]\r\npastaba=" +
                huge + "\r\n[nustatymai]\r\nasmuo=1\r\n[VERSIJA]\r\nnr=5.14\r\n");
    }

    void bytesOfNoCodePageAreShownAndTheFileIsNeverRewritten() {
        const std::string before = "Alfa;;111;\r\nBeta\x81;;222;\r\n";
        writeFile(dir->file("asmenys.txt"), before);
        writeFile(dir->file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=0\r\n");
        auto window = makeWindow();
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->count(), 2);
        QCOMPARE(widget<QComboBox>(*window, "cb_asmuo")->itemText(1), QStringLiteral("Beta\uFFFD"));
        // Binding a workplace name would write the replacement character back for good: the
        // rewrite is not done, silently, as every failed binding.
        widget<QLineEdit>(*window, "ed_part_number")->setText(QStringLiteral("A1"));
        widget<QCheckBox>(*window, "cb_priskirti")->click();
        QVERIFY(widget<QCheckBox>(*window, "cb_priskirti")->isChecked());
        QCOMPARE(readFile(dir->file("asmenys.txt")), before);
    }
};

QTEST_MAIN(RobustFilesTest)
#include "test_robust_files.moc"
