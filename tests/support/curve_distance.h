#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace kivrel::testing {

// Distances of points from a curve in space, given as its point at each
// fraction t from 0 to 1: the nearest of a few thousand points along it,
// then the nearest point around that one, to the last hair.
class CurveDistance {
 public:
  using Curve = std::function<void(double t, double point[3])>;

  explicit CurveDistance(Curve curve, int coarse = 4000) : curve_(std::move(curve)), points_(coarse + 1) {
    for (int i = 0; i <= coarse; ++i) curve_(static_cast<double>(i) / coarse, points_[i].data());
  }

  double operator()(const double* point) const {
    const int coarse = static_cast<int>(points_.size()) - 1;
    int nearest = 0;
    double best = Between(points_[0].data(), point);
    for (int i = 1; i <= coarse; ++i) {
      const double d = Between(points_[i].data(), point);
      if (d < best) {
        best = d;
        nearest = i;
      }
    }
    double low = std::max(0.0, (nearest - 1.0) / coarse);
    double high = std::min(1.0, (nearest + 1.0) / coarse);
    for (int step = 0; step < 100; ++step) {  // golden-section search
      const double m1 = high - (high - low) * 0.618034;
      const double m2 = low + (high - low) * 0.618034;
      if (At(point, m1) < At(point, m2)) {
        high = m2;
      } else {
        low = m1;
      }
    }
    return std::min(best, At(point, (low + high) / 2));
  }

 private:
  static double Between(const double* a, const double* b) {
    return std::hypot(std::hypot(a[0] - b[0], a[1] - b[1]), a[2] - b[2]);
  }
  double At(const double* point, double t) const {
    double q[3];
    curve_(t, q);
    return Between(q, point);
  }

  Curve curve_;
  std::vector<std::array<double, 3>> points_;
};

}  // namespace kivrel::testing

namespace kivrel::testing {

// The point at the fraction `u` of an arc as the interpreter runs it, in
// its plane's coordinates (the two axes, then the normal): from `start` to
// `end` around `centre`, `turns` turns (positive counter-clockwise, 1 for
// less than a whole turn, more for whole turns before the end), its radius
// and normal even along its angle.
inline void ArcPoint(const double start[3], const double end[3], const double centre[2], int turns, double u,
                     double out[3]) {
  constexpr double kTurn = 2 * 3.14159265358979323846;
  const double from = std::atan2(start[1] - centre[1], start[0] - centre[0]);
  double sweep = std::atan2(end[1] - centre[1], end[0] - centre[0]) - from;
  if (turns < 0) sweep = -sweep;
  while (sweep <= 1e-12) sweep += kTurn;
  while (sweep > kTurn) sweep -= kTurn;
  sweep += kTurn * (std::abs(turns) - 1);
  if (turns < 0) sweep = -sweep;
  const double r0 = std::hypot(start[0] - centre[0], start[1] - centre[1]);
  const double r1 = std::hypot(end[0] - centre[0], end[1] - centre[1]);
  const double r = r0 + (r1 - r0) * u;
  out[0] = centre[0] + r * std::cos(from + sweep * u);
  out[1] = centre[1] + r * std::sin(from + sweep * u);
  out[2] = start[2] + (end[2] - start[2]) * u;
}

}  // namespace kivrel::testing
