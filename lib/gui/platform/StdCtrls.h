// Standard controls the toolkit offers in another shape: the radio group (a captioned box of
// radio buttons in columns with one ItemIndex and a click event).
#pragma once

#include "Classes.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class TRadioGroup : public QGroupBox, public TComponent {
  public:
    explicit TRadioGroup(QWidget* Parent = nullptr);
    void SetItems(const QStringList& Items);
    const QStringList& Items() const { return FItems; }
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    int ItemIndex() const { return FButtons.checkedId(); }
    // Checks item Value (-1 clears); a change of item fires OnClick as a user's click does.
    void SetItemIndex(int Value);
    // Caption of the checked item, empty when none is.
    QString SelectedText() const;
    QAbstractButton* Button(int Index) const { return FButtons.button(Index); }
    TNotifyEvent OnClick;

  private:
    void Rebuild();
    void UpdateTabStop();
    QStringList FItems;
    int FColumns = 1;
    QButtonGroup FButtons;
};
