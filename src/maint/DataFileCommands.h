#pragma once

// The main window's file commands of data maintenance: the price CSV of the shown issue, and the
// issue list written to and read from a "*.Lis" file.

class QLabel;
class QLineEdit;
class QListWidget;
struct AppServices;

namespace maint {

// mnudataoutputcsv: the issue in code, with its market and name as the window shows them.
void ExportShownIssueCsv(AppServices &services, QLineEdit *code, QLabel *market, QLabel *name);
// mnuMeiListOutput.
void WriteIssueListFile(AppServices &services, QListWidget *list);
// mnuMeiListInput: the list is replaced by the registered issues of the chosen file.
void ReadIssueListFile(AppServices &services, QListWidget *list);

} // namespace maint
