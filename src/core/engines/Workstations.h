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

private:
    QString m_name;
};

// How many workstations other than this program hold the catalogue open now,
// asked on `database` (a connection to the server catalogue). Throws DbError.
int otherWorkstations(QSqlDatabase &database, const QString &uri);

} // namespace db
