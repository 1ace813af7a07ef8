#include "core/scanning/Twain.h"

#include "core/scanning/PageFile.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <cmath>

namespace {

// Options of an open SANE device, found by their standard names.
class Options {
public:
    explicit Options(SANE_Handle handle) : m_handle(handle) {}

    const SANE_Option_Descriptor *descriptor(const char *name, int *index = nullptr) const
    {
        SANE_Int count = 0;
        if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
            return nullptr;
        for (int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor *option = sane_get_option_descriptor(m_handle, i);
            if (option && option->name && qstrcmp(option->name, name) == 0 && SANE_OPTION_IS_ACTIVE(option->cap)) {
                if (index)
                    *index = i;
                return option;
            }
        }
        return nullptr;
    }

    QStringList choices(const char *name) const
    {
        QStringList list;
        const auto *option = descriptor(name);
        if (option && option->type == SANE_TYPE_STRING && option->constraint_type == SANE_CONSTRAINT_STRING_LIST)
            for (const SANE_String_Const *entry = option->constraint.string_list; *entry; ++entry)
                list.append(QString::fromUtf8(*entry));
        return list;
    }

    QString text(const char *name) const
    {
        int index = 0;
        const auto *option = descriptor(name, &index);
        if (!option || option->type != SANE_TYPE_STRING)
            return {};
        QByteArray value(option->size + 1, '\0');
        if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
            return {};
        return QString::fromUtf8(value.constData());
    }

    void setText(const char *name, const QString &value)
    {
        int index = 0;
        const auto *option = descriptor(name, &index);
        if (!option || !SANE_OPTION_IS_SETTABLE(option->cap) || text(name) == value)
            return;
        QByteArray buffer = value.toUtf8();
        buffer.resize(std::max<qsizetype>(option->size, buffer.size() + 1), '\0');
        sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
    }

    std::optional<SANE_Word> word(const char *name) const
    {
        int index = 0;
        const auto *option = descriptor(name, &index);
        SANE_Word value = 0;
        if (!option || option->size != sizeof(SANE_Word)
            || sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, &value, nullptr) != SANE_STATUS_GOOD)
            return std::nullopt;
        return value;
    }

    void setWord(const char *name, SANE_Word value)
    {
        int index = 0;
        const auto *option = descriptor(name, &index);
        if (!option || !SANE_OPTION_IS_SETTABLE(option->cap) || option->size != sizeof(SANE_Word)
            || word(name) == value)
            return;
        sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, &value, nullptr);
    }

    // A number option (whole or fixed-point) set to the allowed value nearest to `wanted`.
    void setNumber(const char *name, double wanted)
    {
        const auto *option = descriptor(name);
        if (!option || (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED))
            return;
        const bool fixed = option->type == SANE_TYPE_FIXED;
        auto toDouble = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
        SANE_Word best = fixed ? SANE_FIX(wanted) : SANE_Word(std::lround(wanted));
        if (option->constraint_type == SANE_CONSTRAINT_RANGE) {
            const SANE_Range *range = option->constraint.range;
            best = std::clamp(best, range->min, range->max);
        } else if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            const SANE_Word *list = option->constraint.word_list;
            for (int i = 1; i <= list[0]; ++i)
                if (i == 1 || std::abs(toDouble(list[i]) - wanted) < std::abs(toDouble(best) - wanted))
                    best = list[i];
        }
        setWord(name, best);
    }

    std::optional<double> number(const char *name) const
    {
        const auto *option = descriptor(name);
        const auto value = word(name);
        if (!option || !value)
            return std::nullopt;
        return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(*value) : double(*value);
    }

    bool allowsWord(const char *name, SANE_Word value) const
    {
        const auto *option = descriptor(name);
        if (!option || !SANE_OPTION_IS_SETTABLE(option->cap))
            return false;
        if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            for (int i = 1; i <= option->constraint.word_list[0]; ++i)
                if (option->constraint.word_list[i] == value)
                    return true;
            return false;
        }
        if (option->constraint_type == SANE_CONSTRAINT_RANGE)
            return value >= option->constraint.range->min && value <= option->constraint.range->max;
        return true;
    }

private:
    SANE_Handle m_handle;
};

const char *const geometryOptions[]
    = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y};

bool namesFeeder(const QString &source)
{
    static const QRegularExpression feeder(QStringLiteral("feeder|adf"), QRegularExpression::CaseInsensitiveOption);
    return feeder.match(source).hasMatch();
}

QString firstMatching(const QStringList &choices, const QStringList &wanted)
{
    for (const QString &name : wanted)
        for (const QString &choice : choices)
            if (choice.compare(name, Qt::CaseInsensitive) == 0)
                return choice;
    return {};
}

QString statusText(SANE_Status status)
{
    return QString::fromLocal8Bit(sane_strstatus(status));
}

// The image of one scanned frame; null when SANE sent a layout this program does not read.
// The height comes from the data, since hand scanners do not know it beforehand.
QImage imageFrom(const SANE_Parameters &parameters, const QByteArray &data)
{
    const int bytesPerLine = parameters.bytes_per_line;
    if (bytesPerLine <= 0)
        return {};
    const int lines = int(data.size() / bytesPerLine);
    QImage::Format format = QImage::Format_Invalid;
    if (parameters.format == SANE_FRAME_GRAY)
        format = parameters.depth == 1 ? QImage::Format_Mono
            : parameters.depth == 8    ? QImage::Format_Grayscale8
            : parameters.depth == 16   ? QImage::Format_Grayscale16
                                       : QImage::Format_Invalid;
    else if (parameters.format == SANE_FRAME_RGB && parameters.depth == 8)
        format = QImage::Format_RGB888;
    if (format == QImage::Format_Invalid || lines == 0)
        return {};
    QImage image(parameters.pixels_per_line, lines, format);
    if (format == QImage::Format_Mono)
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)}); // SANE line-art: 1 is black
    const int copied = std::min<int>(bytesPerLine, int(image.bytesPerLine()));
    for (int y = 0; y < lines; ++y)
        memcpy(image.scanLine(y), data.constData() + qsizetype(y) * bytesPerLine, copied);
    return image;
}

} // namespace

Twain::Twain(QString attachmentFolder, ScannerChoice &choice)
    : m_attachmentFolder(std::move(attachmentFolder)), m_choice(choice)
{
}

Twain::~Twain()
{
    TWAIN_CloseSource();
    if (m_initialised)
        sane_exit();
}

bool Twain::ensureInit()
{
    if (!m_initialised) {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        if (status != SANE_STATUS_GOOD) {
            m_lastError = QStringLiteral("Impossibile avviare il sistema di scansione (SANE): ") + statusText(status);
            return false;
        }
        m_initialised = true;
    }
    return true;
}

QList<Twain::Device> Twain::devices()
{
    QList<Device> found;
    const SANE_Device **list = nullptr;
    if (!ensureInit() || sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return found;
    for (; *list; ++list) {
        const SANE_Device *device = *list;
        const QString name = QString::fromLocal8Bit(device->name);
        const QString label
            = QStringLiteral("%1 %2 (%3)")
                  .arg(QString::fromLocal8Bit(device->vendor), QString::fromLocal8Bit(device->model), name);
        found.append({name, label});
    }
    return found;
}

int Twain::fail(Result result, const QString &reason)
{
    m_lastError = reason;
    return result;
}

int Twain::TWAIN_SelectImageSource(QObject *window)
{
    const QList<Device> found = devices();
    if (found.isEmpty()) {
        m_choice.noScanner(window, m_lastError);
        return 0;
    }
    QStringList labels;
    for (const Device &device : found)
        labels.append(device.label);
    const std::optional<QString> chosen = m_choice.choose(window, labels);
    if (!chosen)
        return 0;
    for (const Device &device : found)
        if (device.label == *chosen) {
            m_defaultSource = device.name;
            return 1;
        }
    return 0;
}

int Twain::TWAIN_OpenDefaultSource()
{
    if (m_handle)
        return 1;
    if (!ensureInit())
        return 0;
    QString name = m_defaultSource;
    if (name.isEmpty()) {
        const QList<Device> found = devices();
        if (found.isEmpty()) {
            m_lastError = QStringLiteral("Nessuno scanner trovato: collegare e accendere lo scanner, poi riprovare.");
            return 0;
        }
        name = found.constFirst().name;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.toLocal8Bit().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        m_lastError = QStringLiteral("Impossibile aprire lo scanner %1: %2").arg(name, statusText(status));
        return 0;
    }
    m_handle = handle;
    // The layout the device starts with is the one TWAIN_ResetImageLayout restores.
    m_defaultGeometry.clear();
    Options options(handle);
    for (const char *option : geometryOptions)
        m_defaultGeometry.append(options.word(option).value_or(0));
    return 1;
}

void Twain::TWAIN_SetHideUI(int hide)
{
    m_hideUI = hide != 0;
}
void Twain::TWAIN_SetPixelType(int pixelType)
{
    m_pixelType = pixelType;
}
void Twain::TWAIN_SetResolution(double dotsPerInch)
{
    m_resolution = dotsPerInch;
}
void Twain::TWAIN_SetMultiTransfer(int on)
{
    m_multiTransfer = on != 0;
}
void Twain::TWAIN_SelectFeeder(int on)
{
    m_feeder = on != 0;
}
void Twain::TWAIN_SetMultipageFormat(int format)
{
    m_multipageFormat = format;
}

void Twain::TWAIN_ResetImageLayout()
{
    if (!m_handle)
        return;
    Options options(m_handle);
    for (int i = 0; i < m_defaultGeometry.size(); ++i)
        options.setWord(geometryOptions[i], m_defaultGeometry.at(i));
}

void Twain::applySettings()
{
    Options options(m_handle);
    if (m_feeder) {
        const QStringList sources = options.choices(SANE_NAME_SCAN_SOURCE);
        for (const QString &source : sources)
            if (namesFeeder(source) == *m_feeder) {
                options.setText(SANE_NAME_SCAN_SOURCE, source);
                break;
            }
    }
    if (m_pixelType) {
        const QStringList modes = options.choices(SANE_NAME_SCAN_MODE);
        const QString lineart = firstMatching(
            modes,
            {QStringLiteral(SANE_VALUE_SCAN_MODE_LINEART), QStringLiteral("Binary"), QStringLiteral("Black & White")});
        const QString gray
            = firstMatching(modes, {QStringLiteral(SANE_VALUE_SCAN_MODE_GRAY), QStringLiteral("Grayscale")});
        const QString color = firstMatching(modes, {QStringLiteral(SANE_VALUE_SCAN_MODE_COLOR), QStringLiteral("RGB")});
        if (*m_pixelType == BlackAndWhite && !lineart.isEmpty()) {
            options.setText(SANE_NAME_SCAN_MODE, lineart);
        } else if (*m_pixelType == BlackAndWhite || *m_pixelType == Gray || color.isEmpty()) {
            // Black and white without a line-art mode: grey, one bit deep where the
            // device offers it; otherwise the page is made black and white afterwards.
            if (!gray.isEmpty())
                options.setText(SANE_NAME_SCAN_MODE, gray);
            const SANE_Word depth = *m_pixelType == BlackAndWhite && options.allowsWord(SANE_NAME_BIT_DEPTH, 1) ? 1 : 8;
            options.setWord(SANE_NAME_BIT_DEPTH, depth);
        } else {
            options.setText(SANE_NAME_SCAN_MODE, color);
            options.setWord(SANE_NAME_BIT_DEPTH, 8);
        }
    }
    if (m_resolution)
        options.setNumber(SANE_NAME_SCAN_RESOLUTION, *m_resolution);
}

bool Twain::feederSelected() const
{
    return m_handle && namesFeeder(Options(m_handle).text(SANE_NAME_SCAN_SOURCE));
}

std::optional<QImage> Twain::scanPage()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QGuiApplication::restoreOverrideCursor(); }
    } restoreCursor;

    const double dpi = Options(m_handle).number(SANE_NAME_SCAN_RESOLUTION).value_or(m_resolution.value_or(300.0));
    SANE_Status status = sane_start(m_handle);
    if (status == SANE_STATUS_NO_DOCS) {
        sane_cancel(m_handle);
        return QImage();
    }
    SANE_Parameters parameters{};
    if (status == SANE_STATUS_GOOD)
        status = sane_get_parameters(m_handle, &parameters);
    QByteArray data;
    QByteArray buffer(64 * 1024, '\0');
    while (status == SANE_STATUS_GOOD) {
        SANE_Int length = 0;
        status = sane_read(m_handle, reinterpret_cast<SANE_Byte *>(buffer.data()), SANE_Int(buffer.size()), &length);
        if (status == SANE_STATUS_GOOD)
            data.append(buffer.constData(), length);
    }
    if (status != SANE_STATUS_EOF) {
        sane_cancel(m_handle);
        m_lastError = QStringLiteral("La scansione non è riuscita: ") + statusText(status);
        return std::nullopt;
    }
    QImage page = imageFrom(parameters, data);
    if (page.isNull()) {
        sane_cancel(m_handle);
        m_lastError = QStringLiteral("La scansione non è riuscita: lo scanner ha inviato un'immagine "
                                     "in un formato che il programma non legge.");
        return std::nullopt;
    }
    if (m_pixelType == BlackAndWhite && page.format() != QImage::Format_Mono)
        page = page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    else if (m_pixelType == Gray && !page.isGrayscale())
        page = page.convertToFormat(QImage::Format_Grayscale8);
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    page.setDotsPerMeterX(dotsPerMetre);
    page.setDotsPerMeterY(dotsPerMetre);
    return page;
}

int Twain::TWAIN_AcquireMultipageFile(QObject *, const QString &path)
{
    if (!m_handle && TWAIN_OpenDefaultSource() != 1)
        return NoScanner;
    applySettings();
    PageFile file(path, PageFile::formatFor(path));
    const bool feeder = feederSelected();
    bool failed = false;
    for (;;) {
        const std::optional<QImage> page = scanPage();
        failed = !page;
        if (failed || page->isNull())
            break;
        m_lastImage = *page;
        file.addPage(*page);
        if (!feeder)
            break;
    }
    sane_cancel(m_handle);
    if (!m_multiTransfer)
        TWAIN_CloseSource();
    if (failed)
        return ScanFailed;
    if (file.pageCount() == 0)
        return fail(NoPage,
                    QStringLiteral("Lo scanner non ha consegnato nessuna pagina: "
                                   "controllare che il documento sia inserito."));
    if (!file.finish())
        return fail(WriteFailed, QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, file.errorString()));
    m_lastFile = path;
    return Ok;
}

QString Twain::datedFileName() const
{
    const QString base = m_attachmentFolder + QStringLiteral("/Scansione_")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString extension = m_multipageFormat == TiffFormat ? QStringLiteral(".tif") : QStringLiteral(".pdf");
    QString name = base + extension;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("_%1").arg(n) + extension;
    return name;
}

int Twain::TWAIN_BeginMultipageFile(const QString &path)
{
    if (m_multipageFile)
        return fail(FileAlreadyOpen, QStringLiteral("Un documento di più pagine è già in corso."));
    const QString target = path.isEmpty() ? datedFileName() : path;
    const QFileInfo folder(QFileInfo(target).absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        return fail(WriteFailed,
                    QStringLiteral("La cartella %1 non esiste o non si può scrivere.")
                        .arg(QDir::toNativeSeparators(folder.filePath())));
    const auto format = m_multipageFormat == TiffFormat ? PageFile::Tiff : PageFile::Pdf;
    m_multipageFile = std::make_unique<PageFile>(target, format);
    return Ok;
}

int Twain::TWAIN_Acquire(QObject *)
{
    if (!m_handle) {
        m_lastError = QStringLiteral("Nessuno scanner aperto.");
        return 0;
    }
    applySettings();
    const std::optional<QImage> page = scanPage();
    if (!m_multiTransfer)
        TWAIN_CloseSource();
    if (!page || page->isNull())
        return 0;
    m_lastImage = *page;
    if (m_multipageFile)
        m_multipageFile->addPage(*page);
    return 1;
}

void Twain::TWAIN_DisableSource()
{
    // The source stays open for the next page; SANE needs nothing here: a new
    // sane_start() follows the previous page directly, which keeps a feeder's batch going.
}

int Twain::TWAIN_EndMultipageFile()
{
    if (!m_multipageFile)
        return fail(NoFileOpen, QStringLiteral("Nessun documento di più pagine è in corso."));
    const std::unique_ptr<PageFile> file = std::move(m_multipageFile);
    if (file->pageCount() == 0)
        return fail(NoPage,
                    QStringLiteral("Lo scanner non ha consegnato nessuna pagina: il file %1 non è stato scritto.")
                        .arg(QDir::toNativeSeparators(file->path())));
    if (!file->finish())
        return fail(WriteFailed,
                    QStringLiteral("Impossibile scrivere il file %1: %2")
                        .arg(QDir::toNativeSeparators(file->path()), file->errorString()));
    m_lastFile = file->path();
    return Ok;
}

void Twain::TWAIN_CloseSource()
{
    if (!m_handle)
        return;
    sane_cancel(m_handle);
    sane_close(m_handle);
    m_handle = nullptr;
}
