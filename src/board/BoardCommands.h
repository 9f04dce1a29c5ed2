#pragma once

namespace ui {
class CommandTable;
}

// The price-board menu and buttons of the main window, and the dial-up questions.
void registerBoardCommands(ui::CommandTable &table);
