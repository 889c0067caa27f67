// The menu bar: one function per menu, so that a menu is added by writing its
// function and calling it from BuildMenuBar.
#pragma once

class QMenu;
class QMenuBar;

namespace xray::gui {

class Workbench;

void BuildMenuBar(QMenuBar& bar, Workbench& w);

QMenu* BuildFileMenu(QMenuBar& bar, Workbench& w);
QMenu* BuildEditMenu(QMenuBar& bar, Workbench& w);
QMenu* BuildBeamMenu(QMenuBar& bar, Workbench& w);
QMenu* BuildHelpMenu(QMenuBar& bar, Workbench& w);

}  // namespace xray::gui
