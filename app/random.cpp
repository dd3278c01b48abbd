#include "app/random.h"

uint32_t randomState = 1;
