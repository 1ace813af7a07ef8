#include "gui/browse/ReportPreview.h"

#include "core/engines/DbError.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/RowSource.h"
#include "core/report/CatalogueReportLayout.h"
#include "core/settings/Twips.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/Printers.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The zoom box's entries that fit the page to the window rather than scale it.
constexpr double fitWidthData = -1.0;
constexpr double fitPageData = 0.0;

// The sheet the preview shows: A4 portrait, the paper of an Italian office.
QSize previewPaperTwips()
{
    return report::BandedReport::paperTwips(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
}

// Draws the one page in view at the window's zoom.
class PageView : public QWidget {
public:
    explicit PageView(const ReportPreview &window) : m_window(window)
    {
        setObjectName(QStringLiteral("pagina"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void fitToPaper()
    {
        const report::BandedReport *shown = m_window.report();
        const QSize paper = shown ? shown->paperTwips() : previewPaperTwips();
        const double pixels = m_window.zoom() / twips::perPixel();
        setFixedSize(qRound(paper.width() * pixels), qRound(paper.height() * pixels));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (const report::BandedReport *shown = m_window.report()) {
            painter.setRenderHint(QPainter::Antialiasing);
            report::BandedReport::scaleToTwips(painter, m_window.zoom());
            try {
                shown->drawPage(painter, m_window.currentPage());
            } catch (const db::DbError &error) {
                m_window.pageUnreadable(error);
            }
        }
    }

private:
    const ReportPreview &m_window;
};

QToolButton *pageButton(const char *name, const QString &text, const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(tip);
    return button;
}

} // namespace

ReportPreview::ReportPreview(const AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context)
{
    setObjectName(QStringLiteral("rptBooks"));
    setWindowTitle(QStringLiteral("Stampa Elenco"));

    m_first = pageButton("primaPagina", QStringLiteral("|◀"), QStringLiteral("Prima pagina"), this);
    m_previous = pageButton("paginaPrecedente", QStringLiteral("◀"), QStringLiteral("Pagina precedente"), this);
    m_next = pageButton("paginaSuccessiva", QStringLiteral("▶"), QStringLiteral("Pagina successiva"), this);
    m_last = pageButton("ultimaPagina", QStringLiteral("▶|"), QStringLiteral("Ultima pagina"), this);
    m_goTo = new QSpinBox(this);
    m_goTo->setObjectName(QStringLiteral("vaiAPagina"));
    m_goTo->setToolTip(QStringLiteral("Vai alla pagina"));
    m_goTo->setKeyboardTracking(false); // go when the number is complete, not at every digit
    m_goTo->setMinimumWidth(90);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("indicatorePagina"));
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoom"));
    m_zoomBox->setToolTip(QStringLiteral("Zoom"));
    for (int percent : {50, 75, 100, 150, 200})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    // The page fitted to the window's width, or whole in the window.
    m_zoomBox->addItem(QStringLiteral("Larghezza pagina"), fitWidthData);
    m_zoomBox->addItem(QStringLiteral("Pagina intera"), fitPageData);
    m_zoomBox->setCurrentIndex(m_zoomBox->findData(1.0));
    m_print = new QPushButton(QStringLiteral("Stampa..."), this);
    m_print->setObjectName(QStringLiteral("stampa"));
    m_close = new QPushButton(QStringLiteral("Chiudi"), this);
    m_close->setObjectName(QStringLiteral("chiudi"));

    auto *pageView = new PageView(*this);
    m_pageView = pageView;
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("anteprima"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(pageView);
    pageView->fitToPaper();

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_first);
    bar->addWidget(m_previous);
    bar->addWidget(m_goTo);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
    bar->addSpacing(12);
    bar->addWidget(m_pageLabel);
    bar->addSpacing(12);
    bar->addWidget(m_zoomBox);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QToolButton::clicked, this, [this] { goToPage(1); });
    connect(m_previous, &QToolButton::clicked, this, [this] { goToPage(m_page - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { goToPage(m_page + 1); });
    connect(m_last, &QToolButton::clicked, this, [this] { goToPage(m_report ? m_report->pageCount() : 1); });
    connect(m_goTo, &QSpinBox::valueChanged, this, &ReportPreview::goToPage);
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, [this] {
        const double chosen = m_zoomBox->currentData().toDouble();
        m_fit = chosen == fitWidthData ? Fit::Width : chosen == fitPageData ? Fit::Page : Fit::None;
        if (m_fit == Fit::None)
            setZoom(chosen);
        else
            fitToWindow();
    });
    connect(m_print, &QPushButton::clicked, this, &ReportPreview::print);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    // Nine tenths of the screen, centred: the size the window takes when the user
    // restores it from maximised.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const float screenWidth = float(twips::fromPixels(area.width()));
        const float screenHeight = float(twips::fromPixels(area.height()));
        const float width = screenWidth / 10 * 9;
        const float height = screenHeight / 10 * 9;
        setGeometry(area.x() + twips::toPixels((screenWidth - width) / 2),
                    area.y() + twips::toPixels((screenHeight - height) / 2), twips::toPixels(width),
                    twips::toPixels(height));
    }
    updateControls();
}

ReportPreview::~ReportPreview()
{
    if (m_modalLoop)
        m_modalLoop->quit();
}

void ReportPreview::pageUnreadable(const db::DbError &error) const
{
    // Told once a report, after the painting is over.
    if (m_unreadableTold)
        return;
    m_unreadableTold = true;
    QMetaObject::invokeMethod(
        const_cast<ReportPreview *>(this),
        [this, error] { m_context.dialogs->fail(const_cast<ReportPreview *>(this), db::failureMessage(error)); },
        Qt::QueuedConnection);
}

bool ReportPreview::showModal(db::RowSource &rows)
{
    if (m_modalLoop) { // already shown: the one window comes forward
        toolwindow::showModeless(this);
        return false;
    }

    auto shown = std::make_unique<report::BandedReport>(report::catalogueReportLayout(), rows, previewPaperTwips());
    const QStringList missing = shown->missingFields();
    if (!missing.isEmpty()) {
        m_context.dialogs->message(parentWidget(),
                                   QStringLiteral("Impossibile mostrare il report: ai dati mancano i campi %1.")
                                       .arg(missing.join(QStringLiteral(", "))),
                                   texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    m_rows = &rows;
    m_report = std::move(shown);
    m_unreadableTold = false;
    m_page = 1;
    updateControls();
    static_cast<PageView *>(m_pageView)->fitToPaper();
    // Pages become ready as their rows arrive; the page count, printed at the
    // foot of each page, once they all have.
    connect(&rows, &db::RowSource::rowsArrived, this, &ReportPreview::updateControls);
    connect(&rows, &db::RowSource::completed, this, [this] {
        updateControls();
        m_pageView->update();
    });
    connect(&rows, &db::RowSource::arrivalFailed, this, &ReportPreview::pageUnreadable);
    // Opens with the page as wide as the window: the whole line, and the page
    // number a short scroll away, on any screen.
    m_zoomBox->setCurrentIndex(m_zoomBox->findData(fitWidthData));

    setWindowModality(Qt::ApplicationModal);
    showMaximized();
    raise();
    activateWindow();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    m_modalLoop = nullptr;

    // The caller releases the rows next: forget them.
    rows.disconnect(this);
    m_report.reset();
    m_rows = nullptr;
    m_page = 1;
    updateControls();
    static_cast<PageView *>(m_pageView)->fitToPaper();
    return true;
}

void ReportPreview::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_modalLoop)
        m_modalLoop->quit();
}

void ReportPreview::goToPage(int page)
{
    const int last = m_report ? std::max(1, m_report->pagesReady()) : 1;
    page = qBound(1, page, last);
    if (page == m_page && m_goTo->value() == page)
        return;
    m_page = page;
    updateControls();
    m_pageView->update();
    m_scroll->verticalScrollBar()->setValue(0); // a new page is read from its top
}

void ReportPreview::setZoom(double zoom)
{
    m_fit = Fit::None;
    applyZoom(zoom);
    const int index = m_zoomBox->findData(m_zoom);
    if (index >= 0 && index != m_zoomBox->currentIndex())
        m_zoomBox->setCurrentIndex(index);
}

void ReportPreview::applyZoom(double zoom)
{
    m_zoom = qBound(0.1, zoom, 8.0);
    static_cast<PageView *>(m_pageView)->fitToPaper();
}

void ReportPreview::fitToWindow()
{
    const QSize paper = m_report ? m_report->paperTwips() : previewPaperTwips();
    const double perPixel = twips::perPixel();
    // The room inside the scroll area's frame, a small border left around the page.
    const int frame = 2 * m_scroll->frameWidth() + 8;
    const QSize room = m_scroll->size() - QSize(frame, frame);
    if (m_fit == Fit::Page) {
        applyZoom(std::min(room.width() * perPixel / paper.width(), room.height() * perPixel / paper.height()));
    } else {
        // A page as wide as the window is taller than it: room for the scroll bar.
        const int scrollBar = m_scroll->verticalScrollBar()->sizeHint().width();
        applyZoom((room.width() - scrollBar) * perPixel / paper.width());
    }
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_fit != Fit::None)
        fitToWindow();
}

void ReportPreview::updateControls()
{
    const int last = m_report ? std::max(1, m_report->pagesReady()) : 1;
    {
        const QSignalBlocker blocker(m_goTo);
        m_goTo->setRange(1, last);
        m_goTo->setValue(m_page);
    }
    if (!m_report || m_report->pageCountKnown())
        m_pageLabel->setText(QStringLiteral("Pagina %1 di %2").arg(m_page).arg(last));
    else
        m_pageLabel->setText(QStringLiteral("Pagina %1").arg(m_page));
    m_first->setEnabled(m_page > 1);
    m_previous->setEnabled(m_page > 1);
    m_next->setEnabled(m_page < last);
    m_last->setEnabled(m_page < last);
    m_goTo->setEnabled(last > 1);
    m_print->setEnabled(m_report != nullptr);
}

void ReportPreview::print()
{
    if (!m_report || !m_rows)
        return;
    const AppContext &context = m_context;
    // Every page is printed: the rows still to come are read first.
    if (!guarded(this, *context.dialogs, [this] { m_rows->readAll(); }))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    printer.setDocName(windowTitle());
    if (!context.printers->choosePrinter(this, printer, 1, m_report->pageCount()))
        return;

    // Laid out again on the paper chosen, which may differ from the preview's.
    const report::BandedReport onPaper(m_report->layout(), *m_rows,
                                       report::BandedReport::paperTwips(printer.pageLayout()), m_report->date());
    const report::ReportLayout &layout = onPaper.layout();
    if (layout.leftMargin + layout.reportWidth + layout.rightMargin > onPaper.paperTwips().width()) {
        context.dialogs->message(this,
                                 QStringLiteral("Il foglio scelto è più stretto del report (20 cm): "
                                                "scegliere un foglio più largo."),
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const bool range = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int from = range ? printer.fromPage() : 1;
    const int to = range ? printer.toPage() : onPaper.pageCount();
    printer.setFullPage(true);
    bool printed = false;
    if (!guarded(this, *context.dialogs, [&] { printed = onPaper.print(printer, from, to); }))
        return; // the catalogue could not be read: already told, nothing more to say
    const QString problem = printed ? Printers::deliveryProblem(printer) : QString();
    if (!printed || !problem.isEmpty()) {
        const QString failed = QStringLiteral("La stampa del report non è riuscita: "
                                              "controllare la stampante e riprovare.");
        context.dialogs->message(this, problem.isEmpty() ? failed : failed + QLatin1Char('\n') + problem,
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const QString file = Printers::fileWritten(printer);
    if (!file.isEmpty())
        context.dialogs->message(this, QStringLiteral("Il report è stato salvato nel file:\n%1").arg(file),
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Information);
}
