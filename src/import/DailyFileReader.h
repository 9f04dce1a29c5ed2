#pragma once

// A daily file read and parsed without the database, so that the next file can be read on a
// second core while the rows of the one before it are stored. Nothing here throws: what would end
// the run travels with the file and is raised when the file's turn comes.

#include "base/TextFile.h"
#include "import/InputRecords.h"

#include <QString>

#include <optional>
#include <vector>

namespace importer {

// One record line (a line that is not blank) in file order.
struct ParsedDailyLine
{
    int lineNumber = 0; // 1-based
    LineKind kind = LineKind::Skipped;
    DailyRecord record; // kind Record; its name is a view into the file's text
    QString why; // kind Skipped
};

struct ParsedDailyFile
{
    QString fileName;
    bool readable = false;
    QString why; // why the file cannot be read, or why its header is refused
    TextFile::DecodedText text;
    std::optional<DailyHeader> header;
    int recordLineCount = 0; // every line after the header that is not blank
    // The record lines up to the header's count; a line the run cannot go past ends the list, and
    // error then holds its description.
    std::vector<ParsedDailyLine> lines;
    std::optional<QString> error;
};

ParsedDailyFile readDailyFile(const QString &path);
// The same for a file's decoded text (file.fileName, file.readable and file.text are set).
void parseDailyFile(ParsedDailyFile &file);

} // namespace importer
