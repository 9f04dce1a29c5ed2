#pragma once

// What an import tells the user about its input: lines passed over (collected and reported once
// after the run) and the field that ends a run.

#include "base/Ports.h"

#include <QString>

#include <stdexcept>
#include <vector>

namespace importer {

// An input line or file that was passed over, by file name and 1-based line number (0: whole file).
struct SkippedLine
{
    QString file;
    int line = 0;
    QString reason;
};

// Collects skipped lines during a run and tells the user about them once afterwards.
class SkipReport final
{
public:
    void add(const QString &file, int line, const QString &reason);
    // Forgets the lines after the first count (their writes were taken back).
    void keepFirst(int count);
    bool isEmpty() const { return m_lines.empty(); }
    int count() const { return int(m_lines.size()); }
    const std::vector<SkippedLine> &lines() const { return m_lines; }
    // One message naming the count and the first few places; empty when nothing was skipped.
    QString message() const;
    // Shows message() through the prompt when anything was skipped.
    void showThrough(Prompt &prompt) const;

private:
    std::vector<SkippedLine> m_lines;
};

// A field of an input file that does not convert where the run has to end. The description names
// the file, the line and the offending text.
class InputError final : public std::runtime_error
{
public:
    explicit InputError(const QString &description);
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// Why a file whose number of record lines differs from the count in its header is refused whole
// (a file cut short is not the whole of its data): "見出しの件数は 757 件ですが、記録は 454 行です".
QString recordCountMismatch(qint64 announced, qint64 found);

} // namespace importer
