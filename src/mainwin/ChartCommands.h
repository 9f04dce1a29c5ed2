#pragma once

namespace ui {
class CommandTable;
}

// The main window's own commands: the chart menu (daily or weekly, the slide show), showing the
// selected issue and taking an issue out of the list.
void registerChartCommands(ui::CommandTable &table);
