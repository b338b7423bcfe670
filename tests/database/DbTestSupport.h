#pragma once
// Databases for tests: every test gets a fresh, empty database of the engine the
// test binary runs against (VELTRA_TEST_ENGINE = sqlite or postgres). The
// PostgreSQL server is the throwaway one of the test run (pg_server.sh).
#include <QString>

namespace db_testing {
// True when this run is against PostgreSQL.
bool usePostgres();
// Empty text when the engine is usable, else why not (the test then skips).
QString unavailableReason();
// The connection string of a new, empty database.
QString freshDatabase();
}  // namespace db_testing

// Skips the test, with the reason, when the engine of this run cannot be reached.
#define VELTRA_REQUIRE_ENGINE()                                                           \
    do {                                                                                  \
        const QString why = db_testing::unavailableReason();                              \
        if (!why.isEmpty()) GTEST_SKIP() << "PostgreSQL-Server nicht verfügbar: " << why.toStdString(); \
    } while (0)
