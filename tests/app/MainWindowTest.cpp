#include "app/MainWindow.h"
#include "app/ChoiceList.h"
#include "app/FolderTree.h"
#include "util/FileNames.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace vardolin;
using namespace vardolin::app;

namespace {

struct OpenWindow {
    CaptionTexts texts;
    MainWindow window;

    explicit OpenWindow(const QString& language = QStringLiteral("D"))
    {
        SprachTexte(texts, QStringLiteral("#T"), language);
        window.FensterOeffnen(0, 0, 800, 600, texts);
    }
};

std::string describe(int number)
{
    return "control " + std::to_string(number) + " " + std::string(controlTable[number].name);
}

// Within the frame's border and below its title.
bool liesInFrame(const MainWindow& w, int inner, int frame)
{
    const auto* box = w.controlAs<QGroupBox>(frame);
    return box && box->contentsRect().translated(box->pos()).contains(w.control(inner)->geometry());
}

// How much wider the control would have to be to show its caption whole; 0
// or less when it does. A check box or option shows its text beside the
// indicator, in the room its style leaves there.
int missingWidth(QWidget* control)
{
    const auto besideIndicator = [](QAbstractButton* button, QStyle::SubElement contents) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const int room = button->style()->subElementRect(contents, &option, button).width();
        return button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() - room;
    };
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return besideIndicator(box, QStyle::SE_CheckBoxContents);
    if (auto* option = qobject_cast<QRadioButton*>(control))
        return besideIndicator(option, QStyle::SE_RadioButtonContents);
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        return frame->minimumSizeHint().width() - frame->width();
    return control->sizeHint().width() - control->width();
}

} // namespace

TEST(FensterOeffnen, ControlsLieInTheClientAreaAndOverlapOnlyTheFrameAroundThem)
{
    OpenWindow open;
    MainWindow& w = open.window;
    w.show();
    const QRect client = w.centralWidget()->rect();
    for (int number = 0; number < controlCount; ++number) {
        ASSERT_NE(w.control(number), nullptr) << describe(number);
        const QRect place = w.control(number)->geometry();
        EXPECT_TRUE(client.contains(place)) << describe(number) << " reaches out of the client area";
        for (int other = number + 1; other < controlCount; ++other) {
            const bool overlap = place.intersects(w.control(other)->geometry());
            EXPECT_TRUE(!overlap || liesInFrame(w, number, other) || liesInFrame(w, other, number))
                << describe(number) << " and " << describe(other) << " overlap";
        }
    }
    EXPECT_EQ(w.control(controlCount), nullptr);
    EXPECT_EQ(w.control(-1), nullptr);
}

class Captions : public ::testing::TestWithParam<const char*> {};

TEST_P(Captions, FitTheirControlsInTheWindowsFont)
{
    OpenWindow open(QString::fromLatin1(GetParam()));
    MainWindow& w = open.window;
    w.show();
    for (int number = 0; number < controlCount; ++number) {
        const QString& caption = open.texts.control[number];
        EXPECT_TRUE(caption.isEmpty() || missingWidth(w.control(number)) <= 0)
            << describe(number) << " cuts \"" << caption.toStdString() << "\" by " << missingWidth(w.control(number));
    }
    auto* quit = w.controlAs<QPushButton>(ctl::Beenden);
    quit->setText(open.texts.stopCaption);
    EXPECT_LE(missingWidth(quit), 0) << "the quit button during a run";
}

INSTANTIATE_TEST_SUITE_P(Languages, Captions, ::testing::Values("D", "GB"));

TEST(FensterOeffnen, ClientAreaIsFixed800By600WithFramesBehind)
{
    OpenWindow open;
    MainWindow& w = open.window;
    w.show();
    EXPECT_EQ(w.centralWidget()->width(), 800);
    EXPECT_EQ(w.centralWidget()->height() + w.statusBar()->height(), 600);
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "no resizing";
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    // A frame is the first child in stacking order, below its controls.
    const QObjectList children = w.centralWidget()->children();
    const auto position = [&](int number) { return children.indexOf(w.control(number)); };
    EXPECT_LT(position(6), position(7));
    EXPECT_LT(position(25), position(26));
    EXPECT_LT(position(16), position(17));
}

TEST(FensterOeffnen, OutputAndDateOptionsAreSeparateGroups)
{
    OpenWindow open;
    MainWindow& w = open.window;
    w.controlAs<QRadioButton>(9)->setChecked(true);
    w.controlAs<QRadioButton>(18)->setChecked(true);
    EXPECT_TRUE(w.controlAs<QRadioButton>(9)->isChecked());
    EXPECT_TRUE(w.controlAs<QRadioButton>(18)->isChecked());
    w.controlAs<QRadioButton>(10)->setChecked(true);
    EXPECT_FALSE(w.controlAs<QRadioButton>(9)->isChecked());
    EXPECT_TRUE(w.controlAs<QRadioButton>(18)->isChecked());
}

TEST(FensterOeffnen, GermanMenuUntilRebuilt)
{
    OpenWindow open(QStringLiteral("GB"));
    MainWindow& w = open.window;
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Quit"));
    EXPECT_EQ(w.menuItem(0)->text(), QStringLiteral("Programm beenden"));
    EXPECT_EQ(w.menuItem(2)->text(), QStringLiteral("Englisch"));
    CaptionTexts texts;
    SprachTexte(texts, QStringLiteral("#M"), QStringLiteral("GB"), [&](const MenuTexts& menu) { w.rebuildMenu(menu); });
    EXPECT_EQ(w.menuItem(0)->text(), QStringLiteral("Exit"));
    EXPECT_EQ(w.menuItem(1)->text(), QStringLiteral("German"));
    EXPECT_EQ(w.menuItem(3)->text(), QStringLiteral("Info"));
    QStringList titles;
    for (QAction* action : w.menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"File", "Extra", "Info"}));
}

TEST(StatusText, ReplacesTheOneField)
{
    OpenWindow open;
    open.window.StatusText(QStringLiteral("eins"));
    open.window.StatusText(QStringLiteral("zwei"));
    EXPECT_EQ(open.window.statusLine(), QStringLiteral("zwei"));
    // A copy's path in the status line is shown as typed, even when a folder
    // name looks like markup.
    const auto* field = open.window.statusBar()->findChild<QLabel*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->textFormat(), Qt::PlainText);
}

TEST(FolderTree, TextIsTheSelectedFolderWithTrailingSeparator)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Fotos/2019")));
    FolderTree tree;
    EXPECT_TRUE(tree.text().isEmpty());
    const QString folder = QDir::toNativeSeparators(dir.path() + QStringLiteral("/Fotos/2019/"));
    tree.setText(folder);
    EXPECT_EQ(tree.text(), folder);
    tree.setText(QDir::toNativeSeparators(dir.path() + QStringLiteral("/Fotos")));
    EXPECT_EQ(tree.text(), QDir::toNativeSeparators(dir.path() + QStringLiteral("/Fotos/")));
    tree.setText(QStringLiteral("/"));
    EXPECT_EQ(tree.text(), QDir::toNativeSeparators(QStringLiteral("/")));
    tree.setText(dir.path() + QStringLiteral("/missing/"));
    EXPECT_TRUE(tree.text().isEmpty()) << "a folder that does not exist selects nothing";
}

// The open list is as wide as its longest item in every style, also where the
// style makes it only as wide as the closed box.
class ChoiceLists : public ::testing::TestWithParam<const char*> {};

TEST_P(ChoiceLists, OpenListShowsEveryItemWhole)
{
    OpenWindow open;
    auto* quality = open.window.controlAs<QComboBox>(2);
    std::unique_ptr<QStyle> style(QStyleFactory::create(QString::fromLatin1(GetParam())));
    ASSERT_NE(style, nullptr);
    quality->setStyle(style.get());
    quality->addItems({QStringLiteral("1-schlechteste Qualität"), QStringLiteral("9-hervorragende Qualität"),
                       QStringLiteral("10-sehr gute Qualität")});
    open.window.show();
    quality->showPopup();
    QAbstractItemView* view = quality->view();
    ASSERT_TRUE(view->isVisible());
    for (int row = 0; row < quality->count(); ++row) {
        const QModelIndex item = view->model()->index(row, 0);
        const QRect shown = view->visualRect(item).intersected(view->viewport()->rect());
        EXPECT_GE(shown.width(), view->sizeHintForIndex(item).width()) << quality->itemText(row).toStdString();
    }
    quality->hidePopup();
    quality->setStyle(nullptr);
}

TEST(ChoiceLists, ClosedBoxShortensALongChoiceWithAnEllipsis)
{
    OpenWindow open;
    auto* quality = open.window.controlAs<ChoiceList>(2);
    ASSERT_NE(quality, nullptr);
    quality->addItems({QStringLiteral("1-gut"), QStringLiteral("9-hervorragende Qualität mit sehr langem Namen")});
    open.window.show();
    EXPECT_EQ(quality->shownText(), QStringLiteral("1-gut"));
    quality->setCurrentIndex(1);
    EXPECT_TRUE(quality->shownText().startsWith(QStringLiteral("9-hervorragende")));
    EXPECT_TRUE(quality->shownText().endsWith(QChar(0x2026)));
}

INSTANTIATE_TEST_SUITE_P(Styles, ChoiceLists, ::testing::Values("Fusion", "Windows"));

TEST(FolderTree, ScrollsSidewaysToADeepFolderAndShowsItsPathAsTooltip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString deep = dir.path()
                         + QStringLiteral("/Bilder/Urlaub 2024/Sommerferien am Gardasee mit der ganzen Familie/"
                                          "Ausflug nach Verona <b>und Vicenza");
    ASSERT_TRUE(QDir().mkpath(deep));
    FolderTree tree;
    tree.resize(245, 505);
    tree.show();
    tree.setText(deep);
    const QModelIndex chosen = tree.currentIndex();
    ASSERT_TRUE(chosen.isValid());
    const auto nameShownWhole = [&] {
        const QRect name(tree.visualRect(chosen).topLeft(), tree.sizeHintForIndex(chosen));
        return name.left() >= 0 && name.right() < tree.viewport()->width();
    };
    EXPECT_TRUE(QTest::qWaitFor(nameShownWhole, 3000)) << "the chosen name is scrolled into view whole";
    EXPECT_GT(tree.horizontalScrollBar()->maximum(), 0) << "the tree scrolls sideways";

    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), tree.viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(tree.viewport(), &hover);
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    EXPECT_EQ(shown.toPlainText(), QDir::toNativeSeparators(deep + QStringLiteral("/")));
    QToolTip::hideText();
}

#ifndef Q_OS_WIN
TEST(FolderTree, AFolderWhoseNameIsNotUtf8StaysTheTextThoughItCannotBeShown)
{
    QTemporaryDir dir;
    const QByteArray parent = QFile::encodeName(QDir(dir.path()).canonicalPath());
    const QByteArray latin1 = parent + "/latin1-\xE4\xF6";
    ASSERT_TRUE(std::filesystem::create_directory(latin1.toStdString()));
    FolderTree tree;
    tree.setText(util::textFromFileName(latin1));
    EXPECT_EQ(util::fileNameFromText(tree.text()), latin1 + '/');
    tree.setText(QString::fromUtf8(parent));
    EXPECT_EQ(tree.text(), QString::fromUtf8(parent + '/')) << "a folder the tree shows takes over";
    tree.setText(util::textFromFileName(latin1 + "/gone/"));
    EXPECT_TRUE(tree.text().isEmpty()) << "a folder that does not exist is no text";
    std::filesystem::remove(latin1.toStdString());
}
#endif
