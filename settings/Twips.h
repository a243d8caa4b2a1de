#pragma once

// Lengths of the windows' designs are in twips (1/1440 inch): 15 twips to a pixel at 96 dpi.
// Converted with the screen's logical dpi so that windows keep their proportions.
int TwipsToPixels(int twips, double dpi);
int PixelsToTwips(int pixels, double dpi);
