// A shown game window, driven as a player drives it.
#pragma once

#include "CardPictures.h"
#include "DeckSmall.h"
#include "Platform.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

class GameWindowTest : public ::testing::Test {
protected:
    FrmQuorvaneConcentration& g = *frmQuorvaneConcentration;

    void SetUp() override
    {
        g.Load();
        g.Show();
        QApplication::setActiveWindow(g.window());
    }

    // A click where the cell stands on the board: the widget under that
    // point gets it, as the window system would route it.
    void click(int cell)
    {
        const QRect r(8 + 72 * (cell % 9), 32 + 96 * (cell / 9), 61, 89);
        QWidget* target = g.client()->childAt(r.center());
        if (target)
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(g.client(), r.center()));
    }

    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(g.window(), static_cast<Qt::Key>(k), mods);
    }

    int cellOf(int cardNumber)
    {
        for (int i = 0; i <= 53; ++i)
            if (g.Cards(i) == cardNumber)
                return i;
        return -1;
    }

    vb::StdPicture face(int cardNumber) const { return vb::LoadResPicture(quorvane::pictures::cardResourcePath(cardNumber)); }
    vb::StdPicture back() const { return face(60); }

    QString panel(int i) { return g.StatusBar1->Panels(i).text(); }
    bool saveEnabled() { return g.mnuSaveGame->Enabled(); }
    bool saveButtonEnabled() { return g.Toolbar1->Buttons(3).Enabled(); }

    // One whole turn: two clicks, then the timer's own tick.
    void turn(int firstCell, int secondCell)
    {
        click(firstCell);
        click(secondCell);
        g.Timer1->Tick();
    }

    // Plays the pair of the given pair value (1..26, or 53 for the jokers).
    void playPair(int pairValue)
    {
        const int a = pairValue == 53 ? 53 : pairValue;
        const int b = pairValue == 53 ? 54 : pairValue + 26;
        turn(cellOf(a), cellOf(b));
    }

    // Runs a step from the event loop once the next modal window is open.
    static void whenModal(std::function<void()> step)
    {
        QTimer::singleShot(0, std::move(step));
    }
};
