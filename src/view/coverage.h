#pragma once

// Smooth drawing: round-capped bands of exact width, each pixel taking the band's colour by
// the share of its area that the band covers (source-over, coverage as alpha), straight into
// the pixels of a 32-bit premultiplied image.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ramulet {

class TreePicture;

// The rows [rowBegin, rowEnd) of a 32-bit premultiplied ARGB image of `width` pixels a
// CoverageRaster draws on; nothing outside them is read or written, so two rasters on
// disjoint rows of one image can draw at the same time. RGB32 pixels qualify as well: opaque
// colours keep their alpha byte at 0xFF.
struct CoverageRows {
    uint32_t *bits = nullptr;  // pixel (0, 0) of the image
    std::ptrdiff_t stride = 0; // pixels from one image row to the next
    int width = 0;
    int rowBegin = 0;
    int rowEnd = 0;
};

// Device coordinates: pixel (i, j) is the square [i, i + 1) x [j, j + 1), y down. A pixel's
// coverage depends only on the shape and that pixel, never on which rows the raster owns, so
// an image drawn in several row ranges is bit for bit the image drawn whole.
class CoverageRaster {
public:
    explicit CoverageRaster(const CoverageRows &rows);
    ~CoverageRaster();

    // Composites, in the opaque colour `argb` (0xFFRRGGBB), the capsule of half-width r around
    // the segment (x0, y0)-(x1, y1): the band of width 2r with round ends. Each pixel takes
    // the colour by the share of its area the capsule covers. The capsule is drawn as the
    // polygon swept by a regular polygon of the disc's area, whose outline stays within 0.03
    // pixels of the circle's. A radius that is not positive, or coordinates or a radius of
    // 2^29 pixels or more, draw nothing.
    void Band(double x0, double y0, double x1, double y1, double r, uint32_t argb);

    // Composites the rectangle [left, right) x [top, bottom) in `argb`, edge pixels by their
    // covered share.
    void Rect(double left, double top, double right, double bottom, uint32_t argb);

private:
    // An edge of the outline in the band's own frame (x and y less its origin, so never
    // negative), upper end first. `slope` is |dy / dx| (0 for a vertical edge) with the sign
    // of `dir`: +1 where the outline runs down, -1 where it runs up.
    struct Edge {
        double x0, y0, x1, y1;
        double dxdy;
        double slope;
        double dir;
    };
    // Moves the outline beside the columns [0, right) onto their sides.
    void ClipEdgesX(double right);
    // Accumulates the edges, which lie in `cols` x `rows` cells from pixel (col0, row0), and
    // composites the area they enclose.
    void FillEdges(int col0, int row0, int cols, int rows, uint32_t src);
    // Composites the accumulated cells of such a band's rows that the raster owns, and
    // clears them all. `Tile`: a thin band's cells, in rows of a fixed length.
    template <bool Tile>
    void CompositeCells(int col0, int row0, int cols, int rows, size_t rowCells, uint32_t src);

    CoverageRows m_rows;
    struct Cap;
    std::unique_ptr<Cap> m_cap; // the cap polygon scaled to m_capRadius
    double m_capRadius = 0.0;
    std::vector<Edge> m_edges; // scratch: the outline being drawn, m_edgeCount of them
    size_t m_edgeCount = 0;
    std::vector<Edge> m_clipped;
    std::vector<double> m_cells; // per row, signed area differences; all zero between calls
    bool m_prefetch; // whether the rows are too large for the caches
};

// Draws the picture stretched over the whole of `image` like RasterizeTreePicture (the same
// device mapping and band widths, background rectangle unless the background is white, later
// segments over earlier ones), but smooth: bands of their exact width with round ends,
// antialiased by area coverage; a band thinner than a pixel covers only its share of the
// pixels it crosses, and a pen of width 0 draws a band one pixel wide. Over a white
// background the image keeps what it held (transparency stays transparent) where nothing is
// drawn. Works on RGB32, ARGB32 and ARGB32_Premultiplied images and returns false, drawing
// nothing, for any other format. A picture of many segments is drawn by two threads, each
// on a range of rows, with the same result as one.
bool RasterizeTreePictureSmooth(QImage &image, const TreePicture &pic);

} // namespace ramulet
