#pragma once
// The catalogue report of the whole table, as the main window's "Stampa Generale"
// and the browse window's "Stampa Report" show it.
class QWidget;
class Windows;

namespace browse {

// Opens its own connection (connection text form B), reads "SELECT * FROM Tabella",
// shows the report maximised and modal, and releases the rows and the connection
// once the user has closed it. A database failure is shown as a message over
// `caller`. True when the report was shown; false after a failure, which the
// user has been told about.
bool showWholeCatalogueReport(Windows &windows, QWidget *caller);

} // namespace browse
