#include "capture/fetch_run.h"
