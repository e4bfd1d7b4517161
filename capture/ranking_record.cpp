#include "capture/ranking_record.h"
