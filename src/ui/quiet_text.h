#pragma once

#include <QColor>
#include <QPalette>

namespace filarion::ui {

// The contrast ratio of two colours as WCAG defines it: 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The colour of text that steps back (rows that will not change) for a palette: the quieter of its placeholder
// and its disabled text, drawn nearer to its text colour where that is needed for a contrast of at least
// kQuietContrast with the base, in light themes and in dark ones alike.
inline constexpr double kQuietContrast = 4.5;
QColor quietTextColour(const QPalette& palette);

} // namespace filarion::ui
