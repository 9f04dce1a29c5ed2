#pragma once

// Small routines many windows share: null-safe value reading, the daily/weekly switch, opening a
// web page through the shell, and the market code of a position in the daily price files.

#include <QString>
#include <QVariant>

#include <cstdint>

class Shell;

// Reads a value that may be null. kind 0 (a number): the value as a 32-bit integer when it is
// numeric, else 0. kind "" (a text): "" when the value is null or empty, else the value itself.
// Any other kind: an empty (invalid) value.
QVariant SafeValue(const QVariant &value, const QVariant &kind);
// The two kinds typed: SafeValue(value, 0) and SafeValue(value, "").
qint32 SafeLong(const QVariant &value);
QString SafeText(const QVariant &value);

// A field a message echoes, cut to a readable length (a 5 MB line must not become a 5 MB message).
QString echoedText(QStringView field);

// "daydata" for 1, "weekdata" for 2, "" for anything else.
QString PriceTableOf(int mode);

// Switches PeriodMode between 1 and 2 and sets PriceTableName. Returns the caption the main
// window's mnuchartdayandweek takes now: "日チャートを表示" after switching to weekly,
// "週チャートを表示" after switching to daily (empty when PeriodMode was neither).
QString ToggleDayWeek();

// The window caption made to end in "(日)" (mode 1) or "(週)" (mode 2): appended when the caption
// does not end in ")", else its last three characters are replaced. Other modes: unchanged.
QString PeriodCaptionText(const QString &caption, int mode);
// "週　足　チャートへ" for mode 1, "日　足　チャートへ" for mode 2, a null text for other modes.
QString PeriodButtonText(int mode);

// Opens a file or an address with its associated program; nothing is reported when the shell
// fails, and an empty text does nothing.
class cShellFile final
{
public:
    explicit cShellFile(Shell &shell)
        : m_shell(shell) { }
    void ShellFile(const QString &pathOrAddress);

private:
    Shell &m_shell;
};

// Opens "http://" + address in the default browser, then lets pending events run.
void OpenWebPage(Shell &shell, const QString &address);

// The market code (Shijyo) of a market's position 0..5 in the daily price files; 0 otherwise.
std::int16_t MarketCodeOfIndex(int position);
// The inverse: the daily files' market position of a Shijyo code, -1 for a code without one.
int MarketIndexOfCode(int marketCode);
