#pragma once
// A drop-down list to pick from. Its open list is as wide as its longest item
// in every style, so no item is cut; the closed box, whose width the window
// fixes, shortens a longer choice with "…" and shows it whole as its tooltip.

#include <QComboBox>

namespace vardolin::app {

class ChoiceList : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

    void showPopup() override;
    // The chosen item as the closed box shows it.
    QString shownText() const;

protected:
    void initStyleOption(QStyleOptionComboBox* option) const override;
    bool event(QEvent* event) override;

private:
    int widestItem() const;
};

} // namespace vardolin::app
