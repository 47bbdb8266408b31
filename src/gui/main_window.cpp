#include "gui/main_window.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QVBoxLayout>

#include "base/folders.h"
#include "base/kept_file.h"
#include "frontend/locale_settings.h"
#include "gui/file_dialog.h"
#include "gui/payer_dialog.h"
#include "gui/qt_seams.h"
#include "gui/update_bridge.h"
#include "isaf/file_check.h"
#include "payers/payer_register.h"
#include "run/saved_message.h"
#include "update/close_handover.h"

namespace {

const QString kNoWorkbook = QStringLiteral("Dokumentas nepasirinktas");
const std::string kRegisterChanged =
    "PVM mokėtojų sąrašas pasikeitė kitame programos lange.\r\n"
    "Sąrašas atnaujintas, niekas nepakeista. Patikrinkite ir pakartokite.";
const std::string kStopRunQuestion =
    "Rinkmenos formavimas dar nepasibaigė.\r\n"
    "Ar tikrai norite jį nutraukti ir išeiti iš programos?";
const QColor kCream(255, 251, 240);
const QColor kNavy(0, 0, 128);

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QDate toQDate(const Date& date) {
    return QDate(date.year, date.month, date.day);
}
Date fromQDate(const QDate& date) {
    return Date{date.year(), date.month(), date.day()};
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// The copyright line: navy, blue and bold under the mouse, a web page on click.
class CopyrightLabel : public QLabel {
  public:
    CopyrightLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setMouseTracking(true);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(12);
        setFont(font);
        showPlain();
    }

  protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        setCursor(Qt::PointingHandCursor);
        setTextColor(this, Qt::blue);
        QFont bold = font();
        bold.setBold(true);
        setFont(bold);
        QLabel::mouseMoveEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        showPlain();
        QLabel::leaveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        onClick_();
        QLabel::mouseReleaseEvent(event);
    }

  private:
    void showPlain() {
        setTextColor(this, kNavy);
        QFont regular = font();
        regular.setBold(false);
        setFont(regular);
    }
    std::function<void()> onClick_;
};

QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

MainWindow::MainWindow(ProgramPaths paths, WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      paths_(std::move(paths)),
      services_(std::move(services)),
      settings_(paths_),
      desktop_(*services_.desktop, *services_.boxes) {
    if (!services_.regional) {
        services_.regional = [] { return regionalSettingsFrom(QLocale::system()); };
    }
    if (!services_.openWorkbook) {
        services_.openWorkbook = openWorkbook;
    }
    if (!services_.exporter) {
        services_.exporter = exportIsafFile;
    }
    buildControls();
    startUp();
}

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("frm_export_xml"));
    // A title bar with the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(13);
    setFont(tahoma);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, kCream);
    setPalette(cream);

    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    layout->addWidget(new QLabel(QStringLiteral("PVM mokėtojas:"), central));
    payerList_ = new QComboBox(central);
    payerList_->setObjectName(QStringLiteral("cb_asmuo"));
    payerList_->setMaxVisibleItems(20);
    payerList_->setMinimumWidth(360);
    layout->addWidget(payerList_);
    auto* payerButtons = new QHBoxLayout;
    auto* newButton = makeButton(QStringLiteral("Naujas"), QStringLiteral("btn_new"), central);
    editButton_ = makeButton(QStringLiteral("Koreguoti"), QStringLiteral("btn_koreguoti"), central);
    deleteButton_ = makeButton(QStringLiteral("Trinti"), QStringLiteral("btn_mok_delete"), central);
    payerButtons->addWidget(newButton);
    payerButtons->addWidget(editButton_);
    payerButtons->addWidget(deleteButton_);
    layout->addLayout(payerButtons);

    workplaceCaption_ = makeLabel(QStringLiteral("Darbo vietos pavadinimas:"),
                                  QStringLiteral("lb_darbo_vieta"), central);
    layout->addWidget(workplaceCaption_);
    auto* workplaceRow = new QHBoxLayout;
    workplaceEdit_ = new QLineEdit(central);
    workplaceEdit_->setObjectName(QStringLiteral("ed_part_number"));
    workplaceEdit_->setMaxLength(20);
    workplaceEdit_->installEventFilter(this);
    workplaceRow->addWidget(workplaceEdit_);
    auto* example =
        new QLabel(QStringLiteral("(pvz.: SANDELIS1, SANDELIS2, KAUNO_DEP...)"), central);
    QFont small = example->font();
    small.setPixelSize(11);
    example->setFont(small);
    workplaceRow->addWidget(example);
    layout->addLayout(workplaceRow);
    bindWorkplaceCheck_ = new QCheckBox(
        QStringLiteral("priskirti darbo vietos pavadinimą šitam PVM mokėtojui"), central);
    bindWorkplaceCheck_->setObjectName(QStringLiteral("cb_priskirti"));
    layout->addWidget(bindWorkplaceCheck_);

    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(new QLabel(QStringLiteral("Laikotarpis nuo:"), central));
    fromDate_ = new QDateEdit(central);
    fromDate_->setObjectName(QStringLiteral("dt_nuo"));
    periodRow->addWidget(fromDate_);
    periodRow->addWidget(new QLabel(QStringLiteral("iki:"), central));
    toDate_ = new QDateEdit(central);
    toDate_->setObjectName(QStringLiteral("dt_iki"));
    periodRow->addWidget(toDate_);
    for (QDateEdit* picker : {fromDate_, toDate_}) {
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setCalendarPopup(true);
        // The calendar names months and days in Lithuanian whatever the system language; the
        // regional settings for reading the workbook stay the system's.
        const QLocale lithuanian(QLocale::Lithuanian, QLocale::Lithuania);
        picker->setLocale(lithuanian);
        picker->calendarWidget()->setLocale(lithuanian);
    }
    periodRow->addStretch();
    layout->addLayout(periodRow);

    layout->addWidget(makeLabel(
        QStringLiteral(
            "Atidarykite Excel šabloną, užpildykite ir išsaugokite jį.  Šabloną rasite čia:"),
        QStringLiteral("lb_info"), central));
    auto* templateButton =
        makeButton(QStringLiteral("Atidaryti šabloną"), QStringLiteral("btn_template"), central);
    layout->addWidget(templateButton);
    auto* workbookRow = new QHBoxLayout;
    chooseWorkbookButton_ =
        makeButton(QStringLiteral("Pasirinkti dokumentą"), QStringLiteral("btn_open"), central);
    chooseWorkbookButton_->setToolTip(QStringLiteral("Pasirinkti dokumentą"));
    workbookRow->addWidget(chooseWorkbookButton_);
    workbookName_ = makeLabel(kNoWorkbook, QStringLiteral("lb_dok_pav"), central);
    workbookRow->addWidget(workbookName_, 1);
    auto* clearButton =
        makeButton(QStringLiteral("Išvalyti"), QStringLiteral("btn_valyti"), central);
    workbookRow->addWidget(clearButton);
    layout->addLayout(workbookRow);

    actionLabel_ = makeLabel(QStringLiteral("VEIKSMAS"), QStringLiteral("lb_action"), central);
    layout->addWidget(actionLabel_);
    progressBar_ = new QProgressBar(central);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    layout->addWidget(progressBar_);
    generateButton_ = makeButton(QStringLiteral("Formuoti XML rinkmeną   (Kolvira.xml)"),
                                 QStringLiteral("btn_isaf_xml"), central);
    layout->addWidget(generateButton_);
    outputFolderButton_ = makeButton(QStringLiteral("Suformuotų rinkmenų saugojimo vieta"),
                                     QStringLiteral("btn_rinkmenos"), central);
    layout->addWidget(outputFolderButton_);
    checkFileButton_ = makeButton(QStringLiteral("Tikrinti i.SAF rinkmeną"),
                                  QStringLiteral("btn_tikrinti"), central);
    layout->addWidget(checkFileButton_);
    closeButton_ =
        makeButton(QStringLiteral("Uždaryti programą"), QStringLiteral("btn_close"), central);
    layout->addWidget(closeButton_);
    auto* copyright = new CopyrightLabel(
        QStringLiteral("© 2026 Kolvira"), [this] { onCopyrightClicked(); }, central);
    copyright->setObjectName(QStringLiteral("lb_copyright"));
    layout->addWidget(copyright, 0, Qt::AlignRight);

    // At least 150 pixels, and as wide as the window, so that "Pakrauname atnaujinimą: 100%"
    // shows whole.
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusBar1"));
    statusPanel_->setMinimumWidth(150);
    statusBar()->addWidget(statusPanel_, 1);
    statusBar()->setSizeGripEnabled(false);

    connect(payerList_, &QComboBox::activated, this, &MainWindow::onPayerActivated);
    connect(newButton, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(editButton_, &QPushButton::clicked, this, &MainWindow::onEditClicked);
    connect(deleteButton_, &QPushButton::clicked, this, &MainWindow::onDeleteClicked);
    connect(workplaceEdit_, &QLineEdit::textChanged, this, &MainWindow::onWorkplaceChanged);
    connect(bindWorkplaceCheck_, &QCheckBox::toggled, this, &MainWindow::onBindToggled);
    connect(templateButton, &QPushButton::clicked, this, &MainWindow::onTemplateClicked);
    connect(chooseWorkbookButton_, &QPushButton::clicked, this,
            &MainWindow::onChooseWorkbookClicked);
    connect(clearButton, &QPushButton::clicked, this, &MainWindow::onClearWorkbookClicked);
    connect(generateButton_, &QPushButton::clicked, this, &MainWindow::onGenerateClicked);
    connect(outputFolderButton_, &QPushButton::clicked, this, &MainWindow::onOutputFolderClicked);
    connect(checkFileButton_, &QPushButton::clicked, this, &MainWindow::onCheckFileClicked);
    connect(closeButton_, &QPushButton::clicked, this, &MainWindow::close);
    // Escape presses "Uždaryti programą" while it is enabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (closeButton_->isEnabled()) {
            closeButton_->click();
        }
    });

    // The window fits its size to its content and opens centred on the screen. It keeps that
    // size: a maximised window would only leave its fixed-size controls in a corner.
    QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void MainWindow::startUp() {
    loadPayerList(settings_.payerPosition());
    setWorkplaceName(qs(settings_.workplace()));
    programVersion_ = settings_.programVersion();
    setWindowTitle(QStringLiteral("Kolvira     v") + qs(programVersion_));
    const Period period = previousMonth(services_.today());
    fromDate_->setDate(toQDate(period.from));
    toDate_->setDate(toQDate(period.to));
    actionLabel_->setText(QString());
    // The installed program is updated by the package manager.
    if (services_.startUpdateCheck && paths_.updatesEnabled()) {
        try {
            updateBridge_ = new UpdateBridge(statusPanel_, *services_.boxes, desktop_, this);
            services_.startUpdateCheck(*updateBridge_, programVersion_);
        } catch (...) {
            // The window stays fully usable without the update check.
        }
    }
}

// The workplace field shows capitals, also for a name the program assigns.
void MainWindow::setWorkplaceName(const QString& name) {
    QString upper = name;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = c.toUpper();
        }
    }
    workplaceEdit_->setText(upper);
}

void MainWindow::onTemplateClicked() {
    desktop().open(paths_.templateFolder() + "/");
}

void MainWindow::onChooseWorkbookClicked() {
    const auto path = services_.files->chooseWorkbook(workbookStartFolder());
    if (!path) {
        onClearWorkbookClicked();
        return;
    }
    workbookPath_ = *path;
    const QFileInfo chosen(qs(*path));
    workbookName_->setText(chosen.fileName());
    // Only a convenience: a folder the settings file cannot hold (letters outside its code
    // page) is not remembered, and the next dialog opens in the documents folder.
    (void)settings_.setWorkbookFolder(chosen.absolutePath().toStdString());
}

// The folder of the last workbook chosen, else the user's documents folder, else the home
// folder: never the working directory, which means nothing to a user who started the program
// from a menu.
std::string MainWindow::workbookStartFolder() const {
    const QString remembered = qs(settings_.workbookFolder());
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) {
        return remembered.toStdString();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents.toStdString();
    }
    return QDir::homePath().toStdString();
}

void MainWindow::onClearWorkbookClicked() {
    workbookPath_.reset();
    workbookName_->setText(kNoWorkbook);
}

void MainWindow::onOutputFolderClicked() {
    (void)createFolders(paths_.outputFolder());  // a failure shows when the folder opens
    desktop().open(paths_.outputFolder() + "/");
}

// The update hand-over: a running download may keep the window open, and a complete installer
// is offered once the close is allowed. During a generation run the user is asked first
// whether to stop it; the run then ends at its next row and the window closes after it, so the
// run never goes on behind a closed window and no file is left half written.
void MainWindow::closeEvent(QCloseEvent* event) {
    const auto downloading = [this] { return updateBridge_ && updateBridge_->downloading(); };
    if (running_) {
        if (!closeAllowed_ && stopRunToClose() && closeAllowed(downloading(), *services_.boxes)) {
            closeAllowed_ = true;
        }
        event->ignore();
        return;
    }
    if (!closeAllowed_ && !closeAllowed(downloading(), *services_.boxes)) {
        event->ignore();
        return;
    }
    closeAllowed_ = true;
    offerInstallerAtClose(downloading(), paths_, *services_.boxes, desktop_);
    event->accept();
}

// The window keeps its content's size (its least and largest sizes are that size). A window
// manager that maximises it all the same gets it back to normal.
void MainWindow::changeEvent(QEvent* event) {
    constexpr Qt::WindowStates kLarge = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & kLarge)) {
        showNormal();
    }
    QMainWindow::changeEvent(event);
}

bool MainWindow::stopRunToClose() {
    return services_.boxes->show(MessageKind::Confirmation, kStopRunQuestion) == Answer::Yes;
}

// Any i.SAF file, this program's or another's: its findings and totals in the box that shows
// the error list, scrolling when long. The dialog opens where this program saves its files.
void MainWindow::onCheckFileClicked() {
    const QString saved = qs(paths_.outputFolder());
    const auto path = services_.files->chooseIsafFile(
        QFileInfo(saved).isDir() ? saved.toStdString() : workbookStartFolder());
    if (!path) {
        return;
    }
    if (!fileExists(*path)) {
        services_.boxes->show(MessageKind::Error, "Dokumentas nerastas: " + *path);
        return;
    }
    beginBusy();
    // Shown at once; no events are let through while the file is read, so nothing else starts.
    setStatus("Tikriname rinkmeną " + QFileInfo(qs(*path)).fileName().toStdString());
    showProgress();
    actionLabel_->repaint();
    FileCheckResult result;
    try {
        result = checkIsafFile(*path, services_.today());
    } catch (const std::exception& fault) {
        endBusy();
        services_.boxes->show(MessageKind::Error, std::string(kProgramFault) + fault.what());
        return;
    }
    endBusy();
    std::string report = "Rinkmena: " + *path + "\n";
    for (const std::string& line : checkReportLines(result)) {
        report += "\n" + line;
    }
    if (result.outcome != CheckOutcome::NotIsaf) {
        report += "\n\n" + formatSummary(result.summary);
    }
    const MessageKind kind = result.outcome == CheckOutcome::Clean ? MessageKind::Information
                             : result.outcome == CheckOutcome::WarningsOnly ? MessageKind::Warning
                                                                            : MessageKind::Error;
    services_.boxes->showAligned(kind, report);
}

void MainWindow::onCopyrightClicked() {
    desktop().open("https://www.kolvira.lt/");
}

void MainWindow::onGenerateClicked() {
    beginBusy();
    running_ = true;
    lastRun_ = runGeneration(inputs(), *this, *this, settings_.file(), services_.openWorkbook,
                             services_.exporter);
    running_ = false;
    endBusy();
    if (closeAllowed_) {
        close();  // asked for during the run, which has stopped
    }
}

// ---- Payer register ----

void MainWindow::reportFailure(const Result<void>& result) {
    services_.boxes->show(MessageKind::Error, result.message());
}

void MainWindow::selectPayer(std::optional<Payer> payer) {
    payer_ = std::move(payer);
    editButton_->setEnabled(payer_.has_value());
    deleteButton_->setEnabled(payer_.has_value());
}

void MainWindow::loadPayerList(int position) {
    payerList_->clear();
    listedPayers_.clear();
    // The payer's codes go with the selection: a run never uses a payer the list does not show.
    selectPayer(std::nullopt);
    const PayerRegister register_(paths_.payerRegister());
    if (!register_.exists()) {
        return;
    }
    const auto lines = register_.load();
    const int count = lines.ok() ? static_cast<int>(lines->size()) : 0;
    for (int i = 0; i < count; ++i) {
        Payer payer = Payer::parse((*lines)[static_cast<size_t>(i)]);
        payerList_->addItem(qs(payer.name));
        listedPayers_.push_back(payer);
        if (i != position) {
            continue;
        }
        const QString workplace = qs(payer.workplace);
        selectPayer(std::move(payer));
        payerList_->setCurrentIndex(position);
        // The payer's own workplace name replaces the one last used; without one, the field
        // keeps its text.
        if (!workplace.isEmpty()) {
            setWorkplaceName(workplace);
            bindWorkplaceCheck_->setChecked(true);
        } else {
            bindWorkplaceCheck_->setChecked(false);
        }
    }
    // Adding the first item selects it; only the position asked for may be selected.
    if (position < 0 || position >= payerList_->count()) {
        payerList_->setCurrentIndex(-1);
    }
}

// The list may be older than the register (another window added or deleted a payer): the
// payer picked is selected wherever it stands now. One that is gone selects nothing, and the
// user is told.
void MainWindow::onPayerActivated(int position) {
    if (position < 0 || static_cast<size_t>(position) >= listedPayers_.size()) {
        return;
    }
    const Payer picked = listedPayers_[static_cast<size_t>(position)];
    const auto found = PayerRegister(paths_.payerRegister()).find(picked, position);
    const int current = found.ok() ? *found : -1;
    loadPayerList(current);
    if (current < 0) {
        services_.boxes->show(MessageKind::Warning, kRegisterChanged);
        return;
    }
    storePayerPosition(current);
}

void MainWindow::storePayerPosition(int position) {
    if (const auto written = settings_.setPayerPosition(position); !written.ok()) {
        reportFailure(written);
    }
}

void MainWindow::onNewClicked() {
    PayerDialog dialog(Payer{}, this);
    const auto entered = dialog.ask();
    if (!entered) {
        return;
    }
    const auto added = PayerRegister(paths_.payerRegister()).add(*entered);
    if (!added.ok()) {
        reportFailure(Failure(added.message()));
        return;
    }
    // The payer just added is selected, and the next start selects it again.
    loadPayerList(*added);
    storePayerPosition(*added);
}

// Only a selected payer can be edited: the button is disabled while none is.
void MainWindow::onEditClicked() {
    if (!payer_) {
        return;
    }
    const int selected = payerList_->currentIndex();
    const Payer shown = *payer_;
    Payer prefill = shown;
    // The workplace part is taken before the dialog opens.
    prefill.workplace =
        bindWorkplaceCheck_->isChecked() ? workplaceEdit_->text().toStdString() : std::string();
    PayerDialog dialog(prefill, this);
    const auto edited = dialog.ask();
    if (!edited) {
        return;
    }
    const auto replaced = PayerRegister(paths_.payerRegister()).replace(selected, shown, *edited);
    if (!replaced.ok()) {
        reportFailure(Failure(replaced.message()));
        return;
    }
    if (replaced->stale) {
        onRegisterChangedElsewhere(shown);
        return;
    }
    // The payer just edited stays selected, also at the next start.
    loadPayerList(replaced->position);
    storePayerPosition(replaced->position);
}

void MainWindow::onDeleteClicked() {
    if (!payer_) {
        return;
    }
    const int selected = payerList_->currentIndex();
    const Payer shown = *payer_;
    const std::string question = "Ar tikrai norite pašalinti iš sąrašo šį PVM mokėtoją?\n\r\n\r" +
                                 payerList_->currentText().toStdString() + "\n\r";
    if (services_.boxes->show(MessageKind::Confirmation, question) != Answer::Yes) {
        return;
    }
    const auto removed = PayerRegister(paths_.payerRegister()).remove(selected, shown);
    if (!removed.ok()) {
        reportFailure(Failure(removed.message()));
        return;
    }
    if (removed->stale) {
        onRegisterChangedElsewhere(shown);
        return;
    }
    loadPayerList(-1);
    storePayerPosition(0);
}

// Another window (or program) changed the register since this one read it, so the position
// the window acted on may hold another payer. Nothing was written: the list is read again,
// with the payer shown still selected when it is still there, and the user is told.
void MainWindow::onRegisterChangedElsewhere(const Payer& shown) {
    const auto found = PayerRegister(paths_.payerRegister()).find(shown);
    const int position = found.ok() ? *found : -1;
    const int before = payerList_->currentIndex();
    loadPayerList(position);
    if (position >= 0 && position != before) {
        storePayerPosition(position);
    }
    services_.boxes->show(MessageKind::Warning, kRegisterChanged);
}

// A binding that fails is not reported: it is simply not stored. Without a selected payer
// there is no line to bind.
void MainWindow::bindWorkplace(const std::string& workplace) {
    if (!payer_) {
        return;
    }
    const Payer shown = *payer_;
    const auto bound = PayerRegister(paths_.payerRegister())
                           .bindWorkplace(payerList_->currentIndex(), shown, workplace);
    if (!bound.ok()) {
        return;
    }
    if (bound->stale) {
        onRegisterChangedElsewhere(shown);
        return;
    }
    payer_->workplace = workplace;
}

// While the box is ticked every change of the workplace name is stored in the selected payer's
// line.
void MainWindow::onWorkplaceChanged() {
    setTextColor(workplaceCaption_, workplaceEdit_->text().isEmpty()
                                        ? QColor(255, 0, 0)
                                        : palette().color(QPalette::WindowText));
    if (bindWorkplaceCheck_->isChecked()) {
        bindWorkplace(workplaceEdit_->text().toStdString());
    }
    if (const auto written = settings_.setWorkplace(workplaceEdit_->text().toStdString());
        !written.ok()) {
        reportFailure(written);
    }
}

void MainWindow::onBindToggled() {
    bindWorkplace(bindWorkplaceCheck_->isChecked() ? workplaceEdit_->text().toStdString()
                                                   : std::string());
}

// The workplace field takes digits and the letters A-Z (typed letters become capitals),
// backspace and tab; every other typed character is discarded, clipboard shortcuts included.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == workplaceEdit_ && event->type() == QEvent::KeyPress) {
        const auto typed = typedCharacter(static_cast<QKeyEvent*>(event));
        if (!typed || *typed == QChar(8) || *typed == QChar(9) ||
            (*typed >= QLatin1Char('0') && *typed <= QLatin1Char('9'))) {
            return false;
        }
        const QChar c = *typed;
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            workplaceEdit_->insert(QString(c.toUpper()));
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- What the generation run needs of the window ----

RunInputs MainWindow::inputs() {
    RunInputs in;
    in.workplaceName = workplaceEdit_->text().toStdString();
    in.payerCode = payer_ ? payer_->companyCode : std::string();
    in.payerCount = payerList_->count();
    in.workbookPath = workbookPath_.value_or(std::string());
    in.workbookFileName = workbookName_->text().toStdString();
    in.period = {fromQDate(fromDate_->date()), fromQDate(toDate_->date())};
    in.regional = services_.regional();
    in.programVersion = programVersion_;
    in.outputFolder = paths_.outputFolder();
    in.today = services_.today();
    return in;
}

void MainWindow::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (QPushButton* button : {chooseWorkbookButton_, generateButton_, outputFolderButton_,
                                checkFileButton_, closeButton_}) {
        button->setEnabled(false);
    }
    sinceEvents_.start();
}

void MainWindow::endBusy() {
    for (QPushButton* button : {chooseWorkbookButton_, generateButton_, outputFolderButton_,
                                checkFileButton_, closeButton_}) {
        button->setEnabled(true);
    }
    setStatus({});
    progress_.position = 0;
    showProgress();
    QApplication::restoreOverrideCursor();
}

void MainWindow::markWorkplaceMissing() {
    setTextColor(workplaceCaption_, QColor(255, 0, 0));
}

// The status text and the progress are kept here and reach the widgets when events are let
// through (or a box shows), not on every row: that is when the window can repaint anyway.
void MainWindow::setStatus(const std::string& text) {
    status_ = text;
    statusShown_ = false;
}

void MainWindow::setProgress(int position, int maximum) {
    progress_ = {position, maximum};
}

void MainWindow::stepProgress() {
    ++progress_.position;
}

void MainWindow::showProgress() {
    if (!statusShown_) {
        actionLabel_->setText(qs(status_));
        statusShown_ = true;
    }
    if (progressBar_->maximum() != progress_.maximum) {
        progressBar_->setRange(0, progress_.maximum);
    }
    progressBar_->setValue(progress_.position);
}

void MainWindow::processEvents() {
    showProgress();
    QCoreApplication::processEvents();
    sinceEvents_.restart();
    if (running_ && closeAllowed_) {
        throw RunCancelled();  // the user closed the window and let the run stop
    }
}

void MainWindow::keepResponsive() {
    // Labels and the bar repaint and input is handled, but not at the cost of every row.
    if (sinceEvents_.elapsed() >= 30) {
        processEvents();
    }
}

Answer MainWindow::showMessage(MessageKind kind, const std::string& text) {
    showProgress();
    return services_.boxes->show(kind, text);
}

void MainWindow::showSaved(const std::string& path) {
    showProgress();
    services_.boxes->showWithPath(MessageKind::Information, savedMessageText(path), path);
}

void MainWindow::showWarnings(const WarningList& warnings) {
    showProgress();
    services_.boxes->showCopyable(MessageKind::Warning, warnings.text(), "Įspėjimai");
}

// The run asks for a payer: the selected one is edited; with none selected (first start, after
// a deletion) a new one is entered.
void MainWindow::editPayer() {
    if (payer_) {
        onEditClicked();
    } else {
        onNewClicked();
    }
}
void MainWindow::newPayer() {
    onNewClicked();
}
DesktopShell& MainWindow::desktop() {
    return desktop_;
}
