#pragma once

#include <QRect>

class QWidget;

namespace ziq {

// Screen geometry in twips (1/1440 inch): 15 twips a pixel at 96 dots per inch.
double twipsPerPixel();
int twipsToPixels(double twips);
double pixelsToTwips(int pixels);
QRect twipsRect(int left, int top, int width, int height);
// Places a control by its designed twips geometry.
void placeInTwips(QWidget& widget, int left, int top, int width, int height);

} // namespace ziq
