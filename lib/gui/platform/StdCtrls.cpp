#include "StdCtrls.h"

#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* Parent) : QGroupBox(Parent)
{
    FButtons.setExclusive(true);
    QObject::connect(&FButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        UpdateTabStop();
        if (checked) FireEvent(OnClick, this);
    });
}

void TRadioGroup::SetItems(const QStringList& Items)
{
    FItems = Items;
    Rebuild();
}

void TRadioGroup::SetColumns(int Value)
{
    FColumns = std::max(1, Value);
    Rebuild();
}

void TRadioGroup::SetItemIndex(int Value)
{
    if (Value < 0 || Value >= FItems.size()) {
        if (QAbstractButton* checked = FButtons.checkedButton()) {
            FButtons.setExclusive(false);
            checked->setChecked(false);
            FButtons.setExclusive(true);
        }
        return;
    }
    FButtons.button(Value)->setChecked(true);
}

QString TRadioGroup::SelectedText() const
{
    const int index = ItemIndex();
    return index >= 0 && index < FItems.size() ? FItems.at(index) : QString();
}

void TRadioGroup::Rebuild()
{
    const int checked = ItemIndex();
    for (QAbstractButton* b : FButtons.buttons()) {
        FButtons.removeButton(b);
        delete b;
    }
    delete layout();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setSpacing(0);
    const int rows = (int(FItems.size()) + FColumns - 1) / FColumns;
    for (int i = 0; i < FItems.size(); ++i) {
        auto* button = new QRadioButton(FItems.at(i), this);
        FButtons.addButton(button, i);
        // Items fill the columns top to bottom, then left to right.
        grid->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    }
    {
        const QSignalBlocker quiet(&FButtons);
        if (checked >= 0 && checked < FItems.size()) FButtons.button(checked)->setChecked(true);
    }
    UpdateTabStop();
}

void TRadioGroup::UpdateTabStop()
{
    // The group is one tab stop, its checked item (the first when none is); arrow keys move
    // between the items.
    QAbstractButton* stop = FButtons.checkedButton();
    if (!stop && !FButtons.buttons().isEmpty()) stop = FButtons.button(0);
    for (QAbstractButton* b : FButtons.buttons())
        b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
}
