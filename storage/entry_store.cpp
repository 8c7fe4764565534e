#include "storage/entry_store.h"
