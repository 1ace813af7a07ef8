#pragma once
// The store's tests run twice: on a catalogue file, and on a server catalogue
// when the test is started with CATALOGO_DI_PROVA=server. The server is the one
// named by RUDOZUZURIVAZ_TEST_SERVER (a URI of its maintenance database, as
// scripts/pg-cluster.sh prints it); each test catalogue is a database of its own.
#include <QString>

namespace testserver {
// Whether this run of the test works on the server.
bool wanted();
// A new empty database on the test server; its URI. Throws std::runtime_error.
QString createDatabase();
// Drops the database of that URI, closing whatever is still connected to it.
void dropDatabase(const QString &uri);
} // namespace testserver
