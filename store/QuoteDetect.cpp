#include "store/QuoteDetect.h"

#include "store/IoOptions.h"

std::atomic<bool> gQuoteDetect{true};

IoOptions IoOptions::current(const IoOptions& tuning) {
  IoOptions options = tuning;
  options.quoteDetect = gQuoteDetect.load(std::memory_order_relaxed);
  return options;
}

IoOptions IoOptions::current() { return current(IoOptions()); }
