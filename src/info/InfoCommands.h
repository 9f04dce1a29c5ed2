#pragma once

namespace ui {
class CommandTable;
}

// The stock-information menu and buttons of the main window.
void registerInfoCommands(ui::CommandTable &table);
