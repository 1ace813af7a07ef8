#pragma once
// The catalogue report's preview window "Stampa Elenco" (the original's report
// rptBooks). Created once by the
// window registry, sized to nine tenths of the screen and centred; each caller
// hands it the rows to print and shows it maximised and modal with showModal().
// It draws only the page in view, pages through the report and prints it
// through the print dialog. The first page shows as soon as its rows are there;
// while the others arrive the user pages through those ready, and the page
// count ("Pagina 1 di N") appears once they all have.
#include "core/report/BandedReport.h"

#include <QWidget>
#include <memory>

struct AppContext;
class QComboBox;
class QEventLoop;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace db {
class DbError;
class RowSource;
} // namespace db

class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(const AppContext &context, QWidget *parent = nullptr);
    ~ReportPreview() override;

    // Shows the report of `rows` maximised and modal and returns when the user has
    // closed the window; the rows are not read any more afterwards. Rows without a
    // field of the report: a message, nothing shown, false.
    bool showModal(db::RowSource &rows);

    // The report being shown (nullptr when none), and the page in view (from 1).
    const report::BandedReport *report() const { return m_report.get(); }
    int currentPage() const { return m_page; }
    void goToPage(int page);
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    // Asks for a printer through the print dialog and prints the chosen pages.
    void print();
    // A page could not be read from the catalogue: the user is told, once a report.
    void pageUnreadable(const db::DbError &error) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateControls();
    void applyZoom(double zoom);
    void fitToWindow(); // "Larghezza pagina" and "Pagina intera"

    const AppContext &m_context;
    db::RowSource *m_rows = nullptr;
    std::unique_ptr<report::BandedReport> m_report;
    QEventLoop *m_modalLoop = nullptr;
    int m_page = 1;
    double m_zoom = 1.0;
    enum class Fit { None, Width, Page } m_fit = Fit::None;
    mutable bool m_unreadableTold = false;

    QToolButton *m_first;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_last;
    QSpinBox *m_goTo;
    QLabel *m_pageLabel;
    QComboBox *m_zoomBox;
    QPushButton *m_print;
    QPushButton *m_close;
    QScrollArea *m_scroll;
    QWidget *m_pageView;
};
