#include "numbers/decimal_product.h"

#include "numbers/round_single.h"

namespace kivrel {

FixedNumber StoredSetting(float setting) { return ToPattern(RoundSingle(setting), Pattern::TenDecimals); }

}  // namespace kivrel
