#include "base/IniFile.h"

#include "base/TextFile.h"

#include <QDir>
#include <QFile>

namespace {

constexpr int MaxValueLength = 1023;
const QByteArray Utf8Bom("\xEF\xBB\xBF");

QString decodeLine(bool utf8, const QByteArray &bytes)
{
    return utf8 ? QString::fromUtf8(bytes) : TextFile::decode(bytes);
}

QByteArray encodeLine(bool utf8, const QString &text)
{
    return utf8 ? text.toUtf8() : TextFile::encode(text);
}

// "[name]" with blanks around: the section name, else a null text.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool isComment(const QString &line)
{
    return line.trimmed().startsWith(QLatin1Char(';'));
}

// key=value: the trimmed key, else a null text.
QString keyOf(const QString &line)
{
    if (isComment(line))
        return QString();
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return QString();
    return line.left(eq).trimmed();
}

QString valueOf(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    QString v = line.mid(eq + 1);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0)
        v.truncate(nul);
    v = v.trimmed();
    // Windows' profile functions drop one pair of double quotes around a value; users' files have them.
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    if (v.size() > MaxValueLength)
        v.truncate(MaxValueLength);
    return v;
}

bool fitsCodePage(const QString &text)
{
    return TextFile::decode(TextFile::encode(text)) == text;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value fit for one line: cut at a NUL or a line break, at most 1023 characters.
QString lineSafe(const QString &value)
{
    QString v = value;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v.at(i);
        if (c == QChar(0) || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            v.truncate(i);
            break;
        }
    }
    if (v.size() > MaxValueLength)
        v.truncate(MaxValueLength);
    return v;
}

} // namespace

// Where the section and the key lie in the file; -1 when absent.
struct ProfileFile::Location
{
    int sectionLine = -1;
    int lastLineOfSection = -1; // last non-blank line of the section (the header when it is empty)
    int keyLine = -1;
};

bool ProfileFile::read(const QString &path, ProfileFile *file, QString *error)
{
    *file = ProfileFile();
    if (!QFile::exists(path))
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("設定ファイル %1 を読み込めません。").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QByteArray all = f.readAll();
    qsizetype start = 0;
    if (all.startsWith(Utf8Bom)) {
        file->m_utf8 = true;
        start = Utf8Bom.size();
    }
    const qsizetype n = all.size();
    for (qsizetype i = start; i < n; ++i) {
        const char c = all.at(i);
        if (c != '\r' && c != '\n')
            continue;
        Line line;
        line.bytes = all.mid(start, i - start);
        if (c == '\r' && i + 1 < n && all.at(i + 1) == '\n') {
            line.end = QByteArrayLiteral("\r\n");
            ++i;
        } else {
            line.end = QByteArray(1, c);
        }
        line.text = decodeLine(file->m_utf8, line.bytes);
        file->m_lines.push_back(std::move(line));
        start = i + 1;
    }
    if (start < n)
        file->m_lines.push_back({all.mid(start), QByteArray(), decodeLine(file->m_utf8, all.mid(start))});
    return true;
}

ProfileFile::Location ProfileFile::locate(const QString &section, const QString &key) const
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const QString &text = m_lines[size_t(i)].text;
        const QString name = sectionName(text);
        if (!name.isNull()) {
            if (inSection)
                break; // only the first section of that name counts
            if (sameName(name, section)) {
                inSection = true;
                loc.sectionLine = i;
                loc.lastLineOfSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!text.trimmed().isEmpty())
            loc.lastLineOfSection = i;
        if (loc.keyLine < 0) {
            const QString k = keyOf(text);
            if (!k.isNull() && sameName(k, key))
                loc.keyLine = i;
        }
    }
    return loc;
}

QString ProfileFile::value(const QString &section, const QString &key) const
{
    const Location loc = locate(section, key);
    return loc.keyLine < 0 ? QString() : valueOf(m_lines[size_t(loc.keyLine)].text);
}

void ProfileFile::setValue(const QString &section, const QString &key, const QString &data)
{
    // New lines take the line end the file already uses (CR LF for a new file).
    QByteArray newEnd = QByteArrayLiteral("\r\n");
    for (const Line &l : m_lines) {
        if (!l.end.isEmpty()) {
            newEnd = l.end;
            break;
        }
    }
    const QString value = lineSafe(data);
    if (!m_utf8 && !fitsCodePage(value + key + section)) {
        // Code page 932 cannot hold the value ("/home/josé", "데이터"): the file becomes UTF-8 with a
        // byte order mark, which the reader takes, instead of losing characters to "?".
        for (Line &line : m_lines)
            line.bytes = line.text.toUtf8();
        m_utf8 = true;
    }
    const auto makeLine = [&](const QString &text, const QByteArray &end) { return Line{encodeLine(m_utf8, text), end, text}; };
    const Location loc = locate(section, key);
    if (loc.keyLine >= 0) {
        // Keep everything up to and including "=" as it was; replace only the value.
        Line &line = m_lines[size_t(loc.keyLine)];
        line = makeLine(line.text.left(line.text.indexOf(QLatin1Char('=')) + 1) + value, line.end);
        return;
    }
    const Line keyLine = makeLine(key + QLatin1Char('=') + value, newEnd);
    if (loc.sectionLine >= 0) {
        const size_t at = size_t(loc.lastLineOfSection);
        if (m_lines[at].end.isEmpty())
            m_lines[at].end = newEnd;
        m_lines.insert(m_lines.begin() + qsizetype(at) + 1, keyLine);
        return;
    }
    if (!m_lines.empty() && m_lines.back().end.isEmpty())
        m_lines.back().end = newEnd;
    m_lines.push_back(makeLine(QLatin1Char('[') + section + QLatin1Char(']'), newEnd));
    m_lines.push_back(keyLine);
}

QByteArray ProfileFile::bytes() const
{
    QByteArray out;
    if (m_utf8)
        out += Utf8Bom;
    for (const Line &l : m_lines) {
        out += l.bytes;
        out += l.end;
    }
    return out;
}

bool ProfileFile::write(const QString &path, QString *error) const
{
    return TextFile::writeBytes(path, bytes(), error);
}

QString cINI::GetLineINI() const
{
    ProfileFile file;
    return ProfileFile::read(cstrPath, &file) ? file.value(cstrSection, cstrkey) : QString();
}

bool cINI::WriteIni(QString *error) const
{
    ProfileFile file;
    if (!ProfileFile::read(cstrPath, &file, error))
        return false;
    file.setValue(cstrSection, cstrkey, cstrData);
    return file.write(cstrPath, error);
}
