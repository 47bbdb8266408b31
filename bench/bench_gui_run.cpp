// One generation run through the real window, offscreen, on a workbook of the benchmark:
//   QT_QPA_PLATFORM=offscreen bench_gui_run BOOK.xlsx WORKDIR
// The window's files (payer register, settings, "rinkmenos") go to WORKDIR. The period is
// the one the window proposes for a day in April 2024: March 2024. Prints the run's time and
// how often the status label was repainted meanwhile, which shows the window stayed alive.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "base/desktop_shell.h"
#include "base/message_boxes.h"
#include "gui/file_dialog.h"
#include "gui/main_window.h"

namespace {

// Every box answered as its first button; the texts are printed.
class AnsweringBoxes : public MessageBoxes {
  public:
    Answer show(MessageKind kind, const std::string& text) override {
        std::printf("box: %s\n", text.c_str());
        return kind == MessageKind::Confirmation ? Answer::Yes : Answer::Ok;
    }
};

class OneFile : public FileDialog {
  public:
    explicit OneFile(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> chooseWorkbook(const std::string&) override { return path_; }
    std::optional<std::string> chooseIsafFile(const std::string&) override { return path_; }

  private:
    std::string path_;
};

class NoDesktop : public DesktopShell {
  public:
    bool open(const std::string&) override { return true; }
};

class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s BOOK.xlsx WORKDIR\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const std::string dir = std::string(argv[2]) + "/";
    writeText(dir + "asmenys.txt", "Bench;;123456786;\r\n");
    writeText(dir + "_nustatymai.ini", "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=BENCH\r\n");

    AnsweringBoxes boxes;
    OneFile files(argv[1]);
    NoDesktop desktop;
    WindowServices services;
    services.boxes = &boxes;
    services.files = &files;
    services.desktop = &desktop;
    services.today = [] { return Date{2024, 4, 10}; };
    services.regional = [] { return lithuanianSettings(); };
    MainWindow window(ProgramPaths(dir), services);
    window.show();
    QApplication::processEvents();
    window.findChild<QPushButton*>(QStringLiteral("btn_open"))->click();

    PaintCounter counter;
    window.findChild<QLabel*>(QStringLiteral("lb_action"))->installEventFilter(&counter);
    QElapsedTimer timer;
    timer.start();
    window.findChild<QPushButton*>(QStringLiteral("btn_isaf_xml"))->click();
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("window run: %.3f s, status label repainted %d times\n", seconds, counter.paints);
    return window.lastRun().outcome == RunOutcome::Saved ? 0 : 1;
}
