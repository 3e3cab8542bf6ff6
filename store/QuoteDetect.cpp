#include "store/QuoteDetect.h"

bool gQuoteDetect = true;
