#pragma once

// The main window's information and download commands, and the first-start sequence.

class frmMain;
struct AppServices;

namespace info {

// Connects "株式情報表示" (Ctrl+J), "株式情報取得", "情報銘柄検索" (Ctrl+K), the registration and price
// downloads and their toolbar buttons.
void ConnectMainWindowCommands(frmMain &main, AppServices &services);

// On the first activation after the database was made: loads the shipped kinds, shows frmFarstMsg
// and tells the user to import prices.
void RunFirstStart(frmMain &main, AppServices &services);

} // namespace info
