#pragma once

#include "ui/twips.h"

#include <QRect>

class QTabWidget;

namespace filarion::ui {

// The main window's layout in twips, relative to the client area.
namespace layout {
constexpr TwipsRect kClient{0, 0, 7455, 5010};
constexpr TwipsRect kDriTrim{120, 120, 2175, 315};
constexpr TwipsRect kDirTrim{120, 480, 2115, 1215};
constexpr TwipsRect kFilTrim{120, 1740, 2115, 2430};
constexpr TwipsRect kComPostfix{120, 4320, 2115, 315};
constexpr TwipsRect kTabFunction{2325, 90, 2535, 3630};
constexpr TwipsRect kFrame{2400, 420, 2370, 3195};
constexpr TwipsRect kCmdTrim{2520, 3840, 2145, 345};
constexpr TwipsRect kCmdExit{3630, 4260, 1035, 345};
constexpr TwipsRect kTxtHelp{4920, 120, 2415, 4470};
constexpr TwipsRect kProCourse{120, 4680, 7215, 210};
} // namespace layout

// How a control takes a style's taller tab bar: the frames and what lies under them move down by the extra
// height, the lists and boxes beside them grow by it, and the controls above them stay.
enum class TabBarShift { Stay, Move, Grow };

// The pixels a style's tab bar needs beyond the room the layout leaves it above the frames: 0 where it fits
// (Fusion, Windows), else what the frames must move down so that they cut no tab.
int tabBarExcess(const QTabWidget& tabs, const TwipsScale& scale);

// A control's place for that excess.
QRect shiftedRect(const TwipsScale& scale, const TwipsRect& twips, TabBarShift shift, int excess);

} // namespace filarion::ui
