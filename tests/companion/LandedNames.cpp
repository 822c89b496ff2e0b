#include "LandedNames.h"

#include <QRegularExpression>

namespace tabrivel::testing {
namespace {

// Names that the writer had to shorten keep at least this much of their beginning.
constexpr qsizetype kKeptBeginning = 32;
constexpr int kPostgresBytes = 63;
constexpr int kMySqlCharacters = 64;

bool IsControl(char32_t c) {
    return c < 32 || c == 127;
}

// Where a name is not enclosed, everything but letters, digits and '_' becomes '_'.
QString Unenclosed(const QString& name) {
    QString out;
    for (char32_t c : name.toUcs4())
        out += QChar::isLetter(c) || QChar::isDigit(c) || c == U'_' ? QString::fromUcs4(&c, 1)
                                                                    : QString("_");
    return out;
}

// PostgreSQL folds the ASCII letters of a name that is not quoted.
QString FoldedByPostgres(const QString& name) {
    QString out = name;
    for (QChar& c : out)
        if (c.unicode() < 128)
            c = c.toLower();
    return out;
}

// PostgreSQL cuts a longer name itself, at a character's boundary.
QString ClippedToBytes(const QString& name, int bytes) {
    QString out;
    for (char32_t c : name.toUcs4()) {
        const QString next = out + QString::fromUcs4(&c, 1);
        if (next.toUtf8().size() > bytes)
            break;
        out = next;
    }
    return out;
}

// A client reading GBK, Big5 or Shift-JIS takes a back-quote right after a byte above
// 0x7F for the second half of a character: between such a character and a back-quote,
// closing or doubled, a name holds a "_".
QString WithBreaksBeforeBackQuotes(const QString& name) {
    QString out;
    char32_t previous = 0;
    for (char32_t c : name.toUcs4()) {
        if (c == U'`' && previous > 127)
            out += '_';
        out += QString::fromUcs4(&c, 1);
        previous = c;
    }
    if (previous > 127)
        out += '_';
    return out;
}

qsizetype LengthInDialect(const ScriptForm& form, const QString& name) {
    return form.load.dialect == Dialect::MySql ? name.toUcs4().size() : name.toUtf8().size();
}

// A control character never reaches a name; whether it went or became '_' is the
// writer's choice.
bool SameOutsideControls(const QString& landed, const QString& wanted) {
    QString pattern;
    for (char32_t c : wanted.toUcs4())
        pattern +=
            IsControl(c) ? QString("_?") : QRegularExpression::escape(QString::fromUcs4(&c, 1));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern))
        .match(landed)
        .hasMatch();
}

bool HoldsControl(const QString& name) {
    const auto units = name.toUcs4();
    return std::any_of(units.begin(), units.end(), IsControl);
}

std::string Show(const QString& name) {
    QString shown;
    for (char32_t c : name.toUcs4())
        shown += IsControl(c) ? QString("\\x%1").arg(static_cast<uint>(c), 2, 16, QChar('0'))
                              : QString::fromUcs4(&c, 1);
    return "\"" + shown.toStdString() + "\"";
}

// Why `landed` is not `wanted` as the form writes it and the database keeps it.
std::string WrongName(const QString& landed, QString wanted, const ScriptForm& form,
                      Database database) {
    // A backslash never reaches a name: psql and mysql start commands of their own with
    // it wherever they do not read the delimiters as quotes.
    wanted.replace(QChar('\\'), QChar('_'));
    if (!form.enclosesNames())
        wanted = Unenclosed(wanted);
    // --names for PostgreSQL stores names as it folds unquoted ones (unless --keep-case),
    // so that they can be queried without quotes.
    const bool namesFolded = form.load.dialect == Dialect::PostgreSql && form.load.names;
    if ((database == Database::PostgreSql && !form.enclosesNames()) || namesFolded)
        wanted = FoldedByPostgres(wanted);
    if (form.opening == "`")
        wanted = WithBreaksBeforeBackQuotes(wanted);
    if (HoldsControl(landed))
        return "the name " + Show(landed) + " holds a control character";
    if (LongerThanDialectTakes(form, wanted)) {
        if (LengthInDialect(form, landed) > DialectNameLimit(form) ||
            !landed.startsWith(wanted.left(kKeptBeginning)))
            return "the long name " + Show(wanted) + " was not shortened to fit " +
                   std::to_string(DialectNameLimit(form)) + ": it landed as " + Show(landed);
        return {};
    }
    if (database == Database::PostgreSql)
        wanted = ClippedToBytes(wanted, kPostgresBytes);
    if (!SameOutsideControls(landed, wanted))
        return "landed as " + Show(landed) + ", expected " + Show(wanted);
    return {};
}

} // namespace

QString BaseNameOf(const std::string& fileName) {
    const std::string base = fileName.substr(0, fileName.rfind('.'));
    return QString::fromUtf8(base);
}

int DialectNameLimit(const ScriptForm& form) {
    switch (form.load.dialect) {
    case Dialect::PostgreSql:
        return kPostgresBytes;
    case Dialect::MySql:
        return kMySqlCharacters;
    case Dialect::Window:
    case Dialect::Sqlite:
    case Dialect::SqlServer:
        break;
    }
    return 0;
}

bool LongerThanDialectTakes(const ScriptForm& form, const QString& name) {
    return DialectNameLimit(form) > 0 && LengthInDialect(form, name) > DialectNameLimit(form);
}

std::string WrongTableName(const std::string& landed, const QString& baseName,
                           const ScriptForm& form, Database database) {
    if (!QByteArray::fromStdString(landed).isValidUtf8())
        return "the name landed as bytes that are not UTF-8";
    const QString wanted = form.load.names ? baseName : "Table1_" + baseName;
    return WrongName(QString::fromUtf8(landed), wanted, form, database);
}

std::string WrongColumnNames(const std::vector<std::string>& landed,
                             const std::vector<std::string>& fieldNames, const ScriptForm& form,
                             Database database) {
    if (landed.size() != fieldNames.size())
        return std::to_string(landed.size()) + " columns landed for " +
               std::to_string(fieldNames.size()) + " fields";
    for (std::size_t i = 0; i < landed.size(); ++i) {
        if (!QByteArray::fromStdString(landed[i]).isValidUtf8())
            return "column " + std::to_string(i + 1) + " landed as bytes that are not UTF-8";
        const QString wanted = form.load.names ? QString::fromStdString(fieldNames[i])
                                               : "fld" + QString::number(i + 1);
        const QString name = QString::fromUtf8(landed[i]);
        const std::string wrong = WrongName(name, wanted, form, database);
        // Names that differ only in what no name may hold become one once written: a later
        // one is told apart by a suffix _2, _3 ...
        static const QRegularExpression kSuffix(QStringLiteral("^(.*)_([2-9]|[1-9][0-9]+)$"));
        const QRegularExpressionMatch told = kSuffix.match(name);
        if (!wrong.empty() &&
            !(told.hasMatch() && WrongName(told.captured(1), wanted, form, database).empty()))
            return "column " + std::to_string(i + 1) + ": " + wrong;
    }
    return {};
}

} // namespace tabrivel::testing
