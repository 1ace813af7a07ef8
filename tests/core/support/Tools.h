#pragma once
// Running an outside program from a test (pdftotext, pdfinfo, sqlite3, the
// project's own tools) and checking how it ended.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testdata {

struct ToolRun {
    int exitCode = -1;      // -1 when it could not start, crashed or timed out
    QByteArray output;      // what it wrote on standard output
    QByteArray errorOutput; // and on standard error
    bool ok() const { return exitCode == 0; }
};

// Runs `program` with `arguments`, feeding `input` on standard input, and waits
// for it to end (at most `timeoutMs`).
inline ToolRun runTool(const QString &program, const QStringList &arguments, const QByteArray &input = {},
                       int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.output = process.readAllStandardOutput();
    run.errorOutput = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

} // namespace testdata
