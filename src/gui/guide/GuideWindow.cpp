#include "gui/guide/GuideWindow.h"

#include <QDesktopServices>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

GuideWindow::GuideWindow(const QString &source, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Guida"));
    setWindowTitle(QStringLiteral("Guida di Rudozuzurivaz"));
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("testoGuida"));
    m_text->setOpenLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    connect(m_text, &QTextBrowser::anchorClicked, this, &GuideWindow::followLink);
    m_text->setSource(QUrl(QStringLiteral("qrc") + source), QTextDocument::MarkdownResource);
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() > 0)
            m_headings.insert(linkName(block.text()), block.position());
    resize(820, 720);
}

QString GuideWindow::linkName(const QString &heading)
{
    QString name;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            name += c;
        else if (c.isSpace())
            name += QLatin1Char('-');
    }
    return name;
}

QStringList GuideWindow::chapters() const
{
    QList<std::pair<int, QString>> byPosition;
    for (auto heading = m_headings.cbegin(); heading != m_headings.cend(); ++heading)
        byPosition.append({heading.value(), heading.key()});
    std::sort(byPosition.begin(), byPosition.end());
    QStringList names;
    for (const auto &[position, name] : byPosition)
        names.append(name);
    return names;
}

void GuideWindow::showChapter(const QString &chapter)
{
    const int position = m_headings.value(chapter, 0);
    // The heading at the top of the window: to the end first, then back to it.
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
    QTextCursor cursor(m_text->document());
    cursor.setPosition(position);
    m_text->setTextCursor(cursor);
    m_text->ensureCursorVisible();
}

QString GuideWindow::chapterShown() const
{
    const int top = m_text->cursorForPosition(QPoint(0, 0)).position();
    QString shown;
    int best = -1;
    for (auto heading = m_headings.cbegin(); heading != m_headings.cend(); ++heading)
        if (heading.value() <= top + 1 && heading.value() > best) {
            best = heading.value();
            shown = heading.key();
        }
    return shown;
}

void GuideWindow::followLink(const QUrl &link)
{
    if (link.scheme().isEmpty() && link.path().isEmpty() && link.hasFragment())
        showChapter(link.fragment(QUrl::FullyDecoded));
    else if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https")
             || link.scheme() == QLatin1String("mailto"))
        QDesktopServices::openUrl(link);
}
