#pragma once
// Fills a new catalogue with realistic records: Italian-looking keywords,
// subjects, texts, publications, dates, notes of varied length (some of several
// lines), locations and document numbers. The same seed gives the same file.
#include <QString>
#include <QtGlobal>

struct GeneratorOptions {
    qint64 records = 10000;
    quint32 seed = 1;
    int keywords = 300;
    int publications = 200;
    int locations = 120;
};

// Creates `path` with the catalogue's own schema code, then adds the records.
// Throws db::DbError on failure.
void generateCatalogue(const QString &path, const GeneratorOptions &options);
