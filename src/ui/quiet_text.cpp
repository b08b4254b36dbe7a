#include "ui/quiet_text.h"

#include <algorithm>
#include <cmath>

namespace filarion::ui {

namespace {

double channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// The colour `share` of the way (0..1) from `from` to `toward`.
QColor mix(const QColor& from, const QColor& toward, double share) {
    const auto at = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(static_cast<float>(at(from.redF(), toward.redF())),
                            static_cast<float>(at(from.greenF(), toward.greenF())),
                            static_cast<float>(at(from.blueF(), toward.blueF())));
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor quietTextColour(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor placeholder = palette.color(QPalette::Active, QPalette::PlaceholderText);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::Text);
    // A translucent colour is what it looks like over the base. Of the placeholder and the disabled text
    // (some styles make the placeholder the text itself), the quieter one.
    const QColor overBase = mix(base, placeholder, placeholder.alphaF());
    const QColor shown = contrastRatio(disabled, base) < contrastRatio(overBase, base) ? disabled : overBase;
    QColor quiet = shown;
    for (int step = 1; step <= 20 && contrastRatio(quiet, base) < kQuietContrast; ++step) {
        quiet = mix(shown, text, step / 20.0);
    }
    return quiet;
}

} // namespace filarion::ui
