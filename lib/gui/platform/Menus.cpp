#include "Menus.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <map>

TMenuItem* TMenuItem::Add(const QString& Name, const QString& Caption, TNotifyEvent OnClick)
{
    auto item = std::make_unique<TMenuItem>(this);
    item->SetName(Name);
    item->Caption = Caption;
    item->OnClick = std::move(OnClick);
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

TMenuItem* TMenuItem::Find(const QString& Name) const
{
    for (const auto& item : FItems) {
        if (item->Name() == Name) return item.get();
        if (TMenuItem* found = item->Find(Name)) return found;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (Enabled) FireEvent(OnClick, this);
}

namespace {
void AddToQMenu(QMenu& menu, const TMenuItem& parent, std::map<QAction*, TMenuItem*>& actions)
{
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible) continue;
        if (item->IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        QString text = item->Caption;
        if (item->Count() > 0) {
            QMenu* sub = menu.addMenu(text);
            sub->setEnabled(item->Enabled);
            AddToQMenu(*sub, *item, actions);
            continue;
        }
        QAction* action = menu.addAction(text);
        action->setEnabled(item->Enabled);
        action->setCheckable(item->Checked);
        action->setChecked(item->Checked);
        if (!item->Bitmap.isNull()) action->setIcon(QPixmap::fromImage(item->Bitmap));
        actions[action] = item;
    }
}

class TToolkitPopups : public TPopupService {
  public:
    TMenuItem* Show(TPopupMenu& Menu, int X, int Y) override
    {
        QMenu menu;
        std::map<QAction*, TMenuItem*> actions;
        AddToQMenu(menu, *Menu.Items(), actions);
        QAction* chosen = menu.exec(QPoint(X, Y));
        auto it = actions.find(chosen);
        return it == actions.end() ? nullptr : it->second;
    }
};

TPopupService* current = nullptr;

TPopupService& Popups()
{
    static TToolkitPopups toolkit;
    return current ? *current : toolkit;
}
} // namespace

void SetPopupService(TPopupService* Service)
{
    current = Service;
}

void TPopupMenu::Popup(int X, int Y)
{
    FireEvent(OnPopup, this);
    if (TMenuItem* chosen = Popups().Show(*this, X, Y)) chosen->Click();
}
