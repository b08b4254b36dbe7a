#pragma once

#include <QRect>
#include <QtMath>

namespace filarion::ui {

// A rectangle of the window layout in twips (1/1440 inch).
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// Maps twips to pixels for the logical dpi of a screen: pixels = twips x dpi / 1440, rounded. Each edge is
// mapped on its own, so controls that line up in twips line up in pixels too.
class TwipsScale {
public:
    TwipsScale(qreal dpiX, qreal dpiY) : m_dpiX(dpiX), m_dpiY(dpiY) {}

    int x(int twips) const { return qRound(twips * m_dpiX / 1440.0); }
    int y(int twips) const { return qRound(twips * m_dpiY / 1440.0); }

    QRect rect(const TwipsRect& r) const {
        const int left = x(r.left);
        const int top = y(r.top);
        return {left, top, x(r.left + r.width) - left, y(r.top + r.height) - top};
    }

private:
    qreal m_dpiX;
    qreal m_dpiY;
};

} // namespace filarion::ui
