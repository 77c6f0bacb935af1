#pragma once
// The program's one main window: the numbered controls of the control table
// on a fixed 800 x 600 client area, a status bar with one field and the menu.
// The window reads values and hands them to the batch layer; it never does
// the work itself.

#include "app/ControlTable.h"
#include "app/MenuItems.h"
#include "app/SprachTexte.h"

#include <QMainWindow>

#include <array>
#include <map>

class QAction;
class QButtonGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;

namespace vardolin::app {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creates the status bar, the German menu and every control of the
    // control table with the captions given; returns 0.
    int FensterOeffnen(int x, int y, int width, int height, const CaptionTexts& texts);
    void rebuildMenu(const MenuTexts& texts);
    // Checks the Extra menu's copy choices as the settings hold them; the
    // location is offered with the metadata, AVIF where it can be written.
    void showCopyChoices(const ExtraSettings& extra);

    void StatusText(const QString& text);
    QString statusLine() const; // what StatusText wrote last

    QWidget* control(int number) const;
    template <class Widget> Widget* controlAs(int number) const { return qobject_cast<Widget*>(control(number)); }
    QAction* menuItem(int number) const;
    QProgressBar* progressBar() const { return progress_; }

    const CaptionTexts& texts() const { return texts_; }

signals:
    // The close box was clicked. The window never closes itself: the event
    // table decides whether the loop ends, the run stops or the info window closes.
    void closeBoxClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createClientArea();
    void createStatusBar();
    void addCopyChoices(QMenu* extra, const MenuTexts& texts);
    void createControls();
    QWidget* createControl(const Control& row);
    QButtonGroup* optionGroup(OptionGroup group);
    void fixSize(int width, int height);
    void placeOnScreen(int x, int y);

    CaptionTexts texts_;
    std::array<QWidget*, controlCount> controls_{};
    std::array<QAction*, menu::Count> menuItems_{};
    QWidget* client_ = nullptr;
    QLabel* statusField_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::map<OptionGroup, QButtonGroup*> optionGroups_;
};

} // namespace vardolin::app
