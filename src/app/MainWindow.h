#pragma once
// The program's one main window: 37 numbered controls on a fixed 800 x 600
// client area, a status bar with one field and the menu. The window reads
// values and hands them to the batch layer; it never does the work itself.

#include "app/SprachTexte.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QAction;
class QButtonGroup;
class QLabel;
class QProgressBar;
class QTimer;

namespace vardolin::app {

// Fixed numbers of the controls that the code addresses by name.
namespace ctl {
inline constexpr int Quellbaum = 0, Groesse = 1, Qualitaet = 2, Gleich_Prefix = 7, Ausgewaehlt = 8, Gleich_Suffix = 9,
                     Unterordner = 10, Zielbaum = 11, ZielSubVerz = 12, DateiPrefix = 13, DateiSuffix = 14, Start = 15,
                     Unveraendert = 17, Heutiges = 18, Beenden = 19, MitUnterordner = 20, ImmerPrefix = 23,
                     ImmerSuffix = 24, BildDatei = 26, Gefunden = 28, Ueberschreiben = 29, ZielVerzPlus = 30,
                     NeueOrdner = 31, NeuerOrdnerName = 32, Zielliste = 33, BildDateiEx = 34;
}

// Menu item numbers.
namespace menu {
inline constexpr int Beenden = 0, Deutsch = 1, Englisch = 2, Info = 3;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creates the status bar, the German menu and controls 0 to 36 with the
    // captions given; returns 0.
    int FensterOeffnen(int x, int y, int width, int height, const CaptionTexts& texts);
    void rebuildMenu(const MenuTexts& texts);

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
    void createStatusBar();
    void createControls();
    QWidget* createControl(int number, int kind);

    CaptionTexts texts_;
    std::array<QWidget*, controlCount> controls_{};
    std::array<QAction*, 4> menuItems_{};
    QWidget* client_ = nullptr;
    QLabel* statusField_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QButtonGroup* ausgabeGroup_ = nullptr;
    QButtonGroup* datumGroup_ = nullptr;
};

} // namespace vardolin::app
