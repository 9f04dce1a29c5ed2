#pragma once

namespace ui {
class CommandTable;
}

// The split events window in the edit menu of the main window.
void registerSplitsCommands(ui::CommandTable &table);
