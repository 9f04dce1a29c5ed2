#pragma once

namespace ui {
class CommandTable;
}

// The maintenance commands of the main window and the compaction offered while it closes.
void registerMaintCommands(ui::CommandTable &table);
