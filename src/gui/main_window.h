#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "base/program_paths.h"
#include "base/program_settings.h"
#include "base/progress.h"
#include "base/result.h"
#include "gui/reporting_desktop.h"
#include "payers/payer.h"
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
// register keep what outlives it. Its widgets carry their given names as object names
// (docs/names.md), by which tests find them.
class MainWindow : public QMainWindow, private RunPrompts, private Progress {
    Q_OBJECT
  public:
    MainWindow(ProgramPaths paths, WindowServices services, QWidget* parent = nullptr);

    const std::string& programVersion() const { return programVersion_; }

    // Rebuilds the payer list from the register and selects the payer at `position`; a
    // position that matches no line selects nothing, and then the window holds no payer.
    void loadPayerList(int position);

    // The selected payer, as its line stood when it was read; nothing while no entry of the
    // list is selected (at first start, after a deletion).
    const std::optional<Payer>& payer() const { return payer_; }
    // The chosen workbook's full path; nothing when none is chosen.
    const std::optional<std::string>& workbookPath() const { return workbookPath_; }
    // The outcome of the last generation run.
    const RunResult& lastRun() const { return lastRun_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildControls();
    void startUp();
    void setWorkplaceName(const QString& name);
    void reportFailure(const Result<void>& result);
    void storePayerPosition(int position);
    void selectPayer(std::optional<Payer> payer);
    void onRegisterChangedElsewhere(const Payer& shown);
    void bindWorkplace(const std::string& workplace);
    std::string workbookStartFolder() const;

    // Handlers of the controls.
    void onTemplateClicked();
    void onChooseWorkbookClicked();
    void onClearWorkbookClicked();
    void onOutputFolderClicked();
    void onCheckFileClicked();
    void onGenerateClicked();
    void onCopyrightClicked();
    void onPayerActivated(int position);
    void onNewClicked();
    void onEditClicked();
    void onDeleteClicked();
    void onWorkplaceChanged();
    void onBindToggled();

    // What a generation run takes from the window: the inputs, the busy state around it.
    RunInputs inputs();
    void beginBusy();
    void endBusy();

    // RunPrompts
    void markWorkplaceMissing() override;
    Answer showMessage(MessageKind kind, const std::string& text) override;
    void showSaved(const std::string& path) override;
    void showWarnings(const WarningList& warnings) override;
    void editPayer() override;
    void newPayer() override;
    DesktopShell& desktop() override;

    // Progress
    void setStatus(const std::string& text) override;
    void setProgress(int position, int maximum) override;
    void stepProgress() override;
    void processEvents() override;
    void keepResponsive() override;
    void showProgress();

    // Whether a close asked for during a run may stop it; the run then ends at its next row.
    bool stopRunToClose();

    ProgramPaths paths_;
    WindowServices services_;
    ProgramSettings settings_;
    std::string programVersion_;
    ReportingDesktop desktop_;
    std::optional<Payer> payer_;
    std::vector<Payer> listedPayers_;  // as the list shows them, by position
    std::optional<std::string> workbookPath_;
    UpdateBridge* updateBridge_ = nullptr;  // a child of the window; none when not wired

    QComboBox* payerList_ = nullptr;
    QLabel* workplaceCaption_ = nullptr;
    QLineEdit* workplaceEdit_ = nullptr;
    QCheckBox* bindWorkplaceCheck_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QDateEdit* fromDate_ = nullptr;
    QDateEdit* toDate_ = nullptr;
    QPushButton* chooseWorkbookButton_ = nullptr;
    QLabel* workbookName_ = nullptr;
    QLabel* actionLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* generateButton_ = nullptr;
    QPushButton* outputFolderButton_ = nullptr;
    QPushButton* checkFileButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* statusPanel_ = nullptr;  // the status bar's one panel: the update's progress

    QElapsedTimer sinceEvents_;
    std::string status_;
    bool statusShown_ = true;
    struct {
        int position = 0;
        int maximum = 100;
    } progress_;
    RunResult lastRun_;
    // A run is going on; the user asked to close during it and allowed it to stop; the close
    // was allowed and is carried out without asking again.
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeAllowed_ = false;
};
