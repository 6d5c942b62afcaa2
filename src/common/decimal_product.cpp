#include "common/decimal_product.h"

#include "common/round_single.h"

namespace kivrel {

FixedNumber StoredSetting(float setting) { return ToPattern(RoundSingle(setting), Pattern::TenDecimals); }

}  // namespace kivrel
