#include "app/MessageBoxes.h"

#include "frame/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace vardolin::app {

void presentMessagesInBoxes()
{
    frame::setMessagePresenter([](const QString& title, const QString& text, int) {
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(QMessageBox::NoIcon, title, shown, QMessageBox::Ok, QApplication::activeWindow());
        // Messages name folders and files, and a name may look like markup.
        box.setTextFormat(Qt::PlainText);
        return box.exec();
    });
}

} // namespace vardolin::app
