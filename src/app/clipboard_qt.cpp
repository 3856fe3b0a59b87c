#include "app/clipboard_qt.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <span>

#include "app/platform_qt.h"
#include "io/image_codec.h"
#include "io/image_file.h"

namespace tarnel {

namespace {

const QString kImagePrefix = QStringLiteral("image/");

// Lower ranks are tried first: lossless types before the rest.
int formatRank(const QString& format) {
    if (format == QLatin1String("image/png")) return 0;
    if (format == QLatin1String("image/bmp") || format == QLatin1String("image/x-bmp") ||
        format == QLatin1String("image/x-MS-bmp"))
        return 1;
    return 2;
}

ClipboardImage refused(const std::string& reason) {
    return ClipboardImage{Image(), "The clipboard image cannot be pasted: " + reason + "."};
}

ClipboardImage fromQt(const QImage& image) {
    if (image.isNull()) return {};
    const std::string tooLarge = checkImageSize(image.width(), image.height(), DecodeLimits{});
    if (!tooLarge.empty()) return refused(tooLarge);
    return ClipboardImage{fromQImage(image, image.hasAlphaChannel() ? 32 : 24), {}};
}

// Data in a type the program's decoders do not know: Qt's readers, with the
// declared size checked before decoding.
ClipboardImage readWithQt(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead()) return {};
    const QSize declared = reader.size();
    if (declared.isValid()) {
        const std::string tooLarge = checkImageSize(declared.width(), declared.height(), DecodeLimits{});
        if (!tooLarge.empty()) return refused(tooLarge);
    }
    return fromQt(reader.read());
}

}  // namespace

ClipboardImage QtClipboard::read() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) return {};
    if (data == m_written) return fromQt(qvariant_cast<QImage>(data->imageData()));

    QStringList formats = data->formats();
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [](const QString& f) { return !f.startsWith(kImagePrefix); }),
                  formats.end());
    std::stable_sort(formats.begin(), formats.end(),
                     [](const QString& a, const QString& b) { return formatRank(a) < formatRank(b); });
    for (const QString& format : formats) {
        const QByteArray bytes = data->data(format);
        if (bytes.isEmpty()) continue;
        if (static_cast<std::uint64_t>(bytes.size()) > kMaxImageFileBytes)
            return refused(std::to_string(bytes.size()) + " bytes of image data is more than the limit");
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        DecodeResult decoded = decodeImage(std::span(begin, static_cast<std::size_t>(bytes.size())));
        if (decoded.ok()) return ClipboardImage{std::move(decoded.image), {}};
        if (decoded.error == DecodeError::TooLarge) return refused(decoded.message);
        if (decoded.error == DecodeError::UnknownFormat) {
            ClipboardImage viaQt = readWithQt(bytes);
            if (!viaQt.image.isNull() || !viaQt.refusal.empty()) return viaQt;
        }
    }
    if (formats.isEmpty() && data->hasImage()) return fromQt(qvariant_cast<QImage>(data->imageData()));
    return {};
}

bool QtClipboard::write(const Image& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || image.isNull()) return false;
    QImage out = toQImage(image);
    // A 24-bit image goes out without an alpha channel.
    if (image.depth() != 32) out.reinterpretAsFormat(QImage::Format_RGBX8888);
    auto* data = new QMimeData;
    data->setImageData(out);
    clipboard->setMimeData(data);  // the clipboard owns it from here
    m_written = data;
    // A clipboard that could not be taken over shows someone else's data.
    return clipboard->mimeData() == data;
}

}  // namespace tarnel
