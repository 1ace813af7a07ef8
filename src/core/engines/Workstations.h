#pragma once
// Workstations on a server catalogue. Each running program holds a shared mark
// on the server while it works on the catalogue; deleting every record and
// restarting the numbering are refused while another workstation holds one.
#include <QString>

class QSqlDatabase;

namespace db {

class WorkstationMark {
public:
    explicit WorkstationMark(const QString &uri); // throws DbError
    ~WorkstationMark();
    WorkstationMark(const WorkstationMark &) = delete;
    WorkstationMark &operator=(const WorkstationMark &) = delete;

    // Takes the mark again when its session has ended meanwhile (the server was
    // restarted, or the network dropped the session): the mark lasts as long as
    // the program. A server that does not answer now is asked again at the next
    // call; throws nothing.
    void keep();

private:
    // Opens the mark's session and takes the mark in it. Throws DbError.
    void take();
    void forgetOwnProcess();

    QString m_uri;
    QString m_name;
    int m_process = 0; // the server process holding the mark
};

// How many workstations other than this program hold the catalogue open now,
// asked on `database` (a connection to the server catalogue). Throws DbError.
int otherWorkstations(QSqlDatabase &database, const QString &uri);

} // namespace db
