// The TIFF structure inside a JPEG file's EXIF and multi-picture blocks: a
// header ("II" or "MM", 42, where the first directory starts), directories of
// 12-byte entries, each followed by where the next one starts. Offsets count
// from the header; every read is checked against the end of the data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vig::image {

class TiffDirectory {
public:
    // One entry: its tag, type, number of values and where they lie (in
    // the entry itself when they fit in 4 bytes, else at the offset it holds).
    struct Entry {
        unsigned tag = 0;
        unsigned type = 0;
        uint32_t count = 0;
        size_t valueAt = 0;
    };
    static constexpr unsigned kShort = 3;
    static constexpr unsigned kLong = 4;

    // data starts at the TIFF header; ok() is false when it is none.
    TiffDirectory(const uint8_t* data, size_t size) : data_(data), size_(size) {
        if (data == nullptr || size < 8) return;
        if (data[0] == 'M' && data[1] == 'M')
            big_ = true;
        else if (data[0] != 'I' || data[1] != 'I')
            return;
        unsigned magic = 0;
        ok_ = U16(2, &magic) && magic == 42 && U32(4, &first_);
    }

    bool ok() const { return ok_; }
    uint32_t first() const { return first_; }  // where the first directory starts

    bool U16(size_t at, unsigned* v) const {
        if (at > size_ || size_ - at < 2) return false;
        const uint8_t* p = data_ + at;
        *v = big_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
        return true;
    }
    bool U32(size_t at, uint32_t* v) const {
        if (at > size_ || size_ - at < 4) return false;
        const uint8_t* p = data_ + at;
        *v = big_ ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                  : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
        return true;
    }

    // The first entry of `tag` in the directory at `dir`. False when there
    // is none among the entries before the directory runs past the data.
    bool Find(uint32_t dir, unsigned tag, Entry* e) const {
        unsigned count = 0;
        if (!U16(dir, &count)) return false;
        for (unsigned i = 0; i < count; ++i) {
            const size_t at = size_t{dir} + 2 + size_t{i} * 12;
            unsigned t = 0;
            if (!U16(at, &t)) return false;
            if (t != tag) continue;
            e->tag = t;
            uint32_t offset = 0;
            if (!U16(at + 2, &e->type) || !U32(at + 4, &e->count) || !U32(at + 8, &offset))
                return false;
            e->valueAt = uint64_t{e->count} * Unit(e->type) <= 4 ? at + 8 : offset;
            return true;
        }
        return false;
    }

    // Where the directory after the one at `dir` starts (0: none).
    bool Next(uint32_t dir, uint32_t* next) const {
        unsigned count = 0;
        return U16(dir, &count) && U32(size_t{dir} + 2 + size_t{count} * 12, next);
    }

    // The first value of a SHORT or LONG entry.
    bool Number(const Entry& e, uint32_t* v) const {
        if (e.count < 1) return false;
        if (e.type == kLong) return U32(e.valueAt, v);
        unsigned s = 0;
        if (e.type != kShort || !U16(e.valueAt, &s)) return false;
        *v = s;
        return true;
    }

private:
    // The bytes of one value of a type (1 for the unknown ones).
    static unsigned Unit(unsigned type) {
        static constexpr unsigned kUnits[14] = {1, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        return type < 14 ? kUnits[type] : 1;
    }

    const uint8_t* data_;
    size_t size_;
    bool big_ = false;
    bool ok_ = false;
    uint32_t first_ = 0;
};

}  // namespace vig::image
