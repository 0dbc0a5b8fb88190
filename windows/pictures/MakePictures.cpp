// Draws every picture of the program, so that they can be made again after a change here:
//   the red bevelled K: program icon (32 x 32, 256 colours and a transparency mask), About picture (64 x 64, the
//   same), the desktop icons of the hicolor theme and the Windows icon file (which holds the program icon besides
//   its true-colour sizes);
//   the splash picture: a landscape with the "Kyrel: Quillmere" logo, 256 x 169, 24-bit.
// Usage: make_pictures <windows/pictures folder> <packaging/icons folder>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The K on a 32 x 32 grid: stem, upper arm and lower arm as one outline.
QPainterPath LetterK(int size) {
    static const QPointF outline[] = {{3, 3},     {12, 3},  {12, 12.5}, {20, 3},  {30.5, 3}, {19.5, 15},
                                      {30.5, 29}, {20, 29}, {12, 19.5}, {12, 29}, {3, 29}};
    QPainterPath path(outline[0]);
    for (const QPointF& point : outline)
        path.lineTo(point);
    path.closeSubpath();
    return QTransform::fromScale(size / 32.0, size / 32.0).map(path);
}

// The shape shrunk by about the given width on every side: the intersection of copies moved in eight directions.
QPainterPath Inset(const QPainterPath& shape, qreal width) {
    const qreal slant = width / std::sqrt(2.0);
    QPainterPath inset = shape;
    for (const QPointF& step :
         {QPointF(width, 0), QPointF(-width, 0), QPointF(0, width), QPointF(0, -width), QPointF(slant, slant),
          QPointF(-slant, -slant), QPointF(slant, -slant), QPointF(-slant, slant)})
        inset = inset.intersected(shape.translated(step));
    return inset;
}

// The K, red with a lighter bevelled rim inside a thin dark outline; the light falls from the top left. Every band
// is a filled area, not a stroke, so its edges stay on whole pixels at the small sizes.
QImage BevelledK(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // Below 20 pixels there is no room for both an outline and a rim: the rim alone edges the letter.
    const qreal outline = size < 20 ? 0.0 : std::max(1.0, std::round(size / 48.0));
    const qreal rim = std::max(1.0, std::round(size / 24.0));
    const QPainterPath letter = LetterK(size);
    const QPainterPath inner = outline > 0 ? Inset(letter, outline) : letter;
    const QPainterPath lowerRight = inner.intersected(inner.translated(rim, rim));
    const QPainterPath face = Inset(inner, rim);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(letter, QColor(0x6a, 0x06, 0x06));     // the outline keeps the letter clear on any background
    painter.fillPath(inner, QColor(0xff, 0xc4, 0xb8));      // lit rim, top and left
    painter.fillPath(lowerRight, QColor(0xe8, 0x5c, 0x4e)); // rim away from the light, still lighter than the face
    QLinearGradient faceShade(0, 0, size, size);
    faceShade.setColorAt(0.0, QColor(0xe0, 0x24, 0x1c));
    faceShade.setColorAt(1.0, QColor(0xa8, 0x0c, 0x0c));
    painter.fillPath(face, faceShade);
    painter.end();
    return image;
}

// A 256-colour copy with a transparency mask: every pixel either fully shown or fully transparent. Colours are
// rounded ever more coarsely until at most 255 remain beside the transparent one.
QImage WithMask(const QImage& smooth) {
    const QImage source = smooth.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = qRgba(0, 0, 0, 0);
    for (int step = 1; step <= 64; step *= 2) {
        const auto round = [step](int channel) { return std::min(255, (channel + step / 2) / step * step); };
        QList<QRgb> colours{transparent};
        QHash<QRgb, int> indexOf{{transparent, 0}};
        std::vector<uchar> indexes;
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x) {
                const QRgb pixel = source.pixel(x, y);
                const QRgb colour = qAlpha(pixel) < 128
                                        ? transparent
                                        : qRgb(round(qRed(pixel)), round(qGreen(pixel)), round(qBlue(pixel)));
                auto found = indexOf.find(colour);
                if (found == indexOf.end()) {
                    found = indexOf.insert(colour, int(colours.size()));
                    colours.append(colour);
                }
                indexes.push_back(uchar(std::min(found.value(), 255)));
            }
        }
        if (colours.size() > 256)
            continue;
        QImage indexed(source.size(), QImage::Format_Indexed8);
        indexed.setColorTable(colours);
        for (int y = 0; y < source.height(); ++y)
            std::copy_n(indexes.begin() + y * source.width(), source.width(), indexed.scanLine(y));
        return indexed;
    }
    std::fprintf(stderr, "cannot bring the icon down to 256 colours\n");
    std::exit(1);
}

// Rolling hills: a smooth ridge through the given points, filled down to the bottom of the picture.
QPainterPath Ridge(const std::vector<QPointF>& points, qreal bottom) {
    QPainterPath path(QPointF(points.front().x(), bottom));
    path.lineTo(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const QPointF from = points[i - 1];
        const QPointF to = points[i];
        const qreal middle = (from.x() + to.x()) / 2;
        path.cubicTo(QPointF(middle, from.y()), QPointF(middle, to.y()), to);
    }
    path.lineTo(points.back().x(), bottom);
    path.closeSubpath();
    return path;
}

void Conifer(QPainter& painter, qreal x, qreal base, qreal height) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x4a, 0x30, 0x1c));
    painter.drawRect(QRectF(x - height / 20 - 0.5, base - height / 6, height / 10 + 1, height / 6));
    const QColor shades[] = {QColor(0x1c, 0x4a, 0x2a), QColor(0x23, 0x5a, 0x31), QColor(0x2c, 0x6a, 0x3a)};
    for (int tier = 0; tier < 3; ++tier) {
        const qreal bottom = base - height / 8 - tier * height * 0.24;
        const qreal halfWidth = height * (0.30 - tier * 0.07);
        const qreal top = bottom - height * 0.42;
        painter.setBrush(shades[tier]);
        painter.drawPolygon(QPolygonF{QPointF(x - halfWidth, bottom), QPointF(x + halfWidth, bottom), QPointF(x, top)});
    }
}

void Broadleaf(QPainter& painter, qreal x, qreal base, qreal height) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5a, 0x3a, 0x22));
    painter.drawRect(QRectF(x - 1.5, base - height * 0.45, 3, height * 0.45));
    QRadialGradient crown(QPointF(x - height * 0.12, base - height * 0.78), height * 0.5);
    crown.setColorAt(0.0, QColor(0x7c, 0xb0, 0x48));
    crown.setColorAt(1.0, QColor(0x2e, 0x68, 0x24));
    painter.setBrush(crown);
    painter.drawEllipse(QPointF(x, base - height * 0.66), height * 0.34, height * 0.32);
    painter.drawEllipse(QPointF(x - height * 0.2, base - height * 0.55), height * 0.22, height * 0.2);
    painter.drawEllipse(QPointF(x + height * 0.2, base - height * 0.56), height * 0.22, height * 0.2);
}

QFont LogoFont(const QString& file, const QString& family, int pixelSize, bool italic) {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/") + file);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QFont font(families.isEmpty() ? family : families.front());
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

// Title text as an outline, centred on x, its baseline at y.
QPainterPath CentredText(const QFont& font, const QString& text, qreal x, qreal y, qreal letterSpacing = 0) {
    QFont spaced = font;
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    QPainterPath path;
    path.addText(0, 0, spaced, text);
    const QRectF bounds = path.boundingRect();
    return path.translated(x - bounds.center().x(), y);
}

void Logo(QPainter& painter) {
    const QPainterPath kyrel =
        CentredText(LogoFont("DejaVuSerif-Bold.ttf", "DejaVu Serif", 15, false), "Kyrel:", 128, 19, 2);
    const QPainterPath quillmere =
        CentredText(LogoFont("DejaVuSerif-BoldItalic.ttf", "DejaVu Serif", 31, true), "Quillmere", 136, 46);
    QPainterPath logo = kyrel.united(quillmere);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(logo.translated(2, 2), QColor(0x1a, 0x12, 0x30, 150)); // shadow on the sky

    // The quill: a white feather leaning left of the name, drawn upright and then tilted.
    painter.save();
    painter.translate(37, 53);
    painter.rotate(-24);
    QPainterPath vane(QPointF(0, -12));
    vane.cubicTo(-9, -20, -9, -38, 1, -50);
    vane.cubicTo(7, -38, 7, -20, 0, -12);
    painter.fillPath(vane.translated(2, 1), QColor(0x1a, 0x12, 0x30, 110));
    QLinearGradient plume(-8, 0, 7, 0);
    plume.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
    plume.setColorAt(1.0, QColor(0xc4, 0xd8, 0xf0));
    painter.fillPath(vane, plume);
    painter.save();
    painter.setClipPath(vane);
    painter.setPen(QPen(QColor(0x9c, 0xb4, 0xd8), 0.7));
    for (qreal y = -16; y > -50; y -= 3.5) {
        painter.drawLine(QPointF(0, y), QPointF(-9, y - 6));
        painter.drawLine(QPointF(0, y), QPointF(8, y - 5));
    }
    painter.restore();
    painter.setPen(QPen(QColor(0x3a, 0x4c, 0x76), 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(vane);
    painter.setPen(QPen(QColor(0x5a, 0x4a, 0x3a), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0, -46), QPointF(0, -2)); // the shaft
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2a, 0x20, 0x18));
    painter.drawPolygon(QPolygonF{QPointF(-1.2, -3), QPointF(1.2, -3), QPointF(0, 3)}); // the nib
    painter.restore();

    QLinearGradient gold(0, 4, 0, 50);
    gold.setColorAt(0.0, QColor(0xff, 0xf4, 0xb0));
    gold.setColorAt(0.45, QColor(0xf4, 0xc0, 0x30));
    gold.setColorAt(0.55, QColor(0xd8, 0x90, 0x10));
    gold.setColorAt(1.0, QColor(0xff, 0xdc, 0x60));
    painter.setPen(QPen(QColor(0x4a, 0x22, 0x08), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(logo);
    painter.fillPath(logo, gold);
}

QImage SplashPicture() {
    const int width = 256;
    const int height = 169;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 104);
    sky.setColorAt(0.0, QColor(0x2c, 0x4c, 0x9c));
    sky.setColorAt(0.55, QColor(0x6c, 0x9c, 0xd8));
    sky.setColorAt(1.0, QColor(0xfc, 0xdc, 0xa8));
    painter.fillRect(image.rect(), sky);

    QRadialGradient glow(QPointF(196, 84), 40);
    glow.setColorAt(0.0, QColor(0xff, 0xf8, 0xd0, 230));
    glow.setColorAt(0.3, QColor(0xff, 0xe8, 0x90, 140));
    glow.setColorAt(1.0, QColor(0xff, 0xd0, 0x80, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(196, 84), 40, 40);
    painter.setBrush(QColor(0xff, 0xfa, 0xe0));
    painter.drawEllipse(QPointF(196, 84), 9, 9);

    painter.setBrush(QColor(0xff, 0xff, 0xff, 170));
    for (const QRectF& puff : {QRectF(170, 50, 34, 9), QRectF(186, 46, 26, 10), QRectF(14, 62, 40, 8),
                               QRectF(30, 58, 22, 9), QRectF(220, 60, 30, 6)})
        painter.drawEllipse(puff);

    // Far mountains with snow on their peaks, then two bands of hills, nearer and darker.
    const QPointF peaks[] = {{-4, 98},  {20, 76},  {34, 86},  {52, 70},  {76, 92},  {100, 68},
                             {122, 86}, {140, 74}, {166, 96}, {214, 72}, {240, 88}, {262, 80}};
    QPainterPath mountains(QPointF(-4, 140));
    for (const QPointF& peak : peaks)
        mountains.lineTo(peak);
    mountains.lineTo(262, 140);
    mountains.closeSubpath();
    QLinearGradient rock(0, 66, 0, 110);
    rock.setColorAt(0.0, QColor(0x8c, 0x94, 0xc0));
    rock.setColorAt(1.0, QColor(0x5c, 0x6c, 0x9c));
    painter.fillPath(mountains, rock);
    painter.save();
    painter.setClipPath(mountains);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf4, 0xf6, 0xff));
    for (size_t i = 1; i + 1 < std::size(peaks); ++i) {
        const QPointF peak = peaks[i];
        if (peak.y() > peaks[i - 1].y() || peak.y() > peaks[i + 1].y())
            continue; // a saddle, not a summit
        const qreal depth = 6;
        QPainterPath cap(QPointF(peak.x() - depth * 1.1, peak.y() + depth));
        cap.lineTo(peak.x() - depth * 0.4, peak.y() + depth * 0.7);
        cap.lineTo(peak.x(), peak.y() + depth * 1.1);
        cap.lineTo(peak.x() + depth * 0.5, peak.y() + depth * 0.6);
        cap.lineTo(peak.x() + depth * 1.1, peak.y() + depth);
        cap.lineTo(peak.x(), peak.y() - 1);
        cap.closeSubpath();
        painter.drawPath(cap);
    }
    painter.restore();

    painter.fillPath(Ridge({{-10, 104}, {40, 94}, {90, 106}, {140, 96}, {196, 104}, {266, 96}}, height + 1),
                     QColor(0x5a, 0x8c, 0x5c));
    painter.fillPath(
        Ridge({{-10, 116}, {30, 106}, {80, 116}, {130, 110}, {180, 118}, {230, 108}, {266, 114}}, height + 1),
        QColor(0x3c, 0x74, 0x38));

    // The lake, with the sun's reflection.
    QPainterPath lake;
    lake.moveTo(20, 124);
    lake.cubicTo(60, 116, 190, 114, 244, 124);
    lake.cubicTo(250, 136, 200, 146, 130, 147);
    lake.cubicTo(60, 148, 10, 138, 20, 124);
    QLinearGradient water(0, 116, 0, 148);
    water.setColorAt(0.0, QColor(0x9c, 0xbc, 0xe4));
    water.setColorAt(1.0, QColor(0x2c, 0x5c, 0xa0));
    painter.fillPath(lake, water);
    painter.save();
    painter.setClipPath(lake);
    painter.setPen(QPen(QColor(0xff, 0xf0, 0xc0, 200), 1));
    for (int row = 0; row < 8; ++row) {
        const qreal y = 121.5 + row * 3;
        const qreal half = 12 - row * 1.2;
        painter.drawLine(QPointF(196 - half, y), QPointF(196 + half, y));
    }
    painter.setPen(QPen(QColor(0xff, 0xff, 0xff, 70), 1));
    for (const QLineF& ripple : {QLineF(50, 130.5, 70, 130.5), QLineF(92, 137.5, 120, 137.5),
                                 QLineF(140, 127.5, 160, 127.5), QLineF(60, 141.5, 80, 141.5)})
        painter.drawLine(ripple);
    painter.restore();

    // The near shore.
    QPainterPath shore = Ridge({{-10, 150}, {40, 144}, {110, 152}, {170, 148}, {266, 142}}, height + 1);
    QLinearGradient grass(0, 140, 0, height);
    grass.setColorAt(0.0, QColor(0x4c, 0x8c, 0x30));
    grass.setColorAt(1.0, QColor(0x24, 0x50, 0x18));
    painter.fillPath(shore, grass);

    Conifer(painter, 232, 112, 26);
    Conifer(painter, 244, 114, 20);
    Conifer(painter, 10, 158, 40);
    Conifer(painter, 26, 164, 50);
    Conifer(painter, 42, 160, 34);
    Broadleaf(painter, 214, 156, 30);
    Broadleaf(painter, 238, 162, 38);
    Broadleaf(painter, 74, 116, 14);
    Conifer(painter, 150, 112, 14);
    Conifer(painter, 158, 114, 11);

    Logo(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(QDir::toNativeSeparators(QDir::cleanPath(path))), image.width(),
                image.height());
    return true;
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void PutLittleEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xff));
}

// A classic icon entry: a bitmap header, the 256-colour palette, the pixels as palette indexes and the 1-bit
// transparency mask, both bottom row first and each row padded to four bytes.
QByteArray Dib256(const QImage& indexed) {
    const int width = indexed.width();
    const int height = indexed.height();
    const int pixelRow = (width + 3) / 4 * 4;
    const int maskRow = (width + 31) / 32 * 4;
    QByteArray dib;
    PutLittleEndian(dib, 40, 4);
    PutLittleEndian(dib, quint32(width), 4);
    PutLittleEndian(dib, quint32(2 * height), 4); // the pixels and the mask, one above the other
    PutLittleEndian(dib, 1, 2);                   // colour planes
    PutLittleEndian(dib, 8, 2);                   // bits per pixel
    PutLittleEndian(dib, 0, 4);                   // uncompressed
    PutLittleEndian(dib, quint32((pixelRow + maskRow) * height), 4);
    PutLittleEndian(dib, 0, 4);   // horizontal resolution
    PutLittleEndian(dib, 0, 4);   // vertical resolution
    PutLittleEndian(dib, 256, 4); // colours used
    PutLittleEndian(dib, 0, 4);   // colours important: all
    const QList<QRgb> colours = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i < colours.size() ? colours.at(i) : 0;
        // A transparent entry draws black, which the mask leaves out of the picture.
        const QRgb shown = qAlpha(colour) == 0 ? qRgb(0, 0, 0) : colour;
        dib.append(char(qBlue(shown))).append(char(qGreen(shown))).append(char(qRed(shown))).append(char(0));
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(pixelRow, '\0');
        for (int x = 0; x < width; ++x)
            row[x] = char(indexed.pixelIndex(x, y));
        dib.append(row);
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(colours.at(indexed.pixelIndex(x, y))) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        dib.append(row);
    }
    return dib;
}

// A Windows icon file: the 256-colour images as classic bitmap entries, the others as PNG images, one per size.
bool SaveIco(const std::vector<QImage>& images, const QString& path) {
    QByteArray header;
    PutLittleEndian(header, 0, 2); // reserved
    PutLittleEndian(header, 1, 2); // type: icon
    PutLittleEndian(header, quint32(images.size()), 2);
    QByteArray data;
    quint32 offset = 6 + 16 * quint32(images.size());
    for (const QImage& image : images) {
        const bool indexed = image.format() == QImage::Format_Indexed8;
        const QByteArray entry = indexed ? Dib256(image) : Png(image);
        header.append(char(image.width() >= 256 ? 0 : image.width())); // 0 stands for 256
        header.append(char(image.height() >= 256 ? 0 : image.height()));
        header.append(char(0));                       // colours in the palette: 0 for none, and for all 256
        header.append(char(0));                       // reserved
        PutLittleEndian(header, 1, 2);                // colour planes
        PutLittleEndian(header, indexed ? 8 : 32, 2); // bits per pixel
        PutLittleEndian(header, quint32(entry.size()), 4);
        PutLittleEndian(header, offset, 4);
        offset += quint32(entry.size());
        data.append(entry);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + data) != header.size() + data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(QDir::cleanPath(path))));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // draws only, shows nothing
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures <windows/pictures folder> <packaging/icons folder>\n");
        return 2;
    }
    const QString pictures = QString::fromLocal8Bit(argv[1]);
    const QString icons = QString::fromLocal8Bit(argv[2]);

    bool saved = Save(WithMask(BevelledK(32)), pictures + "/ProgramIcon.png") &&
                 Save(WithMask(BevelledK(64)), pictures + "/AboutPicture.png") &&
                 Save(SplashPicture(), pictures + "/SplashPicture.png");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        saved = saved && Save(BevelledK(size).convertToFormat(QImage::Format_ARGB32),
                              QStringLiteral("%1/hicolor/%2x%2/apps/kyrel-script-editor.png").arg(icons).arg(size));
    }
    // The program icon itself, 32 x 32 in 256 colours, first; then the true-colour sizes.
    std::vector<QImage> entries{WithMask(BevelledK(32))};
    for (int size : {16, 32, 48, 256})
        entries.push_back(BevelledK(size).convertToFormat(QImage::Format_ARGB32));
    saved = saved && SaveIco(entries, icons + "/kyrel-script-editor.ico");
    return saved ? 0 : 1;
}
