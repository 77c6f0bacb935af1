#include "app/EventTable.h"

#include "app/FolderTree.h"
#include "app/InfoWindow.h"
#include "app/MainWindow.h"
#include "batch/ChoiceLists.h"
#include "batch/SourceScan.h"
#include "batch/TargetNames.h"
#include "frame/MessageBox.h"
#include "util/Text.h"

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
    connect(&pendingRescan_, &QTimer::timeout, this, [this] { aktionQuelle(-1, 0, 0); });
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

void EventTable::controlEvent(int number, qint64 type)
{
    Settings& s = settings_;
    switch (number) {
    case 0: aktionQuelle(-1, 1, type); break;
    case 1: s.Bildgroesse = chosenEntry(1, 3); break;
    case 2: s.Bildqualitaet = chosenEntry(2, 2); break;
    case 26: aktionQuelle(type, 0, 0); break;
    case 34: aktionQuelle(type, 0, 0); break;
    case 7: s.AusgabeOrdner = u"1"_s; break;
    case 9: s.AusgabeOrdner = u"2"_s; break;
    case 10: s.AusgabeOrdner = u"3"_s; break;
    case 8: s.AusgabeOrdner = u"4"_s; break;
    case 30: s.CBZielVerzPlus = checkState(30); break;
    case 29: s.CBZielUeberschreiben = checkState(29); break;
    case 11: s.ZielVerz = text(11); break;
    case 12: s.ZielSubVerz = text(12); break;
    case 13: s.DateiPrefix = text(13); break;
    case 14: s.DateiSuffix = text(14); break;
    case 23: s.ImmerPrefix = text(23); break;
    case 24: s.ImmerSuffix = text(24); break;
    case 15: bilderVerarbeiten(); break;
    case 31: anlegenNeuerOrdner(); break;
    case 17: s.DateiDatum = u"1"_s; break;
    case 18: s.DateiDatum = u"2"_s; break;
    case 20:
        s.MitUnterordner = checkState(20);
        aktionQuelle(-1, 0, 0);
        break;
    case 19: closeRequest(); break;
    default: break;
    }
}

void EventTable::menuEvent(int number)
{
    switch (number) {
    case menu::Beenden: closeRequest(); break;
    case menu::Deutsch: languageChosen(u"D"_s); break;
    case menu::Englisch: languageChosen(u"GB"_s); break;
    case menu::Info: z_Info(); break;
    default: break;
    }
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

void EventTable::aktionQuelle(qint64 eventType, qint64 second, qint64 third)
{
    settings_.BildDatei = text(ctl::BildDatei);
    settings_.BildDateiEx = text(ctl::BildDateiEx);
    settings_.QuellVerz = text(ctl::Quellbaum);
    if (eventType == batch::textChangedEvent) {
        // A keystroke does not scan; the scan follows once typing pauses.
        batch::AktionQuelle(eventType, second, third, settings_, host_);
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

void EventTable::settingsIntoControls()
{
    const Settings& s = settings_;
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (int number = 0; number < controlCount; ++number)
        quiet.push_back(std::make_unique<QSignalBlocker>(window_.control(number)));

    window_.controlAs<FolderTree>(ctl::Quellbaum)->setText(s.QuellVerz);
    window_.controlAs<FolderTree>(ctl::Zielbaum)->setText(s.ZielVerz);
    // A stored entry outside the list (or "000") selects nothing.
    const auto select = [](QComboBox* list, const QString& stored) {
        const qint64 index = util::integerValue(stored) - 1;
        list->setCurrentIndex(index >= 0 && index < list->count() ? int(index) : -1);
    };
    select(window_.controlAs<QComboBox>(ctl::Groesse), s.Bildgroesse);
    select(window_.controlAs<QComboBox>(ctl::Qualitaet), s.Bildqualitaet);
    window_.controlAs<QLineEdit>(12)->setText(s.ZielSubVerz);
    window_.controlAs<QLineEdit>(13)->setText(s.DateiPrefix);
    window_.controlAs<QLineEdit>(14)->setText(s.DateiSuffix);
    window_.controlAs<QLineEdit>(23)->setText(s.ImmerPrefix);
    window_.controlAs<QLineEdit>(24)->setText(s.ImmerSuffix);
    window_.controlAs<QLineEdit>(26)->setText(s.BildDatei);
    window_.controlAs<QLineEdit>(34)->setText(s.BildDateiEx);
    const int ausgabe = s.AusgabeOrdner == u"1"   ? 7
                        : s.AusgabeOrdner == u"2" ? 9
                        : s.AusgabeOrdner == u"3" ? 10
                        : s.AusgabeOrdner == u"4" ? 8
                                                  : -1;
    if (ausgabe >= 0)
        window_.controlAs<QRadioButton>(ausgabe)->setChecked(true);
    const int datum = s.DateiDatum == u"1" ? 17 : s.DateiDatum == u"2" ? 18 : -1;
    if (datum >= 0)
        window_.controlAs<QRadioButton>(datum)->setChecked(true);
    window_.controlAs<QCheckBox>(20)->setChecked(util::integerValue(s.MitUnterordner) != 0);
    window_.controlAs<QCheckBox>(29)->setChecked(util::integerValue(s.CBZielUeberschreiben) != 0);
    window_.controlAs<QCheckBox>(30)->setChecked(util::integerValue(s.CBZielVerzPlus) != 0);
}

// ---------------------------------------------------------------------------
// Widgets' signals become events of the table.

void EventTable::connectControls()
{
    const auto control = [this](int number, qint64 type) { dispatch(Kind::Control, number, type); };
    for (int number : {ctl::Quellbaum, ctl::Zielbaum})
        connect(window_.controlAs<FolderTree>(number), &FolderTree::folderChosen, this,
                [control, number] { control(number, eventtype::Choice); });
    for (int number : {ctl::Groesse, ctl::Qualitaet, ctl::Zielliste})
        connect(window_.controlAs<QComboBox>(number), &QComboBox::activated, this,
                [control, number] { control(number, eventtype::Choice); });
    for (int number : {7, 8, 9, 10, 17, 18})
        connect(window_.controlAs<QRadioButton>(number), &QRadioButton::toggled, this, [control, number](bool on) {
            if (on)
                control(number, eventtype::Click);
        });
    for (int number : {20, 29, 30})
        connect(window_.controlAs<QCheckBox>(number), &QCheckBox::toggled, this,
                [control, number] { control(number, eventtype::Click); });
    for (int number : {12, 13, 14, 23, 24, 32})
        connect(window_.controlAs<QLineEdit>(number), &QLineEdit::textChanged, this,
                [control, number] { control(number, eventtype::Change); });
    for (int number : {15, 19, 31})
        connect(window_.controlAs<QPushButton>(number), &QPushButton::clicked, this,
                [control, number] { control(number, eventtype::Click); });
    connectPatternField(ctl::BildDatei);
    connectPatternField(ctl::BildDateiEx);
    for (int number = 0; number < 4; ++number)
        connect(window_.menuItem(number), &QAction::triggered, this, [this, number] { dispatch(Kind::Menu, number); });
    connect(&window_, &MainWindow::closeBoxClicked, this, [this] { dispatch(Kind::CloseRequest, 0); });
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

// ---------------------------------------------------------------------------

QString EventTable::text(int number) const
{
    if (auto* tree = window_.controlAs<FolderTree>(number))
        return tree->text();
    return window_.controlAs<QLineEdit>(number)->text();
}

// The list's chosen entry, 1-based, right-aligned with "0" to the width.
QString EventTable::chosenEntry(int number, int width) const
{
    const int index = window_.controlAs<QComboBox>(number)->currentIndex();
    return util::padLeft(QString::number(index + 1), width, u'0');
}

QString EventTable::checkState(int number) const
{
    return window_.controlAs<QCheckBox>(number)->isChecked() ? u"1"_s : u"0"_s;
}

} // namespace vardolin::app
