#pragma once
// A little-endian builder of hand-made enhanced metafiles for the tests of
// the record readers and the rewriter. Its header's reference device has
// 10 pixels per millimetre; the frame is given in hundredths of a millimetre.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "output/emf/emf_records.h"

namespace markomi::testing {

struct EmfPoint {
    std::int32_t x, y;
};

class EmfBuilder {
public:
    // Bounds 0,0 .. 200,100 pixels; the frame 0,0 .. right, bottom.
    explicit EmfBuilder(std::int32_t frame_right = 2000, std::int32_t frame_bottom = 1000,
                        std::uint32_t signature = kEmfSignature) {
        u32(kEmrHeader);
        u32(108);
        for (std::uint32_t v : {0u, 0u, 200u, 100u}) u32(v);
        for (std::int32_t v : {0, 0, frame_right, frame_bottom}) u32(static_cast<std::uint32_t>(v));
        u32(signature);
        while (bytes_.size() < 72) bytes_.push_back(0);
        for (std::uint32_t v : {1000u, 500u, 100u, 50u}) u32(v);  // device pixels, mm
        while (bytes_.size() < 108) bytes_.push_back(0);
    }
    EmfBuilder& record(std::uint32_t type, std::initializer_list<std::uint32_t> body = {}) {
        u32(type);
        u32(static_cast<std::uint32_t>(8 + 4 * body.size()));
        for (std::uint32_t v : body) u32(v);
        return *this;
    }
    // A record of `size` bytes as stored, its body zeros (a size that is
    // not a multiple of 4 is written as it is).
    EmfBuilder& sized(std::uint32_t type, std::uint32_t size) {
        u32(type);
        u32(size);
        for (std::uint32_t i = 8; i < size; ++i) bytes_.push_back(0);
        return *this;
    }
    // A POLYLINETO16 / POLYBEZIERTO16 / POLYGON16 style record.
    EmfBuilder& poly16(std::uint32_t type, std::initializer_list<std::int16_t> xy) {
        u32(type);
        u32(static_cast<std::uint32_t>(28 + 2 * xy.size()));
        for (int i = 0; i < 4; ++i) u32(0);
        u32(static_cast<std::uint32_t>(xy.size() / 2));
        for (std::int16_t v : xy) u16(static_cast<std::uint16_t>(v));
        return *this;
    }
    // EMR_POLYDRAW16 (16-bit points) or EMR_POLYDRAW, with bounds 11,12 ..
    // 13,14; `count` overrides the stored point count.
    EmfBuilder& polydraw(std::vector<EmfPoint> points, std::vector<std::uint8_t> types,
                         bool wide = false, std::int64_t count = -1) {
        const std::size_t start = bytes_.size();
        u32(wide ? kEmrPolyDraw : kEmrPolyDraw16);
        u32(0);
        for (std::uint32_t v : {11u, 12u, 13u, 14u}) u32(v);
        u32(static_cast<std::uint32_t>(count >= 0 ? count
                                                  : static_cast<std::int64_t>(points.size())));
        for (const EmfPoint& p : points) {
            if (wide) {
                u32(static_cast<std::uint32_t>(p.x));
                u32(static_cast<std::uint32_t>(p.y));
            } else {
                u16(static_cast<std::uint16_t>(p.x));
                u16(static_cast<std::uint16_t>(p.y));
            }
        }
        bytes_.insert(bytes_.end(), types.begin(), types.end());
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
        const std::uint32_t size = static_cast<std::uint32_t>(bytes_.size() - start);
        for (int i = 0; i < 4; ++i)
            bytes_[start + 4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
        return *this;
    }
    // SETWORLDTRANSFORM, or MODIFYWORLDTRANSFORM with its mode.
    EmfBuilder& xform(std::uint32_t type, std::initializer_list<float> m, std::uint32_t mode = 0) {
        const bool modify = type == kEmrModifyWorldTransform;
        u32(type);
        u32(modify ? 36 : 32);
        for (float f : m) {
            std::uint32_t v;
            std::memcpy(&v, &f, sizeof v);
            u32(v);
        }
        if (modify) u32(mode);
        return *this;
    }
    EmfBuilder& move(std::int32_t x, std::int32_t y) {
        return record(kEmrMoveToEx, {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)});
    }
    EmfBuilder& eof() { return record(kEmrEof, {0, 0, 20}); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    std::vector<std::uint8_t> bytes_;
};

}  // namespace markomi::testing
