#include "gui/browse/BrowseWindow.h"

#include "core/engines/DbError.h"
#include "gui/browse/GridListing.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/TabellaEditModel.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/export/CatalogueExport.h"
#include "core/catalogue/TabellaEditModel.h"
#include "core/settings/Twips.h"
#include "gui/browse/GridListing.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/AttachmentMenu.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/ExportMenu.h"
#include "gui/kit/Guard.h"
#include "gui/kit/RowWindow.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

namespace {

using enum windowlayout::Kind;
constexpr windowlayout::Font sansSerif{u"MS Sans Serif", 8.25, false};

// The grid's colours: white background, blue text; green and yellow backgrounds
// signal a stored row and a row being changed.
const QColor white(255, 255, 255);
const QColor green(0, 255, 0);
const QColor yellow(255, 255, 0);

// clang-format off
constexpr windowlayout::Control controls[] = {
    {.name = u"FrmlibriInner", .kind = Panel},
    {.name = u"Command2", .kind = Button, .caption = u"Stampa Report", .left = 7920, .top = 7080, .width = 2415,
     .height = 495},
    {.name = u"Command1", .kind = Button, .caption = u"Stampa", .left = 5280, .top = 7080, .width = 2415,
     .height = 495},
    {.name = u"DataGrid1", .kind = Grid, .left = 0, .top = 0, .width = 10560, .height = 6135, .font = sansSerif,
     .headerFont = {u"MS Sans Serif", 9.75, true}, .textColour = qRgb(0, 0, 255)},
    {.name = u"Label1", .kind = Label,
     .caption = u"Nota: Per modificare , basta posizionarsi nel campo interessato, fare la modifica e chiudere la "
                u"maschera . L'unico Campo non modificabile è il campo ID.",
     .left = 240, .top = 6360, .width = 6975, .height = 495, .alignment = Qt::AlignLeft | Qt::AlignTop,
     .wordWrap = true},
    {.name = u"Visualizza", .kind = MenuItem, .caption = u"&Visualizza"},
};
// clang-format on

} // namespace

const windowlayout::Layout &BrowseWindow::layout()
{
    static const windowlayout::Layout layout{
        {.name = u"Frmlibri", .caption = u"Interrogazione", .width = 10560, .height = 7755, .font = sansSerif},
        controls};
    return layout;
}

BrowseWindow::BrowseWindow(const AppContext &context, QWidget *parent) : QMainWindow(parent), m_context(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setGridBackground(white);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    m_model = new browse::TabellaEditModel(*m_context.store, this);
    connect(m_model, &db::RowSourceModel::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    m_grid->setModel(m_model);
    m_grid->installEventFilter(this);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &BrowseWindow::leaveRow);
    connect(m_model, &browse::TabellaEditModel::rowChangeStarted, this, [this] { setGridBackground(yellow); });
    connect(m_model, &browse::TabellaEditModel::rowStored, this, [this] { setGridBackground(green); });

    connect(windowlayout::control<QAction>(*this, u"Visualizza"), &QAction::triggered, this,
            &BrowseWindow::showWholeTable);
    // The whole catalogue as stored, a change the grid holds stored first.
    exportmenu::add(*this, m_context, QStringLiteral("catalogo"), [this]() -> std::optional<exporting::Rows> {
        if (!storePendingEdit())
            return std::nullopt;
        return exporting::wholeCatalogue(*m_context.store);
    });
    attachmentmenu::addTo(*m_grid, m_context);
    connect(m_listingButton, &QPushButton::clicked, this, &BrowseWindow::printListing);
    connect(m_reportButton, &QPushButton::clicked, this, &BrowseWindow::printReport);
    toolwindow::centreOnScreen(this);
}

void BrowseWindow::load()
{
    // "Ricerca" and "Interrogazione" of the main window cleared; the grid stays
    // empty until the user asks for the table.
    emit loaded();
}

BrowseWindow::~BrowseWindow() = default;

void BrowseWindow::setGridBackground(const QColor &colour)
{
    QPalette colours = m_grid->palette();
    colours.setColor(QPalette::Base, colour);
    m_grid->setPalette(colours);
}

void BrowseWindow::allowChanges()
{
    // AllowAddNew, AllowDelete and AllowUpdate.
    m_model->setEditable(true);
}

void BrowseWindow::showWholeTable()
{
    if (!storePendingEdit())
        return;
    allowChanges();
    query();
}

void BrowseWindow::query()
{
    Dialogs &dialogs = *m_context.dialogs;
    guarded(this, dialogs, [&] {
        // Read live: the grid shows what the table holds when a row is drawn.
        auto rows = m_context.store->browseRows();
        if (rows->rowCount() == 0) {
            dialogs.message(this, QStringLiteral("Nessun record trovato"), QStringLiteral("Ricerca fallita"),
                            QMessageBox::Ok, QMessageBox::Information);
            return;
        }
        m_model->setRows(std::move(rows));
    });
}

void BrowseWindow::printListing()
{
    // What is printed is what the table holds, every row of it; the empty row
    // for a new record is no row of the table and is left out.
    if (!storePendingEdit())
        return;
    if (m_model->source() && !guarded(this, *m_context.dialogs, [this] { m_model->source()->readAll(); }))
        return;
    const bool editable = m_model->isEditable();
    m_model->setEditable(false);
    browse::printGridListing(m_context, *m_grid);
    m_model->setEditable(editable);
}

void BrowseWindow::printReport()
{
    showWholeTable();
    emit wholeCatalogueReportRequested(this);
}

void BrowseWindow::leaveRow(const QModelIndex &current, const QModelIndex &previous)
{
    // The changed row is written when the user leaves it.
    if (!m_model->hasPendingEdit() || RowWindow::rowOf(current) == m_model->pendingRow()
        || current.row() == previous.row())
        return;
    if (!guarded(this, *m_context.dialogs, [this] { storeOrAskOnConflict(); })) {
        // The change is kept: the user goes back to its row, to retry or to drop it (Esc).
        const int column = previous.column();
        QMetaObject::invokeMethod(
            this,
            [this, column] {
                if (m_model->hasPendingEdit())
                    RowWindow::setCurrent(*m_grid, m_model->index(m_model->pendingRow(), column));
            },
            Qt::QueuedConnection);
    }
}

bool BrowseWindow::storePendingEdit()
{
    m_grid->commitEditor();
    if (!m_model->hasPendingEdit())
        return true;
    try {
        storeOrAskOnConflict();
        return true;
    } catch (const db::DbError &error) {
        return dropEditAsked(db::failureMessage(error)
                             + QStringLiteral("\n\nLa modifica della riga non è stata salvata."));
    } catch (const db::Refusal &refusal) {
        return dropEditAsked(refusal.message());
    }
}

void BrowseWindow::storeOrAskOnConflict()
{
    using IfChanged = browse::TabellaEditModel::IfChangedMeanwhile;
    try {
        m_model->storePendingEdit(IfChanged::Refuse);
    } catch (const db::RecordChanged &changed) {
        // "No", the default, keeps what the other workstation stored.
        if (m_context.dialogs->askBeforeChanging(
                this,
                changed.message()
                    + QStringLiteral("\nSalvare comunque le sue modifiche (Sì) o ricaricare il record com'è ora nel "
                                     "catalogo (No)?"),
                texts::applicationTitle(), QMessageBox::Warning))
            m_model->storePendingEdit(IfChanged::Overwrite);
        else
            m_model->discardPendingEdit();
    }
}

bool BrowseWindow::dropEditAsked(const QString &why)
{
    if (!m_context.dialogs->askBeforeChanging(this, why + QStringLiteral(" Proseguire perdendo la modifica?"), QString(),
                                              QMessageBox::Warning))
        return false;
    m_model->discardPendingEdit();
    return true;
}

void BrowseWindow::deleteSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &row : m_grid->selectionModel()->selectedRows())
        rows.append(RowWindow::rowOf(row));
    if (rows.isEmpty())
        return;
    m_grid->commitEditor();
    guarded(this, *m_context.dialogs, [&] {
        // A change of a row that stays is stored first, asking when it meets another workstation's change.
        if (m_model->hasPendingEdit() && !rows.contains(m_model->pendingRow()))
            storeOrAskOnConflict();
        m_model->deleteRows(rows);
    });
}

bool BrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress && !m_grid->isEditing()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete && m_model->isEditable()) {
            // Rows chosen with their row selectors are deleted, as the data grid does.
            deleteSelectedRows();
            return true;
        }
        if (key == Qt::Key_Escape && m_model->hasPendingEdit()) {
            m_model->discardPendingEdit(); // Esc drops the row's unsaved change
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void BrowseWindow::closeEvent(QCloseEvent *event)
{
    // The change still held by the grid is stored, as Label1 promises.
    if (!storePendingEdit()) {
        event->ignore();
        return;
    }
    event->accept();
}
