#pragma once

// Shared pieces of the command-line tool: the program folder, a terminal prompt and progress.

#include "base/Ports.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace batch {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitError = 1;
constexpr int ExitUsage = 2;

struct Context
{
    QString programFolder; // --folder DIR, else MIRAVEL_HOME, else the folder rule of ProgramLocation
};

using CommandFunction = int (*)(Context &context, const QStringList &arguments);

struct Command
{
    QString name;
    QString usage; // one line, after "miravel-batch [--folder DIR] "
    QString summary; // Japanese or English one-liner for --help
    CommandFunction run;
};

// Writes a line to stdout / stderr in UTF-8.
void out(const QString &line);
void err(const QString &line);

// Points MainModule at the folder and loads its settings; false (with the message on stderr) when
// the folder has no database of this program.
bool openProgramFolder(const Context &context);

// Reads a date given as YYYY-MM-DD or YY/MM/DD; invalid when neither.
QDate parseDateArgument(const QString &text);

// A prompt for the terminal: messages go to stderr; questions are answered Yes (the command line
// is the user's confirmation).
class TerminalPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &text, const QString &title, PromptIcon icon) override;
    void inform(const QString &text, const QString &title, PromptIcon icon) override;
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &currentFolder) override { return currentFolder; }
    QStringList messages;
};

// Progress on stderr: a bar with the phase text when stderr is a terminal, nothing otherwise.
class TerminalProgress final : public Progress
{
public:
    TerminalProgress();
    ~TerminalProgress() override;
    void setPhase(const QString &text) override;
    void setPercent(const QString &text) override;

private:
    void redraw();
    bool m_tty;
    QString m_phase;
    QString m_percent;
};

// Commands contributed by the subsystems.
std::vector<Command> initCommands();
std::vector<Command> importCommands();
std::vector<Command> chartCommands();
std::vector<Command> boardCommands();
std::vector<Command> publishCommands();
std::vector<Command> infoCommands();
std::vector<Command> ledgerCommands();
std::vector<Command> maintenanceCommands();
std::vector<Command> splitsCommands();

} // namespace batch
