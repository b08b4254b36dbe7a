#include "ui/window_layout.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace filarion::ui {

// The tab bar's place as the style lays it out in the tab strip, worked out before the strip is first shown.
// A bar fits where its captions end above the frames (the frames may cover the bar's lower padding, as under
// Fusion); where they do not, the frames move down by all the bar needs, so that its tabs show whole.
int tabBarExcess(const QTabWidget& tabs, const TwipsScale& scale) {
    const QTabBar& bar = *tabs.tabBar();
    QStyleOptionTabWidgetFrame option;
    option.initFrom(&tabs);
    option.rect = QRect(QPoint(0, 0), scale.rect(layout::kTabFunction).size());
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = bar.sizeHint();
    option.lineWidth = tabs.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &tabs);
    const QRect place = tabs.style()->subElementRect(QStyle::SE_TabWidgetTabBar, &option, &tabs);
    const int room = scale.y(layout::kFrame.top) - scale.y(layout::kTabFunction.top);
    const int captionBottom = place.top() + (place.height() + bar.fontMetrics().height()) / 2;
    return captionBottom <= room ? 0 : std::max(0, place.bottom() + 1 - room);
}

QRect shiftedRect(const TwipsScale& scale, const TwipsRect& twips, TabBarShift shift, int excess) {
    QRect rect = scale.rect(twips);
    switch (shift) {
    case TabBarShift::Stay:
        break;
    case TabBarShift::Move:
        rect.translate(0, excess);
        break;
    case TabBarShift::Grow:
        rect.setHeight(rect.height() + excess);
        break;
    }
    return rect;
}

} // namespace filarion::ui
