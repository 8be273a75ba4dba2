#pragma once
// Rewriting the bytes of an enhanced metafile so that every reader draws it:
// GDI+ drawing on a GDI metafile DC records its paths as POLYDRAW records,
// which several readers skip, leaving the picture empty. The same figures
// as MOVETOEX, POLYLINETO, POLYBEZIERTO and CLOSEFIGURE are read everywhere.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/emf/emf_records.h"

namespace markomi {


struct EmfRewrite {
    // False when the input was refused: not a sound metafile, a POLYDRAW
    // record whose points do not fit in it, or one whose meaning is not
    // certain (an unknown point type, curve points not in threes, a close
    // outside a path of a figure the record did not start). `bytes` is then
    // empty and the caller keeps what it had.
    bool ok = false;
    std::vector<std::uint8_t> bytes;
    std::uint32_t polydraw_records = 0;  // POLYDRAW and POLYDRAW16 replaced
};

// Every EMR_POLYDRAW16 and EMR_POLYDRAW becomes, point by point: a move ->
// MOVETOEX; a run of lines -> one POLYLINETO16; a run of curves -> one
// POLYBEZIERTO16 (the 32-bit POLYLINETO / POLYBEZIERTO when a POLYDRAW's
// points do not all fit 16 bits); a close flag -> CLOSEFIGURE inside a path
// (BEGINPATH .. ENDPATH / ABORTPATH), and outside one, where CLOSEFIGURE does
// nothing, a line back to the figure's start. The new records carry the
// POLYDRAW's bounds. Every other record is copied byte for byte; the header
// keeps its bounds and gets the new total size and record count.
EmfRewrite rewrite_polydraw_records(const std::uint8_t* bytes, std::size_t size);

}  // namespace markomi
