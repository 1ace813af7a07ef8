#include "SaneTestDevice.h"

#include "Tools.h"

#include <dlfcn.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

namespace {
void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

QString run(const QString &program, const QStringList &arguments)
{
    return QString::fromUtf8(testdata::runTool(program, arguments).output);
}
} // namespace

SaneTestDevice::SaneTestDevice()
{
    reset();
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(m_dir.path()));
    // The test backend stays loaded when SANE lets it go, so that what it keeps
    // at the end is reported under its own name (the sanitizer build's leak
    // check leaves exactly that library's to it: tests/lsan.supp).
    for (const char *backend : {"/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1", "/usr/lib/sane/libsane-test.so.1"})
        if (dlopen(backend, RTLD_NOW | RTLD_NODELETE))
            break;
}

void SaneTestDevice::reset()
{
    writeFile(m_dir.filePath(QStringLiteral("dll.conf")), QStringLiteral("test\n"));
    setConf(defaultConf());
}

void SaneTestDevice::setConf(const QString &testConf)
{
    writeFile(m_dir.filePath(QStringLiteral("test.conf")), testConf);
}

void SaneTestDevice::setNoBackend()
{
    writeFile(m_dir.filePath(QStringLiteral("dll.conf")), QString());
}

QString SaneTestDevice::defaultConf()
{
    return QStringLiteral("test-picture \"Grid\"\ntl_x 0.0\ntl_y 0.0\nbr_x 40.0\nbr_y 30.0\n");
}

PdfInfo PdfInfo::of(const QString &path)
{
    const QString text = run(QStringLiteral("pdfinfo"), {path});
    PdfInfo info;
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    static const QRegularExpression size(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                         QRegularExpression::MultilineOption);
    if (const auto match = pages.match(text); match.hasMatch())
        info.pages = match.captured(1).toInt();
    if (const auto match = size.match(text); match.hasMatch())
        info.pageSizePoints = {match.captured(1).toDouble(), match.captured(2).toDouble()};
    return info;
}

QStringList identify(const QString &path)
{
    return run(QStringLiteral("identify"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QImage readWithImageMagick(const QString &path, int page)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("page.png"));
    run(QStringLiteral("convert"), {path + QStringLiteral("[%1]").arg(page), png});
    return QImage(png);
}
