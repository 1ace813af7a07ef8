#pragma once
// A fresh program folder for one test: a temporary folder holding a new catalogue
// made by the same code as the creation tool, and the store on it.
#include "core/db/Store.h"

#include <QTemporaryDir>

class CatalogueFolder {
    QTemporaryDir m_dir; // first: the store is made on a file of it

public:
    // withCatalogue false leaves the folder without db1.mdb.
    explicit CatalogueFolder(bool withCatalogue = true);
    virtual ~CatalogueFolder();

    QString folder() const { return m_dir.path(); }
    QString catalogPath() const { return m_dir.path() + QStringLiteral("/db1.mdb"); }
    // A file of the folder.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    db::Store store;
};
