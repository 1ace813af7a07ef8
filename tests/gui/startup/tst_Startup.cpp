// The application object as main() makes it: Qt's own print dialog, printer
// properties dialog and file chooser speak Italian throughout (Qt's translation
// and the program's own for what it lacks), the file chooser shows dates and
// sizes the Italian way whatever the machine's locale, and the environment and
// the C library's locale are left as the machine has them.
#include "gui/startup/Startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include <clocale>

namespace {

// What the machine had before the application was made (set in main()).
QByteArray machineLcAll;
QByteArray machineCLocale;

// Asked last of all the translators (installed first), it notes every text that
// none of the others translates.
class UntranslatedTexts : public QTranslator {
public:
    QSet<QString> texts;
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        // Qt's own setting for right-to-left languages, not a text anyone reads.
        if (qstrcmp(source, "QT_LAYOUT_DIRECTION") != 0)
            const_cast<UntranslatedTexts *>(this)->texts.insert(QString::fromUtf8(context) + QStringLiteral(": ")
                                                                + QString::fromUtf8(source));
        return QString();
    }
    bool isEmpty() const override { return false; }
};

// Every text a user reads on `window` and its children.
QStringList shownTexts(const QWidget *window)
{
    QStringList texts = {window->windowTitle()};
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    for (const QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    for (const QGroupBox *box : window->findChildren<QGroupBox *>())
        texts << box->title();
    for (const QTabWidget *tabs : window->findChildren<QTabWidget *>())
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    texts.removeAll(QString());
    return texts;
}

// Runs `check` on the dialog shown next, then closes it.
void onNextDialog(const std::function<void(QDialog *)> &check)
{
    QTimer::singleShot(100, qApp, [check] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return onNextDialog(check);
        check(dialog);
        dialog->reject();
    });
}

} // namespace

class tst_Startup : public QObject {
    Q_OBJECT

private slots:
    void printDialogsInItalian();
    void fileChooserInItalian();
    void theMachinesLocaleIsLeftAlone();

private:
    UntranslatedTexts *m_untranslated = nullptr;
};

void tst_Startup::printDialogsInItalian()
{
    // Installed before the program's translators would be asked after them: put
    // it first by installing it and the program's again in their order.
    const QList<QTranslator *> program = qApp->findChildren<QTranslator *>();
    for (QTranslator *translator : program)
        QCoreApplication::removeTranslator(translator);
    m_untranslated = new UntranslatedTexts;
    QCoreApplication::installTranslator(m_untranslated);
    for (QTranslator *translator : program)
        QCoreApplication::installTranslator(translator);
    QVERIFY(program.size() == 2); // Qt's and the program's own

    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    dialog.setMinMax(1, 75);
    QStringList printTexts, propertiesTexts;
    QTimer::singleShot(100, &dialog, [&] {
        // "Opzioni >>" shows the copies and options tabs; "Proprietà" the printer's.
        for (QPushButton *button : dialog.findChildren<QPushButton *>())
            if (button->text().contains(QLatin1String(">>")))
                button->click();
        printTexts = shownTexts(&dialog);
        QPushButton *properties = dialog.findChild<QPushButton *>(QStringLiteral("properties"));
        QVERIFY(properties);
        onNextDialog([&](QDialog *shown) { propertiesTexts = shownTexts(shown); });
        properties->click();
        dialog.reject();
    });
    dialog.exec();

    for (const char *italian : {"Pagine", "Stampa fronte/retro", "Rilegatura sul lato lungo",
                                "Rilegatura sul lato corto", "Stampa tutto", "Copie"})
        QVERIFY2(printTexts.contains(QString::fromUtf8(italian)), qPrintable(printTexts.join(u'|')));
    QVERIFY2(propertiesTexts.contains(QStringLiteral("Avanzate")), qPrintable(propertiesTexts.join(u'|')));
    QVERIFY2(propertiesTexts.contains(QStringLiteral("Pagina")), qPrintable(propertiesTexts.join(u'|')));
    for (const QString &english : {QStringLiteral("Pages"), QStringLiteral("Double Sided Printing"),
                                   QStringLiteral("Long side binding"), QStringLiteral("Advanced")})
        QVERIFY(!printTexts.contains(english) && !propertiesTexts.contains(english));
    // Nothing Qt asked for while building them went untranslated.
    QStringList missing(m_untranslated->texts.cbegin(), m_untranslated->texts.cend());
    missing.sort();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
}

void tst_Startup::fileChooserInItalian()
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("scansione.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    QVERIFY(file.flush());
    const QDateTime modified(QDate(2024, 3, 5), QTime(9, 7));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    QDir(folder.path()).mkdir(QStringLiteral("Allegati"));
    QFile note(folder.filePath(QStringLiteral("nota.txt")));
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.write(QByteArray(600, 'n'));
    note.close();

    if (m_untranslated)
        m_untranslated->texts.clear();
    QFileDialog dialog(nullptr, QStringLiteral("Scegli"), folder.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    QModelIndex pdf;
    QTRY_VERIFY((pdf = model->index(folder.filePath(QStringLiteral("scansione.pdf")))).isValid()
                && !model->data(pdf.siblingAtColumn(3)).toString().isEmpty());
    const QModelIndex allegati = model->index(folder.filePath(QStringLiteral("Allegati")));
    const QModelIndex nota = model->index(folder.filePath(QStringLiteral("nota.txt")));
    QCOMPARE(model->data(nota.siblingAtColumn(1)).toString(), QStringLiteral("600 byte"));
    // Dates and sizes the Italian way: 05/03/24 09:07 and 1,50 KiB, not Mar 5 or 1.50.
    QCOMPARE(model->data(pdf.siblingAtColumn(3)).toString(), QStringLiteral("05/03/24 09:07"));
    QCOMPARE(model->data(pdf.siblingAtColumn(1)).toString(), QStringLiteral("1,50 KiB"));
    QCOMPARE(model->data(allegati.siblingAtColumn(2)).toString(), QStringLiteral("Cartella"));
    QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Data di modifica"));
    if (m_untranslated)
        QVERIFY2(
            m_untranslated->texts.isEmpty(),
            qPrintable(
                QStringList(m_untranslated->texts.cbegin(), m_untranslated->texts.cend()).join(QLatin1Char('\n'))));
}

void tst_Startup::theMachinesLocaleIsLeftAlone()
{
    // Programs started from here and the C library see the machine's settings.
    QCOMPARE(qgetenv("LC_ALL"), machineLcAll);
    QVERIFY(!qEnvironmentVariableIsSet("LC_TIME") || qgetenv("LC_TIME") != "it_IT.UTF-8");
    QCOMPARE(QByteArray(std::setlocale(LC_ALL, nullptr)), machineCLocale);
    // The program itself is Italian.
    QCOMPARE(QLocale().language(), QLocale::Italian);
    QVERIFY(!QApplication::quitOnLastWindowClosed());
}

int main(int argc, char *argv[])
{
    machineLcAll = qgetenv("LC_ALL");
    std::setlocale(LC_ALL, "");
    machineCLocale = std::setlocale(LC_ALL, nullptr);
    const std::unique_ptr<QApplication> app = startup::makeApplication(argc, argv);
    tst_Startup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Startup.moc"
