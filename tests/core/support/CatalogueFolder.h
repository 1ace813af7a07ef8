#pragma once
// A fresh program folder for one test: a temporary folder holding a new catalogue
// made by the same code as the creation tool, and the store on it. When the test
// runs on a server, the catalogue is a new database there instead of the file.
#include "core/db/Store.h"

#include <QTemporaryDir>

class CatalogueFolder {
    QTemporaryDir m_dir; // first: the store is made on a file of it
    QString m_location;  // the catalogue file, or the server catalogue's URI

public:
    // withCatalogue false leaves the folder without db1.mdb.
    explicit CatalogueFolder(bool withCatalogue = true);
    virtual ~CatalogueFolder();

    QString folder() const { return m_dir.path(); }
    // The catalogue: the path of db1.mdb in the folder, or the URI of the server catalogue.
    QString catalogPath() const { return m_location; }
    bool isServer() const;
    // A file of the folder.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    db::Store store;
};
