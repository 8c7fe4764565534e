#include "core/environment.h"
