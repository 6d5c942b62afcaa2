#include "platform/processor_count.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace kivrel {

namespace {

// A whole decimal number that fills `text`, nothing else.
std::optional<std::uint64_t> WholeNumber(std::string_view text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<unsigned> ProcessorsOfQuota(std::string_view cpu_max) {
  while (!cpu_max.empty() && (cpu_max.back() == '\n' || cpu_max.back() == ' ')) cpu_max.remove_suffix(1);
  const std::size_t blank = cpu_max.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const auto quota = WholeNumber(cpu_max.substr(0, blank));
  const auto period = WholeNumber(cpu_max.substr(blank + 1));
  if (!quota || !period || *quota == 0 || *period == 0 || *quota > UINT64_MAX - *period) return std::nullopt;
  const std::uint64_t processors = (*quota + *period - 1) / *period;
  return static_cast<unsigned>(processors < 4096 ? processors : 4096);
}

unsigned ConversionThreads(const char* setting, unsigned usable) {
  if (setting != nullptr) {
    const auto chosen = WholeNumber(std::string_view(setting, std::strlen(setting)));
    if (chosen && *chosen >= 1 && *chosen <= 256) return static_cast<unsigned>(*chosen);
  }
  return usable < 1 ? 1 : usable;
}

}  // namespace kivrel
