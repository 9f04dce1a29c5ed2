#include "import/ImportCommon.h"

#include "base/Currency.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace importer {

namespace {
constexpr int ShownPlaces = 3;
constexpr int NameLength = 20;
} // namespace

void SkipReport::add(const QString &file, int line, const QString &reason)
{
    m_lines.push_back({file, line, reason});
}

QString SkipReport::message() const
{
    if (m_lines.empty())
        return {};
    QStringList places;
    for (size_t i = 0; i < m_lines.size() && i < size_t(ShownPlaces); ++i) {
        const SkippedLine &s = m_lines[i];
        if (s.line > 0)
            places.append(QStringLiteral("%1 の %2 行目（%3）").arg(s.file).arg(s.line).arg(s.reason));
        else
            places.append(QStringLiteral("%1（%2）").arg(s.file, s.reason));
    }
    QString text = QStringLiteral("読み込めない行が %1 行ありました（%2").arg(count()).arg(places.join(QStringLiteral("、")));
    if (m_lines.size() > size_t(ShownPlaces))
        text += QStringLiteral(" …");
    text += QStringLiteral("）。");
    return text;
}

void SkipReport::showThrough(Prompt &prompt) const
{
    if (!m_lines.empty())
        prompt.inform(message(), QStringLiteral("読込み"), PromptIcon::Warning);
}

InputError::InputError(const QString &description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

void PercentLabel::update(double count, double total)
{
    if (total <= 0)
        return;
    const double rounded = Rounding::nearest(count / total * 100.0);
    const qint64 whole = qint64(rounded);
    if (whole % 5 != 0)
        return;
    show(whole == 0 ? QString() : QString::number(whole));
}

void PercentLabel::show(const QString &text)
{
    if (m_last && *m_last == text)
        return;
    m_last = text;
    m_progress.setPercent(text);
    if (m_alsoCaption)
        m_progress.setCaption(text + QLatin1Char('%'));
}

QString folderPath(const QString &setting)
{
    QString p = Settings::folderPath(setting.trimmed());
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString fileIn(const QString &folderSetting, const QString &name)
{
    const QString folder = folderPath(folderSetting);
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString pathIgnoringCase(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString found = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString exact = found.isEmpty() ? part : QDir(found).filePath(part);
        if (QFileInfo::exists(exact)) {
            found = exact;
            continue;
        }
        const QDir parent(found.isEmpty() ? QStringLiteral(".") : found);
        QString match;
        for (const QString &entry : parent.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        if (match.isEmpty())
            return path;
        found = found.isEmpty() ? match : parent.filePath(match);
    }
    return found;
}

FolderFiles::FolderFiles(const QString &folderSetting)
    : m_folder(pathIgnoringCase(folderPath(folderSetting)))
{
    const QDir dir(m_folder.isEmpty() ? QStringLiteral(".") : m_folder);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        m_byFoldedName.insert(entry.toCaseFolded(), entry);
}

QString FolderFiles::find(const QString &name) const
{
    QString exact = m_folder.isEmpty() ? name : m_folder + QLatin1Char('/') + name;
    if (QFileInfo(exact).isFile())
        return exact;
    const auto it = m_byFoldedName.constFind(name.toCaseFolded());
    if (it == m_byFoldedName.constEnd())
        return QString();
    return m_folder.isEmpty() ? *it : m_folder + QLatin1Char('/') + *it;
}

bool readTextLines(const QString &path, TextFile::DecodedText &text, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (why)
            *why = file.errorString();
        return false;
    }
    text = TextFile::decodeLines(bytes);
    return true;
}

bool readTextLines(const QString &path, QStringList &lines, QString *why)
{
    TextFile::DecodedText text;
    if (!readTextLines(path, text, why))
        return false;
    lines = std::move(text.lines);
    return true;
}

QString undecodableReason()
{
    return QStringLiteral("文字コードが Shift_JIS でも UTF-8 でもありません");
}

QString recordCountMismatch(qint64 announced, qint64 found)
{
    return QStringLiteral("見出しの件数は %1 件ですが、記録は %2 行です").arg(announced).arg(found);
}

QStringList cutFields(const QString &line, int count)
{
    QStringList fields;
    qsizetype start = 0;
    while (fields.size() + 1 < count) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        fields.append(line.mid(start, comma - start).trimmed());
        start = comma + 1;
    }
    fields.append(line.mid(start).trimmed());
    return fields;
}

int cutFieldViews(QStringView line, int count, QStringView *out)
{
    int n = 0;
    qsizetype start = 0;
    while (n + 1 < count) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        out[n++] = line.mid(start, comma - start).trimmed();
        start = comma + 1;
    }
    out[n++] = line.mid(start).trimmed();
    return n;
}

std::optional<qint64> wholeNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok)
        return n;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 9.0e18)
        return std::nullopt;
    return qint64(Rounding::nearest(d));
}

qint32 safeLong(QStringView text)
{
    const auto n = wholeNumber(text);
    if (!n || *n > std::numeric_limits<qint32>::max() || *n < std::numeric_limits<qint32>::min())
        return 0;
    return qint32(*n);
}

QString fitName(const QString &name)
{
    return name.size() > NameLength ? name.left(NameLength) : name;
}

QString dailyFileName(const QDate &date)
{
    return QStringLiteral("Ds") + date.toString(QStringLiteral("yyyyMM")) + QLatin1Char('.') + date.toString(QStringLiteral("dd"));
}

QString marginFileName(const QDate &date)
{
    return QStringLiteral("Ys") + date.toString(QStringLiteral("yyyyMM")) + QLatin1Char('.') + date.toString(QStringLiteral("dd"));
}

QString baseName(const QString &path)
{
    return QFileInfo(path).fileName();
}

FileWrites::FileWrites(db::Database &database)
    : m_database(database)
{
    m_database.executeRaw(QStringLiteral("SAVEPOINT import_file"));
}

FileWrites::~FileWrites()
{
    if (!m_open)
        return;
    try {
        m_database.executeRaw(QStringLiteral("ROLLBACK TO import_file; RELEASE import_file"));
    } catch (const db::DbError &) {
        // The error that brought us here is the one the user sees.
    }
}

void FileWrites::release()
{
    m_database.executeRaw(QStringLiteral("RELEASE import_file"));
    m_open = false;
}

IssueCodes readIssueCodes(db::Database &database)
{
    IssueCodes issues;
    issues.total = int(database.scalar(QStringLiteral("select Count(コード) as wcount from mei ;")).toLongLong());
    db::Recordset mei = database.openRecordset(QStringLiteral("select コード from mei order by コード ;"));
    for (; !mei.eof(); mei.moveNext())
        issues.codes.push_back(mei.toLong(QStringLiteral("コード")));
    return issues;
}

void setChangeFromPrevious(PriceRecord &row, std::optional<qint64> previousReference, bool noTrade)
{
    if (!previousReference) {
        row.change = 0;
        row.reference = row.close;
    } else if (noTrade) {
        row.change = 0;
        row.reference = *previousReference;
    } else {
        row.change = *previousReference == 0 ? 0 : row.close - *previousReference;
        row.reference = row.close;
    }
}

void setPriceFields(db::Recordset &rs, const PriceRecord &row)
{
    rs.setValue(QStringLiteral("コード"), row.code);
    rs.setValue(QStringLiteral("日付"), row.date);
    rs.setValue(QStringLiteral("始値"), row.open);
    rs.setValue(QStringLiteral("高値"), row.high);
    rs.setValue(QStringLiteral("安値"), row.low);
    rs.setValue(QStringLiteral("終値"), row.close);
    rs.setValue(QStringLiteral("前日比"), row.change);
    rs.setValue(QStringLiteral("出来高"), QVariant::fromValue(row.volume));
    rs.setValue(QStringLiteral("基準前日比"), row.reference);
}

} // namespace importer
