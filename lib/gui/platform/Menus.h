// Popup menus: a tree of items with names, captions, enabled and checked state, a bitmap and a
// click handler. Showing a menu goes through a replaceable service so tests can pick items.
#pragma once

#include "Classes.h"

#include <QImage>
#include <memory>
#include <vector>

class QWidget;

class TMenuItem : public TComponent {
  public:
    using TComponent::TComponent;
    QString Caption;
    bool Enabled = true;
    bool Checked = false;
    bool Visible = true;
    QImage Bitmap;
    TNotifyEvent OnClick;

    // Adds a child item that this item owns and returns it.
    TMenuItem* Add(const QString& Name, const QString& Caption, TNotifyEvent OnClick = nullptr);
    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const { return FItems.at(std::size_t(Index)).get(); }
    // Searches the whole subtree by Name.
    TMenuItem* Find(const QString& Name) const;
    // Runs the click handler of an enabled item.
    void Click();
    bool IsSeparator() const { return Caption == QStringLiteral("-"); }

  private:
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

class TPopupMenu : public TComponent {
  public:
    using TComponent::TComponent;
    TMenuItem* Items() { return &FItems; }
    TNotifyEvent OnPopup;
    // Shows the menu at screen position (X, Y); the chosen item's OnClick runs.
    void Popup(int X, int Y);

  private:
    TMenuItem FItems;
};

class TPopupService {
  public:
    virtual ~TPopupService() = default;
    // Shows the menu and returns the item chosen (nullptr when none was).
    virtual TMenuItem* Show(TPopupMenu& Menu, int X, int Y) = 0;
};

// Installs a service (nullptr restores the toolkit's menus); the caller keeps ownership.
void SetPopupService(TPopupService* Service);
