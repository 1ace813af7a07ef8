#pragma once
// The users' guide inside the program: the guide's text (docs/GUIDA.md, built
// into the program with its pictures) shown in a window of its own, opened by F1
// at the chapter of the window the user is in. Its links to chapters lead there;
// links to the web open in the desktop's browser.
#include <QHash>
#include <QWidget>

class QTextBrowser;
class QUrl;

class GuideWindow : public QWidget {
    Q_OBJECT
public:
    // `source` is the guide's Markdown file (a resource of the program by default).
    explicit GuideWindow(const QString &source = QStringLiteral(":/guida/GUIDA.md"), QWidget *parent = nullptr);

    // Shows the chapter whose heading reads `chapter` (its link name, as the
    // guide's index writes it: "7-cercare"); the top of the guide when there is none.
    void showChapter(const QString &chapter);
    // The link names of the guide's headings, in order.
    QStringList chapters() const;
    // The chapter shown at the top of the window now.
    QString chapterShown() const;

    // The link name a heading gets: lower case, blanks as "-", other marks left out.
    static QString linkName(const QString &heading);

private:
    void followLink(const QUrl &link);

    QTextBrowser *m_text = nullptr;
    QHash<QString, int> m_headings; // link name -> position of the heading in the text
};
