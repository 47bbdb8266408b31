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
#include <QStatusBar>
#include <QVBoxLayout>

#include "base/folders.h"
#include "frontend/locale_settings.h"
#include "gui/file_dialog.h"
#include "gui/payer_dialog.h"
#include "gui/qt_seams.h"
#include "gui/update_bridge.h"
#include "payers/payer_register.h"
#include "run/saved_message.h"
#include "update/close_handover.h"

namespace {

const QString kNoPayerCode = QStringLiteral("lb_im_kodas");
const QString kNoVatCode = QStringLiteral("lb_pvm_kodas");
const QString kNoWorkbookPath = QStringLiteral("lb_dok_link");
const QString kNoWorkbook = QStringLiteral("Dokumentas nepasirinktas");
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
        lb_copyrightMouseLeave();
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
        lb_copyrightMouseLeave();
        QLabel::leaveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        onClick_();
        QLabel::mouseReleaseEvent(event);
    }

  private:
    void lb_copyrightMouseLeave() {
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

Tfrm_export_xml::Tfrm_export_xml(ProgramPaths paths, WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      paths_(std::move(paths)),
      services_(std::move(services)),
      SettingsFile(paths_.settingsFile()) {
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
    FormCreate();
}

void Tfrm_export_xml::buildControls() {
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
    cb_asmuo = new QComboBox(central);
    cb_asmuo->setObjectName(QStringLiteral("cb_asmuo"));
    cb_asmuo->setMaxVisibleItems(20);
    cb_asmuo->setMinimumWidth(360);
    layout->addWidget(cb_asmuo);
    auto* payerButtons = new QHBoxLayout;
    btn_new = makeButton(QStringLiteral("Naujas"), QStringLiteral("btn_new"), central);
    btn_koreguoti =
        makeButton(QStringLiteral("Koreguoti"), QStringLiteral("btn_koreguoti"), central);
    btn_mok_delete =
        makeButton(QStringLiteral("Trinti"), QStringLiteral("btn_mok_delete"), central);
    payerButtons->addWidget(btn_new);
    payerButtons->addWidget(btn_koreguoti);
    payerButtons->addWidget(btn_mok_delete);
    layout->addLayout(payerButtons);

    lb_darbo_vieta = makeLabel(QStringLiteral("Darbo vietos pavadinimas:"),
                               QStringLiteral("lb_darbo_vieta"), central);
    layout->addWidget(lb_darbo_vieta);
    auto* workplaceRow = new QHBoxLayout;
    ed_part_number = new QLineEdit(central);
    ed_part_number->setObjectName(QStringLiteral("ed_part_number"));
    ed_part_number->setMaxLength(20);
    ed_part_number->installEventFilter(this);
    workplaceRow->addWidget(ed_part_number);
    auto* example =
        new QLabel(QStringLiteral("(pvz.: SANDELIS1, SANDELIS2, KAUNO_DEP...)"), central);
    QFont small = example->font();
    small.setPixelSize(11);
    example->setFont(small);
    workplaceRow->addWidget(example);
    layout->addLayout(workplaceRow);
    cb_priskirti = new QCheckBox(
        QStringLiteral("priskirti darbo vietos pavadinimą šitam PVM mokėtojui"), central);
    cb_priskirti->setObjectName(QStringLiteral("cb_priskirti"));
    layout->addWidget(cb_priskirti);
    lb_im_kodas = makeLabel(kNoPayerCode, QStringLiteral("lb_im_kodas"), central);
    lb_im_kodas->setVisible(false);
    lb_pvm_kodas = makeLabel(kNoVatCode, QStringLiteral("lb_pvm_kodas"), central);
    lb_pvm_kodas->setVisible(false);

    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(new QLabel(QStringLiteral("Laikotarpis nuo:"), central));
    dt_nuo = new QDateEdit(central);
    dt_nuo->setObjectName(QStringLiteral("dt_nuo"));
    periodRow->addWidget(dt_nuo);
    periodRow->addWidget(new QLabel(QStringLiteral("iki:"), central));
    dt_iki = new QDateEdit(central);
    dt_iki->setObjectName(QStringLiteral("dt_iki"));
    periodRow->addWidget(dt_iki);
    for (QDateEdit* picker : {dt_nuo, dt_iki}) {
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

    lb_info = makeLabel(
        QStringLiteral(
            "Atidarykite Excel šabloną, užpildykite ir išsaugokite jį.  Šabloną rasite čia:"),
        QStringLiteral("lb_info"), central);
    layout->addWidget(lb_info);
    btn_template =
        makeButton(QStringLiteral("Atidaryti šabloną"), QStringLiteral("btn_template"), central);
    layout->addWidget(btn_template);
    auto* workbookRow = new QHBoxLayout;
    btn_open =
        makeButton(QStringLiteral("Pasirinkti dokumentą"), QStringLiteral("btn_open"), central);
    btn_open->setToolTip(QStringLiteral("Pasirinkti dokumentą"));
    workbookRow->addWidget(btn_open);
    lb_dok_pav = makeLabel(kNoWorkbook, QStringLiteral("lb_dok_pav"), central);
    workbookRow->addWidget(lb_dok_pav, 1);
    btn_valyti = makeButton(QStringLiteral("Išvalyti"), QStringLiteral("btn_valyti"), central);
    workbookRow->addWidget(btn_valyti);
    layout->addLayout(workbookRow);
    lb_dok_link = makeLabel(kNoWorkbookPath, QStringLiteral("lb_dok_link"), central);
    lb_dok_link->setVisible(false);

    lb_action = makeLabel(QStringLiteral("VEIKSMAS"), QStringLiteral("lb_action"), central);
    layout->addWidget(lb_action);
    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    layout->addWidget(ProgressBar1);
    btn_isaf_xml = makeButton(QStringLiteral("Formuoti XML rinkmeną   (Kolvira.xml)"),
                              QStringLiteral("btn_isaf_xml"), central);
    layout->addWidget(btn_isaf_xml);
    btn_rinkmenos = makeButton(QStringLiteral("Suformuotų rinkmenų saugojimo vieta"),
                               QStringLiteral("btn_rinkmenos"), central);
    layout->addWidget(btn_rinkmenos);
    btn_close =
        makeButton(QStringLiteral("Uždaryti programą"), QStringLiteral("btn_close"), central);
    layout->addWidget(btn_close);
    lb_copyright = new CopyrightLabel(
        QStringLiteral("© 2026 Kolvira"), [this] { lb_copyrightClick(); }, central);
    lb_copyright->setObjectName(QStringLiteral("lb_copyright"));
    layout->addWidget(lb_copyright, 0, Qt::AlignRight);

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedWidth(150);
    statusBar()->addWidget(StatusBar1);
    statusBar()->setSizeGripEnabled(false);

    connect(cb_asmuo, &QComboBox::activated, this, &Tfrm_export_xml::cb_asmuoChange);
    connect(btn_new, &QPushButton::clicked, this, &Tfrm_export_xml::btn_newClick);
    connect(btn_koreguoti, &QPushButton::clicked, this, &Tfrm_export_xml::btn_koreguotiClick);
    connect(btn_mok_delete, &QPushButton::clicked, this, &Tfrm_export_xml::btn_mok_deleteClick);
    connect(ed_part_number, &QLineEdit::textChanged, this, &Tfrm_export_xml::ed_part_numberChange);
    connect(cb_priskirti, &QCheckBox::toggled, this, &Tfrm_export_xml::cb_priskirtiClick);
    connect(btn_template, &QPushButton::clicked, this, &Tfrm_export_xml::btn_templateClick);
    connect(btn_open, &QPushButton::clicked, this, &Tfrm_export_xml::btn_openClick);
    connect(btn_valyti, &QPushButton::clicked, this, &Tfrm_export_xml::btn_valytiClick);
    connect(btn_isaf_xml, &QPushButton::clicked, this, &Tfrm_export_xml::btn_isaf_xmlClick);
    connect(btn_rinkmenos, &QPushButton::clicked, this, &Tfrm_export_xml::btn_rinkmenosClick);
    connect(btn_close, &QPushButton::clicked, this, &Tfrm_export_xml::btn_closeClick);
    // Escape presses "Uždaryti programą" while it is enabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (btn_close->isEnabled()) {
            btn_close->click();
        }
    });

    // The window fits its size to its content and opens centred on the screen.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void Tfrm_export_xml::FormCreate() {
    const std::string position = SettingsFile.read("NUSTATYMAI", "asmuo");
    bool isNumber = false;
    const int index = QString::fromStdString(position).toInt(&isNumber);
    LoadPayerList(isNumber ? index : 0);
    setWorkplaceName(qs(SettingsFile.read("NUSTATYMAI", "darbo_vieta")));
    ProgramVersion = ProfileFile(paths_.versionFile()).read("VERSIJA", "nr");
    setWindowTitle(QStringLiteral("Kolvira     v") + qs(ProgramVersion));
    const Period period = previousMonth(services_.today());
    dt_nuo->setDate(toQDate(period.from));
    dt_iki->setDate(toQDate(period.to));
    lb_action->setText(QString());
    // The installed program is updated by the package manager.
    if (services_.startUpdateCheck && paths_.updatesEnabled()) {
        try {
            auto* bridge = new UpdateBridge(StatusBar1, *services_.boxes, *services_.desktop, this);
            services_.startUpdateCheck(*bridge, ProgramVersion);
        } catch (...) {
            // The window stays fully usable without the update check.
        }
    }
}

// The workplace field shows capitals, also for a name the program assigns.
void Tfrm_export_xml::setWorkplaceName(const QString& name) {
    QString upper = name;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = c.toUpper();
        }
    }
    ed_part_number->setText(upper);
}

void Tfrm_export_xml::btn_templateClick() {
    desktop().open(paths_.templateFolder() + "/");
}

void Tfrm_export_xml::btn_openClick() {
    const auto path = services_.files->chooseWorkbook();
    if (!path) {
        btn_valytiClick();
        return;
    }
    lb_dok_link->setText(qs(*path));
    lb_dok_pav->setText(QFileInfo(qs(*path)).fileName());
}

void Tfrm_export_xml::btn_valytiClick() {
    lb_dok_link->setText(kNoWorkbookPath);
    lb_dok_pav->setText(kNoWorkbook);
}

void Tfrm_export_xml::btn_rinkmenosClick() {
    (void)createFolders(paths_.outputFolder());  // a failure shows when the folder opens
    desktop().open(paths_.outputFolder() + "/");
}

void Tfrm_export_xml::btn_closeClick() {
    close();
}

// The update hand-over: a running download may keep the window open, and a complete installer
// is offered once the close is allowed.
void Tfrm_export_xml::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery(StatusBar1->text().toStdString(), *services_.boxes)) {
        event->ignore();
        return;
    }
    FormClose(StatusBar1->text().toStdString(), paths_, *services_.boxes, *services_.desktop);
    event->accept();
}

void Tfrm_export_xml::lb_copyrightClick() {
    desktop().open("https://www.kolvira.lt/");
}

void Tfrm_export_xml::btn_isaf_xmlClick() {
    beginBusy();
    lastRun_ = runGeneration(inputs(), *this, *this, SettingsFile, services_.openWorkbook,
                             services_.exporter);
    endBusy();
}

// ---- Payer register ----

int Tfrm_export_xml::selectedPayer() const {
    return cb_asmuo->currentIndex();
}

void Tfrm_export_xml::reportFailure(const Status& status) {
    services_.boxes->show(MessageKind::Error, status.message());
}

void Tfrm_export_xml::LoadPayerList(int position) {
    cb_asmuo->clear();
    const PayerRegister register_(paths_.payerRegister());
    if (!register_.exists()) {
        return;
    }
    const auto loaded = register_.load();
    for (size_t i = 0; i < loaded.lines.size(); ++i) {
        const auto fields = splitPayerLine(loaded.lines[i]);
        cb_asmuo->addItem(qs(fields[0]));
        if (static_cast<int>(i) != position) {
            continue;
        }
        lb_pvm_kodas->setText(fields.size() > 1 ? qs(fields[1]) : kNoVatCode);
        lb_im_kodas->setText(fields.size() > 2 ? qs(fields[2]) : kNoPayerCode);
        cb_asmuo->setCurrentIndex(position);
        if (fields.size() > 3 && !fields[3].empty()) {
            setWorkplaceName(qs(fields[3]));
            cb_priskirti->setChecked(true);
        } else {
            cb_priskirti->setChecked(false);
        }
    }
    // Adding the first item selects it; only the position asked for may be selected.
    if (position < 0 || position >= cb_asmuo->count()) {
        cb_asmuo->setCurrentIndex(-1);
    }
}

void Tfrm_export_xml::cb_asmuoChange(int position) {
    LoadPayerList(position);
    storePayerPosition(position);
}

void Tfrm_export_xml::storePayerPosition(int position) {
    if (const Status written = SettingsFile.write("NUSTATYMAI", "asmuo", std::to_string(position));
        !written.ok()) {
        reportFailure(written);
    }
}

void Tfrm_export_xml::btn_newClick() {
    Tfrm_naujas_xml dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::string line =
        dialog.ed_pav->text().toStdString() + ";;" + dialog.ed_im_kodas->text().toStdString() + ";";
    int position = -1;
    if (const Status added = PayerRegister(paths_.payerRegister()).add(line, position);
        !added.ok()) {
        reportFailure(added);
        return;
    }
    // The payer just added is selected, and the next start selects it again.
    LoadPayerList(position);
    storePayerPosition(position);
}

void Tfrm_export_xml::btn_koreguotiClick() {
    const int selected = selectedPayer();
    Tfrm_naujas_xml dialog(this);
    dialog.lb_id->setText(QString::number(selected));
    dialog.ed_pav->setText(cb_asmuo->currentText());
    if (lb_im_kodas->text() != kNoPayerCode) {
        dialog.ed_im_kodas->setText(lb_im_kodas->text());
    }
    if (lb_pvm_kodas->text() != kNoVatCode) {
        dialog.ed_pvm_kodas->setText(lb_pvm_kodas->text());
    }
    const QString workplace = cb_priskirti->isChecked() ? ed_part_number->text() : QString();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::string line =
        (dialog.ed_pav->text() + QLatin1Char(';') + dialog.ed_pvm_kodas->text() + QLatin1Char(';') +
         dialog.ed_im_kodas->text() + QLatin1Char(';') + workplace)
            .toStdString();
    int position = selected;
    if (const Status replaced = PayerRegister(paths_.payerRegister()).replace(position, line);
        !replaced.ok()) {
        reportFailure(replaced);
        return;
    }
    // The payer just edited stays selected, also at the next start.
    LoadPayerList(position);
    if (selected >= 0) {
        storePayerPosition(position);
    }
}

void Tfrm_export_xml::btn_mok_deleteClick() {
    const int selected = selectedPayer();
    if (selected < 0) {
        return;
    }
    const std::string question = "Ar tikrai norite pašalinti iš sąrašo šį PVM mokėtoją?\n\r\n\r" +
                                 cb_asmuo->currentText().toStdString() + "\n\r";
    if (services_.boxes->show(MessageKind::Confirmation, question) != kAnswerYes) {
        return;
    }
    if (const Status removed = PayerRegister(paths_.payerRegister()).remove(selected);
        !removed.ok()) {
        reportFailure(removed);
        return;
    }
    LoadPayerList(-1);
    storePayerPosition(0);
}

// Rewrites the selected payer's line with the workplace name bound, or unbound when `bind`
// is false. A failure is not reported: the binding is simply not stored.
static void rebindSelected(const ProgramPaths& paths, int selected, bool bind,
                           const QString& workplace) {
    const PayerRegister register_(paths.payerRegister());
    if (!register_.exists()) {
        return;
    }
    auto loaded = register_.load();
    if (!loaded.status.ok()) {
        return;
    }
    if (selected >= 0 && static_cast<size_t>(selected) < loaded.lines.size()) {
        std::string line;
        if (!bindPayerLine(loaded.lines[static_cast<size_t>(selected)],
                           bind ? workplace.toStdString() : std::string(), line)) {
            return;
        }
        if (line == loaded.lines[static_cast<size_t>(selected)]) {
            return;  // already stored so
        }
        loaded.lines[static_cast<size_t>(selected)] = line;
    }
    (void)register_.save(loaded.lines);
}

void Tfrm_export_xml::ed_part_numberChange() {
    setTextColor(lb_darbo_vieta, ed_part_number->text().isEmpty()
                                     ? QColor(255, 0, 0)
                                     : palette().color(QPalette::WindowText));
    if (cb_priskirti->isChecked()) {
        rebindSelected(paths_, selectedPayer(), true, ed_part_number->text());
    }
    const Status written =
        SettingsFile.write("NUSTATYMAI", "darbo_vieta", ed_part_number->text().toStdString());
    if (!written.ok()) {
        reportFailure(written);
    }
}

void Tfrm_export_xml::cb_priskirtiClick() {
    rebindSelected(paths_, selectedPayer(), cb_priskirti->isChecked(), ed_part_number->text());
}

// The workplace field takes digits and the letters A-Z (typed letters become capitals),
// backspace and tab; every other typed character is discarded, clipboard shortcuts included.
bool Tfrm_export_xml::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ed_part_number && event->type() == QEvent::KeyPress) {
        const auto typed = typedCharacter(static_cast<QKeyEvent*>(event));
        if (!typed || *typed == QChar(8) || *typed == QChar(9) ||
            (*typed >= QLatin1Char('0') && *typed <= QLatin1Char('9'))) {
            return false;
        }
        const QChar c = *typed;
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            ed_part_number->insert(QString(c.toUpper()));
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- What the generation run needs of the window ----

RunInputs Tfrm_export_xml::inputs() {
    RunInputs in;
    in.workplaceName = ed_part_number->text().toStdString();
    in.payerCode =
        lb_im_kodas->text() == kNoPayerCode ? std::string() : lb_im_kodas->text().toStdString();
    in.payerCount = cb_asmuo->count();
    in.workbookPath =
        lb_dok_link->text() == kNoWorkbookPath ? std::string() : lb_dok_link->text().toStdString();
    in.workbookFileName = lb_dok_pav->text().toStdString();
    in.period = {fromQDate(dt_nuo->date()), fromQDate(dt_iki->date())};
    in.regional = services_.regional();
    in.programVersion = ProgramVersion;
    in.outputFolder = paths_.outputFolder();
    return in;
}

void Tfrm_export_xml::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (QPushButton* button : {btn_open, btn_isaf_xml, btn_rinkmenos, btn_close}) {
        button->setEnabled(false);
    }
    sinceEvents_.start();
}

void Tfrm_export_xml::endBusy() {
    for (QPushButton* button : {btn_open, btn_isaf_xml, btn_rinkmenos, btn_close}) {
        button->setEnabled(true);
    }
    setStatus({});
    progress_.position = 0;
    showProgress();
    QApplication::restoreOverrideCursor();
}

void Tfrm_export_xml::markWorkplaceMissing() {
    setTextColor(lb_darbo_vieta, QColor(255, 0, 0));
}

// The status text and the progress are kept here and reach the widgets when events are let
// through (or a box shows), not on every row: that is when the window can repaint anyway.
void Tfrm_export_xml::setStatus(const std::string& text) {
    status_ = text;
    statusShown_ = false;
}

void Tfrm_export_xml::setProgress(int position, int maximum) {
    progress_ = {position, maximum};
}

void Tfrm_export_xml::stepProgress() {
    ++progress_.position;
}

void Tfrm_export_xml::showProgress() {
    if (!statusShown_) {
        lb_action->setText(qs(status_));
        statusShown_ = true;
    }
    if (ProgressBar1->maximum() != progress_.maximum) {
        ProgressBar1->setRange(0, progress_.maximum);
    }
    ProgressBar1->setValue(progress_.position);
}

void Tfrm_export_xml::processEvents() {
    showProgress();
    QCoreApplication::processEvents();
    sinceEvents_.restart();
}

void Tfrm_export_xml::keepResponsive() {
    // Labels and the bar repaint and input is handled, but not at the cost of every row.
    if (sinceEvents_.elapsed() >= 30) {
        processEvents();
    }
}

int Tfrm_export_xml::showMessage(MessageKind kind, const std::string& text) {
    showProgress();
    return services_.boxes->show(kind, text);
}

void Tfrm_export_xml::showSaved(const std::string& path) {
    showProgress();
    services_.boxes->show(MessageKind::Information, savedMessageText(path));
}

void Tfrm_export_xml::editPayer() {
    btn_koreguotiClick();
}
void Tfrm_export_xml::newPayer() {
    btn_newClick();
}
DesktopShell& Tfrm_export_xml::desktop() {
    return *services_.desktop;
}
