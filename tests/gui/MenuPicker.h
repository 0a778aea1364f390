// Drives the toolkit's real popup menus from a test: while a menu runs its own event loop, a
// timer picks the next caption of a path (opening submenus on the way) with the keyboard, as a
// user would. An empty caption closes the open menu with Escape. A caption that is missing or
// disabled is recorded and the menu closed, so a test never hangs on a menu.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>

class TMenuPicker {
  public:
    explicit TMenuPicker(QStringList Path) : FPath(std::move(Path))
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
        FTimer.start();
    }
    // Captions that could not be chosen, in order.
    QStringList Refused;
    // Called with each menu when it is first seen, before anything is chosen in it.
    std::function<void(QMenu&)> OnShown;
    bool Done() const { return FPath.isEmpty(); }

  private:
    void Tick()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        if (FPath.isEmpty()) return Close(*menu);
        if (menu != FLastSeen && OnShown) OnShown(*menu);
        FLastSeen = menu;
        const QString caption = FPath.takeFirst();
        if (caption.isEmpty()) return Close(*menu);
        for (QAction* a : menu->actions())
            if (a->text() == caption && a->isEnabled()) {
                menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        Refused << caption;
        FPath.clear();
        Close(*menu);
    }
    static void Close(QMenu& Menu) { QTest::keyClick(&Menu, Qt::Key_Escape); }

    QStringList FPath;
    QTimer FTimer;
    QMenu* FLastSeen = nullptr;
};
