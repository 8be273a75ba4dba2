// The project's own check on the record order of metafiles a reader is
// given (output/emf/emf_record_order.h), and the control that shows it catches
// the fault readers trip on.
//   markomi2_emf_order_check FILE.emf...          exit 0 none, 1 faults listed
//   markomi2_emf_order_check --misorder IN OUT    writes IN with the first
//       filled path's brush created and selected after its ENDPATH
// Exit 2: usage or an unreadable file.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/little_endian.h"
#include "output/emf/emf_record_order.h"
#include "output/emf/emf_records.h"

namespace {

bool read_file(const char* path, std::vector<std::uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

struct Record {
    std::size_t at, size;
    std::uint32_t type;
};

std::vector<Record> records_of(const std::vector<std::uint8_t>& bytes) {
    std::vector<Record> out;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        const std::uint32_t size = markomi::read_u32(bytes.data() + at + 4);
        if (size < 8 || size > bytes.size() - at) break;
        out.push_back({at, size, markomi::read_u32(bytes.data() + at)});
        at += size;
    }
    return out;
}

// The two records before the first BEGINPATH (its brush made and selected)
// moved to just after that path's ENDPATH: the same records, in an order
// that leaves a reader using the objects of the path's end with no brush.
bool misorder(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* out) {
    const std::vector<Record> r = records_of(bytes);
    std::size_t begin = 0, end = 0;
    for (std::size_t i = 2; i < r.size() && !begin; ++i)
        if (r[i].type == markomi::kEmrBeginPath && r[i - 2].type == markomi::kEmrCreateBrushIndirect &&
            r[i - 1].type == markomi::kEmrSelectObject)
            begin = i;
    for (std::size_t i = begin; begin && i < r.size() && !end; ++i)
        if (r[i].type == markomi::kEmrEndPath) end = i;
    if (!begin || !end) return false;
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (i == begin - 2 || i == begin - 1) continue;
        order.push_back(i);
        if (i == end) {
            order.push_back(begin - 2);
            order.push_back(begin - 1);
        }
    }
    out->clear();
    for (std::size_t i : order)
        out->insert(out->end(), bytes.begin() + r[i].at, bytes.begin() + r[i].at + r[i].size);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--misorder") {
        std::vector<std::uint8_t> bytes, changed;
        if (!read_file(argv[2], &bytes) || !misorder(bytes, &changed)) return 2;
        std::ofstream out(argv[3], std::ios::binary);
        out.write(reinterpret_cast<const char*>(changed.data()), static_cast<std::streamsize>(changed.size()));
        return out ? 0 : 2;
    }
    if (argc < 2) return 2;
    int faults = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::uint8_t> bytes;
        if (!read_file(argv[i], &bytes)) return 2;
        for (const markomi::EmfOrderFault& f : markomi::emf_record_order_faults(bytes.data(), bytes.size())) {
            std::printf("%s: record %u (type %u): %s\n", argv[i], static_cast<unsigned>(f.record_index),
                        static_cast<unsigned>(f.type), f.why.c_str());
            ++faults;
        }
    }
    return faults ? 1 : 0;
}
