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
