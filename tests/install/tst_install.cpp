// Installing the program into its folder with scripts/install.sh (cmake --install
// of this build): the program, crea_catalogo, an empty catalogue, the desktop's
// menu entry and the icons land in place; installing again upgrades the program and
// leaves the user's data exactly as it was. Every run has a temporary HOME and
// program folder, so the user's own ~/Rudozuzurivaz is never reached.
#include "core/catalogue/Catalogue.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList iconSizes
    = {QStringLiteral("16x16"), QStringLiteral("22x22"), QStringLiteral("24x24"),   QStringLiteral("32x32"),
       QStringLiteral("48x48"), QStringLiteral("64x64"), QStringLiteral("128x128"), QStringLiteral("256x256")};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file below `folder` with its bytes, by path relative to it.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return files;
}

// The value of a key of the [Desktop Entry] group.
QString entryValue(const QString &entryPath, const QString &key)
{
    const QStringList lines = QString::fromUtf8(readAll(entryPath)).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return QString();
}

// The program an Exec key starts, read as a desktop reads it: the escapes of a
// string value first, then one argument in double quotes (where a backslash keeps
// the next sign), then "%%" as "%". Empty when the key holds more than the program.
QString programOfExec(const QString &exec)
{
    QString value;
    for (int i = 0; i < exec.size(); ++i) {
        if (exec.at(i) == QLatin1Char('\\') && i + 1 < exec.size()) {
            const QChar next = exec.at(++i);
            value += next == QLatin1Char('s') ? QLatin1Char(' ') : next;
        } else {
            value += exec.at(i);
        }
    }
    QString program;
    if (value.startsWith(QLatin1Char('"'))) {
        int i = 1;
        for (; i < value.size() && value.at(i) != QLatin1Char('"'); ++i) {
            if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size())
                ++i;
            program += value.at(i);
        }
        if (i != value.size() - 1)
            return QString();
    } else {
        if (value.contains(QLatin1Char(' ')))
            return QString();
        program = value;
    }
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

class Installation {
public:
    Installation()
    {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home());
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("DESTDIR"));
        env.insert(QStringLiteral("RUDOZUZURIVAZ_HOME"), programFolder());
        env.insert(QStringLiteral("BUILD_DIR"), QStringLiteral(PROJECT_BUILD_DIR));
        // Not the build folder, which may hold a developer's catalogue.
        QDir().mkpath(oldFolder());
        env.insert(QStringLiteral("OLD_PROGRAM_FOLDER"), oldFolder());
    }

    QString home() const { return dir.filePath(QStringLiteral("casa")); }
    QString programFolder() const { return dir.filePath(QStringLiteral("programma")); }
    QString oldFolder() const { return dir.filePath(QStringLiteral("build")); }
    QString dataHome() const
    {
        return env.contains(QStringLiteral("XDG_DATA_HOME")) ? env.value(QStringLiteral("XDG_DATA_HOME"))
                                                             : home() + QStringLiteral("/.local/share");
    }
    QString entryPath() const { return dataHome() + QStringLiteral("/applications/rudozuzurivaz.desktop"); }

    // Runs scripts/install.sh; true when it succeeded (its output is in `output`).
    bool run()
    {
        QProcess install;
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(PROJECT_SOURCE_DIR "/scripts/install.sh"), {});
        const bool finished = install.waitForFinished(180000);
        output = QString::fromLocal8Bit(install.readAll());
        return finished && install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
    QString output;
};

// desktop-file-validate's verdict on an entry: empty when it finds nothing to say.
QString validationProblems(const QString &entryPath)
{
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {entryPath});
    if (!validate.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not run: install desktop-file-utils "
                              "(scripts/install-deps.sh)");
    const QString said = QString::fromLocal8Bit(validate.readAll()).trimmed();
    if (validate.exitCode() != 0 && said.isEmpty())
        return QStringLiteral("desktop-file-validate failed");
    return said;
}

} // namespace

class tst_install : public QObject {
    Q_OBJECT
private slots:
    void freshInstall_data();
    void freshInstall();
    void menuEntryInDataHome();
    void defaultFolderIsInHome();
    void installingAgainKeepsTheData();
    void catalogueOfTheBuildFolderIsCopied();
};

void tst_install::freshInstall_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::newRow("plain") << QStringLiteral("Rudozuzurivaz");
    // The Exec key quotes and escapes what a desktop would otherwise read as signs.
    QTest::newRow("blanks and signs") << QStringLiteral("Il mio $catalogo al 100% \"nuovo\"");
}

void tst_install::freshInstall()
{
    QFETCH(QString, folderName);
    Installation install;
    QVERIFY(install.dir.isValid());
    const QString folder = install.dir.filePath(folderName);
    install.env.insert(QStringLiteral("RUDOZUZURIVAZ_HOME"), folder);
    QVERIFY2(install.run(), qPrintable(install.output));

    for (const QString &program : {QStringLiteral("rudozuzurivaz"), QStringLiteral("crea_catalogo")}) {
        const QFileInfo installed(folder + QLatin1Char('/') + program);
        QVERIFY2(installed.isFile() && installed.isExecutable(), qPrintable(installed.filePath()));
    }
    // The empty catalogue, made by the installed tool.
    const QString catalogue = folder + QStringLiteral("/db1.mdb");
    QVERIFY(QFileInfo::exists(catalogue));
    QCOMPARE(db::checkCatalogue(catalogue), QString());

    const QString entry = install.entryPath();
    QVERIFY2(QFileInfo::exists(entry), qPrintable(install.output));
    QCOMPARE(validationProblems(entry), QString());
    QCOMPARE(entryValue(entry, QStringLiteral("Categories")), QStringLiteral("Office;"));
    QCOMPARE(entryValue(entry, QStringLiteral("Icon")), QStringLiteral("rudozuzurivaz"));
    QVERIFY(!entryValue(entry, QStringLiteral("Comment")).isEmpty());
    QCOMPARE(programOfExec(entryValue(entry, QStringLiteral("Exec"))), folder + QStringLiteral("/rudozuzurivaz"));

    const QString hicolor = install.dataHome() + QStringLiteral("/icons/hicolor/");
    QCOMPARE(readAll(hicolor + QStringLiteral("scalable/apps/rudozuzurivaz.svg")),
             readAll(QStringLiteral(PROJECT_SOURCE_DIR "/data/icons/rudozuzurivaz.svg")));
    for (const QString &size : iconSizes) {
        const QString png = hicolor + size + QStringLiteral("/apps/rudozuzurivaz.png");
        QVERIFY2(QImage(png).size()
                     == QSize(size.section(QLatin1Char('x'), 0, 0).toInt(), size.section(QLatin1Char('x'), 1).toInt()),
                 qPrintable(png));
    }
}

void tst_install::menuEntryInDataHome()
{
    Installation install;
    install.env.insert(QStringLiteral("XDG_DATA_HOME"), install.dir.filePath(QStringLiteral("dati utente")));
    QVERIFY2(install.run(), qPrintable(install.output));
    QVERIFY(QFileInfo::exists(install.entryPath()));
    QVERIFY(QFileInfo::exists(install.dataHome() + QStringLiteral("/icons/hicolor/48x48/apps/rudozuzurivaz.png")));
    QVERIFY2(!QFileInfo::exists(install.home() + QStringLiteral("/.local")), "nothing goes to ~/.local then");
}

void tst_install::defaultFolderIsInHome()
{
    Installation install;
    install.env.remove(QStringLiteral("RUDOZUZURIVAZ_HOME"));
    QVERIFY2(install.run(), qPrintable(install.output));
    const QString folder = install.home() + QStringLiteral("/Rudozuzurivaz");
    QVERIFY(QFileInfo(folder + QStringLiteral("/rudozuzurivaz")).isExecutable());
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/db1.mdb")));
    QCOMPARE(programOfExec(entryValue(install.entryPath(), QStringLiteral("Exec"))),
             folder + QStringLiteral("/rudozuzurivaz"));
}

void tst_install::installingAgainKeepsTheData()
{
    Installation install;
    const QString folder = install.programFolder();
    // A folder in use: an old Access catalogue (the program offers to convert it),
    // settings, an attachment and a backup copy.
    QByteArray access(4096, '\0');
    access.replace(4, 15, "Standard Jet DB");
    QVERIFY(writeFile(folder + QStringLiteral("/db1.mdb"), access));
    QVERIFY(writeFile(folder + QStringLiteral("/CINFIG.INI"), "[Form7]\r\nLeft=1200\r\n"));
    QVERIFY(writeFile(folder + QStringLiteral("/Allegati/x.pdf"), "%PDF-1.4 allegato"));
    QVERIFY(writeFile(folder + QStringLiteral("/Backup/y.mdb"), "copia di sicurezza"));
    const QMap<QString, QByteArray> data = contents(folder);

    QVERIFY2(install.run(), qPrintable(install.output));
    const QString program = folder + QStringLiteral("/rudozuzurivaz");
    const QByteArray installed = readAll(program);
    QVERIFY(installed.startsWith("\x7F"
                                 "ELF"));
    // An older program in place: the next install replaces it.
    QVERIFY(writeFile(program, "vecchio programma"));
    {
        QFile old(program);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    }
    QVERIFY2(install.run(), qPrintable(install.output));
    QCOMPARE(readAll(program), installed);
    QVERIFY(QFileInfo(program).isExecutable());

    QMap<QString, QByteArray> after = contents(folder);
    after.remove(QStringLiteral("rudozuzurivaz"));
    after.remove(QStringLiteral("crea_catalogo"));
    QCOMPARE(after.keys(), data.keys());
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

// Earlier versions kept the catalogue in the build folder: the first install
// copies it, with its settings and attachments, and leaves the originals alone.
void tst_install::catalogueOfTheBuildFolderIsCopied()
{
    Installation install;
    const QString old = install.oldFolder();
    QVERIFY(writeFile(old + QStringLiteral("/db1.mdb"), "catalogo di anni di lavoro"));
    QVERIFY(writeFile(old + QStringLiteral("/CINFIG.INI"), "[Form7]\r\nTop=300\r\n"));
    QVERIFY(writeFile(old + QStringLiteral("/Allegati/mulino.pdf"), "%PDF-1.4 mulino"));
    const QMap<QString, QByteArray> before = contents(old);

    QVERIFY2(install.run(), qPrintable(install.output));
    QCOMPARE(contents(old), before);
    QMap<QString, QByteArray> copied = contents(install.programFolder());
    copied.remove(QStringLiteral("rudozuzurivaz"));
    copied.remove(QStringLiteral("crea_catalogo"));
    QCOMPARE(copied, before);

    // Once the folder has its catalogue, the build folder's is not looked at again.
    QVERIFY(writeFile(old + QStringLiteral("/db1.mdb"), "un altro catalogo"));
    QVERIFY2(install.run(), qPrintable(install.output));
    QCOMPARE(readAll(install.programFolder() + QStringLiteral("/db1.mdb")), QByteArray("catalogo di anni di lavoro"));
}

QTEST_GUILESS_MAIN(tst_install)
#include "tst_install.moc"
