#include "processing/colour_reduction.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <new>

namespace vig::processing {
namespace {

// The colour tree keeps the top five bits of each channel in its addressing:
// six levels of 1, 8, ..., 32768 nodes. A node's index at level L is the
// concatenation of L child numbers of 3 bits (r, g, b bit of one depth), so
// the parent of node i is node i / 8 one level up and i % 8 its child number.
constexpr int kLevels = 6;
constexpr size_t kLevelStart[kLevels + 1] = {0, 1, 9, 73, 585, 4681, 37449};
constexpr size_t kNodes = kLevelStart[kLevels];
constexpr int kLeafLevel = 5;
constexpr size_t kLeaves = 32768;

struct Node {
    // Sums are 64-bit so that large uniform areas cannot wrap them.
    uint64_t sumR;
    uint64_t sumG;
    uint64_t sumB;
    uint32_t pixels;  // pixels the node stands for as a colour of its own
    uint32_t weight;  // pixels of the whole subtree, the reduction key
    uint8_t childMask;
    uint8_t paletteIndex;
};

struct NodeRef {
    uint8_t level;
    uint16_t index;
};

// Each channel value's share of the 15-bit leaf index: bits r7 g7 b7 r6 g6
// b6 ... r3 g3 b3 from bit 14 down.
struct LeafIndexTables {
    std::array<uint16_t, 256> r{}, g{}, b{};
    constexpr LeafIndexTables() {
        for (int v = 0; v < 256; ++v) {
            uint16_t spread = 0;
            for (int bit = 7; bit >= 3; --bit)
                if (v & (1 << bit)) spread |= static_cast<uint16_t>(1u << ((bit - 3) * 3));
            r[v] = static_cast<uint16_t>(spread << 2);
            g[v] = static_cast<uint16_t>(spread << 1);
            b[v] = spread;
        }
    }
};
constexpr LeafIndexTables kLeafIndex;

constexpr std::array<int, 511> MakeSquares() {
    std::array<int, 511> t{};
    for (int d = -255; d <= 255; ++d) t[static_cast<size_t>(d + 255)] = d * d;
    return t;
}
constexpr std::array<int, 511> kSquareStore = MakeSquares();
const int* const kSquares = kSquareStore.data() + 255;  // indexed by a signed difference

class ColourReducer {
public:
    bool Allocate() {
        nodes_.reset(new (std::nothrow) Node[kNodes]());
        heap_.reset(new (std::nothrow) NodeRef[kLeaves + 1]);
        return nodes_ && heap_;
    }

    void BuildHistogram(const uint8_t* rgb, size_t count) {
        Node* leaves = Level(kLeafLevel);
        for (size_t i = 0; i < count; ++i, rgb += 3) {
            Node& n = leaves[kLeafIndex.r[rgb[0]] + kLeafIndex.g[rgb[1]] + kLeafIndex.b[rgb[2]]];
            n.sumR += rgb[0];
            n.sumG += rgb[1];
            n.sumB += rgb[2];
            ++n.pixels;
        }
        size_ = 0;
        for (size_t i = 0; i < kLeaves; ++i) {
            Node& leaf = leaves[i];
            if (leaf.pixels == 0) continue;
            heap_[++size_] = NodeRef{kLeafLevel, static_cast<uint16_t>(i)};
            leaf.weight = leaf.pixels;
            size_t index = i;
            for (int level = kLeafLevel - 1; level >= 0; --level) {
                const unsigned child = index & 7;
                index >>= 3;
                Node& ancestor = Level(level)[index];
                ancestor.weight += leaf.pixels;
                ancestor.childMask |= static_cast<uint8_t>(1u << child);
            }
        }
        for (size_t k = size_; k >= 1; --k) SiftDown(k);
    }

    // Folds the least populated colour into its parent until at most
    // `colours` remain.
    void Reduce(size_t colours) {
        while (size_ > colours) {
            const NodeRef x = heap_[1];
            if (x.level == 0) break;  // the root outweighs everything below it
            const NodeRef parentRef{static_cast<uint8_t>(x.level - 1),
                                    static_cast<uint16_t>(x.index >> 3)};
            Node& child = At(x);
            Node& parent = At(parentRef);
            if (parent.pixels > 0) {
                heap_[1] = heap_[size_--];
            } else {
                heap_[1] = parentRef;
            }
            parent.pixels += child.pixels;
            parent.sumR += child.sumR;
            parent.sumG += child.sumG;
            parent.sumB += child.sumB;
            parent.childMask &= static_cast<uint8_t>(~(1u << (x.index & 7)));
            SiftDown(1);
        }
    }

    void BuildPalette() {
        count_ = 0;
        red_.fill(0);
        green_.fill(0);
        blue_.fill(0);
        Visit(0, 0);
    }

    // N entries of (blue, green, red, 0); those beyond the colours in use
    // stay black.
    void WritePalette(uint8_t* out, int colours) const {
        for (int i = 0; i < colours; ++i, out += 4) {
            out[0] = blue_[static_cast<size_t>(i)];
            out[1] = green_[static_cast<size_t>(i)];
            out[2] = red_[static_cast<size_t>(i)];
            out[3] = 0;
        }
    }

    int Map(const uint8_t* rgb, uint8_t* indexOut, int width, int height) const;

private:
    Node* Level(int level) { return nodes_.get() + kLevelStart[level]; }
    Node& At(NodeRef ref) { return Level(ref.level)[ref.index]; }
    uint32_t Weight(NodeRef ref) { return At(ref).weight; }

    void SiftDown(size_t k) {
        const NodeRef moving = heap_[k];
        const uint32_t w = Weight(moving);
        while (k <= size_ / 2) {
            size_t j = 2 * k;
            if (j < size_ && Weight(heap_[j + 1]) < Weight(heap_[j])) ++j;
            if (Weight(heap_[j]) >= w) break;
            heap_[k] = heap_[j];
            k = j;
        }
        heap_[k] = moving;
    }

    // Children from 7 down to 0 first, then the node itself when it is a
    // colour: its rounded mean becomes the next palette entry.
    void Visit(int level, size_t index) {
        Node& n = Level(level)[index];
        if (level < kLeafLevel) {
            for (int c = 7; c >= 0; --c)
                if (n.childMask & (1u << c)) Visit(level + 1, index * 8 + static_cast<size_t>(c));
        }
        if (n.pixels > 0 && count_ < 256) {
            const uint64_t p = n.pixels;
            const size_t i = count_++;
            n.paletteIndex = static_cast<uint8_t>(i);
            red_[i] = static_cast<uint8_t>((n.sumR + p / 2) / p);
            green_[i] = static_cast<uint8_t>((n.sumG + p / 2) / p);
            blue_[i] = static_cast<uint8_t>((n.sumB + p / 2) / p);
        }
    }

    std::unique_ptr<Node[]> nodes_;
    std::unique_ptr<NodeRef[]> heap_;  // 1-based min-heap on weight
    size_t size_ = 0;
    std::array<uint8_t, 256> red_{}, green_{}, blue_{};
    size_t count_ = 0;  // palette entries in use
};

// Serpentine error diffusion through a cache of one palette entry per 5-bit
// colour cell, each chosen for the cell's centre.
int ColourReducer::Map(const uint8_t* rgb, uint8_t* indexOut, int width, int height) const {
    const size_t w = static_cast<size_t>(width);
    const size_t entries = (w + 2) * 3;  // one spare column at each end
    std::unique_ptr<int16_t[]> rowA(new (std::nothrow) int16_t[entries]());
    std::unique_ptr<int16_t[]> rowB(new (std::nothrow) int16_t[entries]());
    std::unique_ptr<int16_t[]> cache(new (std::nothrow) int16_t[32768]);
    if (!rowA || !rowB || !cache) return 1;
    std::fill(cache.get(), cache.get() + 32768, static_cast<int16_t>(-1));

    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    auto limit = [](int d) { return static_cast<int16_t>(d < -20 ? -20 : d > 20 ? 20 : d); };
    auto nearest = [&](int r, int g, int b) {
        int best = 200000;
        int bestIndex = 0;
        for (size_t k = 0; k < count_; ++k) {
            const int d = kSquares[r - red_[k]] + kSquares[g - green_[k]] + kSquares[b - blue_[k]];
            if (d < best) {
                best = d;
                bestIndex = static_cast<int>(k);
            }
        }
        return static_cast<int16_t>(bestIndex);
    };

    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const bool forward = y % 2 == 0;
        int16_t* read = forward ? rowA.get() : rowB.get();
        int16_t* write = forward ? rowB.get() : rowA.get();
        const uint8_t* row = rgb + y * w * 3;
        uint8_t* out = indexOut + y * w;
        for (size_t n = 0; n < w; ++n) {
            const size_t x = forward ? n : w - 1 - n;
            const size_t pos = (x + 1) * 3;
            const size_t next = forward ? pos + 3 : pos - 3;
            const uint8_t* px = row + x * 3;
            const int16_t* e = read + pos;
            const uint8_t r = clamp(px[0] + (e[0] >> 1));
            const uint8_t g = clamp(px[1] + (e[1] >> 1));
            const uint8_t b = clamp(px[2] + (e[2] >> 1));
            const size_t slot = (static_cast<size_t>(r >> 3) << 10) |
                                (static_cast<size_t>(g >> 3) << 5) | static_cast<size_t>(b >> 3);
            if (cache[slot] < 0)
                cache[slot] = nearest((r >> 3) * 8 + 4, (g >> 3) * 8 + 4, (b >> 3) * 8 + 4);
            const size_t index = static_cast<size_t>(cache[slot]);
            out[x] = static_cast<uint8_t>(index);
            const int16_t err[3] = {limit(r - red_[index]), limit(g - green_[index]),
                                    limit(b - blue_[index])};
            for (size_t k = 0; k < 3; ++k) {
                write[pos + k] = err[k];
                read[next + k] = static_cast<int16_t>(read[next + k] + err[k]);
            }
        }
    }
    return 0;
}

int ClampColours(int colours) {
    return std::clamp(colours, 1, 256);
}

int Reduce(const uint8_t* rgb, uint8_t* indexOut, int width, int height, int colours,
           uint8_t* paletteOut) {
    if (rgb == nullptr || paletteOut == nullptr || width <= 0 || height <= 0) return 5;
    colours = ClampColours(colours);
    std::unique_ptr<ColourReducer> reducer(new (std::nothrow) ColourReducer);
    if (!reducer || !reducer->Allocate()) return 1;
    reducer->BuildHistogram(rgb, static_cast<size_t>(width) * static_cast<size_t>(height));
    reducer->Reduce(static_cast<size_t>(colours));
    reducer->BuildPalette();
    if (indexOut != nullptr) {
        const int status = reducer->Map(rgb, indexOut, width, height);
        if (status != 0) return status;
    }
    reducer->WritePalette(paletteOut, colours);
    return 0;
}

}  // namespace

int QuantizeToPalette(const uint8_t* rgb, uint8_t* indexOut, int width, int height, int colours,
                      uint8_t* paletteOut) {
    if (indexOut == nullptr) return 5;
    return Reduce(rgb, indexOut, width, height, colours, paletteOut);
}

int BuildPaletteOnly(const uint8_t* rgb, int width, int height, int colours, uint8_t* paletteOut) {
    return Reduce(rgb, nullptr, width, height, colours, paletteOut);
}

int ToGrayscale(const uint8_t* rgb, int width, int height, uint8_t* grayOut) {
    if (rgb == nullptr || grayOut == nullptr || width <= 0 || height <= 0) return 5;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < n; ++i) {
        const double g = 0.299 * rgb[3 * i] + 0.587 * rgb[3 * i + 1] + 0.114 * rgb[3 * i + 2];
        grayOut[i] = static_cast<uint8_t>(g);
    }
    return 0;
}

int NearestPaletteEntry(const uint8_t* palette, int count, uint8_t red, uint8_t green,
                        uint8_t blue) {
    long best = -1;
    int bestIndex = 0;
    for (int k = 0; k < count; ++k) {
        const uint8_t* e = palette + 4 * k;
        const long dr = e[2] - red, dg = e[1] - green, db = e[0] - blue;
        const long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < best) {
            best = d;
            bestIndex = k;
            if (d == 0) break;
        }
    }
    return bestIndex;
}

int MapToPalette(uint8_t* rgb, int width, int height, const uint8_t* palette, int count) {
    if (rgb == nullptr || palette == nullptr) return 5;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < pixels; ++i, rgb += 3) {
        const uint8_t* e = palette + 4 * NearestPaletteEntry(palette, count, rgb[0], rgb[1], rgb[2]);
        rgb[0] = e[2];
        rgb[1] = e[1];
        rgb[2] = e[0];
    }
    return 0;
}

int PosterizeKeeping(uint8_t* rgb, int width, int height, int colours, uint8_t red,
                     uint8_t green, uint8_t blue) {
    if (rgb == nullptr) return 5;
    const int n = colours < 1 ? 1 : (colours > 256 ? 256 : colours);
    uint8_t palette[256 * 4] = {};
    if (const int status = BuildPaletteOnly(rgb, width, height, n, palette); status != 0)
        return status;
    uint8_t* e = palette + 4 * NearestPaletteEntry(palette, n, red, green, blue);
    e[0] = blue;
    e[1] = green;
    e[2] = red;
    e[3] = 0;
    return MapToPalette(rgb, width, height, palette, n);
}

}  // namespace vig::processing
