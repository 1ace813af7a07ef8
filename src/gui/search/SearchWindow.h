#pragma once
// The search window "Ricerca" (the original's Form7): the whole catalogue at first, then the records
// whose keyword, subject, text or publication holds a typed fragment, in a
// read-only grid; a result can be printed as the catalogue report. It keeps its
// placement and the widths of its grid's columns in CINFIG.INI.
#include "core/settings/IniSettings.h"
#include "gui/kit/WindowLayout.h"
#include "core/engines/Search.h"

#include <QMainWindow>
#include <QTableView>
#include <memory>
#include <optional>

struct AppContext;

namespace db {
class QueryRowSource;
class RowSource;
class RowSourceModel;
} // namespace db

class SearchWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit SearchWindow(const AppContext &context, QWidget *parent = nullptr);
    ~SearchWindow() override;

    // The loading steps: placement, the whole catalogue in the grid, column widths.
    // The registry calls it once its connections are made.
    void load();

    // The last search made.
    const std::optional<db::Search> &lastSearch() const { return m_search; }

signals:
    // Loaded, and unloading: the main window unchecks "Interrogazione", then "Ricerca".
    void loaded();
    void unloading();
    // The user wants the result printed as the catalogue report.
    void printRequested(db::RowSource &rows);
    // A search has run, whatever it found.
    void searched();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static const windowlayout::Layout &layout();
    void search(const QString &prompt, const QString &title, db::SearchField field);
    void query(const db::Search &search);
    void init();
    void bind(std::shared_ptr<db::QueryRowSource> rows);
    void fitGridToWindow();

    const AppContext &m_context;
    // Built from its layout table first; the grid is found by its name.
    const bool m_built = (windowlayout::build(*this, layout()), true);
    QTableView *const m_grid = windowlayout::control<QTableView>(*this, u"dgCustomers");
    IniSettings m_settings;
    db::RowSourceModel *m_model = nullptr;
    std::optional<db::Search> m_search;
};
