#include "server/StateStore.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>

#include "program/Csv.h"
#include "server/EventLog.h"

namespace tarvendo::server {

namespace {

constexpr const char* kFormat = "tarvendo-state 1";
// Another process on the file (an export while the server runs) waits this long.
constexpr int kBusyWaitMs = 2000;

constexpr const char* kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE seats(join_order INTEGER PRIMARY KEY, name TEXT NOT NULL, token TEXT NOT NULL,
                   address TEXT NOT NULL, symbol TEXT);
CREATE TABLE deals(number INTEGER PRIMARY KEY, opened_at TEXT NOT NULL, title TEXT NOT NULL);
CREATE TABLE cards(deal INTEGER NOT NULL, seat INTEGER NOT NULL, player TEXT NOT NULL,
                   symbol TEXT NOT NULL, PRIMARY KEY(deal, player));
)";

// One prepared statement, finalized with its scope.
class Statement {
public:
    Statement(sqlite3* database, const char* sql) {
        sqlite3_prepare_v2(database, sql, -1, &statement_, nullptr);
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.c_str(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, std::int64_t number) {
        sqlite3_bind_int64(statement_, index, number);
        return *this;
    }
    Statement& bind(int index, const std::optional<std::string>& text) {
        if (text) {
            return bind(index, *text);
        }
        sqlite3_bind_null(statement_, index);
        return *this;
    }
    // True while a row is there.
    bool next() { return statement_ != nullptr && sqlite3_step(statement_) == SQLITE_ROW; }
    // True when the statement ran to its end.
    bool run() { return statement_ != nullptr && sqlite3_step(statement_) == SQLITE_DONE; }
    std::optional<std::string> text(int column) const {
        const auto* value = sqlite3_column_text(statement_, column);
        return value == nullptr ? std::nullopt
                                : std::optional<std::string>(reinterpret_cast<const char*>(value));
    }
    std::int64_t number(int column) const { return sqlite3_column_int64(statement_, column); }

private:
    sqlite3_stmt* statement_ = nullptr;
};

bool execute(sqlite3* database, const char* sql) {
    return sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool isMissingOrEmpty(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 || status.st_size == 0;
}

// Looks at an existing file without writing to it: absent when it is a state
// file in good order, else why not.
std::optional<std::string> problemWith(const std::string& path) {
    sqlite3* database = nullptr;
    sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(database, kBusyWaitMs);
    std::optional<std::string> problem;
    {
        Statement check(database, "PRAGMA quick_check");
        Statement format(database, "SELECT value FROM meta WHERE key = 'format'");
        if (!check.next() || check.text(0) != "ok") {
            problem = "it is not an SQLite database, or it is damaged (" +
                      std::string(sqlite3_errmsg(database)) + ")";
        } else if (!format.next() || format.text(0) != kFormat) {
            problem = "it is an SQLite database, but not a tarvendo-server state file";
        }
    }
    sqlite3_close(database);
    return problem;
}

sqlite3* openForWriting(const std::string& path, bool fresh) {
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        return nullptr;
    }
    sqlite3_busy_timeout(database, kBusyWaitMs);
    // WAL keeps a half-written change out of the file; FULL syncs each commit,
    // so an acknowledged vote survives a crash of the machine too.
    const bool ready = execute(database, "PRAGMA journal_mode=WAL") &&
                       execute(database, "PRAGMA synchronous=FULL") &&
                       (!fresh || (execute(database, "BEGIN") && execute(database, kSchema) &&
                                   Statement(database, "INSERT INTO meta VALUES('format', ?)")
                                       .bind(1, std::string(kFormat))
                                       .run() &&
                                   execute(database, "COMMIT")));
    if (!ready) {
        sqlite3_close(database);
        return nullptr;
    }
    return database;
}

std::optional<std::string> metaValue(sqlite3* database, const char* key) {
    Statement select(database, "SELECT value FROM meta WHERE key = ?");
    select.bind(1, std::string(key));
    return select.next() ? select.text(0) : std::nullopt;
}

bool putMeta(sqlite3* database, const char* key, const std::optional<std::string>& value) {
    if (!value) {
        return true;
    }
    return Statement(database, "INSERT INTO meta VALUES(?, ?)")
        .bind(1, std::string(key))
        .bind(2, value)
        .run();
}

}  // namespace

std::variant<std::unique_ptr<StateStore>, std::string> StateStore::open(const std::string& path) {
    const bool fresh = isMissingOrEmpty(path);
    if (!fresh) {
        if (std::optional<std::string> problem = problemWith(path)) {
            return "cannot use " + path + " as the state file: " + *problem;
        }
    }
    sqlite3* database = openForWriting(path, fresh);
    if (database == nullptr) {
        return "cannot write the state file " + path;
    }
    return std::unique_ptr<StateStore>(new StateStore(database));
}

StateStore::~StateStore() {
    sqlite3_close(database_);
}

std::optional<GameSnapshot> StateStore::load() const {
    const std::optional<std::string> gameName = metaValue(database_, "game_name");
    if (!gameName) {
        return std::nullopt;
    }
    GameSnapshot snapshot;
    snapshot.gameName = *gameName;
    snapshot.adminToken = metaValue(database_, "admin_token");
    snapshot.dealNumber = std::stoll(metaValue(database_, "deal_number").value_or("0"));
    snapshot.dealTitle = metaValue(database_, "deal_title").value_or("");
    snapshot.dealPhase =
        static_cast<Deal::Phase>(std::stoi(metaValue(database_, "deal_phase").value_or("0")));
    Statement seats(database_,
                    "SELECT name, token, address, symbol FROM seats ORDER BY join_order");
    while (seats.next()) {
        snapshot.seats.push_back({seats.text(0).value_or(""), seats.text(1).value_or(""),
                                  seats.text(2).value_or(""), seats.text(3)});
    }
    return snapshot;
}

bool StateStore::save(const GameSnapshot& snapshot) {
    if (!execute(database_, "BEGIN IMMEDIATE")) {
        return false;
    }
    if (saveGame(snapshot) && saveOpening(snapshot) && execute(database_, "COMMIT")) {
        return true;
    }
    execute(database_, "ROLLBACK");
    return false;
}

bool StateStore::saveGame(const GameSnapshot& snapshot) {
    bool saved =
        execute(database_, "DELETE FROM meta WHERE key != 'format'") &&
        execute(database_, "DELETE FROM seats") &&
        putMeta(database_, "game_name", snapshot.gameName) &&
        putMeta(database_, "admin_token", snapshot.adminToken) &&
        putMeta(database_, "deal_number", std::to_string(snapshot.dealNumber)) &&
        putMeta(database_, "deal_title", snapshot.dealTitle) &&
        putMeta(database_, "deal_phase", std::to_string(static_cast<int>(snapshot.dealPhase)));
    std::int64_t order = 0;
    for (const GameSnapshot::Seat& seat : snapshot.seats) {
        saved = saved && Statement(database_, "INSERT INTO seats VALUES(?, ?, ?, ?, ?)")
                             .bind(1, order++)
                             .bind(2, seat.name)
                             .bind(3, seat.token)
                             .bind(4, seat.address)
                             .bind(5, seat.symbol)
                             .run();
    }
    return saved;
}

bool StateStore::saveOpening(const GameSnapshot& snapshot) {
    if (snapshot.dealPhase != Deal::Phase::open) {
        return true;
    }
    bool saved = Statement(database_, "INSERT OR IGNORE INTO deals VALUES(?, ?, ?)")
                     .bind(1, snapshot.dealNumber)
                     .bind(2, isoUtcTime(std::chrono::system_clock::now()))
                     .bind(3, snapshot.dealTitle)
                     .run();
    std::int64_t order = 0;
    for (const GameSnapshot::Seat& seat : snapshot.seats) {
        ++order;
        saved = saved && (!seat.symbol ||
                          Statement(database_, "INSERT OR REPLACE INTO cards VALUES(?, ?, ?, ?)")
                              .bind(1, snapshot.dealNumber)
                              .bind(2, order)
                              .bind(3, seat.name)
                              .bind(4, seat.symbol)
                              .run());
    }
    return saved;
}

bool StateStore::exportHistory(std::ostream& out) const {
    Statement rows(database_,
                   "SELECT deals.opened_at, deals.title, cards.player, cards.symbol FROM deals "
                   "JOIN cards ON cards.deal = deals.number ORDER BY deals.number, cards.seat");
    out << csvRecord({"time", "title", "player", "symbol"});
    while (rows.next()) {
        out << csvRecord({rows.text(0).value_or(""), rows.text(1).value_or(""),
                          rows.text(2).value_or(""), rows.text(3).value_or("")});
    }
    return static_cast<bool>(out);
}

}  // namespace tarvendo::server
