#include "search/Form7.h"

#include "app/Form1.h"
#include "app/Guard.h"
#include "app/Windows.h"
#include "browse/rptBooks.h"
#include "db/Connection.h"
#include "db/QueryRowSource.h"
#include "db/RowSourceModel.h"
#include "desktop/DataGrid.h"
#include "desktop/Dialogs.h"
#include "desktop/Twips.h"
#include "search/modDataGrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QTableView>

namespace {
// The typed text goes into the quoted pattern as typed; only its apostrophes are
// doubled, so that it cannot end the pattern early (O'Brien is found) nor change
// the statement.
QString insidePattern(QString typed)
{
    return typed.replace(QLatin1Char('\''), QStringLiteral("''"));
}
} // namespace

Form7::Form7(Windows &windows, QWidget *parent)
    : QMainWindow(parent), m_windows(windows), m_settings(windows.context().programFolder, windows.context().dialogs)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Ricerca"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    load();
}

Form7::~Form7() = default;

void Form7::buildWindow()
{
    auto *inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("Form7Inner"));
    setCentralWidget(inner);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    setFont(font);
    dgCustomers = new datagrid::DataGridView(inner);
    dgCustomers->setObjectName(QStringLiteral("dgCustomers"));
    dgCustomers->setFont(font);
    dgCustomers->horizontalHeader()->setFont(font);
    dgCustomers->setGeometry(twips::rect(120, 120, 4455, 1935));
    dgCustomers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new db::RowSourceModel(this);
    dgCustomers->setModel(m_model);
    GrigliaSalvaLarghezze(m_settings, *dgCustomers);

    struct Search {
        QAction *Form7::*action;
        const char16_t *name, *caption, *prompt, *title, *prefix;
    };
    static const Search searches[] = {
        {&Form7::Chiave, u"Chiave", u"&Ricerca per Chiave", u"Inserisci Chiave", u"Inserimento  Chiave",
         u"SELECT * FROM tabella WHERE chiave LIKE '%"},
        {&Form7::Argomento, u"Argomento", u"&Ricerca per Argomento", u"Inserisci Argomento", u"Inserimento Argomento ",
         u"SELECT * FROM tabella WHERE argomento LIKE '%"},
        {&Form7::Testo, u"Testo", u"&Ricerca per Testo", u"Inserisci Testo", u"Inserimento Testo ",
         u"SELECT * FROM tabella WHERE testo LIKE '%"},
        {&Form7::Pubblicazione, u"Pubblicazione", u"&Ricerca per Pubblicazione", u"Inserisci Pubblicazione",
         u"Inserimento Pubblicazione ", u"SELECT * FROM tabella WHERE pubblicazione LIKE '%"},
    };
    for (const Search &s : searches) {
        QAction *action = menuBar()->addAction(QString::fromUtf16(s.caption));
        action->setObjectName(QString::fromUtf16(s.name));
        this->*s.action = action;
        const QString prompt = QString::fromUtf16(s.prompt), title = QString::fromUtf16(s.title),
                      prefix = QString::fromUtf16(s.prefix);
        connect(action, &QAction::triggered, this, [this, prompt, title, prefix] { search(prompt, title, prefix); });
    }

    // The designed inner area; the grid follows the inner area's size.
    inner->installEventFilter(this);
    resize(twips::toPixels(9555), twips::toPixels(5610) + menuBar()->sizeHint().height());
}

void Form7::load()
{
    m_settings.setFilename(m_windows.context().settingsPath());
    m_settings.FinestraLeggiPosizione(*this, true);
    // The whole catalogue, as it is now: a snapshot that later changes do not touch.
    guarded(this, *m_windows.context().dialogs, [this] {
        bind(std::make_shared<db::QueryRowSource>(db::connectionTextA(m_windows.context().programFolder),
                                                  QStringLiteral("SELECT * FROM tabella"), true));
    });
    m_windows.form1().Check7->setChecked(false);
}

void Form7::bind(std::shared_ptr<db::QueryRowSource> rows)
{
    m_model->setSource(std::move(rows));
    GrigliaLeggiColonne(m_settings, *dgCustomers, QStringLiteral("dgCustomers"), true);
}

void Form7::search(const QString &prompt, const QString &title, const QString &prefix)
{
    Dialogs &dialogs = *m_windows.context().dialogs;
    const InputAnswer answer = dialogs.input(this, prompt, title);
    if (answer.text.isEmpty()) { // also Cancel, which gives the empty text
        dialogs.message(this, QStringLiteral("Input errato!"), QStringLiteral("Input errato"), QMessageBox::Ok,
                        QMessageBox::Information);
        return;
    }
    m_statement = prefix + insidePattern(answer.text) + QStringLiteral("%'");
    query(m_statement);
    init();
}

void Form7::query(const QString &str)
{
    Dialogs &dialogs = *m_windows.context().dialogs;
    guarded(this, dialogs, [&] {
        // A snapshot: the result stays as the search found it while it is shown.
        auto rows
            = std::make_shared<db::QueryRowSource>(db::connectionTextA(m_windows.context().programFolder), str, true);
        if (rows->rowCount() == 0) {
            dialogs.message(this, QStringLiteral("Nessun record trovato"), QStringLiteral("Ricerca fallita"),
                            QMessageBox::Ok, QMessageBox::Information);
            return;
        }
        bind(rows);
        if (dialogs.message(this, QStringLiteral("Vuoi Stampare la Ricerca ?"), QStringLiteral("Ricerca"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon)
            == QMessageBox::Yes)
            m_windows.report().showModal(*rows);
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
    m_settings.FinestraSalvaPosizione(*this);
    m_windows.form1().Check4->setChecked(false);
    event->accept();
}
