#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// Error numbers callers test for. The numbers are those the program has always reported.
namespace ErrorNumber {
constexpr int Overflow = 6; // a number outside its field's range
constexpr int FileNotFound = 3024;
constexpr int DuplicateKey = 3022; // passed over by the imports
constexpr int InvalidPath = 3044;
constexpr int FileInUse = 3051; // read-only or locked file
constexpr int TooFewParameters = 3061; // an unknown field name
constexpr int SyntaxError = 3075;
constexpr int TableNotFound = 3078;
constexpr int FieldTooSmall = 3163; // text longer than its field
constexpr int LockedRecord = 3218;
constexpr int NoCurrentRecord = 3021;
constexpr int ZeroLengthText = 3315;
constexpr int UnrecognizedFormat = 3343; // not a database of this program
constexpr int NewerSchema = 3346; // a database of a newer version of this program
constexpr int TypeMismatch = 3464;
constexpr int UpdateWithoutEdit = 3020;
constexpr int DiskFull = 3035;
constexpr int DiskError = 3043; // a write refused by the system (size limit, I/O error)
constexpr int Other = 3000;
} // namespace ErrorNumber

// The one exception of the database layer: the error number and a Japanese description.
class DbError final : public std::runtime_error
{
public:
    DbError(int number, const QString &description);
    int number() const { return m_number; }
    const QString &description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

} // namespace db
