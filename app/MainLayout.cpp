#include "app/MainLayout.h"

#include <algorithm>

MainLayout ComputeMainLayout(int widthTwips, int heightTwips)
{
    MainLayout layout;
    layout.width = std::max(widthTwips, kMainMinWidth);
    layout.height = std::max(heightTwips, kMainMinHeight);
    layout.list = QRect(120, 120, layout.width - 420, layout.height - 2445);
    layout.labelTop = layout.list.height() + 250;
    layout.labelLeft = 1440;
    layout.buttonsTop = layout.list.height() + 120 + 250;
    return layout;
}
