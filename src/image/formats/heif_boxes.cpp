#include "image/formats/heif_boxes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vig::image::heif {
namespace {

// More items than any real file has (a grid photo has a few dozen) are
// not looked at.
constexpr size_t kMaxItems = 4096;
// Of an AV1 item's data, the start that holds its sequence header.
constexpr size_t kAv1Start = 4096;
// Of an HEVC item's data, the NAL units looked at, and the bytes of a
// parameter set read (real ones take a few dozen).
constexpr int kMaxNalUnits = 4096;
constexpr size_t kParameterSetBytes = 4096;

constexpr uint32_t FourCc(const char (&s)[5]) {
    return uint32_t{static_cast<uint8_t>(s[0])} << 24 | uint32_t{static_cast<uint8_t>(s[1])} << 16 |
           uint32_t{static_cast<uint8_t>(s[2])} << 8 | uint32_t{static_cast<uint8_t>(s[3])};
}

uint32_t Be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
uint64_t Be64(const uint8_t* p) {
    return uint64_t{Be32(p)} << 32 | Be32(p + 4);
}

// Reads bits most significant first; reading past the end sets failed().
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Bits(int n) {
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (pos_ >= size_ * 8) {
                failed_ = true;
                return 0;
            }
            v = v << 1 | ((data_[pos_ / 8] >> (7 - pos_ % 8)) & 1u);
            ++pos_;
        }
        return v;
    }
    void Skip(int n) {
        for (; n > 32; n -= 32) Bits(32);
        Bits(n);
    }
    // ue(v) of HEVC and uvlc() of AV1: leading zeros, a one, as many bits.
    uint64_t ExpGolomb() {
        int zeros = 0;
        while (!failed_ && Bits(1) == 0) {
            if (++zeros >= 32) {
                failed_ = true;
                return 0;
            }
        }
        return (uint64_t{1} << zeros) - 1 + Bits(zeros);
    }
    bool failed() const { return failed_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

struct Box {
    uint32_t type = 0;
    const uint8_t* body = nullptr;
    size_t size = 0;
};

// The next box of [*p, end); false at the end or at a box that does not fit.
bool NextBox(const uint8_t** p, const uint8_t* end, Box* box) {
    const size_t left = static_cast<size_t>(end - *p);
    if (left < 8) return false;
    uint64_t size = Be32(*p);
    size_t header = 8;
    if (size == 1) {
        if (left < 16) return false;
        size = Be64(*p + 8);
        header = 16;
    } else if (size == 0) {
        size = left;
    }
    if (size < header || size > left) return false;
    box->type = Be32(*p + 4);
    box->body = *p + header;
    box->size = static_cast<size_t>(size) - header;
    *p += size;
    return true;
}

void Take(DeclaredSize* largest, uint64_t width, uint64_t height) {
    width = std::min<uint64_t>(width, UINT32_MAX);
    height = std::min<uint64_t>(height, UINT32_MAX);
    if (width * height > uint64_t{largest->width} * largest->height) {
        largest->width = static_cast<uint32_t>(width);
        largest->height = static_cast<uint32_t>(height);
    }
}

// pic_width_in_luma_samples and pic_height_in_luma_samples of an HEVC
// sequence parameter set (the NAL unit with its two-byte header).
void SequenceParameterSet(const uint8_t* nal, size_t size, DeclaredSize* largest) {
    if (size < 3) return;
    // The payload without its emulation prevention bytes (0x000003).
    std::vector<uint8_t> rbsp;
    rbsp.reserve(size);
    int zeros = 0;
    for (size_t i = 2; i < size; ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] == 0 ? zeros + 1 : 0;
        rbsp.push_back(nal[i]);
    }
    BitReader r(rbsp.data(), rbsp.size());
    r.Bits(4);  // sps_video_parameter_set_id
    const int subLayers = static_cast<int>(r.Bits(3));
    r.Bits(1);
    // profile_tier_level: the general profile and level, then those of the
    // sub-layers that have them.
    r.Skip(88 + 8);
    bool profile[8] = {}, level[8] = {};
    for (int i = 0; i < subLayers; ++i) {
        profile[i] = r.Bits(1) != 0;
        level[i] = r.Bits(1) != 0;
    }
    if (subLayers > 0)
        for (int i = subLayers; i < 8; ++i) r.Bits(2);
    for (int i = 0; i < subLayers; ++i) {
        if (profile[i]) r.Skip(88);
        if (level[i]) r.Bits(8);
    }
    r.ExpGolomb();                      // sps_seq_parameter_set_id
    if (r.ExpGolomb() == 3) r.Bits(1);  // chroma_format_idc, separate_colour_plane_flag
    const uint64_t width = r.ExpGolomb();
    const uint64_t height = r.ExpGolomb();
    if (!r.failed()) Take(largest, width, height);
}

// The parameter sets of an HEVCDecoderConfigurationRecord.
void HevcConfiguration(const uint8_t* b, size_t size, DeclaredSize* largest) {
    if (size < 23) return;
    const int arrays = b[22];
    size_t p = 23;
    for (int a = 0; a < arrays && p + 3 <= size; ++a) {
        const int type = b[p] & 0x3F;
        const int count = b[p + 1] << 8 | b[p + 2];
        p += 3;
        for (int n = 0; n < count && p + 2 <= size; ++n) {
            const size_t length = size_t{b[p]} << 8 | b[p + 1];
            p += 2;
            if (length > size - p) return;
            if (type == 33) SequenceParameterSet(b + p, length, largest);
            p += length;
        }
    }
}

// max_frame_width_minus_1 + 1 and max_frame_height_minus_1 + 1 of an AV1
// sequence header OBU's payload.
void SequenceHeader(const uint8_t* b, size_t size, DeclaredSize* largest) {
    BitReader r(b, size);
    r.Bits(3);  // seq_profile
    r.Bits(1);  // still_picture
    if (r.Bits(1) != 0) {
        r.Bits(5);  // reduced_still_picture_header: seq_level_idx
    } else {
        bool decoderModel = false;
        int bufferDelayLength = 0;
        if (r.Bits(1) != 0) {  // timing_info_present_flag
            r.Bits(32);
            r.Bits(32);
            if (r.Bits(1) != 0) r.ExpGolomb();  // equal_picture_interval
            decoderModel = r.Bits(1) != 0;
            if (decoderModel) {
                bufferDelayLength = static_cast<int>(r.Bits(5)) + 1;
                r.Bits(32);
                r.Bits(5);
                r.Bits(5);
            }
        }
        const bool initialDisplayDelay = r.Bits(1) != 0;
        const int points = static_cast<int>(r.Bits(5)) + 1;
        for (int i = 0; i < points && !r.failed(); ++i) {
            r.Bits(12);                    // operating_point_idc
            if (r.Bits(5) > 7) r.Bits(1);  // seq_level_idx, seq_tier
            if (decoderModel && r.Bits(1) != 0) {
                r.Skip(2 * bufferDelayLength);
                r.Bits(1);
            }
            if (initialDisplayDelay && r.Bits(1) != 0) r.Bits(4);
        }
    }
    const int widthBits = static_cast<int>(r.Bits(4)) + 1;
    const int heightBits = static_cast<int>(r.Bits(4)) + 1;
    const uint64_t width = r.Bits(widthBits) + 1;
    const uint64_t height = r.Bits(heightBits) + 1;
    if (!r.failed()) Take(largest, width, height);
}

// The sequence headers among a run of OBUs.
void Av1Obus(const uint8_t* b, size_t size, DeclaredSize* largest) {
    size_t p = 0;
    while (p < size) {
        const uint8_t header = b[p];
        const int type = (header >> 3) & 15;
        const bool extension = (header & 4) != 0;
        const bool sized = (header & 2) != 0;
        p += extension ? 2 : 1;
        uint64_t length = size > p ? size - p : 0;
        if (sized) {
            length = 0;
            for (int i = 0;; ++i) {
                if (p >= size || i == 8) return;
                const uint8_t byte = b[p++];
                length |= uint64_t{byte & 0x7Fu} << (7 * i);
                if ((byte & 0x80) == 0) break;
            }
        }
        if (p > size || length > size - p) return;
        if (type == 1) SequenceHeader(b + p, static_cast<size_t>(length), largest);
        p += static_cast<size_t>(length);
    }
}

// The config OBUs of an AV1CodecConfigurationRecord.
void Av1Configuration(const uint8_t* b, size_t size, DeclaredSize* largest) {
    if (size > 4) Av1Obus(b + 4, size - 4, largest);
}

// Reads n bytes at `at` of the file; false when they are not all there.
bool ReadAt(int fd, uint64_t at, uint8_t* to, size_t n) {
    for (size_t done = 0; done < n;) {
        const ssize_t got = pread(fd, to + done, n - done, static_cast<off_t>(at + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// Big-endian fields read with bounds. As libheif reads them, a field of a
// width other than 1, 2, 4 or 8 bytes takes no bytes and reads as 0.
class FieldReader {
public:
    FieldReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Read(size_t bytes) {
        if (bytes != 1 && bytes != 2 && bytes != 4 && bytes != 8) return 0;
        if (bytes > size_ - pos_) {
            failed_ = true;
            pos_ = size_;
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i) v = v << 8 | data_[pos_++];
        return v;
    }
    bool failed() const { return failed_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

struct Item {
    uint32_t id = 0;
    uint32_t type = 0;
    int construction = 0;  // 0 in the file, 1 in idat
    uint64_t offset = 0;   // of its first extent
    uint64_t length = 0;   // of its first extent; 0: to the end
    bool located = false;
};

Item* FindItem(std::vector<Item>* items, uint32_t id) {
    for (Item& i : *items)
        if (i.id == id) return &i;
    items->push_back(Item{});
    items->back().id = id;
    return &items->back();
}

// The item types of an iinf box.
void ItemInfos(const Box& iinf, std::vector<Item>* items) {
    if (iinf.size < 4) return;
    const size_t counts = iinf.body[0] == 0 ? 2 : 4;
    const uint8_t* p = iinf.body + 4 + counts;
    if (4 + counts > iinf.size) return;
    Box infe;
    while (items->size() < kMaxItems && NextBox(&p, iinf.body + iinf.size, &infe)) {
        if (infe.type != FourCc("infe") || infe.size < 4) continue;
        const int version = infe.body[0];
        if (version < 2) continue;
        FieldReader r(infe.body + 4, infe.size - 4);
        const uint32_t id = static_cast<uint32_t>(r.Read(version == 2 ? 2 : 4));
        r.Read(2);  // item_protection_index
        const uint32_t type = static_cast<uint32_t>(r.Read(4));
        if (!r.failed()) FindItem(items, id)->type = type;
    }
}

// Where the first extent of each item of an iloc box lies.
void ItemLocations(const Box& iloc, std::vector<Item>* items) {
    FieldReader r(iloc.body, iloc.size);
    const int version = static_cast<int>(r.Read(1));
    r.Read(1);  // flags
    r.Read(2);
    const uint64_t sizes = r.Read(2);
    const size_t offsetSize = (sizes >> 12) & 15, lengthSize = (sizes >> 8) & 15;
    const size_t baseSize = (sizes >> 4) & 15;
    const size_t indexSize = version == 1 || version == 2 ? sizes & 15 : 0;
    const uint64_t count = r.Read(version < 2 ? 2 : 4);
    for (uint64_t n = 0; n < count && !r.failed() && items->size() < kMaxItems; ++n) {
        const uint32_t id = static_cast<uint32_t>(r.Read(version < 2 ? 2 : 4));
        const int construction =
            version == 1 || version == 2 ? static_cast<int>(r.Read(2) & 15) : 0;
        r.Read(2);  // data_reference_index
        const uint64_t base = r.Read(baseSize);
        const uint64_t extents = r.Read(2);
        for (uint64_t e = 0; e < extents && !r.failed(); ++e) {
            r.Read(indexSize);
            const uint64_t offset = r.Read(offsetSize);
            const uint64_t length = r.Read(lengthSize);
            if (e == 0 && !r.failed()) {
                Item* item = FindItem(items, id);
                item->construction = construction;
                item->offset = base + offset;
                item->length = length;
                item->located = true;
            }
        }
    }
}

// Up to `want` bytes from the start of an item's data; `idatStart` is
// where the idat box's data starts in the file (0 when there is none).
std::vector<uint8_t> ItemStart(int fd, uint64_t fileSize, uint64_t idatStart, const Item& item,
                               size_t want) {
    std::vector<uint8_t> out;
    if (!item.located || (item.construction != 0 && item.construction != 1) ||
        (item.construction == 1 && idatStart == 0))
        return out;
    const uint64_t at = item.construction == 1 ? idatStart + item.offset : item.offset;
    if (at < item.offset || at >= fileSize) return out;
    uint64_t n = std::min<uint64_t>(want, fileSize - at);
    if (item.length > 0) n = std::min(n, item.length);
    out.resize(static_cast<size_t>(n));
    if (!ReadAt(fd, at, out.data(), out.size())) out.clear();
    return out;
}

// The sequence parameter sets among the NAL units of an HEVC item's data
// (each after a 4-byte length, as libheif hands them to the decoder): the
// decoder takes them as it takes those of the hvcC property.
void InBandParameterSets(int fd, uint64_t fileSize, const Item& item, DeclaredSize* largest) {
    const uint64_t end =
        item.length > 0 && item.length <= fileSize - std::min(item.offset, fileSize)
            ? item.offset + item.length
            : fileSize;
    uint64_t at = item.offset;
    for (int n = 0; n < kMaxNalUnits && end > at && end - at >= 6; ++n) {
        uint8_t head[6];
        if (!ReadAt(fd, at, head, sizeof head)) return;
        const uint64_t length = Be32(head);
        if (((head[4] >> 1) & 0x3F) == 33) {
            std::vector<uint8_t> nal(static_cast<size_t>(
                std::min<uint64_t>({length, end - at - 4, uint64_t{kParameterSetBytes}})));
            if (!ReadAt(fd, at + 4, nal.data(), nal.size())) return;
            SequenceParameterSet(nal.data(), nal.size(), largest);
        }
        at += 4 + length;
    }
}

// The output size of a grid ('grid') or overlay ('iovl') descriptor.
void DerivedImage(uint32_t type, const std::vector<uint8_t>& d, DeclaredSize* largest) {
    FieldReader r(d.data(), d.size());
    r.Read(1);  // version
    const size_t field = (r.Read(1) & 1) != 0 ? 4 : 2;
    if (type == FourCc("grid"))
        r.Read(2);  // rows and columns
    else
        r.Read(8);  // fill values (of four channels, as libheif reads them)
    const uint64_t width = r.Read(field), height = r.Read(field);
    if (!r.failed()) Take(largest, width, height);
}

}  // namespace

DeclaredSize LargestDeclaredPicture(int fd, uint64_t fileSize, const MetaBox& meta) {
    DeclaredSize largest;
    const uint8_t* begin = meta.content.data();
    const uint8_t* end = begin + meta.content.size();
    std::vector<Item> items;
    uint64_t idatStart = 0;
    Box box;
    for (const uint8_t* p = begin; NextBox(&p, end, &box);) {
        if (box.type == FourCc("iinf")) ItemInfos(box, &items);
        if (box.type == FourCc("iloc")) ItemLocations(box, &items);
        if (box.type == FourCc("idat"))
            idatStart = meta.offset + static_cast<uint64_t>(box.body - begin);
        if (box.type != FourCc("iprp")) continue;
        Box inner;
        for (const uint8_t* q = box.body; NextBox(&q, box.body + box.size, &inner);) {
            if (inner.type != FourCc("ipco")) continue;
            Box property;
            for (const uint8_t* r = inner.body; NextBox(&r, inner.body + inner.size, &property);) {
                if (property.type == FourCc("hvcC"))
                    HevcConfiguration(property.body, property.size, &largest);
                else if (property.type == FourCc("av1C"))
                    Av1Configuration(property.body, property.size, &largest);
            }
        }
    }
    for (const Item& item : items) {
        if (item.type == FourCc("grid") || item.type == FourCc("iovl")) {
            DerivedImage(item.type, ItemStart(fd, fileSize, idatStart, item, 32), &largest);
        } else if (item.type == FourCc("av01")) {
            // A temporal unit starts with its sequence header, if it has one.
            const std::vector<uint8_t> start = ItemStart(fd, fileSize, idatStart, item, kAv1Start);
            Av1Obus(start.data(), start.size(), &largest);
        } else if (item.type == FourCc("hvc1") && item.construction == 0 && item.located) {
            InBandParameterSets(fd, fileSize, item, &largest);
        }
    }
    return largest;
}

bool ReadMetaBox(int fd, uint64_t fileSize, size_t limit, MetaBox* meta) {
    meta->content.clear();
    meta->offset = 0;
    const auto readAt = [fd](uint64_t at, uint8_t* to, size_t n) { return ReadAt(fd, at, to, n); };
    uint64_t at = 0;
    for (int boxes = 0; boxes < 1000 && fileSize - at >= 8; ++boxes) {
        uint8_t head[16];
        if (!readAt(at, head, 8)) break;
        uint64_t size = Be32(head);
        uint64_t header = 8;
        if (size == 1) {
            if (fileSize - at < 16 || !readAt(at + 8, head + 8, 8)) break;
            size = Be64(head + 8);
            header = 16;
        } else if (size == 0) {
            size = fileSize - at;
        }
        if (size < header || size > fileSize - at) break;
        if (Be32(head + 4) == FourCc("meta")) {
            // A full box: version and flags before its children.
            if (size < header + 4) break;
            if (size - header - 4 > limit) return false;
            meta->offset = at + header + 4;
            meta->content.resize(static_cast<size_t>(size - header - 4));
            if (!readAt(meta->offset, meta->content.data(), meta->content.size()))
                meta->content.clear();
            break;
        }
        at += size;
    }
    return true;
}

}  // namespace vig::image::heif
