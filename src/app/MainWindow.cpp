#include "app/MainWindow.h"

#include "app/ChoiceList.h"
#include "app/FolderTree.h"

#include <QAction>
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

enum Kind { FolderTreeKind, DropDown, Label, Frame, Option, TextField, ReadOnlyField, Button, CheckBox };

struct ControlPlace {
    int number;
    Kind kind;
    int x, y, width, height;
};

// The window's controls in number order: kind, position and size in pixels
// within the client area.
// clang-format off
constexpr ControlPlace controlTable[controlCount] = {
    {0, FolderTreeKind, 5, 15, 245, 505},
    {1, DropDown, 510, 50, 100, 20},
    {2, DropDown, 510, 100, 140, 20},
    {3, Label, 510, 30, 100, 20},
    {4, Label, 510, 80, 140, 20},
    {5, Frame, 500, 10, 155, 125},
    {6, Frame, 255, 140, 545, 385},
    {7, Option, 265, 160, 145, 20},
    {8, Option, 265, 235, 145, 20},
    {9, Option, 265, 185, 145, 20},
    {10, Option, 265, 210, 145, 20},
    {11, FolderTreeKind, 415, 240, 380, 205},
    {12, TextField, 415, 210, 380, 20},
    {13, TextField, 415, 160, 90, 20},
    {14, TextField, 415, 185, 90, 20},
    {15, Button, 255, 530, 120, 20},
    {16, Frame, 660, 10, 135, 125},
    {17, Option, 670, 35, 105, 20},
    {18, Option, 670, 60, 105, 20},
    {19, Button, 655, 530, 140, 20},
    {20, CheckBox, 260, 105, 230, 20},
    {21, Label, 515, 160, 120, 20},
    {22, Label, 515, 185, 120, 20},
    {23, TextField, 640, 160, 80, 20},
    {24, TextField, 640, 185, 80, 20},
    {25, Frame, 255, 10, 240, 125},
    {26, TextField, 350, 30, 140, 20},
    {27, Label, 260, 80, 130, 20},
    {28, ReadOnlyField, 405, 80, 85, 20},
    {29, CheckBox, 670, 100, 120, 30},
    {30, CheckBox, 265, 480, 530, 20},
    {31, Button, 415, 450, 85, 20},
    {32, TextField, 505, 450, 290, 20},
    {33, DropDown, 280, 500, 515, 20},
    {34, TextField, 350, 55, 140, 20},
    {35, Label, 260, 55, 85, 20},
    {36, Label, 260, 30, 85, 20},
};
// clang-format on

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
    client_ = new QWidget(this);
    // The layout's pixel places were made for a small dialog font.
    QFont font = client_->font();
    font.setPointSizeF(std::min(font.pointSizeF(), 8.0));
    client_->setFont(font);
    setCentralWidget(client_);
    createStatusBar();
    rebuildMenu(germanMenuTexts());
    createControls();

    // The status bar lies inside the client area, at its bottom edge.
    const int statusHeight = statusBar()->sizeHint().height();
    client_->setFixedSize(width, height - statusHeight);
    statusBar()->setFixedSize(width, statusHeight);
    setFixedSize(width, height + menuBar()->sizeHint().height());
    move(x, y);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    return 0;
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
    QMenu* info = menuBar()->addMenu(texts.info);
    menuItems_[menu::Info] = info->addAction(texts.info);
    for (int number = 0; number < int(menuItems_.size()); ++number)
        menuItems_[number]->setData(number);
}

void MainWindow::createControls()
{
    ausgabeGroup_ = new QButtonGroup(this);
    datumGroup_ = new QButtonGroup(this);
    for (const ControlPlace& row : controlTable) {
        QWidget* widget = createControl(row.number, row.kind);
        widget->setObjectName(QStringLiteral("control%1").arg(row.number));
        widget->setGeometry(row.x, row.y, row.width, row.height);
        controls_[row.number] = widget;
    }
    // Frames are drawn behind the controls they group.
    for (const ControlPlace& row : controlTable)
        if (row.kind == Frame)
            controls_[row.number]->lower();
}

QWidget* MainWindow::createControl(int number, int kind)
{
    const QString caption = texts_.control[number];
    switch (kind) {
    case FolderTreeKind: return new FolderTree(client_);
    case DropDown: return new ChoiceList(client_);
    case Label: return new QLabel(caption, client_);
    case Frame: return new QGroupBox(caption, client_);
    case Option: {
        auto* option = new QRadioButton(caption, client_);
        (number <= ctl::Unterordner ? ausgabeGroup_ : datumGroup_)->addButton(option, number);
        return option;
    }
    case TextField: return new QLineEdit(client_);
    case ReadOnlyField: {
        auto* field = new QLineEdit(client_);
        field->setReadOnly(true);
        return field;
    }
    case Button: return new QPushButton(caption, client_);
    case CheckBox: return new QCheckBox(caption, client_);
    }
    return nullptr;
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
