#include "app/Settings.h"

#include "app/MainModule.h"
#include "app/Ports.h"
#include "app/TextFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

constexpr int MaxValueLength = 1023;
const QByteArray Utf8Bom("\xEF\xBB\xBF");

// One line of the file as it lies on disk: its bytes without the line end, and the line end.
struct RawLine
{
    QByteArray bytes;
    QByteArray end; // "\r\n", "\n", "\r" or "" for a last line without an end
};

struct ProfileFile
{
    bool utf8 = false; // a UTF-8 byte order mark: the whole file is UTF-8 and stays so
    std::vector<RawLine> lines;
};

ProfileFile splitRaw(const QByteArray &all)
{
    ProfileFile file;
    qsizetype start = 0;
    if (all.startsWith(Utf8Bom)) {
        file.utf8 = true;
        start = Utf8Bom.size();
    }
    const qsizetype n = all.size();
    qsizetype i = start;
    while (i < n) {
        const char c = all.at(i);
        if (c == '\r' || c == '\n') {
            RawLine line;
            line.bytes = all.mid(start, i - start);
            if (c == '\r' && i + 1 < n && all.at(i + 1) == '\n') {
                line.end = QByteArrayLiteral("\r\n");
                ++i;
            } else {
                line.end = QByteArray(1, c);
            }
            file.lines.push_back(std::move(line));
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        file.lines.push_back({all.mid(start), QByteArray()});
    return file;
}

QString decodeLine(const ProfileFile &file, const QByteArray &bytes)
{
    if (file.utf8)
        return QString::fromUtf8(bytes);
    return TextFile::decode(bytes);
}

QByteArray encodeLine(const ProfileFile &file, const QString &text)
{
    if (file.utf8)
        return text.toUtf8();
    return TextFile::encode(text);
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
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char(';'));
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
    if (v.size() > MaxValueLength)
        v.truncate(MaxValueLength);
    return v;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where the section and the key lie in the file; -1 when absent.
struct Location
{
    int sectionLine = -1;
    int lastLineOfSection = -1; // last non-blank line of the section (the header when it is empty)
    int keyLine = -1;
};

Location locate(const ProfileFile &file, const QString &section, const QString &key)
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < int(file.lines.size()); ++i) {
        const QString text = decodeLine(file, file.lines[size_t(i)].bytes);
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

bool readRaw(const QString &path, QByteArray *out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return true;
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

QString cINI::GetLineINI() const
{
    QByteArray all;
    if (!readRaw(cstrPath, &all))
        return QString();
    const ProfileFile file = splitRaw(all);
    const Location loc = locate(file, cstrSection, cstrkey);
    if (loc.keyLine < 0)
        return QString();
    return valueOf(decodeLine(file, file.lines[size_t(loc.keyLine)].bytes));
}

bool cINI::WriteIni() const
{
    QByteArray all;
    const bool existed = QFile::exists(cstrPath);
    if (existed && !readRaw(cstrPath, &all))
        return false;
    ProfileFile file = splitRaw(all);
    // New lines take the line end the file already uses (CR LF for a new file).
    QByteArray newEnd = QByteArrayLiteral("\r\n");
    for (const RawLine &l : file.lines) {
        if (!l.end.isEmpty()) {
            newEnd = l.end;
            break;
        }
    }
    const QString value = lineSafe(cstrData);
    const Location loc = locate(file, cstrSection, cstrkey);
    if (loc.keyLine >= 0) {
        // Keep everything up to and including "=" as it was; replace only the value.
        RawLine &line = file.lines[size_t(loc.keyLine)];
        const QString text = decodeLine(file, line.bytes);
        const QString head = text.left(text.indexOf(QLatin1Char('=')) + 1);
        line.bytes = encodeLine(file, head + value);
    } else {
        const RawLine keyLine{encodeLine(file, cstrkey + QLatin1Char('=') + value), newEnd};
        if (loc.sectionLine >= 0) {
            const size_t at = size_t(loc.lastLineOfSection);
            if (file.lines[at].end.isEmpty())
                file.lines[at].end = newEnd;
            file.lines.insert(file.lines.begin() + qsizetype(at) + 1, keyLine);
        } else {
            if (!file.lines.empty() && file.lines.back().end.isEmpty())
                file.lines.back().end = newEnd;
            file.lines.push_back({encodeLine(file, QLatin1Char('[') + cstrSection + QLatin1Char(']')), newEnd});
            file.lines.push_back(keyLine);
        }
    }
    QByteArray out;
    if (file.utf8)
        out += Utf8Bom;
    for (const RawLine &l : file.lines) {
        out += l.bytes;
        out += l.end;
    }
    QSaveFile save(cstrPath);
    if (!save.open(QIODevice::WriteOnly))
        return false;
    if (save.write(out) != out.size())
        return false;
    return save.commit();
}

namespace Settings {

namespace {

const QString SectionName = QStringLiteral("Miravel");

cINI iniOf(const QString &key)
{
    cINI ini;
    ini.cstrSection = SectionName;
    ini.cstrPath = MainModule::IniPath;
    ini.cstrkey = key;
    return ini;
}

QString plainNumber(double v)
{
    return QString::number(v, 'g', 7);
}

// Reads a number as the settings file has always been read: blanks around are allowed, a fraction
// rounds to the nearest whole number (ties to even) for integer keys.
bool parseNumber(const QString &text, double *out)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

QString notNumberMessage(const QString &key, const QString &text)
{
    return QStringLiteral("設定 %1 の値 '%2' を数値に変換できません。").arg(key, text);
}

QString outOfRangeMessage(const QString &key, const QString &text)
{
    return QStringLiteral("設定 %1 の値 '%2' は範囲外です。").arg(key, text);
}

// One key's loader: converts and stores, or leaves the variable and gives the description.
struct Loader
{
    QString key;
    std::function<bool(const QString &text, QString *error)> load;
};

Loader int16Key(const char *key, std::int16_t *target)
{
    const QString name = QString::fromLatin1(key);
    return {name, [name, target](const QString &text, QString *error) {
                double v = 0;
                if (!parseNumber(text, &v)) {
                    *error = notNumberMessage(name, text);
                    return false;
                }
                v = Rounding::nearest(v);
                if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
                    *error = outOfRangeMessage(name, text);
                    return false;
                }
                *target = std::int16_t(v);
                return true;
            }};
}

Loader textKey(const char *key, QString *target, bool folder)
{
    const QString name = QString::fromLatin1(key);
    return {name, [target, folder](const QString &text, QString *) {
                *target = text;
                if (folder && !target->isEmpty() && !target->endsWith(QLatin1Char('\\')))
                    target->append(QLatin1Char('\\'));
                return true;
            }};
}

std::vector<Loader> loaders()
{
    using namespace MainModule;
    std::vector<Loader> list;
    list.push_back(int16Key("ScreenMode", &ScreenMode));
    list.push_back({QStringLiteral("slidechart"), [](const QString &text, QString *error) {
                        double v = 0;
                        if (!parseNumber(text, &v)) {
                            *error = notNumberMessage(QStringLiteral("slidechart"), text);
                            return false;
                        }
                        if (std::fabs(v) > double(std::numeric_limits<float>::max())) {
                            *error = outOfRangeMessage(QStringLiteral("slidechart"), text);
                            return false;
                        }
                        slidechart = float(v);
                        return true;
                    }});
    list.push_back(int16Key("move1", &move1));
    list.push_back(int16Key("move2", &move2));
    list.push_back(int16Key("move3", &move3));
    list.push_back(int16Key("SaicoL", &SaicoL));
    list.push_back(int16Key("RSIVR", &RSIVR));
    list.push_back(textKey("DURL", &DURL, false));
    list.push_back(textKey("hibiPath", &hibiPath, true));
    list.push_back(textKey("sinyoPath", &sinyoPath, true));
    list.push_back(textKey("MURL", &MURL, false));
    list.push_back(int16Key("RDel", &RDel));
    list.push_back({QStringLiteral("SonPa"), [](const QString &text, QString *error) {
                        bool ok = false;
                        const Currency c = Currency::fromText(text, &ok);
                        if (!ok) {
                            *error = notNumberMessage(QStringLiteral("SonPa"), text);
                            return false;
                        }
                        SonPa = c;
                        return true;
                    }});
    list.push_back(int16Key("MakeSyu", &MakeSyu));
    list.push_back(textKey("ReadSinyo", &ReadSinyo, false));
    list.push_back(int16Key("DelJyoho", &DelJyoho));
    list.push_back(int16Key("ALLITORSO", &ALLITORSO));
    list.push_back(int16Key("ITORSO", &ITORSO));
    return list;
}

} // namespace

QStringList mainKeys()
{
    return {QStringLiteral("ScreenMode"), QStringLiteral("slidechart"), QStringLiteral("move1"),
            QStringLiteral("move2"),      QStringLiteral("move3"),      QStringLiteral("SaicoL"),
            QStringLiteral("RSIVR"),      QStringLiteral("DURL"),       QStringLiteral("MURL"),
            QStringLiteral("RDel"),       QStringLiteral("SonPa"),      QStringLiteral("hibiPath"),
            QStringLiteral("sinyoPath"),  QStringLiteral("MakeSyu"),    QStringLiteral("ReadSinyo"),
            QStringLiteral("DelJyoho"),   QStringLiteral("ALLITORSO"),  QStringLiteral("ITORSO")};
}

QString defaultServerAddress()
{
    return QStringLiteral("miravel.example.jp/kabu/");
}

QStringList defaultValues()
{
    return {QStringLiteral("1"),  QStringLiteral("1"),  QStringLiteral("5"),
            QStringLiteral("15"), QStringLiteral("30"), QStringLiteral("12"),
            QStringLiteral("12"), defaultServerAddress(), defaultServerAddress(),
            QStringLiteral("0"),  QStringLiteral("4"),  MainModule::ProgramFolder + QStringLiteral("\\Data\\"),
            QString(),            QStringLiteral("1"),  QStringLiteral("しない"),
            QStringLiteral("30"), QStringLiteral("1"),  QStringLiteral("1")};
}

bool WriteSettings(const QStringList &values, bool writeFilterKeys)
{
    const QStringList keys = mainKeys();
    if (values.size() != keys.size())
        return false;
    if (!QFile::exists(MainModule::IniPath)) {
        QFile f(MainModule::IniPath);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    cINI ini = iniOf(QString());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        ini.cstrkey = keys[i];
        ini.cstrData = values[i];
        if (!ini.WriteIni())
            return false;
    }
    if (writeFilterKeys) {
        for (const char *key : {"FilterGaku", "FilterDekidaka"}) {
            ini.cstrkey = QString::fromLatin1(key);
            ini.cstrData = QString();
            if (!ini.WriteIni())
                return false;
        }
    }
    return true;
}

bool ReadSettings(Prompt *prompt)
{
    cINI ini = iniOf(QString());
    for (const Loader &loader : loaders()) {
        ini.cstrkey = loader.key;
        const QString text = ini.GetLineINI();
        QString error;
        if (!loader.load(text, &error)) {
            if (prompt)
                prompt->inform(error, QStringLiteral("ミラベル"), PromptIcon::Critical);
            return false;
        }
    }
    return true;
}

QStringList currentValues()
{
    using namespace MainModule;
    return {QString::number(ScreenMode), plainNumber(double(slidechart)), QString::number(move1),
            QString::number(move2),      QString::number(move3),          QString::number(SaicoL),
            QString::number(RSIVR),      DURL,                            MURL,
            QString::number(RDel),       SonPa.toString(),                hibiPath,
            sinyoPath,                   QString::number(MakeSyu),        ReadSinyo,
            QString::number(DelJyoho),   QString::number(ALLITORSO),      QString::number(ITORSO)};
}

QString BrowseForFolder(Prompt &prompt, const QString &currentFolder, const QString &title)
{
    const QString chosen = prompt.pickFolder(title, currentFolder);
    if (chosen.isEmpty())
        return currentFolder;
    return QDir::toNativeSeparators(chosen);
}

QString folderPath(const QString &text)
{
    QString path = text;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString settingsValue(const QString &key)
{
    cINI ini = iniOf(key);
    return ini.GetLineINI();
}

bool writeSettingsValue(const QString &key, const QString &value)
{
    cINI ini = iniOf(key);
    ini.cstrData = value;
    return ini.WriteIni();
}

} // namespace Settings
