// libgsf and glib come first: Qt's keyword macros clash with glib's headers.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include "CompoundFile.h"

#include "Workbook.h"
#include "platform/ByteBuffer.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstdio>

namespace compound {
namespace {

template <class T>
struct GObjectPtr {
    T *p = nullptr;
    GObjectPtr() = default;
    explicit GObjectPtr(T *object) : p(object) {}
    ~GObjectPtr()
    {
        if (p)
            g_object_unref(p);
    }
    GObjectPtr(const GObjectPtr &) = delete;
    GObjectPtr &operator=(const GObjectPtr &) = delete;
};

QString takeError(GError *error)
{
    const QString text = error ? QString::fromUtf8(error->message) : QString();
    if (error)
        g_error_free(error);
    return text;
}

void ignoreMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

void initialise()
{
    static const bool done = [] {
        gsf_init();
        // libgsf warns on stderr about damaged files (its failed checks come as critical
        // messages); the reader reports them as errors itself.
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE
                                                        | G_LOG_LEVEL_INFO);
        for (const char *domain : {"libgsf", "libgsf:msole", "GLib-GObject", "GLib"})
            g_log_set_handler(domain, levels, ignoreMessage, nullptr);
        g_log_set_handler(nullptr, levels, ignoreMessage, nullptr);
        return true;
    }();
    (void)done;
}

} // namespace

bool isCompoundFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

struct Writer::Impl {
    GsfOutput *sink = nullptr;
    GsfOutfile *file = nullptr;
    GsfOutput *stream = nullptr;
};

namespace {

// A stdio stream over a Qt device, for libgsf's stdio output.
ssize_t deviceWrite(void *cookie, const char *bytes, size_t count)
{
    const qint64 written = static_cast<QIODevice *>(cookie)->write(bytes, static_cast<qint64>(count));
    return written < 0 ? -1 : static_cast<ssize_t>(written);
}

int deviceSeek(void *cookie, off64_t *offset, int whence)
{
    auto *device = static_cast<QIODevice *>(cookie);
    const qint64 base = whence == SEEK_CUR ? device->pos() : whence == SEEK_END ? device->size() : 0;
    if (!device->seek(base + *offset))
        return -1;
    *offset = device->pos();
    return 0;
}

FILE *openDevice(QIODevice &device)
{
    cookie_io_functions_t io{};
    io.write = deviceWrite;
    io.seek = deviceSeek;
    return fopencookie(&device, "wb", io);
}

} // namespace

Writer::Writer(const QString &path, const QString &streamName) : m_impl(std::make_unique<Impl>()), m_path(path)
{
    // Straight into the file: libgsf's own way through a temporary of its own would leave that
    // temporary behind when the program is killed. Callers write to a temporary already.
    FILE *out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        throw EFCreateError(path, systemErrorText(errno));
    open(out, streamName);
}

Writer::Writer(QIODevice &device, const QString &streamName) : m_impl(std::make_unique<Impl>())
{
    const auto *file = qobject_cast<QFileDevice *>(&device);
    m_path = file ? file->fileName() : QStringLiteral("-");
    FILE *out = openDevice(device);
    if (!out)
        throw EFCreateError(m_path, systemErrorText(errno));
    open(out, streamName);
}

void Writer::open(FILE *out, const QString &streamName)
{
    initialise();
    m_impl->sink = gsf_output_stdio_new_FILE(QFile::encodeName(m_path).constData(), out, FALSE);
    if (!m_impl->sink) {
        std::fclose(out);
        throw EFCreateError(m_path, QStringLiteral("the file can't be written"));
    }
    m_impl->file = gsf_outfile_msole_new(m_impl->sink);
    m_impl->stream = gsf_outfile_new_child(m_impl->file, streamName.toUtf8().constData(), FALSE);
    if (!m_impl->stream) {
        close();
        throw EFCreateError(m_path, QStringLiteral("the stream can't be created"));
    }
}

Writer::~Writer()
{
    try {
        close();
    } catch (const Exception &) {
        // Destruction during another error: that error is the one reported.
    }
}

void Writer::write(const char *bytes, qsizetype count)
{
    if (!gsf_output_write(m_impl->stream, static_cast<size_t>(count), reinterpret_cast<const guint8 *>(bytes)))
        throw EFCreateError(m_path, QStringLiteral("writing failed"));
}

void Writer::close()
{
    bool ok = true;
    if (m_impl->stream) {
        ok = gsf_output_close(m_impl->stream) && ok;
        g_object_unref(m_impl->stream);
        m_impl->stream = nullptr;
    }
    if (m_impl->file) {
        ok = gsf_output_close(GSF_OUTPUT(m_impl->file)) && ok;
        g_object_unref(m_impl->file);
        m_impl->file = nullptr;
    }
    if (m_impl->sink) {
        if (!gsf_output_is_closed(m_impl->sink))
            ok = gsf_output_close(m_impl->sink) && ok;
        const GError *error = gsf_output_error(m_impl->sink);
        const QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("writing failed");
        g_object_unref(m_impl->sink);
        m_impl->sink = nullptr;
        if (!ok)
            throw EFCreateError(m_path, text);
    }
}

namespace {

GsfInfile *openCompound(const QString &path, GObjectPtr<GsfInput> &input)
{
    initialise();
    GError *error = nullptr;
    input.p = gsf_input_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!input.p)
        throw EFOpenError(path, takeError(error));
    GsfInfile *file = gsf_infile_msole_new(input.p, &error);
    if (!file)
        throw XlsError(QStringLiteral("The compound file %1 is damaged: %2").arg(path, takeError(error)));
    return file;
}

} // namespace

QStringList rootNames(const QString &path)
{
    GObjectPtr<GsfInput> input;
    GObjectPtr<GsfInfile> file(openCompound(path, input));
    QStringList names;
    for (int i = 0; i < gsf_infile_num_children(file.p); ++i)
        names.append(QString::fromUtf8(gsf_infile_name_by_index(file.p, i)));
    return names;
}

void readRootStream(const QString &path, const QString &streamName, ByteBuffer &into)
{
    GObjectPtr<GsfInput> input;
    GObjectPtr<GsfInfile> file(openCompound(path, input));
    for (int i = 0; i < gsf_infile_num_children(file.p); ++i) {
        if (QString::fromUtf8(gsf_infile_name_by_index(file.p, i)).compare(streamName, Qt::CaseInsensitive) != 0)
            continue;
        GObjectPtr<GsfInput> stream(gsf_infile_child_by_index(file.p, i));
        if (!stream.p)
            throw XlsError(QStringLiteral("The stream %1 of %2 can't be opened").arg(streamName, path));
        const gsf_off_t size = gsf_input_size(stream.p);
        // A stream can't be larger than the file that holds it.
        if (size < 0 || size > QFile(path).size())
            throw XlsError(QStringLiteral("The stream %1 of %2 is damaged").arg(streamName, path));
        into.resize(0);
        char *bytes = into.grow(static_cast<qsizetype>(size));
        if (size > 0 && !gsf_input_read(stream.p, static_cast<size_t>(size), reinterpret_cast<guint8 *>(bytes)))
            throw XlsError(QStringLiteral("The stream %1 of %2 can't be read").arg(streamName, path));
        return;
    }
    throw XlsError(QStringLiteral("File is not a Excel Workbook"));
}

QByteArray readRootStream(const QString &path, const QString &streamName)
{
    ByteBuffer buffer;
    readRootStream(path, streamName, buffer);
    return QByteArray(buffer.constData(), buffer.size());
}

} // namespace compound
