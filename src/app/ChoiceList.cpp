#include "app/ChoiceList.h"

#include "app/PlainToolTip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolTip>

#include <algorithm>

namespace vardolin::app {

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent) {}

int ChoiceList::widestItem() const
{
    int widest = 0;
    for (int row = 0; row < count(); ++row)
        widest =
            std::max(widest, view()->sizeHintForIndex(model()->index(row, modelColumn(), rootModelIndex())).width());
    return widest;
}

// Some styles open the list only as wide as the closed box, and cut what is longer.
void ChoiceList::showPopup()
{
    QAbstractItemView* list = view();
    int width = widestItem() + 2 * list->frameWidth();
    if (count() > maxVisibleItems())
        width += list->verticalScrollBar()->sizeHint().width();
    if (const QScreen* shown = screen())
        width = std::min(width, shown->availableGeometry().width());
    list->setMinimumWidth(width);
    QComboBox::showPopup();
}

QString ChoiceList::shownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return option.currentText;
}

// The label is drawn one pixel in from either side of the edit field.
void ChoiceList::initStyleOption(QStyleOptionComboBox* option) const
{
    QComboBox::initStyleOption(option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, option, QStyle::SC_ComboBoxEditField, this);
    option->currentText = fontMetrics().elidedText(option->currentText, Qt::ElideRight, field.width() - 2);
}

bool ChoiceList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (shownText() != currentText())
            QToolTip::showText(help->globalPos(), plainToolTip(currentText()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QComboBox::event(event);
}

} // namespace vardolin::app
