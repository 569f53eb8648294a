// A list view whose cells are cut to their column shows the whole text of a
// cut cell as its tooltip, and no tooltip over a cell that shows it whole.
#pragma once

class QAbstractItemView;

namespace krav::app {

void ShowTipsForCutTexts(QAbstractItemView* view);

}  // namespace krav::app
