#pragma once
// The search window "Ricerca": the whole catalogue at first, then the records
// whose keyword, subject, text or publication holds a typed fragment, in a
// read-only grid; a result can be printed as the catalogue report. It keeps its
// placement and the widths of its grid's columns in CINFIG.INI.
#include "settings/CIniManag.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QTableView;
class Windows;

namespace db {
class QueryRowSource;
class RowSourceModel;
} // namespace db

class Form7 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form7(Windows &windows, QWidget *parent = nullptr);
    ~Form7() override;

    // The last search statement built.
    const QString &statement() const { return m_statement; }

    QTableView *dgCustomers = nullptr;
    QAction *Chiave = nullptr;
    QAction *Argomento = nullptr;
    QAction *Testo = nullptr;
    QAction *Pubblicazione = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void load();
    void search(const QString &prompt, const QString &title, const QString &prefix);
    void query(const QString &str);
    void init();
    void bind(std::shared_ptr<db::QueryRowSource> rows);
    void fitGridToWindow();

    Windows &m_windows;
    CIniManag m_settings;
    db::RowSourceModel *m_model = nullptr;
    QString m_statement;
};
