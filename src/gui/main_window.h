#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <string>

#include "base/date.h"
#include "base/profile_file.h"
#include "base/program_paths.h"
#include "base/progress.h"
#include "run/generation_run.h"
#include "run/run_front_end.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class DesktopShell;
class FileDialog;
class MessageBoxes;
class UpdateBridge;

// What the window reaches outside itself: the seams that tests replace.
struct WindowServices {
    MessageBoxes* boxes = nullptr;
    FileDialog* files = nullptr;
    DesktopShell* desktop = nullptr;
    std::function<Date()> today = localToday;
    // The system locale's formats unless a test pins others.
    std::function<RegionalSettings()> regional;
    // The workbook connection and the i.SAF writer; the real ones unless a test fakes them.
    WorkbookOpener openWorkbook;
    Exporter exporter;
    // The update check that ends start-up, started through the window's update bridge;
    // nothing when it is not wired.
    std::function<void(UpdateBridge& bridge, const std::string& programVersion)> startUpdateCheck;
};

// The main window: payer, workplace, period, workbook, and the button that makes the file.
// It owns all state that exists while the program runs; the settings file and the payer
// register keep what outlives it.
class Tfrm_export_xml : public QMainWindow, private RunPrompts, private Progress {
    Q_OBJECT
  public:
    Tfrm_export_xml(ProgramPaths paths, WindowServices services, QWidget* parent = nullptr);

    // Controls, by the names the rest of the program uses for them.
    QComboBox* cb_asmuo;
    QPushButton* btn_new;
    QPushButton* btn_koreguoti;
    QPushButton* btn_mok_delete;
    QLabel* lb_darbo_vieta;
    QLineEdit* ed_part_number;
    QCheckBox* cb_priskirti;
    QLabel* lb_im_kodas;
    QLabel* lb_pvm_kodas;
    QDateEdit* dt_nuo;
    QDateEdit* dt_iki;
    QLabel* lb_info;
    QPushButton* btn_template;
    QPushButton* btn_open;
    QLabel* lb_dok_pav;
    QLabel* lb_dok_link;
    QPushButton* btn_valyti;
    QLabel* lb_action;
    QProgressBar* ProgressBar1;
    QPushButton* btn_isaf_xml;
    QPushButton* btn_rinkmenos;
    QPushButton* btn_close;
    QLabel* lb_copyright;
    QLabel* StatusBar1;  // the status bar's one panel

    const std::string& programVersion() const { return ProgramVersion; }

    // Handlers.
    void btn_templateClick();
    void btn_openClick();
    void btn_valytiClick();
    void btn_rinkmenosClick();
    void btn_closeClick();
    void btn_isaf_xmlClick();
    void lb_copyrightClick();

    void LoadPayerList(int position);
    void cb_asmuoChange(int position);
    void btn_newClick();
    void btn_koreguotiClick();
    void btn_mok_deleteClick();
    void ed_part_numberChange();
    void cb_priskirtiClick();

    // The outcome of the last generation run.
    const RunResult& lastRun() const { return lastRun_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void FormCreate();
    void setWorkplaceName(const QString& name);
    void reportFailure(const Status& status);
    void storePayerPosition(int position);
    int selectedPayer() const;

    // What a generation run takes from the window: the inputs, the busy state around it.
    RunInputs inputs();
    void beginBusy();
    void endBusy();

    // RunPrompts
    void markWorkplaceMissing() override;
    void setStatus(const std::string& text) override;
    void setProgress(int position, int maximum) override;
    void stepProgress() override;
    void processEvents() override;
    void keepResponsive() override;
    int showMessage(MessageKind kind, const std::string& text) override;
    void showSaved(const std::string& path) override;
    void editPayer() override;
    void newPayer() override;
    DesktopShell& desktop() override;

    ProgramPaths paths_;
    WindowServices services_;
    ProfileFile SettingsFile;
    std::string ProgramVersion;
    void showProgress();

    QElapsedTimer sinceEvents_;
    std::string status_;
    bool statusShown_ = true;
    struct {
        int position = 0;
        int maximum = 100;
    } progress_;
    RunResult lastRun_;
};
