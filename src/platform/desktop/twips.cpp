#include "platform/desktop/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace ziq {

double twipsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int twipsToPixels(double twips) {
    return int(std::lround(twips / twipsPerPixel()));
}

double pixelsToTwips(int pixels) {
    return pixels * twipsPerPixel();
}

QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

void placeInTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(twipsRect(left, top, width, height));
}

} // namespace ziq
