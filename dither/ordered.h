#pragma once

#include "core/picture.h"
#include "core/pixel_buffer.h"

namespace vorbix {

// Threshold patterns applied to each channel on its own: every channel of every pixel becomes
// 0 or 255, whatever the palette.

// Every matrix is written row by row: the entry for column offset i and row offset j is
// entries[j * size + i].

// How a cell pixel is decided from the cell's channel sum and its entry.
enum class CellRule {
    SumAboveRankSteps,    // lit when sum > entry * step: cells lit in rank order
    LevelAboveHalfEntry,  // lit when sum / 512 (the level in eighths, truncated) > entry / 2
};

// Cells tile the buffer from the picture's corner while they start inside the picture or on
// the first column or row after it; each cell pixel is decided by the cell's channel sum.
struct CellScreen {
    int size;
    int margin;
    MarginFill fill;
    const int* entries;
    CellRule rule;
    int step;  // for SumAboveRankSteps
};

// Every visited pixel is decided by its own channel value against the entry the phase
// counters point at; the column counter is not set back at a row's start.
struct PhaseScreen {
    int size;
    int first;          // first visited buffer row and column
    int beyondPicture;  // the last visited row is H + beyondPicture, the last column W + beyondPicture
    const int* entries;
    bool (*lights)(int value, int entry);
};

// Cells of 2 x 2 or 3 x 3 pixels lit in rank order by the cell's channel sum.
extern const CellScreen kHalftone2Cells;
extern const CellScreen kHalftone3Cells;
// A clustered dot per 4 x 4 cell, grown to the cell's mean level in eighths.
extern const CellScreen kNews4Cells;
// Bayer matrices whose column phase runs on from one row into the next.
extern const PhaseScreen kBayer2Phases;
extern const PhaseScreen kBayer4Phases;
extern const PhaseScreen kBayer8Phases;

void ApplyCells(Picture& surface, const CellScreen& screen);
void ApplyPhases(Picture& surface, const PhaseScreen& screen);

}  // namespace vorbix
