// LeadingNumber on arbitrary text agrees with the plain reading of the rules.
#include <cmath>
#include <cstdlib>
#include <string>

#include "numbers/leading_number.h"
#include "support/reference_transform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const double fast = kivrel::LeadingNumber(text);
  const double plain = kivrel::testing::ReferenceLeadingNumber(text);
  if (std::isnan(fast) || !(fast == plain || (fast == 0 && plain == 0))) std::abort();
  return 0;
}
