#include "app/MainWindow.h"

#include "app/ChoiceList.h"
#include "app/FolderTree.h"
#include "batch/CopyChoices.h"
#include "util/Text.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

namespace vardolin::app {
namespace {

constexpr int statusFieldWidth = 790;

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
{
}

MainWindow::~MainWindow() = default;

int MainWindow::FensterOeffnen(int x, int y, int width, int height, const CaptionTexts& texts)
{
    texts_ = texts;
    setWindowTitle(QString());
    createClientArea();
    createStatusBar();
    rebuildMenu(germanMenuTexts());
    createControls();
    fixSize(width, height);
    placeOnScreen(x, y);
    return 0;
}

void MainWindow::createClientArea()
{
    client_ = new QWidget(this);
    // The layout's pixel places were made for a small dialog font.
    QFont font = client_->font();
    font.setPointSizeF(std::min(font.pointSizeF(), 8.0));
    client_->setFont(font);
    setCentralWidget(client_);
}

void MainWindow::createStatusBar()
{
    statusField_ = new QLabel(this);
    // The line names files being copied, and a name may look like markup.
    statusField_->setTextFormat(Qt::PlainText);
    statusField_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(statusField_, 1);
    statusField_->setMaximumWidth(statusFieldWidth);
    progress_ = new QProgressBar(this);
    progress_->setFixedWidth(160);
    progress_->setTextVisible(true);
    statusBar()->addPermanentWidget(progress_);
    progress_->hide();
}

void MainWindow::rebuildMenu(const MenuTexts& texts)
{
    menuBar()->clear();
    QMenu* datei = menuBar()->addMenu(texts.datei);
    menuItems_[menu::Beenden] = datei->addAction(texts.beenden);
    QMenu* extra = menuBar()->addMenu(texts.extra);
    QMenu* sprache = extra->addMenu(texts.sprache);
    menuItems_[menu::Deutsch] = sprache->addAction(texts.deutsch);
    menuItems_[menu::Englisch] = sprache->addAction(texts.englisch);
    addCopyChoices(extra, texts);
    QMenu* info = menuBar()->addMenu(texts.info);
    menuItems_[menu::Info] = info->addAction(texts.info);
    for (int number = 0; number < int(menuItems_.size()); ++number)
        menuItems_[number]->setData(number);
}

// Below the language: the switches, and the formats in a submenu of their
// own where one is checked.
void MainWindow::addCopyChoices(QMenu* extra, const MenuTexts& texts)
{
    extra->addSeparator();
    QMenu* formats = nullptr;
    QActionGroup* oneFormat = nullptr;
    for (std::size_t i = 0; i < copyMenuItems.size(); ++i) {
        const CopyMenuItem& item = copyMenuItems[i];
        if (item.value != nullptr && formats == nullptr) {
            formats = extra->addMenu(texts.kopieformat);
            oneFormat = new QActionGroup(formats);
        }
        QAction* action = (item.value != nullptr ? formats : extra)->addAction(texts.kopie[i]);
        action->setCheckable(true);
        if (item.value != nullptr)
            oneFormat->addAction(action);
        menuItems_[item.number] = action;
    }
}

void MainWindow::showCopyChoices(const ExtraSettings& extra)
{
    for (const CopyMenuItem& item : copyMenuItems) {
        const QString& value = extra.*item.field;
        const bool on = item.value != nullptr
                            ? value.trimmed().compare(QStringView(item.value), Qt::CaseInsensitive) == 0
                            : util::integerValue(value) != 0;
        menuItems_[item.number]->setChecked(on);
    }
    // A format word nobody knows reads as the source's own.
    if (!batch::copyFormatNamed(extra.Kopieformat))
        menuItems_[menu::FormatWieQuelle]->setChecked(true);
    menuItems_[menu::Aufnahmeort]->setEnabled(util::integerValue(extra.MetadatenBehalten) != 0);
    menuItems_[menu::FormatAvif]->setEnabled(batch::canWriteCopies(batch::CopyFormat::Avif));
}

void MainWindow::createControls()
{
    for (const Control& row : controlTable) {
        QWidget* widget = createControl(row);
        widget->setObjectName(QStringLiteral("control%1").arg(row.number));
        widget->setGeometry(row.place);
        controls_[row.number] = widget;
    }
    // Frames are drawn behind the controls they group.
    for (const Control& row : controlTable)
        if (row.kind == ControlKind::Frame)
            controls_[row.number]->lower();
}

QWidget* MainWindow::createControl(const Control& row)
{
    const QString& caption = texts_.control[row.number];
    switch (row.kind) {
    case ControlKind::Tree: return new FolderTree(client_);
    case ControlKind::List: return new ChoiceList(client_);
    case ControlKind::Label: return new QLabel(caption, client_);
    case ControlKind::Frame: return new QGroupBox(caption, client_);
    case ControlKind::Option: {
        auto* option = new QRadioButton(caption, client_);
        optionGroup(row.group)->addButton(option, row.number);
        return option;
    }
    case ControlKind::TextField:
    case ControlKind::PatternField: return new QLineEdit(client_);
    case ControlKind::ReadOnlyField: {
        auto* field = new QLineEdit(client_);
        field->setReadOnly(true);
        return field;
    }
    case ControlKind::Button: return new QPushButton(caption, client_);
    case ControlKind::CheckBox: return new QCheckBox(caption, client_);
    }
    return nullptr;
}

// Options of one group exclude each other; the groups are made as their
// first option is.
QButtonGroup* MainWindow::optionGroup(OptionGroup group)
{
    QButtonGroup*& buttons = optionGroups_[group];
    if (!buttons)
        buttons = new QButtonGroup(this);
    return buttons;
}

// The status bar lies inside the client area, at its bottom edge.
void MainWindow::fixSize(int width, int height)
{
    const int statusHeight = statusBar()->sizeHint().height();
    client_->setFixedSize(width, height - statusHeight);
    statusBar()->setFixedSize(width, statusHeight);
    setFixedSize(width, height + menuBar()->sizeHint().height());
}

void MainWindow::placeOnScreen(int x, int y)
{
    move(x, y);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::StatusText(const QString& text)
{
    statusField_->setText(text);
}

QString MainWindow::statusLine() const
{
    return statusField_->text();
}

QWidget* MainWindow::control(int number) const
{
    return number >= 0 && number < controlCount ? controls_[number] : nullptr;
}

QAction* MainWindow::menuItem(int number) const
{
    return number >= 0 && number < int(menuItems_.size()) ? menuItems_[number] : nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    emit closeBoxClicked();
}

} // namespace vardolin::app
