#pragma once

#include <QImage>
#include <QTemporaryDir>
#include <string>

// A project folder of many image cells for the benchmarks that open, check
// or show projects: every cell names a display image and a thumbnail of
// its own (copies of, or links to, the two pictures given).
class CBenchProject
{
public:
    struct Pictures
    {
        QImage display;            // written as PNG
        QImage thumbnail;          // written as JPEG; its size is the cells' thumbnail size
        int thumbnailQuality = -1; // -1: the writer's default
        QImage source;             // written as JPEG and named by every cell; null: none
        bool link = false;         // the cells' files are links to one pair, not copies
    };

    CBenchProject(int cells, const Pictures& pictures);

    // One project per cell count, made at the first call of a benchmark
    // program (with the pictures `make` gives then) and kept for the rest.
    static CBenchProject& Cached(int cells, Pictures (*make)());

    // Something like a camera photograph: smooth gradients with fine grain,
    // so that a JPEG of it has the size a camera file has.
    static QImage Photo(int w, int h);

    std::string folder; // trailing '/'
    std::string path;   // the project file

private:
    QTemporaryDir m_dir;
};
