#include "sorrel/drop_scan.h"
