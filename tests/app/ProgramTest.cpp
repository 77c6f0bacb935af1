#include "Session.h"

#include "app/MessageBoxes.h"
#include "app/Program.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::app;
using namespace vardolin::app::testing;

namespace {

enum class Quit { Button, Menu, CloseBox };

QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

class QuitWays : public ::testing::TestWithParam<Quit> {};

TEST_P(QuitWays, EachWritesTheSettingsFileAndTheLogEndLines)
{
    Session s;
    s.readSettings();
    s.settings.QuellVerz = s.folder();
    s.recordMessages();
    ASSERT_TRUE(s.log.open(s.context.uExeVerz));
    const Quit way = GetParam();
    QTimer::singleShot(0, [&s, way] {
        QWidget* top = QApplication::activeWindow();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<MainWindow*>(widget); window && window->isVisible())
                top = window;
        auto* window = qobject_cast<MainWindow*>(top);
        ASSERT_NE(window, nullptr);
        s.settings.Sprache = QStringLiteral("GB");
        if (way == Quit::Button)
            QTest::mouseClick(window->controlAs<QPushButton>(19), Qt::LeftButton);
        else if (way == Quit::Menu)
            window->menuItem(0)->trigger();
        else
            window->close();
    });
    HauptFenster(s.settings, s.context, s.log);

    const QStringList ini = lines(s.path(QStringLiteral("Vardolin.ini")));
    ASSERT_EQ(ini.size(), 19) << "the group line and 18 keys";
    EXPECT_TRUE(ini[0].endsWith(QStringLiteral("[Standard]")));
    EXPECT_TRUE(ini.contains(QStringLiteral("Sprache = GB")));
    const QStringList log = lines(s.path(QStringLiteral("Vardolin.log")));
    ASSERT_GE(log.size(), 6);
    EXPECT_EQ(log[log.size() - 3], QString(80, u'-'));
    EXPECT_TRUE(log[log.size() - 2].startsWith(QStringLiteral("Programmende ")));
    EXPECT_EQ(log.last(), QString(80, u'='));
    EXPECT_TRUE(s.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(ButtonMenuAndCloseBox, QuitWays, ::testing::Values(Quit::Button, Quit::Menu, Quit::CloseBox));

TEST(MessageBoxes, ModalBoxWithTitleTextAndOneOkButton)
{
    presentMessagesInBoxes();
    QString title;
    QString text;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    frame::yInfoBox(QStringLiteral("Vardolin"), QStringLiteral("eins\\n zwei \\' drei"), 0);
    frame::setMessagePresenter({});
    EXPECT_EQ(title, QStringLiteral("Vardolin"));
    EXPECT_EQ(text, QStringLiteral("eins\nzwei \"drei"));
    EXPECT_EQ(buttons, 1);
}

TEST(MessageBoxes, MarkupInAFolderNameIsShownAsTyped)
{
    presentMessagesInBoxes();
    const QString folder = QStringLiteral("/home/anna/<b>Urlaub</b>/komp");
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    frame::yInfoBox(QStringLiteral("Vardolin"), folder, 0);
    frame::setMessagePresenter({});
    EXPECT_EQ(format, Qt::PlainText) << "a folder name is no markup";
    EXPECT_EQ(text, folder);
}
