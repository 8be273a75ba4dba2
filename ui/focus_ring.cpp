#include "ui/focus_ring.h"

namespace markomi {

int next_in_focus_ring(const int* ring, std::size_t size, int from, bool forward,
                       const std::function<bool(int)>& accepts) {
    std::size_t start = 0;
    while (start < size && ring[start] != from) ++start;
    if (start == size) return 0;
    const std::size_t step = forward ? 1 : size - 1;
    for (std::size_t k = 1; k < size; ++k) {
        const int id = ring[(start + k * step) % size];
        if (accepts(id)) return id;
    }
    return from;
}

}  // namespace markomi
