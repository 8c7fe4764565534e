#include "core/launch_entry.h"
