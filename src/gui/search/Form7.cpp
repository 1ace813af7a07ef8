#include "gui/search/Form7.h"

#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/catalogue/Store.h"
#include "core/settings/Twips.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/ToolWindow.h"
#include "gui/kit/WindowPlacement.h"
#include "gui/search/modDataGrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QTableView>

Form7::Form7(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context),
      m_settings(context.programFolder, [this](const QString &text, const QString &title) {
          m_context.dialogs->message(this, text, title, QMessageBox::Ok, QMessageBox::Warning);
      })
{
    toolwindow::makeToolWindow(this, QStringLiteral("Form7"), QStringLiteral("Ricerca"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
}

Form7::~Form7() = default;

void Form7::buildWindow()
{
    auto *inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("Form7Inner"));
    setCentralWidget(inner);

    const QFont font = toolwindow::sansSerif(8.25);
    setFont(font);
    dgCustomers = new datagrid::DataGridView(inner);
    dgCustomers->setObjectName(QStringLiteral("dgCustomers"));
    dgCustomers->setFont(font);
    dgCustomers->horizontalHeader()->setFont(font);
    toolwindow::place(dgCustomers, 120, 120, 4455, 1935);
    dgCustomers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new db::RowSourceModel(this);
    connect(m_model, &db::RowSourceModel::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    dgCustomers->setModel(m_model);
    GrigliaSalvaLarghezze(m_settings, *dgCustomers);

    struct Search {
        QAction *Form7::*action;
        const char16_t *name, *caption, *prompt, *title;
        db::SearchField field;
    };
    static const Search searches[] = {
        {&Form7::Chiave, u"Chiave", u"&Ricerca per Chiave", u"Inserisci Chiave", u"Inserimento  Chiave",
         db::SearchField::Chiave},
        {&Form7::Argomento, u"Argomento", u"&Ricerca per Argomento", u"Inserisci Argomento", u"Inserimento Argomento ",
         db::SearchField::Argomento},
        {&Form7::Testo, u"Testo", u"&Ricerca per Testo", u"Inserisci Testo", u"Inserimento Testo ",
         db::SearchField::Testo},
        {&Form7::Pubblicazione, u"Pubblicazione", u"&Ricerca per Pubblicazione", u"Inserisci Pubblicazione",
         u"Inserimento Pubblicazione ", db::SearchField::Pubblicazione},
    };
    for (const Search &s : searches) {
        QAction *action = menuBar()->addAction(QString::fromUtf16(s.caption));
        action->setObjectName(QString::fromUtf16(s.name));
        this->*s.action = action;
        const QString prompt = QString::fromUtf16(s.prompt), title = QString::fromUtf16(s.title);
        const db::SearchField field = s.field;
        connect(action, &QAction::triggered, this, [this, prompt, title, field] { search(prompt, title, field); });
    }

    // The designed inner area; the grid follows the inner area's size.
    inner->installEventFilter(this);
    resize(twips::toPixels(9555), twips::toPixels(5610) + menuBar()->sizeHint().height());
}

void Form7::load()
{
    m_settings.setFilename(m_context.settingsPath());
    placement::restore(m_settings, *this, true);
    // The whole catalogue, as it is now: a snapshot that later changes do not touch.
    guarded(this, *m_context.dialogs, [this] { bind(m_context.store->catalogueSnapshot()); });
    emit loaded();
}

void Form7::bind(std::shared_ptr<db::QueryRowSource> rows)
{
    m_model->setSource(std::move(rows));
    GrigliaLeggiColonne(m_settings, *dgCustomers, QStringLiteral("dgCustomers"), true);
}

void Form7::search(const QString &prompt, const QString &title, db::SearchField field)
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
}

void Form7::query(const db::Search &search)
{
    Dialogs &dialogs = *m_context.dialogs;
    guarded(this, dialogs, [&] {
        // A snapshot: the result stays as the search found it while it is shown.
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

void Form7::init()
{
    // No additions, deletions or changes: the result is never written back.
    dgCustomers->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

bool Form7::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        fitGridToWindow();
    return QMainWindow::eventFilter(watched, event);
}

void Form7::fitGridToWindow()
{
    // The grid keeps its left and top margin on the right and at the bottom too.
    // A window too small for that leaves the grid at its last size.
    const float left = float(twips::fromPixels(dgCustomers->x()));
    const float top = float(twips::fromPixels(dgCustomers->y()));
    const float width = float(twips::fromPixels(centralWidget()->width())) - 2 * left;
    const float height = float(twips::fromPixels(centralWidget()->height())) - 2 * top;
    if (width < 0 || height < 0)
        return;
    dgCustomers->resize(twips::toPixels(width), twips::toPixels(height));
}

void Form7::closeEvent(QCloseEvent *event)
{
    // Unloading: placement saved, then "Ricerca" of the main window cleared.
    placement::save(m_settings, *this);
    emit unloading();
    event->accept();
}
