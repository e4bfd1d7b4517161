#include "capture/page_parser.h"
