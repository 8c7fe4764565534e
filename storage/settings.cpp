#include "storage/settings.h"
