#include "transform/roles/word_roles.h"

#include <algorithm>
#include <iterator>

namespace kivrel {

using namespace line_tables;

const Role kPlainRoles[kRows] = {
    Role::kPosition, Role::kPosition, Role::kPosition, Role::kPosition,  // X I Y J
    Role::kPosition, Role::kPosition, Role::kPosition,                   // Z K A
    Role::kFeed,     Role::kSpeed,                                       // F S
    Role::kAsRead,   Role::kAsRead,   Role::kAsRead,   Role::kAsRead,   Role::kAsRead,  // R Q P E D
    Role::kPolarRadius, Role::kPolarAngle,                               // @ ^
};

namespace {

// The codes that give a word of the plain rows another meaning, or name a
// motion that does.
constexpr g_codes::Bits kRoleCodes = g_codes::kOffsets | g_codes::kMachine | g_codes::kToolLength | g_codes::kDwell |
                                g_codes::kDiameter | g_codes::kBlending | g_codes::kLatheCycle | g_codes::kTapping |
                                g_codes::kPitch | g_codes::kThreading | g_codes::kSpline | g_codes::kQuadSpline |
                                g_codes::kIncremental;

// The facts the notices asked for.
void NoteFacts(WordRoles& roles, LineModes& modes, unsigned wanted) {
  if (!roles.moves) return;
  if ((wanted & kWantCycles) != 0 && modes.MotionIs(MotionClass::kCycle)) {
    roles.cycle = true;
    roles.plane = modes.plane();
  }
  if ((wanted & kWantTapping) != 0) roles.tapping = modes.MotionIs(MotionClass::kTapping);
  if ((wanted & kWantThreading) != 0) roles.threading = modes.MotionIs(MotionClass::kThreading);
}

// Most lines: no code and no letter gives a word another meaning, and the
// motion and distance modes give none either. Asks what the full rules
// would ask of the modes (or more); false where the full rules must decide.
bool PlainLine(const LineCodes& codes, bool moves, LineModes& modes) {
  const unsigned letters = codes.letters;
  if (codes.m != 0 || (codes.g & kRoleCodes) != 0 || (letters & kModeRows) != 0) return false;
  if (!moves) return true;
  if ((letters & RowBit('F')) != 0 && modes.MotionIs(MotionClass::kTapping)) return false;
  if ((letters & (RowBit('I') | RowBit('J') | RowBit('K'))) != 0 &&
      (modes.MotionIs(MotionClass::kThreading) || modes.MotionIs(MotionClass::kPitch) ||
       modes.MotionIs(MotionClass::kSplines))) {
    return false;
  }
  constexpr unsigned kAxes = RowBit('X') | RowBit('Y') | RowBit('Z') | RowBit('A');
  return (letters & kAxes) == 0 || modes.distance() == Distance::Absolute;
}

}  // namespace

namespace {

// The letters that codes on the line give a meaning of their own: offsets'
// rotations, tool numbers and orientations, a spindle's angle, timeouts, an
// analog output's value, path tolerances, a dwell's time.
struct TakenLetters {
  bool r = false;
  bool q = false;
  bool p = false;
};

bool HasOffsets(const LineCodes& codes) { return (codes.g & g_codes::kOffsets) != 0; }

TakenLetters TakenByCodes(const LineCodes& codes) {
  const unsigned g = codes.g;
  const unsigned m = codes.m;
  const bool offsets = HasOffsets(codes);
  const bool lathe_cycle = (g & g_codes::kLatheCycle) != 0;
  TakenLetters taken;
  taken.r = offsets || lathe_cycle || (m & m_codes::kOrient) != 0;
  taken.q = offsets || lathe_cycle || (g & g_codes::kBlending) != 0 ||
            (m & (m_codes::kOrient | m_codes::kInput | m_codes::kAnalog)) != 0;
  taken.p = offsets || (g & (g_codes::kBlending | g_codes::kDwell)) != 0 || (m & m_codes::kInput) != 0;
  return taken;
}

// Positions on the machine and sizes of the tool: neither scaled nor
// exchanged; only their lengths take a unit conversion.
void MachineAndToolRoles(const LineCodes& codes, WordRoles& roles) {
  const unsigned g = codes.g;
  const bool offsets = HasOffsets(codes);
  const bool work_offsets = offsets && codes.l == 2;
  const bool tool_data = offsets && (codes.l == 1 || codes.l == 10 || codes.l == 11);
  if ((g & g_codes::kMachine) == 0 && !work_offsets && !tool_data && (g & g_codes::kToolLength) == 0) return;
  Role* role = roles.role;
  const Role length = (g & g_codes::kMachine) != 0 || work_offsets ? Role::kMachinePosition : Role::kToolSize;
  role[kRowX] = role[kRowY] = role[kRowZ] = length;
  role[kRowI] = role[kRowJ] = role[kRowK] = role[kRowA] = Role::kAsRead;
  roles.exchange = false;
}

// Words whose meaning the motion gives them, on a line that moves.
void MotionRoles(const LineCodes& codes, LineModes& modes, const TakenLetters& taken, WordRoles& roles) {
  Role* role = roles.role;
  const auto has = [&](int row) { return ((codes.letters >> row) & 1) != 0; };
  if (has(kRowF) && modes.MotionIs(MotionClass::kTapping)) role[kRowF] = Role::kTappingFeed;
  if (has(kRowR) && !taken.r) {
    if (modes.MotionIs(MotionClass::kArc)) {
      role[kRowR] = Role::kRadius;
    } else if (modes.MotionIs(MotionClass::kCycle)) {
      role[kRowR] = Role::kRetract;
    } else if (!modes.MotionIs(MotionClass::kThreading)) {
      roles.unused_radius = true;  // (a threading cycle's R is a depth's degression)
    }
  }
  if (has(kRowQ) && !taken.q) {
    if (modes.MotionIs(MotionClass::kPeck)) {
      role[kRowQ] = Role::kPeckDepth;
    } else if (modes.MotionIs(MotionClass::kSpline)) {
      role[kRowQ] = Role::kSplineY;
    }
  }
  if (has(kRowP) && !taken.p && modes.MotionIs(MotionClass::kSpline)) role[kRowP] = Role::kSplineX;
  if ((has(kRowI) || has(kRowJ) || has(kRowK) || has(kRowE) || has(kRowP)) && modes.MotionIs(MotionClass::kThreading)) {
    // A threading cycle's sizes belong to the thread, not to the part.
    role[kRowI] = role[kRowJ] = role[kRowK] = role[kRowE] = Role::kThreadSize;
    if (!taken.p) role[kRowP] = Role::kPitch;
  } else if ((has(kRowK) || has(kRowI)) && modes.MotionIs(MotionClass::kPitch)) {
    // Spindle-synchronised motion: K is the distance per revolution, a
    // rigid tap's I the speed of its way out.
    role[kRowK] = Role::kPitch;
    role[kRowI] = Role::kAsRead;
  }
  roles.spline = (has(kRowI) || has(kRowJ) || has(kRowK)) && modes.MotionIs(MotionClass::kSplines);
}

// In incremental distance the positions are increments, whose rounding
// would add up from move to move.
void IncrementRoles(const LineCodes& codes, LineModes& modes, WordRoles& roles) {
  constexpr unsigned kIncrementRows = RowBit('X') | RowBit('Y') | RowBit('Z') | RowBit('A') | RowBit('@') | RowBit('^');
  if ((codes.letters & kIncrementRows) == 0 || modes.distance() != Distance::Incremental) return;
  Role* role = roles.role;
  if (role[kRowAngle] == Role::kPolarAngle) role[kRowAngle] = Role::kPolarTurn;
  for (int row : {kRowX, kRowY, kRowZ, kRowA}) {
    if (role[row] == Role::kPosition) role[row] = Role::kIncrement;
  }
  if (role[kRowRadius] == Role::kPolarRadius) role[kRowRadius] = Role::kIncrement;
}

}  // namespace

WordRoles RolesOf(const LineCodes& codes, LineModes& modes, unsigned wanted) {
  WordRoles roles;
  std::copy(std::begin(kPlainRoles), std::end(kPlainRoles), std::begin(roles.role));
  roles.moves = codes.motion != 0 || (codes.letters & kAxisRows) != 0 || codes.other_axes;
  if (PlainLine(codes, roles.moves, modes)) {
    roles.plain = true;
    NoteFacts(roles, modes, wanted);
    return roles;
  }
  // Printers' temperatures, fans and speeds, values of the machine's set-up,
  // user codes: no word of such a line is a position, feed or speed of the
  // part.
  if ((codes.m & m_codes::kOther) != 0) {
    std::fill(std::begin(roles.role), std::end(roles.role), Role::kAsRead);
    roles.exchange = false;
    roles.words_as_read = true;
    return roles;
  }
  MachineAndToolRoles(codes, roles);
  const TakenLetters taken = TakenByCodes(codes);
  // A lathe cycle's R is a retract distance, as its D is a depth of cut:
  // neither is scaled, and the cycle's passes change with the part.
  const unsigned g = codes.g;
  roles.unused_radius = (g & g_codes::kLatheCycle) != 0 && ((codes.letters >> kRowR) & 1) != 0;
  if (roles.moves) MotionRoles(codes, modes, taken, roles);

  // Codes that give the other words their meaning.
  Role* role = roles.role;
  const bool dwell_in_s = (g & g_codes::kDwell) != 0 && ((codes.letters >> kRowP) & 1) == 0;
  if (HasOffsets(codes) || dwell_in_s) role[kRowS] = Role::kAsRead;  // a dwell's time in S
  if ((g & g_codes::kDiameter) != 0) role[kRowD] = Role::kToolSize;
  if ((g & g_codes::kBlending) != 0) role[kRowP] = role[kRowQ] = Role::kTolerance;
  roles.swap_pq = role[kRowP] == Role::kSplineX || role[kRowQ] == Role::kSplineY;
  IncrementRoles(codes, modes, roles);

  roles.plain = std::equal(std::begin(roles.role), std::end(roles.role), std::begin(kPlainRoles)) && !roles.swap_pq;
  NoteFacts(roles, modes, wanted);
  return roles;
}

}  // namespace kivrel
