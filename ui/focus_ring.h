#pragma once
// Moving the keyboard focus round a fixed ring of control ids, as the
// program's windows without a dialog manager do for Tab, Up and Down.
#include <array>
#include <cstddef>
#include <functional>

namespace markomi {

// The id after (`forward`) or before `from` in `ring` that `accepts` takes,
// going round once; `from` itself when no other is taken, 0 when `from` is
// not in the ring.
int next_in_focus_ring(const int* ring, std::size_t size, int from, bool forward,
                       const std::function<bool(int)>& accepts);

template <std::size_t N>
int next_in_focus_ring(const std::array<int, N>& ring, int from, bool forward,
                       const std::function<bool(int)>& accepts) {
    return next_in_focus_ring(ring.data(), N, from, forward, accepts);
}

}  // namespace markomi
