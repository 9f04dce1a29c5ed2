#include "import/DailyFileReader.h"

#include "import/ImportPaths.h"
#include "import/InputProblems.h"

namespace importer {

ParsedDailyFile readDailyFile(const QString &path)
{
    ParsedDailyFile file;
    file.fileName = baseName(path);
    file.readable = readTextLines(path, file.text, &file.why);
    if (file.readable)
        parseDailyFile(file);
    return file;
}

void parseDailyFile(ParsedDailyFile &file)
{
    const QStringList &lines = file.text.lines;
    if (lines.isEmpty())
        file.why = QStringLiteral("見出し行がありません");
    else if (file.text.isUndecodable(0))
        file.why = undecodableReason();
    else
        file.header = parseDailyHeader(lines.first(), &file.why);
    if (!file.header)
        return;
    file.recordLineCount = dailyRecordLineCount(lines);
    file.lines.reserve(size_t(std::min(file.header->records, file.recordLineCount)));
    int counted = 0;
    for (int i = 1; i < lines.size() && counted < file.header->records; ++i) {
        const QString &line = lines.at(i);
        if (QStringView(line).trimmed().isEmpty())
            continue;
        ++counted;
        ParsedDailyLine parsed;
        parsed.lineNumber = i + 1;
        if (file.text.isUndecodable(i)) {
            parsed.why = undecodableReason();
        } else {
            try {
                parsed.kind = parseDailyRecord(line, file.fileName, parsed.lineNumber, parsed.record, parsed.why);
            } catch (const InputError &e) {
                file.error = e.description();
                break;
            }
        }
        file.lines.push_back(std::move(parsed));
    }
}

} // namespace importer
