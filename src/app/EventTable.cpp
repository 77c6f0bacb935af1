#include "app/EventTable.h"

#include "app/FolderTree.h"
#include "app/InfoWindow.h"
#include "app/MainWindow.h"
#include "app/SettingsControls.h"
#include "batch/ChoiceLists.h"
#include "batch/SourceScan.h"
#include "batch/TargetNames.h"
#include "frame/MessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace vardolin::app {

EventTable::EventTable(MainWindow& window, Settings& settings, WindowHost::LogWriter writeLog)
    : window_(window), settings_(settings), host_(window, std::move(writeLog)), scans_(host_), run_(host_)
{
    pendingRescan_.setSingleShot(true);
    pendingRescan_.setInterval(rescanDelayMs);
    connect(&pendingRescan_, &QTimer::timeout, this, [this] { aktionQuelle(-1); });
    connect(&run_, &BatchRunner::ended, this, [this] { showRunning(false); });
    connectControls();
}

EventTable::~EventTable() = default;

// ---------------------------------------------------------------------------
// The event table.

void EventTable::dispatch(Kind kind, int number, qint64 type)
{
    switch (kind) {
    case Kind::Control: controlEvent(number, type); break;
    case Kind::Menu: menuEvent(number); break;
    case Kind::CloseRequest: closeRequest(); break;
    }
}

// Start, New folder, Quit and the scans act; every other control with a
// settings field stores its value there (the subfolder box then scans);
// the rest do nothing.
void EventTable::controlEvent(int number, qint64 type)
{
    switch (number) {
    case ctl::Quellbaum: aktionQuelle(-1); return;
    case ctl::BildDatei:
    case ctl::BildDateiEx: aktionQuelle(type); return;
    case ctl::Start: bilderVerarbeiten(); return;
    case ctl::NeueOrdner: anlegenNeuerOrdner(); return;
    case ctl::Beenden: closeRequest(); return;
    default: break;
    }
    if (const Control* row = settingsControl(number)) {
        store(*row);
        if (number == ctl::MitUnterordner)
            aktionQuelle(-1);
    }
}

void EventTable::store(const Control& row)
{
    settings_.*row.setting.field = controlValue(window_, row);
}

void EventTable::menuEvent(int number)
{
    switch (number) {
    case menu::Beenden: closeRequest(); break;
    case menu::Deutsch: languageChosen(u"D"_s); break;
    case menu::Englisch: languageChosen(u"GB"_s); break;
    case menu::Info: z_Info(); break;
    default:
        if (const CopyMenuItem* item = copyMenuItem(number))
            copyChoice(*item);
        break;
    }
}

// A switch stores whether it is now checked, a format its word.
void EventTable::copyChoice(const CopyMenuItem& item)
{
    QString& field = settings_.Extra.*item.field;
    if (item.value != nullptr)
        field = QString::fromUtf16(item.value);
    else
        field = window_.menuItem(item.number)->isChecked() ? u"1"_s : u"0"_s;
    window_.showCopyChoices(settings_.Extra);
}

// The quit button, menu item 0 and the close box end the loop; while a batch
// runs they stop the run instead, and the program goes on.
void EventTable::closeRequest()
{
    if (run_.active()) {
        run_.requestStop();
        return;
    }
    pendingRescan_.stop();
    emit loopEnds();
}

// ---------------------------------------------------------------------------
// Actions.

// Any event but a keystroke in a pattern field scans at once; the source tree,
// the subfolder box and the pause after typing pass -1.
void EventTable::aktionQuelle(qint64 eventType)
{
    for (int number : {ctl::BildDatei, ctl::BildDateiEx, ctl::Quellbaum})
        store(*settingsControl(number));
    if (eventType == batch::textChangedEvent) {
        // A keystroke does not scan; the scan follows once typing pauses.
        pendingRescan_.start();
        return;
    }
    pendingRescan_.stop();
    scans_.start(batch::scanRequestFrom(settings_));
}

void EventTable::bilderVerarbeiten()
{
    if (run_.active())
        return;
    pendingRescan_.stop();
    showRunning(true);
    run_.start(settings_);
}

void EventTable::anlegenNeuerOrdner()
{
    auto* tree = window_.controlAs<FolderTree>(ctl::Zielbaum);
    auto* name = window_.controlAs<QLineEdit>(ctl::NeuerOrdnerName);
    const QString target = tree->text();
    if (!batch::AnlegenNeuerOrdner(target, name->text(), host_))
        return;
    tree->showFolderAnew(target);
    name->clear();
}

void EventTable::languageChosen(const QString& sprache)
{
    settings_.Sprache = sprache;
    frame::yInfoBox(u"Vardolin"_s, window_.texts().restartNotice, 0);
}

// During a run every control but the quit button is disabled, and so is the
// menu; the quit button reads "Abbrechen" / "Stop".
void EventTable::showRunning(bool running)
{
    for (int number = 0; number < controlCount; ++number)
        if (number != ctl::Beenden)
            window_.control(number)->setEnabled(!running);
    window_.menuBar()->setEnabled(!running);
    const CaptionTexts& texts = window_.texts();
    window_.controlAs<QPushButton>(ctl::Beenden)->setText(running ? texts.stopCaption : texts.control[ctl::Beenden]);
    QProgressBar* bar = window_.progressBar();
    bar->setRange(0, 0);
    bar->setVisible(running);
}

// ---------------------------------------------------------------------------
// Start-up.

void EventTable::fillLists(const QString& workingFolder)
{
    const batch::ListFill sizes = batch::fillListLoadingDefaults(&batch::FuelleComboGroesse, workingFolder, host_);
    const batch::ListFill qualities =
        batch::fillListLoadingDefaults(&batch::FuelleComboQualitaet, workingFolder, host_);
    window_.controlAs<QComboBox>(ctl::Groesse)->addItems(sizes.items);
    window_.controlAs<QComboBox>(ctl::Qualitaet)->addItems(qualities.items);
}

// The controls are quiet meanwhile: putting a value in is no event, so no
// field is stored back and the order of the controls does not matter.
void EventTable::settingsIntoControls()
{
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (int number = 0; number < controlCount; ++number)
        quiet.push_back(std::make_unique<QSignalBlocker>(window_.control(number)));
    for (const Control& row : settingsControls())
        showSetting(window_, row, settings_);
    window_.showCopyChoices(settings_.Extra);
}

// ---------------------------------------------------------------------------
// Widgets' signals become events of the table.

void EventTable::connectControls()
{
    for (const Control& row : settingsControls())
        connectControl(row);
    for (int number : {ctl::Start, ctl::Beenden, ctl::NeueOrdner})
        connect(window_.controlAs<QPushButton>(number), &QPushButton::clicked, this,
                [this, number] { dispatch(Kind::Control, number, eventtype::Click); });
    for (int number = 0; number < menu::Count; ++number)
        connect(window_.menuItem(number), &QAction::triggered, this, [this, number] { dispatch(Kind::Menu, number); });
    connect(&window_, &MainWindow::closeBoxClicked, this, [this] { dispatch(Kind::CloseRequest, 0); });
}

void EventTable::connectControl(const Control& row)
{
    const int number = row.number;
    const auto control = [this, number](qint64 type) { dispatch(Kind::Control, number, type); };
    switch (row.kind) {
    case ControlKind::Tree:
        connect(window_.controlAs<FolderTree>(number), &FolderTree::folderChosen, this,
                [control] { control(eventtype::Choice); });
        break;
    case ControlKind::List:
        connect(window_.controlAs<QComboBox>(number), &QComboBox::activated, this,
                [control] { control(eventtype::Choice); });
        break;
    case ControlKind::TextField:
        connect(window_.controlAs<QLineEdit>(number), &QLineEdit::textChanged, this,
                [control] { control(eventtype::Change); });
        break;
    case ControlKind::PatternField: connectPatternField(number); break;
    case ControlKind::Option:
        connect(window_.controlAs<QRadioButton>(number), &QRadioButton::toggled, this, [control](bool on) {
            if (on)
                control(eventtype::Click);
        });
        break;
    case ControlKind::CheckBox:
        connect(window_.controlAs<QCheckBox>(number), &QCheckBox::toggled, this,
                [control] { control(eventtype::Click); });
        break;
    case ControlKind::Label:
    case ControlKind::Frame:
    case ControlKind::ReadOnlyField:
    case ControlKind::Button: break; // no settings field
    }
}

// Typing is the change event; Return, entering and leaving the field are the
// others. Focus moves that only follow the window's activation are no events.
void EventTable::connectPatternField(int number)
{
    auto* field = window_.controlAs<QLineEdit>(number);
    connect(field, &QLineEdit::textEdited, this,
            [this, number] { dispatch(Kind::Control, number, eventtype::Change); });
    connect(field, &QLineEdit::returnPressed, this,
            [this, number] { dispatch(Kind::Control, number, eventtype::Return); });
    field->installEventFilter(this);
}

bool EventTable::eventFilter(QObject* watched, QEvent* event)
{
    const bool focus = event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut;
    if (focus) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool byUser = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        const int number = watched == window_.control(ctl::BildDatei)     ? ctl::BildDatei
                           : watched == window_.control(ctl::BildDateiEx) ? ctl::BildDateiEx
                                                                          : -1;
        if (byUser && number >= 0)
            dispatch(Kind::Control, number,
                     event->type() == QEvent::FocusIn ? eventtype::FocusIn : eventtype::FocusOut);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vardolin::app
