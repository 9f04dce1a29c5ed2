#pragma once

namespace ui {
class CommandTable;
}

// The chart menu, the price and issue editing and the list commands of the main window.
void registerChartCommands(ui::CommandTable &table);
