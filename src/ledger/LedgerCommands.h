#pragma once

namespace ui {
class CommandTable;
}

// The trade ledger's button on the main window's toolbar.
void registerLedgerCommands(ui::CommandTable &table);
