#include "Session.h"

#include "app/FolderTree.h"
#include "app/InfoWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::app;
using namespace vardolin::app::testing;

namespace {

void choose(MainWindow& w, int number, int index)
{
    auto* list = w.controlAs<QComboBox>(number);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void retype(MainWindow& w, int number, const QString& text)
{
    auto* field = w.controlAs<QLineEdit>(number);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// A check box or option takes clicks on its indicator and caption only.
void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void focusEvent(QWidget* widget, QEvent::Type type)
{
    QFocusEvent event(type, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

} // namespace

TEST(HauptFensterStart, FirstStartWithoutSettingsShowsEveryDefault)
{
    Session s;
    s.readSettings();
    s.settings.QuellVerz = s.folder();
    MainWindow& w = s.open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vardolin  V 1.07"));
    EXPECT_EQ(w.controlAs<QComboBox>(1)->count(), 10);
    EXPECT_EQ(w.controlAs<QComboBox>(1)->currentText(), QStringLiteral("1-400,300"));
    EXPECT_EQ(w.controlAs<QComboBox>(2)->count(), 11);
    EXPECT_EQ(w.controlAs<QComboBox>(2)->currentText(), QStringLiteral("3-niedrige Qualität"));
    EXPECT_TRUE(w.controlAs<QRadioButton>(7)->isChecked());
    EXPECT_TRUE(w.controlAs<QRadioButton>(17)->isChecked());
    EXPECT_EQ(w.controlAs<QLineEdit>(26)->text(), QStringLiteral("*.jpg"));
    EXPECT_EQ(w.controlAs<QLineEdit>(34)->text(), QStringLiteral("*NoPic*.jpg"));
    EXPECT_EQ(w.controlAs<QLineEdit>(12)->text(), QStringLiteral("komp"));
    EXPECT_EQ(w.controlAs<QLineEdit>(13)->text(), QStringLiteral("!k_"));
    EXPECT_EQ(w.controlAs<QLineEdit>(14)->text(), QStringLiteral("_k!"));
    EXPECT_EQ(w.controlAs<QLineEdit>(23)->text(), QStringLiteral("!k_"));
    EXPECT_EQ(w.controlAs<QLineEdit>(24)->text(), QStringLiteral("_k!"));
    EXPECT_FALSE(w.controlAs<QCheckBox>(20)->isChecked());
    EXPECT_FALSE(w.controlAs<QCheckBox>(29)->isChecked());
    EXPECT_FALSE(w.controlAs<QCheckBox>(30)->isChecked());
    EXPECT_EQ(w.controlAs<FolderTree>(0)->text(), s.folder());
    EXPECT_TRUE(w.controlAs<FolderTree>(11)->text().isEmpty());
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Programm beenden"));
    EXPECT_EQ(w.menuItem(0)->text(), QStringLiteral("Programm beenden"));
    EXPECT_TRUE(QFileInfo::exists(s.path(QStringLiteral("Vardolin_size.txt"))));
    EXPECT_TRUE(s.messages.empty());
    EXPECT_EQ(s.settings.Bildgroesse, QStringLiteral("001")) << "putting settings in fires no event";
}

TEST(HauptFensterStart, EnglishInAnyCaseAndStoredChoices)
{
    Session s;
    s.settings.Sprache = QStringLiteral("gb");
    s.settings.Bildgroesse = QStringLiteral("005");
    s.settings.Bildqualitaet = QStringLiteral("11");
    s.settings.AusgabeOrdner = QStringLiteral("4");
    s.settings.DateiDatum = QStringLiteral("2");
    s.settings.CBZielUeberschreiben = QStringLiteral("1");
    s.settings.CBZielVerzPlus = QStringLiteral("1");
    s.settings.ZielVerz = s.folder();
    MainWindow& w = s.open();
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Quit"));
    EXPECT_EQ(w.controlAs<QGroupBox>(16)->title(), QStringLiteral("Timestamp"));
    EXPECT_EQ(w.menuItem(0)->text(), QStringLiteral("Exit"));
    EXPECT_EQ(w.controlAs<QComboBox>(1)->currentText(), QStringLiteral("5-800,600"));
    EXPECT_EQ(w.controlAs<QComboBox>(2)->currentText(), QStringLiteral("11-beste Qualität"));
    EXPECT_TRUE(w.controlAs<QRadioButton>(8)->isChecked());
    EXPECT_TRUE(w.controlAs<QRadioButton>(18)->isChecked());
    EXPECT_TRUE(w.controlAs<QCheckBox>(29)->isChecked());
    EXPECT_TRUE(w.controlAs<QCheckBox>(30)->isChecked());
    EXPECT_EQ(w.controlAs<FolderTree>(11)->text(), s.folder());
}

TEST(HauptFensterStart, OutOfRangeStoredChoicesSelectNothing)
{
    Session s;
    s.settings.Bildgroesse = QStringLiteral("000");
    s.settings.Bildqualitaet = QStringLiteral("12");
    s.settings.AusgabeOrdner = QStringLiteral("7");
    s.settings.DateiDatum = QStringLiteral("x");
    MainWindow& w = s.open();
    EXPECT_EQ(w.controlAs<QComboBox>(1)->currentIndex(), -1);
    EXPECT_EQ(w.controlAs<QComboBox>(2)->currentIndex(), -1);
    for (int option : {7, 8, 9, 10, 17, 18})
        EXPECT_FALSE(w.controlAs<QRadioButton>(option)->isChecked()) << option;
    s.session.reset();
    s.settings.Bildgroesse = QStringLiteral("011");
    MainWindow& again = s.open();
    EXPECT_EQ(again.controlAs<QComboBox>(1)->currentIndex(), -1) << "one past the ten entries";
}

TEST(EventTable, ChoicesWriteTheirSettingsFields)
{
    Session s;
    MainWindow& w = s.open();
    w.show();
    Settings& st = s.settings;
    choose(w, 1, 4);
    EXPECT_EQ(st.Bildgroesse, QStringLiteral("005"));
    choose(w, 2, 10);
    EXPECT_EQ(st.Bildqualitaet, QStringLiteral("11"));
    choose(w, 2, 0);
    EXPECT_EQ(st.Bildqualitaet, QStringLiteral("01"));
    const std::pair<int, const char*> modes[] = {{9, "2"}, {10, "3"}, {8, "4"}, {7, "1"}};
    for (const auto& [option, mode] : modes) {
        click(w.controlAs<QRadioButton>(option));
        EXPECT_EQ(st.AusgabeOrdner, QString::fromLatin1(mode)) << option;
    }
    click(w.controlAs<QRadioButton>(18));
    EXPECT_EQ(st.DateiDatum, QStringLiteral("2"));
    click(w.controlAs<QRadioButton>(17));
    EXPECT_EQ(st.DateiDatum, QStringLiteral("1"));
    click(w.controlAs<QCheckBox>(29));
    EXPECT_EQ(st.CBZielUeberschreiben, QStringLiteral("1"));
    click(w.controlAs<QCheckBox>(29));
    EXPECT_EQ(st.CBZielUeberschreiben, QStringLiteral("0"));
    click(w.controlAs<QCheckBox>(30));
    EXPECT_EQ(st.CBZielVerzPlus, QStringLiteral("1"));
}

TEST(EventTable, TextFieldsAndTargetTreeWriteTheirSettingsFields)
{
    Session s;
    MainWindow& w = s.open();
    w.show();
    Settings& st = s.settings;
    retype(w, 12, QStringLiteral("klein"));
    retype(w, 13, QStringLiteral("p_"));
    retype(w, 14, QStringLiteral("_s"));
    retype(w, 23, QStringLiteral("ip_"));
    retype(w, 24, QStringLiteral("_is"));
    EXPECT_EQ(st.ZielSubVerz, QStringLiteral("klein"));
    EXPECT_EQ(st.DateiPrefix, QStringLiteral("p_"));
    EXPECT_EQ(st.DateiSuffix, QStringLiteral("_s"));
    EXPECT_EQ(st.ImmerPrefix, QStringLiteral("ip_"));
    EXPECT_EQ(st.ImmerSuffix, QStringLiteral("_is"));
    retype(w, 32, QStringLiteral("neu"));
    retype(w, 12, QString());
    EXPECT_TRUE(st.ZielSubVerz.isEmpty());
    ASSERT_TRUE(QDir(s.dir.path()).mkpath(QStringLiteral("ziel")));
    w.controlAs<FolderTree>(11)->setText(s.path(QStringLiteral("ziel")));
    EXPECT_EQ(st.ZielVerz, s.path(QStringLiteral("ziel")) + QDir::separator());
}

TEST(EventTable, TypingInAPatternFieldScansOnlyAfterAPause)
{
    Session s;
    s.picture(QStringLiteral("a.jpg"));
    s.picture(QStringLiteral("b.png"));
    s.settings.QuellVerz = s.folder();
    MainWindow& w = s.open();
    w.show();
    retype(w, 26, QStringLiteral("*.png"));
    EXPECT_TRUE(w.controlAs<QLineEdit>(28)->text().isEmpty()) << "a keystroke does not scan";
    EXPECT_FALSE(s.events().scans().busy());
    EXPECT_EQ(s.settings.BildDatei, QStringLiteral("*.png"));
    // QTRY_COMPARE would only log a failure outside a QTest run.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.controlAs<QLineEdit>(28)->text() == QStringLiteral("1"); }, 3000));
    EXPECT_EQ(w.statusLine(), QStringLiteral("1 Dateien gefunden !"));
}

TEST(EventTable, ReturnFocusInAndFocusOutScan)
{
    Session s;
    s.picture(QStringLiteral("a.jpg"));
    s.picture(QStringLiteral("NoPic1.jpg"));
    s.settings.QuellVerz = s.folder();
    MainWindow& w = s.open();
    auto* found = w.controlAs<QLineEdit>(28);
    QTest::keyClick(w.controlAs<QLineEdit>(26), Qt::Key_Return);
    s.events().scans().waitForAll();
    EXPECT_EQ(found->text(), QStringLiteral("1")) << "the exclude pattern removes NoPic1.jpg";
    found->clear();
    focusEvent(w.control(34), QEvent::FocusIn);
    s.events().scans().waitForAll();
    EXPECT_EQ(found->text(), QStringLiteral("1"));
    w.controlAs<QLineEdit>(34)->setText(QString());
    focusEvent(w.control(34), QEvent::FocusOut);
    s.events().scans().waitForAll();
    EXPECT_EQ(found->text(), QStringLiteral("2"));
    EXPECT_EQ(s.settings.BildDateiEx, QString());
}

TEST(EventTable, SourceTreeAndSubfolderBoxScanAndFillTheTargetList)
{
    Session s;
    s.picture(QStringLiteral("Fotos/a.jpg"));
    s.picture(QStringLiteral("Fotos/Urlaub/b.jpg"));
    MainWindow& w = s.open();
    w.show();
    w.controlAs<FolderTree>(0)->setText(s.path(QStringLiteral("Fotos")));
    s.events().scans().waitForAll();
    EXPECT_EQ(s.settings.QuellVerz, s.path(QStringLiteral("Fotos")) + QDir::separator());
    EXPECT_EQ(w.controlAs<QLineEdit>(28)->text(), QStringLiteral("1"));
    auto* targets = w.controlAs<QComboBox>(33);
    ASSERT_GE(targets->count(), 2);
    EXPECT_TRUE(targets->itemText(0).isEmpty());
    EXPECT_EQ(targets->itemText(1), QDir::separator() + QStringLiteral("Fotos") + QDir::separator());
    click(w.controlAs<QCheckBox>(20));
    EXPECT_EQ(s.settings.MitUnterordner, QStringLiteral("1"));
    s.events().scans().waitForAll();
    EXPECT_EQ(w.controlAs<QLineEdit>(28)->text(), QStringLiteral("2"));
}

TEST(EventTable, NewerScanSupersedesOlder)
{
    Session s;
    for (int i = 0; i < 30; ++i)
        s.picture(QStringLiteral("tief/%1/x.jpg").arg(i));
    s.settings.QuellVerz = s.folder();
    s.settings.MitUnterordner = QStringLiteral("1");
    MainWindow& w = s.open();
    w.controlAs<QCheckBox>(20)->setChecked(true);
    QTest::keyClick(w.controlAs<QLineEdit>(26), Qt::Key_Return);
    w.controlAs<QLineEdit>(26)->setText(QStringLiteral("*.png"));
    QTest::keyClick(w.controlAs<QLineEdit>(26), Qt::Key_Return);
    s.events().scans().waitForAll();
    EXPECT_EQ(w.controlAs<QLineEdit>(28)->text(), QStringLiteral("0"));
    EXPECT_EQ(w.statusLine(), QStringLiteral("0 Dateien gefunden !"));

    // Both scans ran, so both are in the run log, whole and in the order they
    // started; the older one's count says whether it was cut short.
    QFile file(s.log.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList log = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QList<qsizetype> blocks;
    for (qsizetype line = 0; line < log.size(); ++line)
        if (log[line] == QStringLiteral("Aufrufs_ReadDirLL mit Parameter"))
            blocks.append(line);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(log[blocks[0] + 2], QStringLiteral("   Dateifilter               :*.jpg"));
    EXPECT_TRUE(log[blocks[0] + 6].startsWith(QStringLiteral("   >>Gefunden Anzahl         :"))
                || log[blocks[0] + 6].startsWith(QStringLiteral("   >>Abgebrochen bei Anzahl  :")));
    EXPECT_EQ(log[blocks[0] + 7], QString(80, u'-'));
    EXPECT_EQ(log[blocks[1] + 2], QStringLiteral("   Dateifilter               :*.png"));
    EXPECT_EQ(log[blocks[1] + 6], QStringLiteral("   >>Gefunden Anzahl         :0"));
    EXPECT_EQ(log[blocks[1] + 7], QString(80, u'-'));
}

// The Extra menu shows the stored copy choices and stores what is chosen:
// the switches as "1" and "0", one format of four; the location is offered
// only with the metadata. The texts follow the language.
TEST(EventTable, CopyChoicesOfTheExtraMenu)
{
    Session s;
    s.settings.Extra.OrtBehalten = QStringLiteral("1");
    s.settings.Extra.Kopieformat = QStringLiteral("webp");
    MainWindow& w = s.open();
    EXPECT_EQ(w.menuItem(menu::Metadaten)->text(), QStringLiteral("Metadaten behalten"));
    EXPECT_FALSE(w.menuItem(menu::Metadaten)->isChecked());
    EXPECT_FALSE(w.menuItem(menu::Aufnahmeort)->isEnabled());
    EXPECT_TRUE(w.menuItem(menu::FormatWebp)->isChecked());
    const auto* formats = qobject_cast<QMenu*>(w.menuItem(menu::FormatWebp)->parent());
    ASSERT_NE(formats, nullptr);
    EXPECT_EQ(formats->title(), QStringLiteral("Format der Kopien"));

    w.menuItem(menu::Metadaten)->trigger();
    EXPECT_EQ(s.settings.Extra.MetadatenBehalten, QStringLiteral("1"));
    EXPECT_TRUE(w.menuItem(menu::Aufnahmeort)->isEnabled());
    EXPECT_TRUE(w.menuItem(menu::Aufnahmeort)->isChecked());
    w.menuItem(menu::Aufnahmeort)->trigger();
    EXPECT_EQ(s.settings.Extra.OrtBehalten, QStringLiteral("0"));
    w.menuItem(menu::FormatAvif)->trigger();
    EXPECT_EQ(s.settings.Extra.Kopieformat, QStringLiteral("avif"));
    EXPECT_FALSE(w.menuItem(menu::FormatWebp)->isChecked());
    w.menuItem(menu::JpegOptimieren)->trigger();
    EXPECT_EQ(s.settings.Extra.JpegOptimieren, QStringLiteral("1"));
    EXPECT_TRUE(s.messages.empty());

    Session english;
    english.settings.Sprache = QStringLiteral("GB");
    MainWindow& e = english.open();
    EXPECT_EQ(e.menuItem(menu::Metadaten)->text(), QStringLiteral("Keep metadata"));
    EXPECT_TRUE(e.menuItem(menu::FormatWieQuelle)->isChecked());
}

TEST(EventTable, LanguageMenuStoresAndShowsNoticeInActiveLanguage)
{
    Session s;
    MainWindow& w = s.open();
    w.menuItem(2)->trigger();
    EXPECT_EQ(s.settings.Sprache, QStringLiteral("GB"));
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0].title, QStringLiteral("Vardolin"));
    EXPECT_EQ(s.messages[0].text, QStringLiteral("Bitte starten Sie das Programm neu !"));
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Programm beenden")) << "nothing relabelled";
    EXPECT_EQ(w.menuItem(0)->text(), QStringLiteral("Programm beenden"));
    w.menuItem(1)->trigger();
    EXPECT_EQ(s.settings.Sprache, QStringLiteral("D"));

    Session english;
    english.settings.Sprache = QStringLiteral("GB");
    english.open().menuItem(1)->trigger();
    ASSERT_EQ(english.messages.size(), 1u);
    EXPECT_EQ(english.messages[0].text, QStringLiteral("Please restart the program"));
}

TEST(EventTable, NewFolderButton)
{
    Session s;
    s.settings.ZielVerz = s.folder();
    MainWindow& w = s.open();
    QTest::mouseClick(w.controlAs<QPushButton>(31), Qt::LeftButton);
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0].text, QStringLiteral("Bitte erst neuen Ordner eingeben !"));
    w.controlAs<QLineEdit>(32)->setText(QStringLiteral("Neu"));
    QTest::mouseClick(w.controlAs<QPushButton>(31), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo(s.path(QStringLiteral("Neu"))).isDir());
    EXPECT_TRUE(w.controlAs<QLineEdit>(32)->text().isEmpty());
    EXPECT_EQ(s.messages.size(), 1u);
}

TEST(EventTable, InfoMenuAndCloseBoxWhileItIsOpen)
{
    Session s;
    MainWindow& w = s.open();
    w.show();
    QSignalSpy ends(&s.events(), &EventTable::loopEnds);
    bool infoWasOpen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            infoWasOpen = infoWasOpen || (qobject_cast<InfoWindow*>(top) && top->isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        w.close();
    });
    QTimer::singleShot(5000, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<InfoWindow*>(top))
                top->close();
    });
    w.menuItem(3)->trigger();
    EXPECT_TRUE(infoWasOpen);
    EXPECT_EQ(ends.count(), 0) << "the close box closed the info window only";
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(ends.count(), 0) << "Escape in the main window does nothing";
}
