#include "gui/browse/Frmlibri.h"

#include "gui/browse/GridListing.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/TabellaEditModel.h"
#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/settings/Twips.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/ToolWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

namespace {
using toolwindow::place;
using toolwindow::sansSerif;

// The grid's colours: white background, blue text; green and yellow backgrounds
// signal a stored row and a row being changed.
const QColor white(255, 255, 255);
const QColor blue(0, 0, 255);
const QColor green(0, 255, 0);
const QColor yellow(255, 255, 0);
} // namespace

Frmlibri::Frmlibri(const AppContext &context, QWidget *parent) : QMainWindow(parent), m_context(context)
{
    toolwindow::makeToolWindow(this, QStringLiteral("Frmlibri"), QStringLiteral("Interrogazione"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(sansSerif(8.25));
    buildWindow();
    toolwindow::centreOnScreen(this);
}

void Frmlibri::load()
{
    // "Ricerca" and "Interrogazione" of the main window cleared; the grid stays
    // empty until the user asks for the table.
    emit loaded();
}

Frmlibri::~Frmlibri() = default;

void Frmlibri::buildWindow()
{
    auto *inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("FrmlibriInner"));
    setCentralWidget(inner);

    Command2 = new QPushButton(QStringLiteral("Stampa Report"), inner);
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, 7920, 7080, 2415, 495);
    Command1 = new QPushButton(QStringLiteral("Stampa"), inner);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 5280, 7080, 2415, 495);

    DataGrid1 = new datagrid::DataGridView(inner);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    place(DataGrid1, 0, 0, 10560, 6135);
    DataGrid1->setFont(sansSerif(8.25));
    DataGrid1->horizontalHeader()->setFont(sansSerif(9.75, true));
    QPalette colours = DataGrid1->palette();
    colours.setColor(QPalette::Text, blue);
    DataGrid1->setPalette(colours);
    setGridBackground(white);
    DataGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    m_model = new browse::TabellaEditModel(*m_context.store, this);
    connect(m_model, &db::RowSourceModel::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    DataGrid1->setModel(m_model);
    DataGrid1->installEventFilter(this);
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &Frmlibri::leaveRow);
    connect(m_model, &browse::TabellaEditModel::rowChangeStarted, this, [this] { setGridBackground(yellow); });
    connect(m_model, &browse::TabellaEditModel::rowStored, this, [this] { setGridBackground(green); });

    Label1
        = new QLabel(QStringLiteral("Nota: Per modificare , basta posizionarsi nel campo interessato, fare la "
                                    "modifica e chiudere la maschera . L'unico Campo non modificabile è il campo ID."),
                     inner);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label1, 240, 6360, 6975, 495);

    Visualizza = menuBar()->addAction(QStringLiteral("&Visualizza"));
    Visualizza->setObjectName(QStringLiteral("Visualizza"));
    connect(Visualizza, &QAction::triggered, this, &Frmlibri::showWholeTable);
    connect(Command1, &QPushButton::clicked, this, &Frmlibri::stampa);
    connect(Command2, &QPushButton::clicked, this, &Frmlibri::stampaReport);

    resize(twips::toPixels(10560), twips::toPixels(7755) + menuBar()->sizeHint().height());
}

void Frmlibri::setGridBackground(const QColor &colour)
{
    QPalette colours = DataGrid1->palette();
    colours.setColor(QPalette::Base, colour);
    DataGrid1->setPalette(colours);
}

void Frmlibri::allowChanges()
{
    // AllowAddNew, AllowDelete and AllowUpdate.
    m_model->setEditable(true);
}

void Frmlibri::showWholeTable()
{
    if (!storePendingEdit())
        return;
    allowChanges();
    query();
}

void Frmlibri::query()
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

void Frmlibri::stampa()
{
    // What is printed is what the table holds; the empty row for a new record is
    // no row of the table and is left out.
    if (!storePendingEdit())
        return;
    const bool editable = m_model->isEditable();
    m_model->setEditable(false);
    browse::printGridListing(m_context, *DataGrid1);
    m_model->setEditable(editable);
}

void Frmlibri::stampaReport()
{
    showWholeTable();
    emit wholeCatalogueReportRequested(this);
}

void Frmlibri::leaveRow(const QModelIndex &current, const QModelIndex &previous)
{
    // The changed row is written when the user leaves it.
    if (!m_model->hasPendingEdit() || previous.row() != m_model->pendingRow() || current.row() == previous.row())
        return;
    if (!guarded(this, *m_context.dialogs, [this] { storeOrAskOnConflict(); })) {
        // The change is kept: the user goes back to its row, to retry or to drop it (Esc).
        const int column = previous.column();
        QMetaObject::invokeMethod(
            this,
            [this, column] {
                if (m_model->hasPendingEdit())
                    DataGrid1->setCurrentIndex(m_model->index(m_model->pendingRow(), column));
            },
            Qt::QueuedConnection);
    }
}

bool Frmlibri::storePendingEdit()
{
    DataGrid1->commitEditor();
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

void Frmlibri::storeOrAskOnConflict()
{
    using IfChanged = browse::TabellaEditModel::IfChangedMeanwhile;
    try {
        m_model->storePendingEdit(IfChanged::Refuse);
    } catch (const db::RecordChanged &changed) {
        // "No", the default, keeps what the other workstation stored.
        if (m_context.dialogs->askBeforeDestroying(
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

bool Frmlibri::dropEditAsked(const QString &why)
{
    if (!m_context.dialogs->ask(this, why + QStringLiteral(" Proseguire perdendo la modifica?"), QMessageBox::Warning))
        return false;
    m_model->discardPendingEdit();
    return true;
}

void Frmlibri::deleteSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &row : DataGrid1->selectionModel()->selectedRows())
        rows.append(row.row());
    if (rows.isEmpty())
        return;
    DataGrid1->commitEditor();
    guarded(this, *m_context.dialogs, [&] {
        // A change of a row that stays is stored first, asking when it meets another workstation's change.
        if (m_model->hasPendingEdit() && !rows.contains(m_model->pendingRow()))
            storeOrAskOnConflict();
        m_model->deleteRows(rows);
    });
}

bool Frmlibri::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DataGrid1 && event->type() == QEvent::KeyPress && !DataGrid1->isEditing()) {
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

void Frmlibri::closeEvent(QCloseEvent *event)
{
    // The change still held by the grid is stored, as Label1 promises.
    if (!storePendingEdit()) {
        event->ignore();
        return;
    }
    event->accept();
}
