#include "transform/rewrite/arc_pieces.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kivrel {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 16;   // points of the curve each piece is held to
constexpr int kDeepest = 24;   // halvings of a quarter turn at the most
constexpr std::size_t kMostQuarters = 4 * 1001;  // quarter turns of an arc of a thousand turns
constexpr double kLeast = 1e-3;  // the least angle a crossing of an axis stands from an end

// The angle swept from `from` to `to` in the direction, in [0, 2 pi).
double Swept(double from, double to, bool clockwise) {
  double swept = clockwise ? from - to : to - from;
  // (Two angles of atan2 lie less than a full turn apart, where fmod would
  // give the difference itself.)
  if (!(std::fabs(swept) < 2 * kPi)) swept = std::fmod(swept, 2 * kPi);
  if (swept < 0) swept += 2 * kPi;
  return swept;
}

// The image of the arc as the interpreter runs it: t from 0 (start) to 1.
class Curve {
 public:
  explicit Curve(const ArcCut& cut) : map_(cut.map) {
    const PlaneArc& arc = cut.arc;
    centre_[0] = arc.centre[0];
    centre_[1] = arc.centre[1];
    const double start_angle = std::atan2(arc.start[1] - arc.centre[1], arc.start[0] - arc.centre[0]);
    const double end_angle = std::atan2(arc.end[1] - arc.centre[1], arc.end[0] - arc.centre[0]);
    // An end on the start is a full turn; more turns come before the end.
    double swept = Swept(start_angle, end_angle, arc.clockwise);
    if (swept == 0) swept = 2 * kPi;
    swept += 2 * kPi * (std::max(arc.turns, 1) - 1);
    phi0_ = start_angle;
    sweep_ = arc.clockwise ? -swept : swept;
    rho0_ = std::hypot(arc.start[0] - arc.centre[0], arc.start[1] - arc.centre[1]);
    drho_ = std::hypot(arc.end[0] - arc.centre[0], arc.end[1] - arc.centre[1]) - rho0_;
    n0_ = arc.start[2];
    dn_ = arc.end[2] - arc.start[2];
  }

  void At(double t, double out[3]) const {
    const double phi = phi0_ + sweep_ * t;
    const double rho = rho0_ + drho_ * t;
    const double x = centre_[0] + rho * std::cos(phi);
    const double y = centre_[1] + rho * std::sin(phi);
    out[0] = map_.m[0][0] * x + map_.m[0][1] * y;
    out[1] = map_.m[1][0] * x + map_.m[1][1] * y;
    out[2] = map_.normal * (n0_ + dn_ * t);
  }
  double sweep() const { return sweep_; }
  double start_angle() const { return phi0_; }

 private:
  PlaneMap map_;
  double centre_[2];
  double phi0_ = 0, sweep_ = 0, rho0_ = 0, drho_ = 0, n0_ = 0, dn_ = 0;
};

// Cuts pieces from left to right, each starting where the last ended.
class Cutter {
 public:
  Cutter(const ArcCut& cut, ArcPiece* pieces, std::size_t most)
      : cut_(cut), curve_(cut), clockwise_(ClockwiseImage(cut)), helical_(cut.start[2] != cut.end[2]),
        pieces_(pieces), most_(most) {
    std::copy(cut.start, cut.start + 3, at_);
  }

  bool Cut() {
    // Pieces end where the arc crosses an axis through its centre: there
    // its image turns back along an axis (the map scales or trades the
    // axes). A piece that starts or ends there is tangent to the image
    // there, so that each piece runs one way along both axes, as a lathe's
    // contour must. No piece so starts with more than a quarter turn.
    const double sweep = curve_.sweep();
    const double first = curve_.start_angle();
    const double step = sweep > 0 ? kPi / 2 : -kPi / 2;
    const auto on_axis = [&](double angle) {
      const double nearest = std::round(angle / step) * step;
      return std::fabs(angle - nearest) <= kLeast ? nearest : kNone;
    };
    std::vector<Break> breaks;
    breaks.push_back({0, on_axis(first)});
    for (double angle = std::floor(first / step + 1) * step;; angle += step) {
      const double t = (angle - first) / sweep;
      if (t >= 1 || breaks.size() > kMostQuarters) break;
      // A crossing right at an end makes no piece of its own.
      if (std::fabs(angle - first) > kLeast && std::fabs(first + sweep - angle) > kLeast) breaks.push_back({t, kNone});
    }
    breaks.push_back({1, on_axis(first + sweep)});
    if (CutAt(breaks)) return true;
    // A short arc may hold no piece between a crossing and an end: quarter
    // turns from the start then, with no tangent asked for.
    const std::size_t quarters =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
    breaks.clear();
    for (std::size_t q = 0; q <= quarters; ++q) breaks.push_back({static_cast<double>(q) / quarters, kNone});
    return CutAt(breaks);
  }
  std::size_t count() const { return count_; }

 private:
  // Where a piece starts or ends: the fraction of the arc, and the angle of
  // the axis it crosses there (kNone for none).
  struct Break {
    double t;
    double axis;
  };
  static constexpr double kNone = 1e300;

  // Cuts the arc into pieces between each two breaks, from the start.
  bool CutAt(const std::vector<Break>& breaks) {
    count_ = 0;
    std::copy(cut_.start, cut_.start + 3, at_);
    for (std::size_t b = 0; b + 1 < breaks.size(); ++b) {
      if (!Piece(breaks[b], breaks[b + 1], 0)) return false;
    }
    return true;
  }

  bool Piece(const Break& from, const Break& to, int depth) {
    const double t0 = from.t;
    const double t1 = to.t;
    Written end[3] = {};
    if (t1 >= 1) {
      std::copy(cut_.end, cut_.end + 3, end);
    } else {
      double point[3];
      curve_.At(t1, point);
      // Beyond what a written number holds: no piece can end there.
      if (!(std::fabs(point[0]) <= kMostWritten && std::fabs(point[1]) <= kMostWritten &&
            std::fabs(point[2]) <= kMostWritten)) {
        return false;
      }
      end[0] = RoundWritten(point[0], kFourDecimals);
      end[1] = RoundWritten(point[1], kFourDecimals);
      end[2] = helical_ ? RoundWritten(point[2], kFourDecimals) : at_[2];
    }
    ArcPiece piece;
    if (Fits(from, to, end, piece)) {
      if (count_ == most_) return false;
      pieces_[count_++] = piece;
      std::copy(end, end + 3, at_);
      return true;
    }
    if (depth == kDeepest) return false;
    const Break middle{(t0 + t1) / 2, kNone};
    return Piece(from, middle, depth + 1) && Piece(middle, to, depth + 1);
  }

  // The circle's centre through where the piece starts (`a`) and ends
  // (`b`), as written: tangent to the image where an end crosses an axis,
  // else through the curve's middle point between them as well. False
  // where there is none.
  bool CentreThrough(const Break& from, const Break& to, const double a[3], const double b[3], double centre[2]) const {
    if (from.axis != kNone || to.axis != kNone) {
      // The centre lies on the image's normal at the end that crosses an
      // axis: the image of the radius there, along an axis itself.
      const bool at_start = from.axis != kNone;
      const double angle = at_start ? from.axis : to.axis;
      const double rx = std::round(std::cos(angle));
      const double ry = std::round(std::sin(angle));
      double nx = cut_.map.m[0][0] * rx + cut_.map.m[0][1] * ry;
      double ny = cut_.map.m[1][0] * rx + cut_.map.m[1][1] * ry;
      const double size = std::hypot(nx, ny);
      if (size == 0) return false;
      nx /= size;
      ny /= size;
      const double* p = at_start ? a : b;
      const double* q = at_start ? b : a;
      const double dx = q[0] - p[0], dy = q[1] - p[1];
      const double along = nx * dx + ny * dy;
      if (std::fabs(along) < 1e-12) return false;
      const double reach = (dx * dx + dy * dy) / (2 * along);
      centre[0] = p[0] + reach * nx;
      centre[1] = p[1] + reach * ny;
      return true;
    }
    double middle[3];
    curve_.At((from.t + to.t) / 2, middle);
    // The circumcentre, from the start.
    const double mx = middle[0] - a[0], my = middle[1] - a[1];
    const double bx = b[0] - a[0], by = b[1] - a[1];
    const double d = 2 * (mx * by - my * bx);
    if (std::fabs(d) < 1e-18) return false;
    const double m2 = mx * mx + my * my, b2 = bx * bx + by * by;
    centre[0] = a[0] + (by * m2 - my * b2) / d;
    centre[1] = a[1] + (mx * b2 - bx * m2) / d;
    return true;
  }

  // How the interpreter's arc around `c` from `a` to `b` (the angle from
  // the start's to the end's, the radius and the normal evenly along it)
  // follows the curve from t0 to t1.
  struct Following {
    bool on_arc;    // every point of the curve lies within the arc's angle
    double worst;   // the farthest the curve lies from it, the ends as written counted
    double length;  // the curve's length
  };
  // The arc as Follow measures it against the curve.
  struct Measure {
    const double* a;
    const double* b;
    const double* c;
    double angle_a;  // of the start, around the centre
    double span;     // the angle swept
    double ra;       // the radius at the start
    double rb;       // at the end
  };
  // How far the curve's point at `t`, sample `k` of kSamples, lies from the
  // arc; false where it lies beyond the arc's angle.
  bool Deviation(const Measure& arc, double t, int k, double p[3], double& deviation) const {
    curve_.At(t, p);
    // How far along the arc the point lies; one beyond its ends lies off
    // it (the ends themselves are held to the written ones below).
    double u = k == 0 ? 0.0 : 1.0;
    if (k != 0 && k != kSamples) {
      const double swept = Swept(arc.angle_a, std::atan2(p[1] - arc.c[1], p[0] - arc.c[0]), clockwise_);
      if (swept > arc.span) return false;
      u = swept / arc.span;
    }
    const double radial = std::hypot(p[0] - arc.c[0], p[1] - arc.c[1]) - (arc.ra + (arc.rb - arc.ra) * u);
    const double normal = p[2] - (arc.a[2] + (arc.b[2] - arc.a[2]) * u);
    deviation = normal == 0 ? std::fabs(radial) : std::hypot(radial, normal);
    return true;
  }
  // Stops, unfollowed or with the worst found so far, as soon as the curve
  // lies farther than `limit` from the arc; most pieces that do not fit
  // show it at the middle, which is looked at first.
  Following Follow(double t0, double t1, const double a[3], const double b[3], const double c[2], double limit) const {
    Following following{false, 0, 0};
    Measure arc{a, b, c, std::atan2(a[1] - c[1], a[0] - c[0]), 0, 0, 0};
    arc.span = Swept(arc.angle_a, std::atan2(b[1] - c[1], b[0] - c[0]), clockwise_);
    if (arc.span < 1e-12 || arc.span > kPi) return following;
    arc.ra = std::hypot(a[0] - c[0], a[1] - c[1]);
    arc.rb = std::hypot(b[0] - c[0], b[1] - c[1]);
    constexpr int kMiddle = kSamples / 2;
    double middle[3];
    double middle_deviation = 0;
    if (!Deviation(arc, t0 + (t1 - t0) * kMiddle / kSamples, kMiddle, middle, middle_deviation)) return following;
    if (middle_deviation > limit) {
      following.on_arc = true;
      following.worst = middle_deviation;
      return following;
    }
    double p[3];
    double deviation = 0;
    double last[3] = {};
    for (int k = 0; k <= kSamples; ++k) {
      if (k == kMiddle) {  // looked at already
        std::copy(middle, middle + 3, p);
        deviation = middle_deviation;
      } else if (!Deviation(arc, t0 + (t1 - t0) * k / kSamples, k, p, deviation)) {
        return following;
      }
      if (k > 0) following.length += Distance(p, last);
      std::copy(p, p + 3, last);
      following.worst = std::max(following.worst, deviation);
      // The ends as written against the curve's.
      const double* written = k == 0 ? a : k == kSamples ? b : nullptr;
      if (written != nullptr) following.worst = std::max(following.worst, Distance(p, written));
      if (following.worst > limit) {
        following.on_arc = true;
        return following;
      }
    }
    following.on_arc = true;
    return following;
  }

  static double Distance(const double p[3], const double q[3]) {
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2]));
  }

  // The piece from `from` to `end` (as written) as an arc around the centre
  // CentreThrough gives, rounded as written. True where the interpreter's
  // arc around it stays within the tolerance of the curve.
  bool Fits(const Break& from, const Break& to, const Written* end, ArcPiece& piece) const {
    const double a[3] = {ValueOf(at_[0]), ValueOf(at_[1]), ValueOf(at_[2])};
    const double b[3] = {ValueOf(end[0]), ValueOf(end[1]), ValueOf(end[2])};
    double centre[2];
    if (!CentreThrough(from, to, a, b, centre)) return false;
    if (!(std::fabs(centre[0]) <= kMostWritten && std::fabs(centre[1]) <= kMostWritten)) return false;  // NaN too
    piece.centre[0] = RoundWritten(centre[0], kFourDecimals);
    piece.centre[1] = RoundWritten(centre[1], kFourDecimals);
    const double c[2] = {ValueOf(piece.centre[0]), ValueOf(piece.centre[1])};
    const Following following = Follow(from.t, to.t, a, b, c, cut_.tolerance);
    if (!following.on_arc || following.worst > cut_.tolerance) return false;
    std::copy(end, end + 3, piece.end);
    piece.length = following.length;
    return true;
  }

  const ArcCut& cut_;
  Curve curve_;
  bool clockwise_;
  bool helical_;
  ArcPiece* pieces_;
  std::size_t most_;
  std::size_t count_ = 0;
  Written at_[3];  // where the next piece starts, as written
};

}  // namespace

bool ClockwiseImage(const ArcCut& cut) {
  const double det = cut.map.m[0][0] * cut.map.m[1][1] - cut.map.m[0][1] * cut.map.m[1][0];
  return cut.arc.clockwise != (det < 0);
}

std::size_t CutArc(const ArcCut& cut, ArcPiece* pieces, std::size_t most) {
  Cutter cutter(cut, pieces, most);
  return cutter.Cut() ? cutter.count() : 0;
}

}  // namespace kivrel
