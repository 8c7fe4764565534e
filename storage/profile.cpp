#include "storage/profile.h"
