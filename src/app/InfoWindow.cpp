#include "app/InfoWindow.h"

#include "app/BuildTime.h"
#include "app/Doku.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

// The blocks are written with "\n " as line break and "\' " as double quote,
// as all texts the program shows; they are turned into the real characters last.
const QString br = u"\\n "_s;

QString buildTimeText()
{
    const auto two = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    using namespace buildtime;
    return two(day) + u'.' + two(month) + u'.' + QString::number(year) + u" / "_s + two(hour) + u':' + two(minute)
           + u':' + two(second);
}

QString anwendungBlock(const QString& title)
{
    return title + br + QString(title.size(), u'-') + br;
}

QString versionBlock(const QString& history)
{
    return u"Programm-Versionen"_s + br + u"------------------"_s + br + history + br;
}

QString compileBlock()
{
    return u"Kompiliert: "_s + buildTimeText() + br + br;
}

QString copyrightBlock()
{
    return u"Copyright"_s + br + u"---------"_s + br + u"Copyright (c) 2007-"_s + QString::number(buildtime::year)
           + u" the Vardolin authors"_s + br + u"Freie Software unter der MIT-Lizenz (MIT licence)."_s + br + br + br;
}

QString ausschlussBlock()
{
    return u"Ausschluß"_s + br + u"---------"_s + br + u"Sie benutzen das Programm in eigener Verantwortung."_s + br
           + u"Das Programm ist mit größter Sorgfalt erstellt und getestet"_s + br + u"worden."_s + br + u" "_s + br
           + u"Es wird jedoch keine Haftung für Schäden übernommen die durch "_s + br
           + u"nicht vorhersehbaren Zustände eintreten können."_s + br + br + br;
}

// Where suggestions go: the contact the build was configured with, an e-mail
// address or a web page; without one, the place the user got the program from.
struct FeedbackWay {
    QString invitation;
    QString boxed;
    QString closing;
};

FeedbackWay feedbackWay(const QString& contact)
{
    const QString welcome = u"Anregungen und Kritik sind erwünscht und können "_s;
    if (contact.isEmpty())
        return {welcome + u"an: "_s, u"die Person oder Stelle, von der Sie das Programm haben"_s,
                u"gesendet werden."_s};
    if (contact.contains(u"://"_s))
        return {welcome + u"auf der Seite: "_s, contact, u"gemeldet werden."_s};
    return {welcome + u"per eMail an: "_s, contact, u"gesendet werden."_s};
}

// The contact sits in a box; a longer one widens the box.
QString kritikBlock(const QString& contact)
{
    const FeedbackWay way = feedbackWay(contact);
    const int inner = std::max<int>(24, int(way.boxed.size()));
    const QString edge = u"  +"_s + QString(inner + 4, u'-') + u'+';
    return u"Anregungen und Kritik"_s + br + u"---------------------"_s + br + way.invitation + br + br + edge + br
           + u"  |  "_s + way.boxed.leftJustified(inner, u' ') + u"  |"_s + br + edge + br + br + way.closing + br + br
           + u"Nur durch Ihr Feedback kann ein Programm besser werden !"_s + br + br + br;
}

QString convertEscapes(QString text)
{
    text.replace(u"\\n "_s, u"\r\n"_s);
    text.replace(u"\\' "_s, u"\""_s);
    return text;
}

// While the info window is open the other windows drop their input, and a
// close request of any of them closes the info window instead.
class OtherWindowsInert : public QObject {
public:
    explicit OtherWindowsInert(InfoWindow& info) : info_(info) { qApp->installEventFilter(this); }
    ~OtherWindowsInert() override { qApp->removeEventFilter(this); }
    OtherWindowsInert(const OtherWindowsInert&) = delete;
    OtherWindowsInert& operator=(const OtherWindowsInert&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() == &info_)
            return false;
        if (event->type() == QEvent::Close && widget->isWindow()) {
            event->ignore();
            info_.close();
            return true;
        }
        if (isInput(event->type())) {
            info_.activateWindow();
            return true;
        }
        return false;
    }

private:
    static bool isInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu: return true;
        default: return false;
        }
    }

    InfoWindow& info_;
};

} // namespace

InfoWindow::InfoWindow(const QString& title, const QString& text)
    : QWidget(nullptr, Qt::Window), pane_(new QPlainTextEdit(this)),
      closeButton_(new QPushButton(u"Fenster schließen"_s, this))
{
    setObjectName(u"infoWindow"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(title);
    setMinimumSize(infoMinWidth, infoMinHeight);
    pane_->setGeometry(10, 10, 650, 330);
    closeButton_->setGeometry(270, 350, 130, 30);
    QFont font(u"Courier New"_s, 9);
    font.setStyleHint(QFont::TypeWriter);
    pane_->setFont(font);
    pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane_->setPlainText(text);
    pane_->setReadOnly(true);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    resize(infoMinWidth, infoMinHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    pane_->setFocus();
}

// Never smaller than 670 x 386; the pane keeps 10 pixels to the left, top and
// right and 45 to the bottom, the button stays centred 35 pixels above it.
void InfoWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (width() < infoMinWidth || height() < infoMinHeight)
        resize(std::max(width(), infoMinWidth), std::max(height(), infoMinHeight));
    const int w = width();
    const int h = height();
    pane_->setGeometry(10, 10, w - 20, h - 55);
    closeButton_->setGeometry(w / 2 - 65, h - 35, 130, 30);
}

void InfoWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void InfoWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}

QString feedbackContact()
{
    return QStringLiteral(VARDOLIN_FEEDBACK_CONTACT);
}

QString infoTemplate()
{
    return u"{ANWENDUNG}"_s + u"Programm zum Verkleinern von Bilddateien\r\n"_s + u"\r\n"_s + u"\r\n"_s
           + u"{PGMVERSION}"_s + u"\r\n"_s + u"{COMPILE}"_s + u"{COPYRIGHT}"_s + u"{AUSSCHLUSS}"_s + u"{KRITIK}"_s;
}

QString infoText(const QString& textTemplate, const QString& title, const QString& history, const QString& contact)
{
    QString text = textTemplate;
    text.replace(u"{ANWENDUNG}"_s, anwendungBlock(title));
    text.replace(u"{COPYRIGHT}"_s, copyrightBlock());
    text.replace(u"{KRITIK}"_s, kritikBlock(contact));
    text.replace(u"{AUSSCHLUSS}"_s, ausschlussBlock());
    text.replace(u"{COMPILE}"_s, compileBlock());
    text.replace(u"{PGMVERSION}"_s, versionBlock(history));
    return convertEscapes(text);
}

void s_WindowInfo(const QString& textTemplate, const QString& title, const QString& history)
{
    InfoWindow window(title, infoText(textTemplate, title, history));
    QEventLoop loop;
    QObject::connect(&window, &InfoWindow::closed, &loop, &QEventLoop::quit);
    const OtherWindowsInert inert(window);
    window.show();
    window.activateWindow();
    window.pane()->setFocus();
    loop.exec();
}

void z_Info()
{
    s_WindowInfo(infoTemplate(), u"Vardolin"_s, z_Doku(u"A"_s));
}

} // namespace vardolin::app
