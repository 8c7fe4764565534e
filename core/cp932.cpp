#include "core/cp932.h"
