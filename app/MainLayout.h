#pragma once

#include "settings/Twips.h"

#include <QRect>

// Where the main window's controls go for a window of a given outer size. All lengths are
// in twips (1/1440 inch; 15 twips to a pixel at 96 dpi).
struct MainLayout {
    int width = 0; // the window size after the minimum is applied
    int height = 0;
    QRect list;        // lstMain
    int labelLeft = 0; // lblBouton
    int labelTop = 0;
    int buttonsTop = 0; // every cmdBouton
};

inline constexpr int kMainMinWidth = 8595;
inline constexpr int kMainMinHeight = 5820;

MainLayout ComputeMainLayout(int widthTwips, int heightTwips);
