#include "desktop/ToolWindow.h"

#include "core/desktop/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace toolwindow {

void makeToolWindow(QWidget *window, const QString &name, const QString &caption)
{
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void setUp(QWidget *window, const QString &name, const QString &caption, double widthTwips, double heightTwips,
           const QColor &background)
{
    makeToolWindow(window, name, caption);
    window->resize(twips::size(widthTwips, heightTwips));
    setBackground(window, background);
    centreOnScreen(window);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *display = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!display)
        return;
    QRect area = frameGeometry(window);
    area.moveCenter(display->availableGeometry().center());
    window->move(area.topLeft());
}

namespace {

QSize extent(const QMargins &margins)
{
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

// The frame the window has now: none before the window manager has framed it.
QMargins ownFrame(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// Gives a window its outer size again once the window manager has framed it,
// when the frame is not the one its inner size was reckoned with. A window
// shown maximised gets it when the user restores it. The keeper goes when it
// has done so, or when the window is hidden.
class FrameSizeKeeper : public QObject {
public:
    FrameSizeKeeper(QWidget *window, const QSize &outer, const QMargins &assumed)
        : QObject(window), m_outer(outer), m_assumed(assumed)
    {
        setObjectName(QStringLiteral("frameSizeKeeper"));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        const QEvent::Type type = event->type();
        if (type == QEvent::Hide) {
            deleteLater();
        } else if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) {
            const QMargins frame = ownFrame(window);
            const bool normal
                = !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
            if (window->isVisible() && normal && !frame.isNull()) {
                if (frame != m_assumed)
                    window->resize(m_outer - extent(frame));
                window->removeEventFilter(this);
                deleteLater();
            }
        }
        return false;
    }

private:
    QSize m_outer;
    QMargins m_assumed;
};

} // namespace

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
    delete window->findChild<QObject *>(QStringLiteral("frameSizeKeeper"), Qt::FindDirectChildrenOnly);
    if (!window->isVisible())
        new FrameSizeKeeper(window, outer, frame);
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
    QFont result(family);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

} // namespace toolwindow
