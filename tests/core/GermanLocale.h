#pragma once

// The chart tests find their helpers through this folder; the locale itself lives with
// the other shared test helpers.
#include "../support/GermanLocale.h"
