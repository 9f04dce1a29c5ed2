#pragma once

namespace ui {
class CommandTable;
}

// The import commands of the main window: prices, margin data, issue registration, the weekly
// build and the change recalculation.
void registerImportCommands(ui::CommandTable &table);
