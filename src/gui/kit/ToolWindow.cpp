#include "gui/kit/ToolWindow.h"

#include "core/report/Fonts.h"

#include "core/settings/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace toolwindow {

void makeToolWindow(QWidget *window, const QString &name, const QString &caption)
{
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

namespace {

QSize extent(const QMargins &margins)
{
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

// The frame the window has now: none before the window manager has framed it.
// While it reparents the window, the frame can read as nonsense (negative).
QMargins ownFrame(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    const bool drawn = frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
    return drawn ? frame : QMargins();
}

bool inNormalState(const QWidget *window)
{
    return !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// What a window was given before the window manager framed it, reckoned with the
// frame it was expected to get: when the real frame differs, `settle` gives it
// again with the real one. A window shown maximised settles when the user
// restores it. The keeper goes when it is done, or when the window is hidden.
class FrameKeeper : public QObject {
public:
    using Settle = std::function<void(QWidget *window, const QMargins &frame)>;

    FrameKeeper(QWidget *window, const QString &name, const QMargins &assumed, Settle settle)
        : QObject(window), m_assumed(assumed), m_settle(std::move(settle))
    {
        setObjectName(name);
        window->installEventFilter(this);
        m_lookout.setSingleShot(true);
        m_lookout.setInterval(50);
        connect(&m_lookout, &QTimer::timeout, this, &FrameKeeper::check);
    }

    // Puts a keeper on `window` in place of the one of the same name.
    static void keep(QWidget *window, const QString &name, const QMargins &assumed, Settle settle)
    {
        delete window->findChild<QObject *>(name, Qt::FindDirectChildrenOnly);
        new FrameKeeper(window, name, assumed, std::move(settle));
    }

    bool eventFilter(QObject * /*watched*/, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Hide)
            done();
        else if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)
            check();
        return false;
    }

private:
    void check()
    {
        auto *window = static_cast<QWidget *>(parent());
        const QMargins frame = ownFrame(window);
        if (!window->isVisible() || frame.isNull())
            return;
        if (!inNormalState(window)) {
            m_maximisedFrame = frame;
            return;
        }
        // Just restored, the window may still report the frame it had while
        // maximised; the real one arrives without an event of its own, so it is
        // looked for a little while. Meanwhile the window settles with what it has.
        constexpr int lookouts = 40;
        if (frame != m_maximisedFrame || ++m_lookouts > lookouts)
            done();
        else
            m_lookout.start();
        if (frame != m_assumed) {
            m_assumed = frame; // first: settling moves or resizes the window again
            m_settle(window, frame);
        }
    }

    void done()
    {
        m_lookout.stop();
        parent()->removeEventFilter(this);
        deleteLater();
    }

    QMargins m_assumed;
    QMargins m_maximisedFrame;
    QTimer m_lookout;
    int m_lookouts = 0;
    Settle m_settle;
};

void centreFrame(QWidget *window, const QMargins &frame)
{
    const QScreen *display = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!display)
        return;
    QRect area(window->pos(), window->size() + extent(frame));
    area.moveCenter(display->availableGeometry().center());
    // A shown window is placed by its frame directly: the widget may not have
    // learnt of the frame the window manager has just drawn.
    if (QWindow *handle = window->windowHandle(); handle && window->isVisible())
        handle->setFramePosition(area.topLeft());
    else
        window->move(area.topLeft());
}

} // namespace

void centreOnScreen(QWidget *window)
{
    const QMargins frame = frameMargins(window);
    centreFrame(window, frame);
    if (ownFrame(window).isNull())
        FrameKeeper::keep(window, QStringLiteral("centreKeeper"), frame, centreFrame);
}

QMargins frameMargins(const QWidget *window)
{
    const QMargins own = ownFrame(window);
    if (!own.isNull() || window->isVisible())
        return own;
    const Qt::WindowType kind = window->windowType();
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (const QWidget *other : windows)
        if (other != window && other->isVisible() && other->windowType() == kind && !ownFrame(other).isNull())
            return ownFrame(other);
    return QMargins();
}

QRect frameGeometry(const QWidget *window)
{
    // A window's position is its frame's, also before it is shown.
    return QRect(window->pos(), window->size() + extent(frameMargins(window)));
}

void resizeFrame(QWidget *window, const QSize &outer)
{
    const QMargins frame = frameMargins(window);
    window->resize(outer - extent(frame));
    if (ownFrame(window).isNull())
        FrameKeeper::keep(window, QStringLiteral("sizeKeeper"), frame,
                          [outer](QWidget *framed, const QMargins &real) { framed->resize(outer - extent(real)); });
}

void showModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void place(QWidget *control, double left, double top, double width, double height)
{
    control->setGeometry(twips::rect(left, top, width, height));
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setButtonColour(QPushButton *button, const QColor &colour)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
}

QFont font(const QString &family, double points, bool bold)
{
    return fonts::named(family, points, bold);
}

} // namespace toolwindow
