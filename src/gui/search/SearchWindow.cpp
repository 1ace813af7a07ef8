#include "gui/search/SearchWindow.h"

#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/catalogue/Store.h"
#include "core/export/CatalogueExport.h"
#include "core/settings/Twips.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/AttachmentMenu.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/ExportMenu.h"
#include "gui/kit/Guard.h"
#include "gui/kit/ToolWindow.h"
#include "gui/kit/WindowPlacement.h"
#include "gui/search/ColumnWidths.h"

#include <QAction>
#include <QCloseEvent>
#include <QTableView>

namespace {

using enum windowlayout::Kind;
constexpr windowlayout::Font sansSerif{u"MS Sans Serif", 8.25, false};

// The grid is placed as designed, then follows the inner area's size.
// clang-format off
constexpr windowlayout::Control controls[] = {
    {.name = u"Form7Inner", .kind = Panel},
    {.name = u"dgCustomers", .kind = Grid, .left = 120, .top = 120, .width = 4455, .height = 1935, .font = sansSerif,
     .headerFont = sansSerif},
    {.name = u"Chiave", .kind = MenuItem, .caption = u"&Ricerca per Chiave"},
    {.name = u"Argomento", .kind = MenuItem, .caption = u"&Ricerca per Argomento"},
    {.name = u"Testo", .kind = MenuItem, .caption = u"&Ricerca per Testo"},
    {.name = u"Pubblicazione", .kind = MenuItem, .caption = u"&Ricerca per Pubblicazione"},
};
// clang-format on

// What each menu item asks for, and where it searches.
struct Search {
    const char16_t *item, *prompt, *title;
    db::SearchField field;
};
const Search searches[] = {
    {u"Chiave", u"Inserisci Chiave", u"Inserimento  Chiave", db::SearchField::Chiave},
    {u"Argomento", u"Inserisci Argomento", u"Inserimento Argomento ", db::SearchField::Argomento},
    {u"Testo", u"Inserisci Testo", u"Inserimento Testo ", db::SearchField::Testo},
    {u"Pubblicazione", u"Inserisci Pubblicazione", u"Inserimento Pubblicazione ", db::SearchField::Pubblicazione},
};

} // namespace

const windowlayout::Layout &SearchWindow::layout()
{
    static const windowlayout::Layout layout{
        {.name = u"Form7", .caption = u"Ricerca", .width = 9555, .height = 5610, .font = sansSerif}, controls};
    return layout;
}

SearchWindow::SearchWindow(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context),
      m_settings(context.programFolder, [this](const QString &text, const QString &title) {
          m_context.dialogs->message(this, text, title, QMessageBox::Ok, QMessageBox::Warning);
      })
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new db::RowSourceModel(this);
    connect(m_model, &db::RowSourceModel::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    m_grid->setModel(m_model);
    columnwidths::saveWhenResized(m_settings, *m_grid);

    for (const Search &s : searches) {
        const QString prompt = QString::fromUtf16(s.prompt), title = QString::fromUtf16(s.title);
        const db::SearchField field = s.field;
        connect(windowlayout::control<QAction>(*this, s.item), &QAction::triggered, this,
                [this, prompt, title, field] { search(prompt, title, field); });
    }
    exportmenu::add(*this, m_context, QStringLiteral("ricerca"), [this]() -> std::optional<exporting::Rows> {
        std::optional<exporting::Rows> rows;
        if (m_model->source())
            guarded(this, *m_context.dialogs, [this, &rows] { rows = exporting::rowsOf(m_model->source()); });
        return rows;
    });
    attachmentmenu::addTo(*m_grid, m_context);
    // The grid follows the inner area's size.
    centralWidget()->installEventFilter(this);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::load()
{
    m_settings.setFileName(m_context.settingsPath());
    placement::restore(m_settings, *this, true);
    // The whole catalogue: the records it holds now, records added later left out.
    guarded(this, *m_context.dialogs, [this] { bind(m_context.store->catalogueSnapshot()); });
    emit loaded();
}

void SearchWindow::bind(std::shared_ptr<db::QueryRowSource> rows)
{
    m_model->setSource(std::move(rows));
    columnwidths::restore(m_settings, *m_grid, QStringLiteral("dgCustomers"), true);
}

void SearchWindow::search(const QString &prompt, const QString &title, db::SearchField field)
{
    Dialogs &dialogs = *m_context.dialogs;
    const InputAnswer answer = dialogs.input(this, prompt, title);
    if (answer.text.isEmpty()) { // also Cancel, which gives the empty text
        dialogs.message(this, QStringLiteral("Input errato!"), QStringLiteral("Input errato"), QMessageBox::Ok,
                        QMessageBox::Information);
        return;
    }
    m_search = db::Search{field, answer.text};
    query(*m_search);
    init();
    emit searched();
}

void SearchWindow::query(const db::Search &search)
{
    Dialogs &dialogs = *m_context.dialogs;
    guarded(this, dialogs, [&] {
        // The records found now: those added later are not part of the result.
        const auto rows = m_context.store->search(search);
        if (rows->rowCount() == 0) {
            dialogs.message(this, QStringLiteral("Nessun record trovato"), QStringLiteral("Ricerca fallita"),
                            QMessageBox::Ok, QMessageBox::Information);
            return;
        }
        bind(rows);
        if (dialogs.message(this, QStringLiteral("Vuoi Stampare la Ricerca ?"), QStringLiteral("Ricerca"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon)
            == QMessageBox::Yes)
            emit printRequested(*rows);
    });
}

void SearchWindow::init()
{
    // No additions, deletions or changes: the result is never written back.
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        fitGridToWindow();
    return QMainWindow::eventFilter(watched, event);
}

void SearchWindow::fitGridToWindow()
{
    // The grid keeps its left and top margin on the right and at the bottom too.
    // A window too small for that leaves the grid at its last size.
    const float left = float(twips::fromPixels(m_grid->x()));
    const float top = float(twips::fromPixels(m_grid->y()));
    const float width = float(twips::fromPixels(centralWidget()->width())) - 2 * left;
    const float height = float(twips::fromPixels(centralWidget()->height())) - 2 * top;
    if (width < 0 || height < 0)
        return;
    m_grid->resize(twips::toPixels(width), twips::toPixels(height));
}

void SearchWindow::closeEvent(QCloseEvent *event)
{
    // Unloading: placement saved, then "Ricerca" of the main window cleared.
    placement::save(m_settings, *this);
    emit unloading();
    event->accept();
}
