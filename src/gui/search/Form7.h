#pragma once
// The search window "Ricerca": the whole catalogue at first, then the records
// whose keyword, subject, text or publication holds a typed fragment, in a
// read-only grid; a result can be printed as the catalogue report. It keeps its
// placement and the widths of its grid's columns in CINFIG.INI.
#include "core/engines/Search.h"
#include "core/settings/CIniManag.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QTableView;
struct AppContext;

namespace db {
class QueryRowSource;
class RowSource;
class RowSourceModel;
} // namespace db

class Form7 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form7(const AppContext &context, QWidget *parent = nullptr);
    ~Form7() override;

    // The loading steps: placement, the whole catalogue in the grid, column widths.
    // The registry calls it once its connections are made.
    void load();

    // The last search made.
    const std::optional<db::Search> &lastSearch() const { return m_search; }

    QTableView *dgCustomers = nullptr;
    QAction *Chiave = nullptr;
    QAction *Argomento = nullptr;
    QAction *Testo = nullptr;
    QAction *Pubblicazione = nullptr;

signals:
    // Loaded, and unloading: the main window unchecks "Interrogazione", then "Ricerca".
    void loaded();
    void unloading();
    // The user wants the result printed as the catalogue report.
    void printRequested(const db::RowSource &rows);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void search(const QString &prompt, const QString &title, db::SearchField field);
    void query(const db::Search &search);
    void init();
    void bind(std::shared_ptr<db::QueryRowSource> rows);
    void fitGridToWindow();

    const AppContext &m_context;
    CIniManag m_settings;
    db::RowSourceModel *m_model = nullptr;
    std::optional<db::Search> m_search;
};
