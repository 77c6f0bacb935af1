#include "app/WindowHost.h"

#include "app/MainWindow.h"
#include "frame/MessageBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QThread>

#include <algorithm>
#include <climits>

namespace vardolin::app {

WindowHost::WindowHost(MainWindow& window, LogWriter writeLog) : window_(window), writeLog_(std::move(writeLog)) {}

void WindowHost::onWindowThread(std::function<void()> work, bool wait)
{
    if (QThread::currentThread() == window_.thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(&window_, std::move(work), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void WindowHost::statusText(const QString& text)
{
    MainWindow* window = &window_;
    onWindowThread([window, text] { window->StatusText(text); });
}

void WindowHost::showMessage(const QString& text)
{
    onWindowThread([text] { frame::yInfoBox(QStringLiteral("Vardolin"), text, 0); }, true);
}

void WindowHost::logLine(const QString& line)
{
    if (writeLog_)
        onWindowThread([writer = writeLog_, line] { writer(line); });
}

QString WindowHost::sizeItemText()
{
    QString text;
    onWindowThread([this, &text] { text = window_.controlAs<QComboBox>(ctl::Groesse)->currentText(); }, true);
    return text;
}

QString WindowHost::targetListText()
{
    QString text;
    onWindowThread([this, &text] { text = window_.controlAs<QComboBox>(ctl::Zielliste)->currentText(); }, true);
    return text;
}

void WindowHost::setFoundCount(qint64 count)
{
    MainWindow* window = &window_;
    onWindowThread([window, count] { window->controlAs<QLineEdit>(ctl::Gefunden)->setText(QString::number(count)); });
}

void WindowHost::setTargetListItems(const QStringList& items)
{
    MainWindow* window = &window_;
    onWindowThread([window, items] {
        auto* list = window->controlAs<QComboBox>(ctl::Zielliste);
        list->clear();
        list->addItems(items);
        list->setCurrentIndex(items.isEmpty() ? -1 : 0);
    });
}

bool WindowHost::stopRequested()
{
    return stop_.load();
}

void WindowHost::progress(qint64 finished, qint64 count)
{
    MainWindow* window = &window_;
    onWindowThread([window, finished, count] {
        QProgressBar* bar = window->progressBar();
        bar->setRange(0, int(std::min<qint64>(count, INT_MAX)));
        bar->setValue(int(std::min<qint64>(finished, INT_MAX)));
    });
}

} // namespace vardolin::app
