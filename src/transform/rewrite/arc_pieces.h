#pragma once

#include <cstddef>

#include "numbers/written_number.h"

namespace kivrel {

// An arc as the interpreter runs it, in the coordinates of its plane: the
// first and second axis, then the normal (a helix's axis). It moves from
// `start` to `end` around `centre` in the given direction, its radius and
// its normal changing evenly with the angle where the two ends differ.
struct PlaneArc {
  double start[3];
  double end[3];
  double centre[2];
  bool clockwise;  // seen from the normal's positive end
  int turns;       // 1, or more where full turns come before the end (P)
};

// A linear map of the settings from a plane's coordinates to those of the
// plane the output lands in: the first two by `m`, the normal by `normal`.
struct PlaneMap {
  double m[2][2];
  double normal;
};

// A piece of the cut: where it ends and its centre, in the output plane's
// coordinates as written, and its length along the curve.
struct ArcPiece {
  Written end[3];
  Written centre[2];
  double length;
};

// The image of an arc under a map, to be cut from where the output's tool
// stands to where the rules write the arc's end.
struct ArcCut {
  PlaneArc arc;          // in the program's units and plane
  PlaneMap map;
  Written start[3];      // the output's start, in its plane's coordinates
  Written end[3];        // the output's end, as the rules write it
  double tolerance;      // the largest distance of a piece from the curve
};

// The direction the image runs in: that of the arc, turned round where the
// map turns the plane over.
bool ClockwiseImage(const ArcCut& cut);

// Cuts the image of the arc into circular arcs, each ending on a point of
// four decimals (the last at the rules' end) and centred on one, none
// farther from the curve than the tolerance as the interpreter moves along
// it. Returns how many, or 0 where no cut into at most `most` pieces holds
// the tolerance (an arc too short or too wide to cut).
std::size_t CutArc(const ArcCut& cut, ArcPiece* pieces, std::size_t most);

}  // namespace kivrel
