// Drives a shown table editor with Qt Test as a user would: clicks on cells, typing into
// whatever has the keyboard focus, and keys.
#pragma once

#include "ZEV_valgrid.h"

#include <QApplication>
#include <QTest>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

struct TValgridDriver {
    TValgrid G;
    TValgridDriver(int Width = 520, int Height = 300)
    {
        G.resize(Width, Height);
        G.show();
        QApplication::setActiveWindow(&G);
        G.setFocus();
        QApplication::processEvents();
    }
    QPoint CellCenter(int ACol, int ARow) const
    {
        const TRect r = G.CellRect(ACol, ARow);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    // Grid coordinates.
    void Click(int ACol, int ARow, Qt::MouseButton Button = Qt::LeftButton)
    {
        QTest::mouseClick(&G, Button, {}, CellCenter(ACol, ARow));
    }
    // After a popup menu closed: the window manager gives the window back its activation, which
    // the offscreen platform leaves to the test.
    void BackFromPopup()
    {
        QApplication::setActiveWindow(&G);
        QApplication::processEvents();
    }
    QWidget* Focus() { return QApplication::focusWidget() ? QApplication::focusWidget() : &G; }
    void Type(const QString& Text)
    {
        for (QChar c : Text) QTest::keyClick(Focus(), c.toLatin1());
    }
    void Key(Qt::Key K, Qt::KeyboardModifiers M = {}) { QTest::keyClick(Focus(), K, M); }
    // Types Text into grid cell (ACol, ARow) and ends with Enter.
    void Enter(int ACol, int ARow, const QString& Text)
    {
        G.SetSelection({ACol, ARow, ACol, ARow});
        G.setFocus();
        Type(Text);
        Key(Qt::Key_Return);
    }
};
