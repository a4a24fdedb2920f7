// The window's side of the preview player and of segment marking: the clicks
// on the segment list. The player's and the marking commands are the core's,
// in its command table; the player listens to its component and to the
// skin's slider itself.
#include "app/Tfm_main.h"

#include <QTableView>

namespace korvex {

void Tfm_main::connectSegmentList()
{
    SegmentMarker &marker = m_core.marker();
    connect(lv_time, &QTableView::clicked, &marker, [&marker] { marker.lv_timeClick(); });
    connect(lv_time, &QTableView::doubleClicked, &marker, [&marker] { marker.lv_timeDblClick(); });
}

} // namespace korvex
