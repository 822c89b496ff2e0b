#include "PostgresTarget.h"

#include "DialectRules.h"
#include "PostgresBinaryCopy.h"
#include "ScriptLiterals.h"
#include "engine/ValuePieces.h"

#include <libpq-fe.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

#include <utility>

namespace tabrivel {
namespace {

// Rows go to the server in pieces of about this size: large enough that a call costs
// nothing per row, small enough that the server, which takes in a piece whole before it
// stores a row of it, starts on the first rows while the next are made (1M-record dBase
// III table: pieces of 1 MB took 1.9 s, of 32 to 128 KB 1.1 to 1.4 s).
constexpr std::size_t kSendAt = 1 << 16;
// Pieces that may wait in libpq's buffer while the server catches up.
constexpr int kUnsentPieces = 4;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// Until the connection's socket takes more bytes.
void WaitUntilWritable(int socket) {
#ifdef _WIN32
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(static_cast<SOCKET>(socket), &writable);
    select(0, nullptr, &writable, nullptr, nullptr);
#else
    pollfd entry{socket, POLLOUT, 0};
    poll(&entry, 1, -1);
#endif
}

std::string LastLine(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

void PostgresTarget::Closer::operator()(pg_conn* connection) const {
    PQfinish(connection);
}

PostgresTarget::PostgresTarget(const std::string& conninfo, LoadOptions load)
    : connection_(PQconnectdb(conninfo.c_str())), load_(std::move(load)) {
    load_.copy = true;
    if (!connection_)
        throw TargetError("cannot connect to PostgreSQL: out of memory");
    if (PQstatus(connection_.get()) != CONNECTION_OK)
        throw TargetError("cannot connect to PostgreSQL: " +
                          LastLine(PQerrorMessage(connection_.get())));
    // The server's notices ("schema already exists, skipping") are no news to the user.
    PQsetNoticeProcessor(
        connection_.get(), [](void*, const char*) {}, nullptr);
    if (PQsetClientEncoding(connection_.get(), "UTF8") != 0)
        fail("setting the client encoding to UTF8");
    // Dates read back in the form they were written, whatever the server's default.
    execute("SET DateStyle TO ISO, YMD");
}

PostgresTarget::~PostgresTarget() {
    rollBack();
}

void PostgresTarget::rollBack() {
    if (!connection_)
        return;
    if (copying_) {
        PQsetnonblocking(connection_.get(), 0);
        PQputCopyEnd(connection_.get(), "abandoned");
        while (PGresult* result = PQgetResult(connection_.get()))
            PQclear(result);
        copying_ = false;
    }
    if (PQtransactionStatus(connection_.get()) != PQTRANS_IDLE)
        Result(PQexec(connection_.get(), "ROLLBACK"), PQclear);
    rows_.clear();
}

void PostgresTarget::fail(const std::string& doing) {
    const std::string message = doing + ": " + LastLine(PQerrorMessage(connection_.get()));
    rollBack();
    throw TargetError(message);
}

void PostgresTarget::execute(const std::string& sql) {
    const Result result(PQexec(connection_.get(), sql.c_str()), PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(sql.substr(0, sql.find(' ')));
}

std::uint64_t PostgresTarget::rowCount(const std::string& table) {
    const std::string sql = "SELECT count(*) FROM " + table;
    const Result result(PQexec(connection_.get(), sql.c_str()), PQclear);
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        fail("counting the rows");
    return std::stoull(PQgetvalue(result.get(), 0, 0));
}

bool PostgresTarget::tableExists(const std::string& name) {
    const char* values[] = {name.c_str()};
    const Result result(PQexecParams(connection_.get(), "SELECT to_regclass($1) IS NOT NULL", 1,
                                     nullptr, values, nullptr, nullptr, 0),
                        PQclear);
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        fail("looking the table up");
    return PQgetvalue(result.get(), 0, 0)[0] == 't';
}

void PostgresTarget::beginTable(const TablePlan& plan) {
    const DialectRules& rules = RulesOf(Dialect::PostgreSql);
    if (!plan.schema.empty())
        execute(std::string(rules.createSchema) + plan.schema);
    const bool exists = tableExists(plan.name);
    CheckExistingTable(plan, exists, load_.existing);
    rowsBefore_ = exists && load_.existing == ExistingTable::Append ? rowCount(plan.name) : 0;
    execute("BEGIN");
    if (load_.existing == ExistingTable::Replace)
        execute("DROP TABLE IF EXISTS " + plan.name);
    if (load_.existing != ExistingTable::Append)
        execute(CreateTableText(plan));
    if (!load_.rows)
        return;
    chooseForm(plan);
    const std::string copy =
        "COPY " + plan.name + (binary_ ? " FROM STDIN (FORMAT binary)" : " FROM STDIN");
    const Result result(PQexec(connection_.get(), copy.c_str()), PQclear);
    if (PQresultStatus(result.get()) != PGRES_COPY_IN)
        fail("COPY");
    copying_ = true;
    unsentPieces_ = 0;
    PQsetnonblocking(connection_.get(), 1);
    if (binary_)
        AppendBinaryCopyHeader(rows_);
}

// The binary form spares the server parsing every number and date, the larger part of
// its work on a typed table. A table loaded into as it stands goes in the text form: its
// columns may be of other types than this load would give them, and the server converts
// text to any of them.
void PostgresTarget::chooseForm(const TablePlan& plan) {
    wires_.clear();
    binary_ = load_.existing != ExistingTable::Append;
    for (const PlannedColumn& column : plan.columns) {
        const std::optional<BinaryWire> wire = WireOfColumnType(column.type);
        binary_ = binary_ && wire.has_value();
        wires_.push_back(wire.value_or(BinaryWire::Text));
    }
}

void PostgresTarget::appendCell(const Cell& cell) {
    if (!cell.pieces) {
        AppendCopyField(rows_, cell, load_);
        return;
    }
    AppendCellInPieces(rows_, cell, load_, [this] {
        if (rows_.size() >= kSendAt)
            sendRows();
    });
}

void PostgresTarget::addRow(std::span<const Cell> cells) {
    if (binary_) {
        addBinaryRow(cells);
        return;
    }
    for (const Cell& cell : cells) {
        appendCell(cell);
        rows_.push_back('\t');
    }
    if (!cells.empty())
        rows_.pop_back();
    rows_.push_back('\n');
    if (rows_.size() >= kSendAt)
        sendRows();
}

void PostgresTarget::addBinaryRow(std::span<const Cell> cells) {
    AppendBinaryRowStart(rows_, cells.size());
    const auto sendWhenFull = [this] {
        if (rows_.size() >= kSendAt)
            sendRows();
    };
    for (std::size_t k = 0; k < cells.size(); ++k)
        AppendBinaryCell(rows_, cells[k], wires_[k], sendWhenFull);
    sendWhenFull();
}

// Each piece goes out as far as the socket takes it at once, and the rest with the next
// piece: the server works on one piece while the next is made, where waiting for each to
// go out would leave one side idle at a time. Only a server that falls several pieces
// behind is waited for, so memory stays bounded.
void PostgresTarget::sendRows() {
    if (rows_.empty())
        return;
    const auto queue = [this] {
        return PQputCopyData(connection_.get(), rows_.data(), static_cast<int>(rows_.size()));
    };
    int queued = queue();
    if (queued == 0) { // libpq's buffer is full: what it holds goes out first
        waitUntilSent();
        queued = queue();
    }
    if (queued != 1)
        fail("COPY");
    rows_.clear();
    const int unsent = PQflush(connection_.get());
    if (unsent < 0)
        fail("COPY");
    unsentPieces_ = unsent == 0 ? 0 : unsentPieces_ + 1;
    if (unsentPieces_ >= kUnsentPieces)
        waitUntilSent();
}

void PostgresTarget::waitUntilSent() {
    int unsent = 0;
    while ((unsent = PQflush(connection_.get())) == 1)
        WaitUntilWritable(PQsocket(connection_.get()));
    if (unsent != 0)
        fail("COPY");
    unsentPieces_ = 0;
}

void PostgresTarget::endCopy() {
    if (binary_)
        AppendBinaryCopyEnd(rows_);
    sendRows();
    waitUntilSent();
    PQsetnonblocking(connection_.get(), 0);
    copying_ = false;
    if (PQputCopyEnd(connection_.get(), nullptr) != 1)
        fail("COPY");
    const Result result(PQgetResult(connection_.get()), PQclear);
    const bool copied = PQresultStatus(result.get()) == PGRES_COMMAND_OK;
    while (PGresult* more = PQgetResult(connection_.get()))
        PQclear(more);
    if (!copied)
        fail("COPY");
}

void PostgresTarget::endTable() {
    if (copying_)
        endCopy();
    if (PQtransactionStatus(connection_.get()) == PQTRANS_INTRANS)
        execute("COMMIT");
}

void PostgresTarget::finish() {}

} // namespace tabrivel

namespace tabrivel {
namespace {

// The rows of one table, streamed a row at a time so that a large table is never held.
class PostgresRows final : public StoredRows {
public:
    // The rows after the first `skipped`: those a load appended.
    PostgresRows(pg_conn* connection, const std::string& table, std::uint64_t skipped)
        : connection_(connection) {
        const std::string query =
            "SELECT * FROM " + table + " ORDER BY ctid OFFSET " + std::to_string(skipped);
        if (PQsendQuery(connection_, query.c_str()) != 1 || PQsetSingleRowMode(connection_) != 1)
            throw TargetError("reading back: " + LastLine(PQerrorMessage(connection_)));
    }
    ~PostgresRows() override {
        while (PGresult* result = PQgetResult(connection_))
            PQclear(result);
    }
    PostgresRows(const PostgresRows&) = delete;
    PostgresRows& operator=(const PostgresRows&) = delete;

    bool next(std::vector<std::optional<std::string>>& row) override {
        const Result result(PQgetResult(connection_), PQclear);
        if (!result)
            return false;
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_TUPLES_OK)
            return false;
        if (status != PGRES_SINGLE_TUPLE)
            throw TargetError("reading back: " + LastLine(PQresultErrorMessage(result.get())));
        row.assign(static_cast<std::size_t>(PQnfields(result.get())), std::nullopt);
        for (int k = 0; k < PQnfields(result.get()); ++k)
            if (!PQgetisnull(result.get(), 0, k))
                row[static_cast<std::size_t>(k)] =
                    std::string(PQgetvalue(result.get(), 0, k),
                                static_cast<std::size_t>(PQgetlength(result.get(), 0, k)));
        return true;
    }

private:
    pg_conn* connection_;
};

} // namespace

std::unique_ptr<StoredRows> PostgresTarget::storedRows(const TablePlan& plan) {
    return std::make_unique<PostgresRows>(connection_.get(), plan.name, rowsBefore_);
}

} // namespace tabrivel
