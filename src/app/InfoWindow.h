#pragma once
// The info window: the program's name and purpose, its versions, build time,
// copyright, disclaimer and an invitation to send feedback, in a resizable
// window that cannot be made smaller than 670 x 386.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace vardolin::app {

inline constexpr int infoMinWidth = 670;
inline constexpr int infoMinHeight = 386;

class InfoWindow : public QWidget {
    Q_OBJECT
public:
    InfoWindow(const QString& title, const QString& text);

    QPlainTextEdit* pane() const { return pane_; }
    QPushButton* closeButton() const { return closeButton_; }

signals:
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPlainTextEdit* pane_;
    QPushButton* closeButton_;
};

// Assembles the template and shows the info window; returns when it is closed.
void z_Info();

// Fills the template's placeholders, opens the window and waits until it is
// closed. The program's other windows take no input meanwhile; a close
// request of any of them closes the info window instead.
void s_WindowInfo(const QString& textTemplate, const QString& title, const QString& history);

// Where users send suggestions and report faults, set when the program is
// built (VARDOLIN_FEEDBACK_CONTACT): an e-mail address, the web address of an
// issue page, or empty when the program has neither.
QString feedbackContact();

// The text the window shows: placeholders replaced, escapes turned into
// CR LF and double quotes. The feedback box names the contact, or without one
// the place the user got the program from.
QString infoText(const QString& textTemplate, const QString& title, const QString& history,
                 const QString& contact = feedbackContact());
QString infoTemplate();

} // namespace vardolin::app
