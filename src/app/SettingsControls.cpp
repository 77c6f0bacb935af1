#include "app/SettingsControls.h"

#include "app/FolderTree.h"
#include "app/MainWindow.h"
#include "util/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace vardolin::app {

using enum ControlKind;

const Control* settingsControl(int control)
{
    if (control < 0 || control >= controlCount || !hasSetting(controlTable[control]))
        return nullptr;
    return &controlTable[control];
}

QString controlValue(const MainWindow& window, const Control& row)
{
    switch (row.kind) {
    case Tree: return window.controlAs<FolderTree>(row.number)->text();
    case List: {
        const int index = window.controlAs<QComboBox>(row.number)->currentIndex();
        return util::padLeft(QString::number(index + 1), row.setting.digits, u'0');
    }
    case TextField:
    case PatternField: return window.controlAs<QLineEdit>(row.number)->text();
    case Option: return QString::fromUtf16(row.setting.optionValue);
    case CheckBox: return window.controlAs<QCheckBox>(row.number)->isChecked() ? u"1"_s : u"0"_s;
    case Label:
    case Frame:
    case ReadOnlyField:
    case Button: break; // no settings field
    }
    return {};
}

void showSetting(MainWindow& window, const Control& row, const Settings& settings)
{
    const QString& value = settings.*row.setting.field;
    switch (row.kind) {
    case Tree: window.controlAs<FolderTree>(row.number)->setText(value); break;
    case List: {
        auto* list = window.controlAs<QComboBox>(row.number);
        const qint64 index = util::integerValue(value) - 1;
        list->setCurrentIndex(index >= 0 && index < list->count() ? int(index) : -1);
        break;
    }
    case TextField:
    case PatternField: window.controlAs<QLineEdit>(row.number)->setText(value); break;
    case Option:
        if (value == QStringView(row.setting.optionValue))
            window.controlAs<QRadioButton>(row.number)->setChecked(true);
        break;
    case CheckBox: window.controlAs<QCheckBox>(row.number)->setChecked(util::integerValue(value) != 0); break;
    case Label:
    case Frame:
    case ReadOnlyField:
    case Button: break; // no settings field
    }
}

} // namespace vardolin::app
