#pragma once

class QWidget;
struct AppServices;

namespace ui {
class CommandTable;
}

// The stock-information menu and buttons of the main window.
void registerInfoCommands(ui::CommandTable &table);

// The registration download the import window asks for before it converts price files: the
// download window in its BeforeConversion mode over parent. The program hands it to the import
// window as AppServices::downloadRegistration.
void downloadRegistrationBeforeConversion(AppServices &services, QWidget *parent);
