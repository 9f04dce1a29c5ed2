#include "base/Settings.h"

#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>
#include <variant>
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

// Where the section and the key lie in the file; -1 when absent.
struct Location
{
    int sectionLine = -1;
    int lastLineOfSection = -1; // last non-blank line of the section (the header when it is empty)
    int keyLine = -1;
};

std::vector<QString> decodedLines(const ProfileFile &file)
{
    std::vector<QString> texts;
    texts.reserve(file.lines.size());
    for (const RawLine &line : file.lines)
        texts.push_back(decodeLine(file, line.bytes));
    return texts;
}

Location locate(const std::vector<QString> &texts, const QString &section, const QString &key)
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < int(texts.size()); ++i) {
        const QString &text = texts[size_t(i)];
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

// The decoded lines of a profile file; none when it cannot be read.
std::vector<QString> readDecoded(const QString &path)
{
    QByteArray all;
    if (!readRaw(path, &all))
        return {};
    return decodedLines(splitRaw(all));
}

QString valueIn(const std::vector<QString> &texts, const QString &section, const QString &key)
{
    const Location loc = locate(texts, section, key);
    return loc.keyLine < 0 ? QString() : valueOf(texts[size_t(loc.keyLine)]);
}

} // namespace

QString cINI::GetLineINI() const
{
    return valueIn(readDecoded(cstrPath), cstrSection, cstrkey);
}

namespace {

// The file as it lies on disk, or no lines when it is missing. False when it cannot be read.
bool readProfile(const QString &path, ProfileFile *file, QString *error)
{
    QByteArray all;
    if (QFile::exists(path) && !readRaw(path, &all)) {
        if (error)
            *error = QStringLiteral("設定ファイル %1 を読み込めません。").arg(QDir::toNativeSeparators(path));
        return false;
    }
    *file = splitRaw(all);
    return true;
}

// Sets the value of key in section as WriteIni describes, in the lines in memory.
void setValue(ProfileFile &file, const QString &section, const QString &key, const QString &data)
{
    // New lines take the line end the file already uses (CR LF for a new file).
    QByteArray newEnd = QByteArrayLiteral("\r\n");
    for (const RawLine &l : file.lines) {
        if (!l.end.isEmpty()) {
            newEnd = l.end;
            break;
        }
    }
    const QString value = lineSafe(data);
    if (!file.utf8 && !fitsCodePage(value + key + section)) {
        // Code page 932 cannot hold the value ("/home/josé", "데이터"): the file becomes UTF-8 with a
        // byte order mark, which the reader takes, instead of losing characters to "?".
        for (RawLine &line : file.lines)
            line.bytes = TextFile::decode(line.bytes).toUtf8();
        file.utf8 = true;
    }
    const Location loc = locate(decodedLines(file), section, key);
    if (loc.keyLine >= 0) {
        // Keep everything up to and including "=" as it was; replace only the value.
        RawLine &line = file.lines[size_t(loc.keyLine)];
        const QString text = decodeLine(file, line.bytes);
        const QString head = text.left(text.indexOf(QLatin1Char('=')) + 1);
        line.bytes = encodeLine(file, head + value);
    } else {
        const RawLine keyLine{encodeLine(file, key + QLatin1Char('=') + value), newEnd};
        if (loc.sectionLine >= 0) {
            const size_t at = size_t(loc.lastLineOfSection);
            if (file.lines[at].end.isEmpty())
                file.lines[at].end = newEnd;
            file.lines.insert(file.lines.begin() + qsizetype(at) + 1, keyLine);
        } else {
            if (!file.lines.empty() && file.lines.back().end.isEmpty())
                file.lines.back().end = newEnd;
            file.lines.push_back({encodeLine(file, QLatin1Char('[') + section + QLatin1Char(']')), newEnd});
            file.lines.push_back(keyLine);
        }
    }
}

QByteArray bytesOf(const ProfileFile &file)
{
    QByteArray out;
    if (file.utf8)
        out += Utf8Bom;
    for (const RawLine &l : file.lines) {
        out += l.bytes;
        out += l.end;
    }
    return out;
}

} // namespace

bool cINI::WriteIni(QString *error) const
{
    ProfileFile file;
    if (!readProfile(cstrPath, &file, error))
        return false;
    setValue(file, cstrSection, cstrkey, cstrData);
    return TextFile::writeBytes(cstrPath, bytesOf(file), error);
}

namespace Settings {

namespace {

// A function, not a constant: the table may be built while other files' statics start.
QString mainSection()
{
    return QStringLiteral("Miravel");
}

cINI iniOf(const QString &section, const QString &key)
{
    cINI ini;
    ini.cstrSection = section;
    ini.cstrPath = MainModule::IniPath;
    ini.cstrkey = key;
    return ini;
}

// Reads a number as the settings file has always been read: blanks around are allowed.
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
    return QStringLiteral("設定 %1 の値 '%2' を数値に変換できません。").arg(key, echoedText(text));
}

QString outOfRangeMessage(const QString &key, const QString &text)
{
    return QStringLiteral("設定 %1 の値 '%2' は範囲外です。").arg(key, echoedText(text));
}

// Converts text into the key's variable, or leaves it and gives the description.
bool load(const SettingKey &setting, const QString &text, QString *error)
{
    struct Loader
    {
        const SettingKey &setting;
        const QString &text;
        QString *error;

        bool number(double *v) const
        {
            if (parseNumber(text, v))
                return true;
            *error = notNumberMessage(setting.key, text);
            return false;
        }
        bool operator()(std::monostate) const { return true; }
        bool operator()(std::int16_t *target) const
        {
            double v = 0;
            if (!number(&v))
                return false;
            // A fraction rounds to the nearest whole number, ties to even.
            v = Rounding::nearest(v);
            if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
                *error = outOfRangeMessage(setting.key, text);
                return false;
            }
            *target = std::int16_t(v);
            return true;
        }
        bool operator()(float *target) const
        {
            double v = 0;
            if (!number(&v))
                return false;
            if (std::fabs(v) > double(std::numeric_limits<float>::max())) {
                *error = outOfRangeMessage(setting.key, text);
                return false;
            }
            *target = float(v);
            return true;
        }
        bool operator()(QString *target) const
        {
            *target = text;
            return true;
        }
        bool operator()(FolderText target) const
        {
            // A folder always ends in "\"; an empty one means "not set" and stays empty.
            *target.text = text;
            if (!text.isEmpty() && !text.endsWith(QLatin1Char('\\')))
                target.text->append(QLatin1Char('\\'));
            return true;
        }
        bool operator()(Currency *target) const
        {
            bool ok = false;
            const Currency c = Currency::fromText(text, &ok);
            if (!ok) {
                *error = notNumberMessage(setting.key, text);
                return false;
            }
            *target = c;
            return true;
        }
    };
    return std::visit(Loader{setting, text, error}, setting.variable);
}

QString textOf(const SettingVariable &variable)
{
    struct Text
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const std::int16_t *v) const { return QString::number(*v); }
        QString operator()(const float *v) const { return QString::number(double(*v), 'g', 7); }
        QString operator()(const QString *v) const { return *v; }
        QString operator()(FolderText v) const { return *v.text; }
        QString operator()(const Currency *v) const { return v->toString(); }
    };
    return std::visit(Text{}, variable);
}

bool isMainKey(const SettingKey &setting)
{
    return !std::holds_alternative<std::monostate>(setting.variable);
}

std::vector<const SettingKey *> mainSettings()
{
    std::vector<const SettingKey *> list;
    for (const SettingKey &s : table())
        if (isMainKey(s))
            list.push_back(&s);
    return list;
}

} // namespace

const std::vector<SettingKey> &table()
{
    using namespace MainModule;
    const QString m = mainSection();
    const QString server = defaultServerAddress();
    // File order. A key with a variable is a main key: written by WriteSettings, loaded by
    // ReadSettings in readOrder, shown by the option window. One without belongs to a window that
    // reads and writes it itself; a new file gets it empty.
    //   section, key, variable, initial value, value in a new file, readOrder
    static const std::vector<SettingKey> keys = {
        {m, QStringLiteral("ScreenMode"), &ScreenMode, QStringLiteral("1"), QStringLiteral("1"), 1},
        {m, QStringLiteral("slidechart"), &slidechart, QStringLiteral("1"), QStringLiteral("1"), 2},
        {m, QStringLiteral("move1"), &move1, QStringLiteral("5"), QStringLiteral("5"), 3},
        {m, QStringLiteral("move2"), &move2, QStringLiteral("15"), QStringLiteral("15"), 4},
        {m, QStringLiteral("move3"), &move3, QStringLiteral("30"), QStringLiteral("30"), 5},
        {m, QStringLiteral("SaicoL"), &SaicoL, QStringLiteral("12"), QStringLiteral("12"), 6},
        {m, QStringLiteral("RSIVR"), &RSIVR, QStringLiteral("12"), QStringLiteral("12"), 7},
        {m, QStringLiteral("DURL"), &DURL, QString(), server, 8},
        {m, QStringLiteral("MURL"), &MURL, QString(), server, 11},
        {m, QStringLiteral("RDel"), &RDel, QStringLiteral("0"), QStringLiteral("0"), 12},
        {m, QStringLiteral("SonPa"), &SonPa, QStringLiteral("4"), QStringLiteral("4"), 13},
        {m, QStringLiteral("hibiPath"), FolderText{&hibiPath}, QString(), QStringLiteral("\\Data\\"), 9},
        {m, QStringLiteral("sinyoPath"), FolderText{&sinyoPath}, QString(), QString(), 10},
        {m, QStringLiteral("MakeSyu"), &MakeSyu, QStringLiteral("1"), QStringLiteral("1"), 14},
        {m, QStringLiteral("ReadSinyo"), &ReadSinyo, QStringLiteral("しない"), QStringLiteral("しない"), 15},
        {m, QStringLiteral("DelJyoho"), &DelJyoho, QStringLiteral("30"), QStringLiteral("30"), 16},
        {m, QStringLiteral("ALLITORSO"), &ALLITORSO, QStringLiteral("1"), QStringLiteral("1"), 17},
        {m, QStringLiteral("ITORSO"), &ITORSO, QStringLiteral("1"), QStringLiteral("1"), 18},
        {m, QStringLiteral("QURL"), &QURL, QString(), defaultQuoteAddress(), 19},
        {m, QStringLiteral("FilterGaku"), {}, QString(), QString(), 0},
        {m, QStringLiteral("FilterDekidaka"), {}, QString(), QString(), 0},
        // The converter's source (a folder, a file or an address template); Convt reads it.
        {QStringLiteral("Convt"), QStringLiteral("Source"), {}, QString(), QString(), 0},
    };
    return keys;
}

QStringList mainKeys()
{
    QStringList keys;
    for (const SettingKey *s : mainSettings())
        keys.append(s->key);
    return keys;
}

QString defaultServerAddress()
{
    return QStringLiteral("miravel.example.jp/kabu/");
}

QString defaultQuoteAddress()
{
    return QStringLiteral("quote.miravel.example.jp");
}

QString quoteAddress()
{
    const QString stored = settingsValue(QStringLiteral("QURL"));
    return stored.isEmpty() ? defaultQuoteAddress() : stored;
}

QString defaultValueOf(const SettingKey &setting)
{
    // A folder default that starts with "\" lies in the program folder.
    if (std::holds_alternative<FolderText>(setting.variable) && setting.firstRun.startsWith(QLatin1Char('\\')))
        return MainModule::ProgramFolder + setting.firstRun;
    return setting.firstRun;
}

QStringList defaultValues()
{
    QStringList values;
    for (const SettingKey *s : mainSettings())
        values.append(defaultValueOf(*s));
    return values;
}

bool WriteSettings(const QStringList &values, bool writeWindowKeys, QString *error)
{
    const std::vector<const SettingKey *> settings = mainSettings();
    if (values.size() != qsizetype(settings.size()))
        return false;
    // Every key in one write: the file holds all the new values or none of them.
    ProfileFile file;
    if (!readProfile(MainModule::IniPath, &file, error))
        return false;
    for (size_t i = 0; i < settings.size(); ++i)
        setValue(file, settings[i]->section, settings[i]->key, values[qsizetype(i)]);
    if (writeWindowKeys) {
        for (const SettingKey &s : table()) {
            if (!isMainKey(s))
                setValue(file, s.section, s.key, s.firstRun);
        }
    }
    return TextFile::writeBytes(MainModule::IniPath, bytesOf(file), error);
}

bool ReadSettings(Prompt *prompt)
{
    std::vector<const SettingKey *> settings = mainSettings();
    std::stable_sort(settings.begin(), settings.end(),
                     [](const SettingKey *a, const SettingKey *b) { return a->readOrder < b->readOrder; });
    // A value that does not convert is put back to its default, in the file too, so that it is
    // reported once and the keys after it still load.
    QStringList repaired;
    std::optional<std::vector<QString>> lines; // the file read once; again after a repair wrote it
    for (const SettingKey *s : settings) {
        cINI ini = iniOf(s->section, s->key);
        if (!lines)
            lines = readDecoded(ini.cstrPath);
        const QString text = valueIn(*lines, ini.cstrSection, ini.cstrkey);
        QString error;
        if (load(*s, text, &error))
            continue;
        ini.cstrData = defaultValueOf(*s);
        QString ignored;
        load(*s, ini.cstrData, &ignored);
        ini.WriteIni();
        lines.reset();
        repaired.append(error);
    }
    if (!repaired.isEmpty() && prompt)
        prompt->inform(repaired.join(QLatin1Char('\n')) + QStringLiteral("\n既定値に戻しました。"), QStringLiteral("ミラベル"),
                       PromptIcon::Warning);
    return repaired.isEmpty();
}

QString conversionError(const QString &key, const QString &text)
{
    for (const SettingKey *s : mainSettings()) {
        if (s->key != key)
            continue;
        // Converted into a scratch variable of the same type; the real one stays as it is. Texts
        // and folders always load.
        std::int16_t whole = 0;
        float real = 0;
        Currency money;
        SettingKey probe = *s;
        if (std::holds_alternative<std::int16_t *>(s->variable))
            probe.variable = &whole;
        else if (std::holds_alternative<float *>(s->variable))
            probe.variable = &real;
        else if (std::holds_alternative<Currency *>(s->variable))
            probe.variable = &money;
        else
            return {};
        QString error;
        return load(probe, text, &error) ? QString() : error;
    }
    return {};
}

bool ensureSettingsFile(QString *error)
{
    const QFileInfo ini(MainModule::IniPath);
    if (ini.isFile())
        return true;
    // A folder of that name is in the way as much as a read-only program folder.
    if (ini.exists()) {
        if (error)
            *error = TextFile::writeFailure(MainModule::IniPath, EISDIR);
        return false;
    }
    return WriteSettings(defaultValues(), true, error);
}

QStringList currentValues()
{
    QStringList values;
    for (const SettingKey *s : mainSettings())
        values.append(textOf(s->variable));
    return values;
}

QString currentValue(const QString &key)
{
    for (const SettingKey *s : mainSettings())
        if (s->key == key)
            return textOf(s->variable);
    return {};
}

void resetVariables()
{
    for (const SettingKey *s : mainSettings()) {
        QString ignored;
        load(*s, s->initial, &ignored);
    }
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
    return iniOf(mainSection(), key).GetLineINI();
}

bool writeSettingsValue(const QString &key, const QString &value, QString *error)
{
    cINI ini = iniOf(mainSection(), key);
    ini.cstrData = value;
    return ini.WriteIni(error);
}

} // namespace Settings
