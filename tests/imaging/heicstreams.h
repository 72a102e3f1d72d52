#pragma once

// HEIC files put together box by box from HEVC streams that libheif's
// encoder made: grids of tiles as phones write them (libheif writes none),
// and streams cut short inside a well-formed file.

#include "imaging/phototestfiles.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <algorithm>
#include <functional>
#include <vector>

namespace phototest {

// One coded picture: its configuration box (hvcC, whole) and its NAL units
// as a HEIF item holds them (each behind a 4-byte length).
struct HevcStream
{
    QByteArray config;
    QByteArray data;
};

namespace heicbox {

inline void U8(QByteArray& out, int v)
{
    out.append(char(v & 0xff));
}
inline void U16(QByteArray& out, quint32 v)
{
    U8(out, int(v >> 8));
    U8(out, int(v));
}
inline void U32(QByteArray& out, quint32 v)
{
    U16(out, v >> 16);
    U16(out, v & 0xffff);
}
inline QByteArray Box(const char* type, const QByteArray& body)
{
    QByteArray out;
    U32(out, quint32(8 + body.size()));
    out.append(type, 4);
    return out + body;
}
inline QByteArray FullBox(const char* type, int version, quint32 flags, const QByteArray& body)
{
    QByteArray head;
    U32(head, (quint32(version) << 24) | flags);
    return Box(type, head + body);
}
inline quint32 ReadU32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

} // namespace heicbox

// The stream of a one-picture HEIC that libheif wrote (no thumbnail, no
// metadata: its media data holds that picture alone); empty when the file
// is not of that form.
inline HevcStream StreamOf(const QByteArray& heic)
{
    HevcStream stream;
    const qsizetype mdat = heic.indexOf("mdat");
    const qsizetype hvcc = heic.indexOf("hvcC");
    if (mdat < 4 || hvcc < 4 || hvcc > mdat)
        return stream;
    stream.config = heic.mid(hvcc - 4, heicbox::ReadU32(heic, hvcc - 4));
    const quint32 mdatSize = heicbox::ReadU32(heic, mdat - 4);
    if (mdatSize < 8 || mdat - 4 + qsizetype(mdatSize) != heic.size())
        return {};
    stream.data = heic.mid(mdat + 4);
    return stream;
}

// `image` coded at `quality` by libheif's encoder. The stream is coded at a
// size libheif may have padded to (its file then crops what it shows):
// sides of multiples of 64 are coded as they are.
inline HevcStream Encoded(const QImage& image, int quality)
{
    return StreamOf(Heic(image, 1, 0, quality));
}

// The offset of `stream`'s last NAL unit (the picture's slice), -1 when its
// units do not fill its data exactly.
inline qsizetype LastUnit(const HevcStream& stream)
{
    qsizetype at = 0;
    qsizetype last = -1;
    while (at + 4 <= stream.data.size()) {
        last = at;
        at += 4 + qsizetype(heicbox::ReadU32(stream.data, at));
    }
    return at == stream.data.size() ? last : -1;
}

// `stream` ending inside its last NAL unit, `keep` of it there: the length
// before the unit still says the whole, the container says the bytes left.
inline HevcStream CutShort(HevcStream stream, double keep = 0.5)
{
    const qsizetype last = LastUnit(stream);
    if (last < 0)
        return {};
    const auto length = qsizetype(heicbox::ReadU32(stream.data, last));
    stream.data.truncate(last + 4 + qsizetype(double(length) * keep));
    return stream;
}

// `stream` with its parameter sets and no picture after them.
inline HevcStream WithoutPicture(HevcStream stream)
{
    const qsizetype last = LastUnit(stream);
    if (last < 0)
        return {};
    stream.data.truncate(last);
    return stream;
}

// A HEIC whose primary picture is the grid of `tiles` (row by row,
// `columns` a row) cropped to `shown`; with one tile, that tile alone is the
// primary picture. Each tile is `tileSize`.
inline QByteArray HeicOfTiles(const std::vector<HevcStream>& tiles, int columns, QSize tileSize,
                              QSize shown)
{
    using namespace heicbox;
    const int count = int(tiles.size());
    const bool grid = count > 1;
    const int rows = grid ? count / columns : 1;
    // Item 1 is the grid, items 2.. the tiles; a lone tile is item 1.
    const quint32 firstTile = grid ? 2 : 1;

    QByteArray ftyp;
    ftyp.append("heic");
    U32(ftyp, 0);
    ftyp.append("mif1heic");
    ftyp = Box("ftyp", ftyp);

    QByteArray gridData; // the grid's description, kept in the meta box
    U8(gridData, 0);
    U8(gridData, 0);
    U8(gridData, rows - 1);
    U8(gridData, columns - 1);
    U16(gridData, quint32(shown.width()));
    U16(gridData, quint32(shown.height()));

    const auto meta = [&](quint32 mdatStart) {
        QByteArray hdlr;
        U32(hdlr, 0);
        hdlr.append("pict");
        hdlr.append(QByteArray(13, '\0'));
        QByteArray pitm;
        U16(pitm, 1);
        QByteArray iloc;
        U8(iloc, 0x44); // 4-byte offsets and lengths
        U8(iloc, 0x00);
        U16(iloc, quint32(count + (grid ? 1 : 0)));
        if (grid) {
            U16(iloc, 1);
            U16(iloc, 1); // in the item data box
            U16(iloc, 0);
            U16(iloc, 1);
            U32(iloc, 0);
            U32(iloc, quint32(gridData.size()));
        }
        quint32 offset = mdatStart + 8;
        for (int i = 0; i < count; ++i) {
            U16(iloc, firstTile + quint32(i));
            U16(iloc, 0);
            U16(iloc, 0);
            U16(iloc, 1);
            U32(iloc, offset);
            U32(iloc, quint32(tiles[size_t(i)].data.size()));
            offset += quint32(tiles[size_t(i)].data.size());
        }
        QByteArray infos;
        U16(infos, quint32(count + (grid ? 1 : 0)));
        const auto infe = [](quint32 id, const char* type, bool hidden) {
            QByteArray body;
            U16(body, id);
            U16(body, 0);
            body.append(type, 4);
            body.append('\0');
            return FullBox("infe", 2, hidden ? 1 : 0, body);
        };
        if (grid)
            infos += infe(1, "grid", false);
        for (int i = 0; i < count; ++i)
            infos += infe(firstTile + quint32(i), "hvc1", grid);
        QByteArray iref;
        if (grid) {
            QByteArray dimg;
            U16(dimg, 1);
            U16(dimg, quint32(count));
            for (int i = 0; i < count; ++i)
                U16(dimg, firstTile + quint32(i));
            iref = FullBox("iref", 0, 0, Box("dimg", dimg));
        }
        // Properties: 1 the tiles' size, 2 the grid's size, 3.. each
        // tile's configuration.
        const auto ispe = [](QSize size) {
            QByteArray body;
            U32(body, quint32(size.width()));
            U32(body, quint32(size.height()));
            return FullBox("ispe", 0, 0, body);
        };
        QByteArray ipco = ispe(tileSize) + ispe(shown);
        for (const HevcStream& tile : tiles)
            ipco += tile.config;
        QByteArray ipma;
        U32(ipma, quint32(count + (grid ? 1 : 0)));
        if (grid) {
            U16(ipma, 1);
            U8(ipma, 1);
            U8(ipma, 2);
        }
        for (int i = 0; i < count; ++i) {
            U16(ipma, firstTile + quint32(i));
            U8(ipma, 2);
            U8(ipma, 0x80 | (3 + i)); // the configuration is essential
            U8(ipma, 1);
        }
        const QByteArray iprp = Box("iprp", Box("ipco", ipco) + FullBox("ipma", 0, 0, ipma));
        return FullBox("meta", 0, 0,
                       FullBox("hdlr", 0, 0, hdlr) + FullBox("pitm", 0, 0, pitm) +
                           FullBox("iloc", 1, 0, iloc) + FullBox("iinf", 0, 0, infos) + iref +
                           iprp + (grid ? Box("idat", gridData) : QByteArray()));
    };
    // The offsets into the media data depend on the meta box's size alone.
    const quint32 mdatStart = quint32(ftyp.size() + meta(0).size());
    QByteArray media;
    for (const HevcStream& tile : tiles)
        media += tile.data;
    return ftyp + meta(mdatStart) + Box("mdat", media);
}

// `image` cut into `tile` x `tile` pictures, row by row, the last row and
// column running over its edges as a phone's do (the edge repeated there, as
// an encoder pads), each made a HEIC by `encode`; empty when one cannot be.
inline std::vector<HevcStream> GridTiles(const QImage& image, int tile,
                                         const std::function<QByteArray(const QImage&)>& encode)
{
    const int columns = (image.width() + tile - 1) / tile;
    const int rows = (image.height() + tile - 1) / tile;
    std::vector<HevcStream> tiles;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            QImage part(tile, tile, QImage::Format_RGB32);
            for (int y = 0; y < tile; ++y) {
                const int sy = std::min(r * tile + y, image.height() - 1);
                auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
                for (int x = 0; x < tile; ++x)
                    line[x] = image.pixel(std::min(c * tile + x, image.width() - 1), sy);
            }
            tiles.push_back(StreamOf(encode(part)));
            if (tiles.back().data.isEmpty())
                return {};
        }
    return tiles;
}

// The same, each tile coded at `quality`.
inline std::vector<HevcStream> GridTiles(const QImage& image, int tile, int quality)
{
    return GridTiles(image, tile,
                     [quality](const QImage& part) { return Heic(part, 1, 0, quality); });
}

// `image` as a HEIC grid of GridTiles.
inline QByteArray GridHeic(const QImage& image, int tile, int quality)
{
    const std::vector<HevcStream> tiles = GridTiles(image, tile, quality);
    if (tiles.empty())
        return {};
    return HeicOfTiles(tiles, (image.width() + tile - 1) / tile, QSize(tile, tile), image.size());
}

} // namespace phototest
