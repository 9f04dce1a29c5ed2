#include "db/Schema.h"

#include "base/Ports.h"
#include "db/DatabaseFile.h"

#include <QFile>

namespace db {

namespace {

enum class T
{
    Long,
    Integer,
    Currency,
    Date,
    Boolean,
    Text,
    AutoNumber
};

struct Field
{
    const char16_t *name;
    T type;
    int size = 0;
    bool emptyAllowed = false;
};

struct IndexField
{
    const char16_t *name;
    bool descending = false;
};

struct Index
{
    const char16_t *name;
    std::vector<IndexField> fields;
    bool unique = false; // Primary is always unique
};

struct Table
{
    const char16_t *name;
    std::vector<Field> fields;
    std::vector<Index> indexes;
};

const std::vector<Field> &priceFields()
{
    static const std::vector<Field> f = {
        {u"コード", T::Long},
        {u"日付", T::Date},
        {u"始値", T::Long},
        {u"高値", T::Long},
        {u"安値", T::Long},
        {u"終値", T::Long},
        {u"前日比", T::Long},
        {u"出来高", T::Currency},
        {u"基準前日比", T::Long},
    };
    return f;
}

std::vector<Field> plus(std::vector<Field> a, const std::vector<Field> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Table> &tables()
{
    static const std::vector<Table> t = {
        {u"dayData", priceFields(), {{u"Primary", {{u"コード"}, {u"日付"}}}, {u"日付", {{u"日付"}}}}},
        {u"weekData", plus(priceFields(), {{u"売残", T::Long}, {u"買残", T::Long}}), {{u"Primary", {{u"コード"}, {u"日付"}}}, {u"日付", {{u"日付"}}}}},
        {u"shinyo",
         {{u"コード", T::Long}, {u"日付", T::Date}, {u"売残", T::Long}, {u"買残", T::Long}, {u"単位", T::Long}},
         {{u"Primary", {{u"コード"}, {u"日付"}}}, {u"日付", {{u"日付", true}}}}},
        {u"wrkData", priceFields(), {{u"Primary", {{u"コード"}, {u"日付"}}}, {u"日付", {{u"日付", true}}}}},
        {u"wrkReadFile",
         {{u"日付", T::Date}, {u"ファイル名", T::Text, 20, true}, {u"ReadFlg", T::Boolean}},
         {{u"Primary", {{u"日付"}}}}},
        {u"wrkMei", {{u"コード", T::Long}}, {{u"Primary", {{u"コード"}}}}},
        {u"Mei",
         {{u"コード", T::Long}, {u"市場コード", T::Integer}, {u"銘柄", T::Text, 20, true}, {u"出来高単位", T::Long}, {u"株価単位", T::Long}, {u"更新Flg", T::Boolean}},
         {{u"Primary", {{u"コード"}}}, {u"市場コード", {{u"市場コード"}, {u"コード"}}, true}}},
        {u"Shijyo",
         {{u"コード", T::Long}, {u"市場", T::Text, 20, true}, {u"略称", T::Text, 10, true}},
         {{u"Primary", {{u"コード"}}}}},
        {u"board",
         {{u"区分", T::Integer}, {u"コード", T::Long}, {u"市場コード", T::Integer}, {u"銘柄", T::Text, 20, true}, {u"日付", T::Date}, {u"始値", T::Long}, {u"高値", T::Long}, {u"安値", T::Long}, {u"終値", T::Long}, {u"前日比", T::Long}, {u"出来高", T::Currency}, {u"現在値", T::Long}, {u"現前日比", T::Long}, {u"現出来高", T::Currency}},
         {{u"Primary", {{u"区分"}, {u"コード"}}}}},
        {u"informationClass",
         {{u"種類コード", T::Text, 3, false}, {u"種類名", T::Text, 40, true}, {u"表示順", T::Integer}},
         {{u"Primary", {{u"種類コード"}}}}},
        {u"wrkinformationClass",
         {{u"種類コード", T::Text, 3, false}, {u"種類名", T::Text, 40, true}, {u"表示順", T::Integer}},
         {{u"Primary", {{u"種類コード"}}}}},
        {u"informationData",
         {{u"種類コード", T::Text, 3, false}, {u"日付", T::Date}, {u"順位", T::Integer}, {u"コード", T::Long}, {u"株価", T::Long}, {u"出来高", T::Currency}, {u"前日比", T::Long}, {u"値", T::Text, 10, true}, {u"現株価", T::Long}, {u"現比", T::Currency}, {u"コメント", T::Text, 10, true}, {u"Top種類コード", T::Text, 3, false}},
         {{u"Primary", {{u"種類コード"}, {u"日付"}, {u"順位"}}}, {u"日付", {{u"日付", true}}}, {u"Top種類コード", {{u"Top種類コード"}}}, {u"種類コード", {{u"種類コード"}}}}},
        {u"stockmarket",
         {{u"ID", T::AutoNumber}, {u"コード", T::Long}, {u"市場コード", T::Integer}, {u"銘柄", T::Text, 20, true}, {u"購入日", T::Text, 8, true}, {u"購入額", T::Long}, {u"購入数", T::Long}, {u"損益分岐点", T::Long}, {u"現在額", T::Long}, {u"売却日", T::Text, 8, true}, {u"売却額", T::Long}, {u"売却数", T::Long}, {u"利益", T::Long}},
         {{u"Primary", {{u"ID"}}}}},
    };
    return t;
}

// The broker rows the ledger has imported, each by a digest of what identifies it, so that a file
// imported again adds nothing. Added by the step of layout version 2.
const Table &importedTradesTable()
{
    static const Table t = {u"stockmarketImported", {{u"取引キー", T::Text, 64, false}, {u"取込日", T::Date}}, {{u"Primary", {{u"取引キー"}}}}};
    return t;
}

// The split and reverse-split adjustments of the prices as traded: the prices of an issue before
// 日付 are multiplied by 旧株数 ÷ 新株数 (a 1:3 split is 1 and 3, a 10:1 reverse split 10 and 1), its
// volumes and margin balances divided by it; a ratio of whole numbers stays exact where a decimal
// would not. Added by the step of layout version 3.
const Table &adjustmentTable()
{
    static const Table t = {u"adjustment", {{u"コード", T::Long}, {u"日付", T::Date}, {u"旧株数", T::Long}, {u"新株数", T::Long}}, {{u"Primary", {{u"コード"}, {u"日付"}}}}};
    return t;
}

QString q(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// One column with the checks that keep values inside the field's type (names tell the error).
QString columnSql(const Field &f)
{
    const QString n = QString::fromUtf16(f.name);
    QString c = q(n);
    auto check = [&](const char *kind, const QString &cond) {
        return QStringLiteral(" CONSTRAINT \"%1:%2\" CHECK (%3 IS NULL OR (%4))").arg(QLatin1String(kind), n, c, cond);
    };
    switch (f.type) {
    case T::AutoNumber:
        return c + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    case T::Long:
        return c + QStringLiteral(" INTEGER32") + check("type", QStringLiteral("typeof(%1)='integer'").arg(c))
            + check("range", QStringLiteral("%1 BETWEEN -2147483648 AND 2147483647").arg(c));
    case T::Integer:
        return c + QStringLiteral(" SMALLINT") + check("type", QStringLiteral("typeof(%1)='integer'").arg(c))
            + check("range", QStringLiteral("%1 BETWEEN -32768 AND 32767").arg(c));
    case T::Currency:
        return c + QStringLiteral(" CURRENCY") + check("type", QStringLiteral("typeof(%1) IN ('integer','real')").arg(c))
            + check("range", QStringLiteral("%1 BETWEEN -922337203685477.5808 AND 922337203685477.5807").arg(c));
    case T::Date:
        return c + QStringLiteral(" DATETEXT")
            + check("type", QStringLiteral("%1 GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]*'").arg(c));
    case T::Boolean:
        return c + QStringLiteral(" BOOLINT") + check("type", QStringLiteral("%1 IN (0,1)").arg(c));
    case T::Text: {
        QString s = c + QStringLiteral(" TEXT%1(%2)").arg(f.emptyAllowed ? QString() : QStringLiteral(" NONEMPTY")).arg(f.size)
            + check("size", QStringLiteral("length(%1)<=%2").arg(c).arg(f.size));
        if (!f.emptyAllowed)
            s += check("empty", QStringLiteral("%1<>''").arg(c));
        return s;
    }
    }
    return c;
}

QString indexSql(const char16_t *tableName, const Index &ix)
{
    const QString table = QString::fromUtf16(tableName);
    const QString name = QString::fromUtf16(ix.name);
    const bool unique = ix.unique || name == QLatin1String("Primary");
    QString cols;
    for (size_t i = 0; i < ix.fields.size(); ++i)
        cols += (i ? QStringLiteral(", ") : QString()) + q(QString::fromUtf16(ix.fields[i].name))
            + (ix.fields[i].descending ? QStringLiteral(" DESC") : QString());
    return QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4)")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), q(table + QLatin1Char('.') + name), q(table), cols);
}

// IF NOT EXISTS: a step may meet a file whose version was set back after the step had run.
void createTable(Database &db, const Table &t)
{
    QString cols;
    for (size_t i = 0; i < t.fields.size(); ++i)
        cols += (i ? QStringLiteral(",\n  ") : QStringLiteral("\n  ")) + columnSql(t.fields[i]);
    db.executeRaw(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2\n)").arg(q(QString::fromUtf16(t.name)), cols));
    for (const Index &ix : t.indexes)
        db.executeRaw(indexSql(t.name, ix));
}

// An index a step adds to a table of the base layout.
struct AddedIndex
{
    const char16_t *table;
    Index index;
};

// The rankings of one issue, kind by kind and newest first: the information issue search finds
// them without reading every ranking row. Added by the step of layout version 4.
const AddedIndex &rankingsOfIssueIndex()
{
    static const AddedIndex i = {u"informationData", {u"コード", {{u"コード"}, {u"種類コード"}, {u"日付", true}}}};
    return i;
}

// A step turns a database of the version before it into its version, by adding a table or an
// index; a database created now runs every step after the base tables, so old and new files end in
// the same layout.
struct SchemaStep
{
    int version;
    const Table *adds = nullptr;
    const AddedIndex *addsIndex = nullptr; // neither: the step only sets the version
};

const std::vector<SchemaStep> &schemaSteps()
{
    static const std::vector<SchemaStep> steps = {
        {1}, // files made before the layout had a version carry 0
        {2, &importedTradesTable()},
        {3, &adjustmentTable()},
        {4, nullptr, &rankingsOfIssueIndex()},
    };
    return steps;
}

} // namespace

QStringList tableNames()
{
    QStringList names;
    for (const Table &t : tables())
        names.append(QString::fromUtf16(t.name));
    for (const SchemaStep &step : schemaSteps()) {
        if (step.adds)
            names.append(QString::fromUtf16(step.adds->name));
    }
    return names;
}

namespace {

int userVersionOf(Database &database)
{
    return int(database.scalarRaw(QStringLiteral("PRAGMA user_version")).toLongLong());
}

} // namespace

void UpgradeSchema(Database &database)
{
    Transaction upgrade(database);
    // Read again under the write lock: another program may have upgraded the file meanwhile.
    const int from = userVersionOf(database);
    for (const SchemaStep &step : schemaSteps()) {
        if (step.version <= from)
            continue;
        if (step.adds)
            createTable(database, *step.adds);
        if (step.addsIndex)
            database.executeRaw(indexSql(step.addsIndex->table, step.addsIndex->index));
    }
    if (from < SchemaVersion)
        database.executeRaw(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion));
    upgrade.commit();
}

std::vector<TableColumns> requiredTables(int version)
{
    std::vector<const Table *> kept;
    for (const Table &t : tables())
        kept.push_back(&t);
    for (const SchemaStep &step : schemaSteps()) {
        if (step.adds && step.version <= version)
            kept.push_back(step.adds);
    }
    std::vector<TableColumns> required;
    for (const Table *t : kept) {
        TableColumns table{QString::fromUtf16(t->name), {}};
        for (const Field &f : t->fields)
            table.columns.append(QString::fromUtf16(f.name));
        required.push_back(std::move(table));
    }
    return required;
}

bool CreateDatabaseFile(const QString &path, Prompt *prompt)
{
    // Built under a name of its own and renamed when whole, so that a first start cut short leaves
    // no half-made database under the real name.
    const QString building = path + QStringLiteral(".new");
    try {
        RemoveDatabaseFiles(building); // left by a start that was cut short
        Database::createEmpty(building);
        {
            Database db(building);
            db.executeRaw(QStringLiteral("BEGIN"));
            for (const Table &t : tables())
                createTable(db, t);
            db.executeRaw(QStringLiteral("COMMIT"));
            UpgradeSchema(db);
            Recordset rs = db.openRecordset(QStringLiteral("Shijyo"), RecordsetType::Dynaset);
            static const struct
            {
                int code;
                const char16_t *name;
                const char16_t *abbrev;
            } seed[] = {
                {1, u"東証１部", u"東１"},
                {2, u"東証２部", u"東２"},
                {4, u"大証", u"大証"},
                {5, u"名証", u"名証"},
                {6, u"その他", u"その他"},
                {3, u"店頭", u"店頭"},
            };
            for (const auto &s : seed) {
                rs.addNew();
                rs.setValue(QStringLiteral("コード"), s.code);
                rs.setValue(QStringLiteral("市場"), QString::fromUtf16(s.name));
                rs.setValue(QStringLiteral("略称"), QString::fromUtf16(s.abbrev));
                rs.update();
            }
            rs.close();
            db.close();
        }
        Database::closeAll(); // the file alone holds the database before it takes its name
        PutInPlace(building, path);
        return true;
    } catch (const DbError &e) {
        try {
            Database::closeAll();
        } catch (const DbError &) {
        }
        RemoveDatabaseFiles(building);
        if (prompt)
            prompt->inform(e.description(), QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
}

void DeleteIssueRows(Database &database, const QString &condition, const Params &params)
{
    WriteBatch whole(database); // a killed program never leaves an issue half deleted
    for (const char *t : {"daydata", "weekdata", "informationData", "board", "shinyo", "Mei"})
        database.execute(QStringLiteral("delete * from %1 ").arg(QLatin1String(t)) + condition, params);
    whole.finish();
}

void ChangeIssueCode(Database &database, const QString &assignment, const Params &params)
{
    WriteBatch whole(database); // a killed program never leaves an issue under two codes
    for (const char *t : {"dayData", "weekData", "informationData", "board", "shinyo", "stockmarket"})
        database.execute(QStringLiteral("Update %1 ").arg(QLatin1String(t)) + assignment, params);
    whole.finish();
}

int MarketOfIssue(Database &database, qint64 code)
{
    Recordset rs = database.openRecordset(QStringLiteral("select 市場コード from Mei where コード=? ;"), {code});
    return rs.eof() ? 0 : int(rs.toLong(QStringLiteral("市場コード")));
}

QString NameOfIssue(Database &database, qint64 code)
{
    Recordset rs = database.openRecordset(QStringLiteral("select 銘柄 from Mei where コード=? ;"), {code});
    return rs.eof() ? QString() : rs.toText(QStringLiteral("銘柄"));
}

} // namespace db
